// SPDX-License-Identifier: GPL-3.0-or-later
#include "HBDragSelection.h"

#include <QPointer>

namespace {

class HBNullDragSelection final : public HBDragSelection
{
public:
    qint64 changeCount() const override { return 0; }
    bool isOwnDrag() const override { return false; }
    std::optional<QStringList> offeredTypes() const override { return QStringList(); }
};

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
