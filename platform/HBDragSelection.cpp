// SPDX-License-Identifier: GPL-3.0-or-later
#include "HBDragSelection.h"

#include "HBNullDragSelection.h"

#include <QPointer>

namespace {

QPointer<HBDragSelection> &installedSelection()
{
    static QPointer<HBDragSelection> selection;
    return selection;
}

} // namespace

HBDragSelection::HBDragSelection(QObject *parent)
    : QObject(parent)
{ }

HBDragSelection::~HBDragSelection() = default;

HBDragSelection *HBDragSelection::sharedSelection()
{
    if (HBDragSelection *selection = installedSelection())
        return selection;
    static HBNullDragSelection nullSelection;
    return &nullSelection;
}

void HBDragSelection::setSharedSelection(HBDragSelection *selection)
{
    installedSelection() = selection;
}
