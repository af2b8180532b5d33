// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "HBDragSelection.h"

/// Never sees a drag: the drag selection where Qt does not run on X11.
class HBNullDragSelection final : public HBDragSelection
{
    Q_OBJECT
public:
    using HBDragSelection::HBDragSelection;

    qint64 changeCount() const override { return 0; }
    bool isOwnDrag() const override { return false; }
    std::optional<QStringList> offeredTypes() const override { return QStringList(); }
};
