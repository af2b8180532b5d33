// SPDX-License-Identifier: GPL-3.0-or-later
#include "HBWorkspaceFactory.h"

#include "HBNullWorkspace.h"
#include "X11Connection.h"
#include "X11Workspace.h"

namespace HBWorkspaceFactory {

HBWorkspace *create(QObject *parent)
{
    if (X11Connection::isAvailable()) {
        auto *workspace = new X11Workspace(parent);
        if (workspace->isConnected())
            return workspace;
        delete workspace;
    }
    return new HBNullWorkspace(parent);
}

} // namespace HBWorkspaceFactory
