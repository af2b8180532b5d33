// SPDX-License-Identifier: GPL-3.0-or-later
#include "HBDragPasteboard.h"

#include "HBDragSelection.h"
#include "HBMimeTypes.h"
#include "HBPasteboardHelper.h"

HBDragPasteboard::HBDragPasteboard(const HBDragSelection *selection)
    : m_selection(selection)
{ }

const HBDragSelection &HBDragPasteboard::selection() const
{
    return m_selection ? *m_selection : *HBDragSelection::sharedSelection();
}

bool HBDragPasteboard::typesKnown() const
{
    return selection().offeredTypes().has_value();
}

QStringList HBDragPasteboard::types() const
{
    const std::optional<QStringList> offered = selection().offeredTypes();
    if (!offered || offered->isEmpty())
        return {};
    QStringList types;
    for (const QString &type : HBPasteboardHelper::acceptedTypes()) {
        if (HBMimeTypes::formatsCanCarry(*offered, {type}))
            types.append(type);
    }
    return types;
}

QByteArray HBDragPasteboard::dataForType(const QString &) const
{
    return {};
}

qint64 HBDragPasteboard::changeCount() const
{
    return selection().changeCount();
}
