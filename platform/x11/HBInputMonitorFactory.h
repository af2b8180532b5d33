// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class HBInputMonitor;
class QObject;

namespace HBInputMonitorFactory {

/// The global input monitor for this session, owned by `parent`: the X11 one when Qt runs
/// on xcb and the X server answers, otherwise the null monitor.
HBInputMonitor *create(QObject *parent);

} // namespace HBInputMonitorFactory
