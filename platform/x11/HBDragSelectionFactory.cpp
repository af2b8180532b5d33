// SPDX-License-Identifier: GPL-3.0-or-later
#include "HBDragSelectionFactory.h"

#include "HBNullDragSelection.h"
#include "X11Connection.h"
#include "X11DragSelection.h"

namespace HBDragSelectionFactory {

HBDragSelection *create(QObject *parent)
{
    if (X11Connection::isAvailable()) {
        auto *selection = new X11DragSelection(parent);
        if (selection->isConnected())
            return selection;
        delete selection;
    }
    return new HBNullDragSelection(parent);
}

} // namespace HBDragSelectionFactory
