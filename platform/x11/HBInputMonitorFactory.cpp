// SPDX-License-Identifier: GPL-3.0-or-later
#include "HBInputMonitorFactory.h"

#include "HBNullInputMonitor.h"
#include "X11Connection.h"
#include "X11InputMonitor.h"

namespace HBInputMonitorFactory {

HBInputMonitor *create(QObject *parent)
{
    if (X11Connection::isAvailable()) {
        auto *monitor = new X11InputMonitor(parent);
        // Without XInput 2 it still reads the pointer from the server; it has said once
        // that it reports no events.
        if (monitor->isConnected())
            return monitor;
        delete monitor;
    }
    return new HBNullInputMonitor(parent);
}

} // namespace HBInputMonitorFactory
