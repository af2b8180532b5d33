// SPDX-License-Identifier: GPL-3.0-or-later
#include "HBInputMonitor.h"

#include "HBNullInputMonitor.h"

#include <QPointer>

namespace {

QPointer<HBInputMonitor> &installedMonitor()
{
    static QPointer<HBInputMonitor> monitor;
    return monitor;
}

} // namespace

HBInputMonitor::HBInputMonitor(QObject *parent)
    : QObject(parent)
{
    qRegisterMetaType<HBInputEvent>();
}

HBInputMonitor::~HBInputMonitor() = default;

HBInputMonitor *HBInputMonitor::sharedMonitor()
{
    if (HBInputMonitor *monitor = installedMonitor())
        return monitor;
    static HBNullInputMonitor nullMonitor;
    return &nullMonitor;
}

void HBInputMonitor::setSharedMonitor(HBInputMonitor *monitor)
{
    installedMonitor() = monitor;
}
