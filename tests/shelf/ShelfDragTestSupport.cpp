// SPDX-License-Identifier: GPL-3.0-or-later
#include "ShelfDragTestSupport.h"

#include "FileBookmark.h"
#include "HBObjectContext.h"
#include "HBObjectStore.h"
#include "PasteboardFile.h"
#include "PasteboardItem.h"
#include "PasteboardType.h"
#include "PasteboardTypes.h"
#include "PropertyList.h"

#include <QDateTime>

namespace ShelfDragTestSupport {

PasteboardItem *addItem(const ItemSpec &spec, int order)
{
    HBObjectContext *context = HBObjectStore::shared()->defaultContext();
    PasteboardItem *item = PasteboardItem::create(context);
    item->setTitle(spec.title);
    item->setDate(QDateTime::currentDateTimeUtc());
    item->setOrder(order);
    if (!spec.mainType.isEmpty()) {
        PasteboardType *main = PasteboardType::create(context);
        main->setType(spec.mainType);
        main->setData(spec.mainType == PasteboardTypes::NSFilenamesPboardType
                ? PropertyList::xmlStringArray(spec.paths)
                : spec.mainData);
        item->setMainType(main);
    }
    for (const auto &[name, data] : spec.types) {
        PasteboardType *type = PasteboardType::create(context);
        type->setType(name);
        type->setData(data);
        type->setItem(item);
    }
    for (const FileSpec &fileSpec : spec.files) {
        PasteboardFile *file = PasteboardFile::create(context);
        file->setPath(fileSpec.path);
        file->setIsRemovable(fileSpec.removable);
        if (!fileSpec.removable)
            file->setBookmarkData(FileBookmark::create(fileSpec.path));
        item->addFilesObject(file);
    }
    context->saveAndWait();
    return item;
}

ItemSpec fileItem(const QString &path, bool removable)
{
    ItemSpec spec;
    spec.title = path.section(u'/', -1);
    spec.mainType = PasteboardTypes::NSFilenamesPboardType;
    spec.paths = {path};
    spec.types = {{PasteboardTypes::NSFilenamesPboardType, PropertyList::xmlStringArray({path})}};
    spec.files = {{path, removable}};
    return spec;
}

QStringList titles(const QList<PasteboardItem *> &items)
{
    QStringList result;
    for (const PasteboardItem *item : items)
        result.append(item->title());
    return result;
}

} // namespace ShelfDragTestSupport
