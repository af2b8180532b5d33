// SPDX-License-Identifier: GPL-3.0-or-later
#include "HBEntity.h"

#include "PasteboardFile.h"
#include "PasteboardItem.h"
#include "PasteboardType.h"

namespace {

// Column order must follow each class's Field enumeration.
const HBEntityDescription kItem{HBEntity::Item, QLatin1StringView("PasteboardItem"),
    {QLatin1StringView("date"), QLatin1StringView("imagePath"), QLatin1StringView("path"),
        QLatin1StringView("title"), QLatin1StringView("order"), QLatin1StringView("mainType")},
    1u << PasteboardItem::MainTypeField};
const HBEntityDescription kType{HBEntity::Type, QLatin1StringView("PasteboardType"),
    {QLatin1StringView("data"), QLatin1StringView("type"), QLatin1StringView("item")},
    1u << PasteboardType::ItemField};
const HBEntityDescription kFile{HBEntity::File, QLatin1StringView("PasteboardFile"),
    {QLatin1StringView("bookmarkData"), QLatin1StringView("isRemovable"), QLatin1StringView("path"),
        QLatin1StringView("isAlias"), QLatin1StringView("item")},
    1u << PasteboardFile::ItemField};

} // namespace

const HBEntityDescription &HBEntityDescription::of(HBEntity entity)
{
    switch (entity) {
    case HBEntity::Item:
        return kItem;
    case HBEntity::Type:
        return kType;
    case HBEntity::File:
        return kFile;
    }
    return kItem;
}

const HBEntityDescription *HBEntityDescription::named(const QString &name)
{
    for (const HBEntityDescription *description : {&kItem, &kType, &kFile}) {
        if (name == description->name)
            return description;
    }
    return nullptr;
}

int HBEntityDescription::field(const QString &column) const
{
    for (int i = 0; i < columns.size(); ++i) {
        if (column == columns.at(i))
            return i;
    }
    return -1;
}
