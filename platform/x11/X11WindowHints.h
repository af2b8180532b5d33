// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QWindow;

/// EWMH hints that Qt has no API for. Each call does nothing unless Qt runs on xcb and
/// the window has a native window. Works on hidden windows (the hint is written as a
/// property and read by the window manager when it maps the window) and on shown ones
/// (the change is asked of the window manager by a client message to the root window,
/// as EWMH requires for mapped windows).
namespace X11WindowHints {

/// Puts the window on every workspace (_NET_WM_DESKTOP 0xFFFFFFFF and
/// _NET_WM_STATE_STICKY), or back on the current one only.
void setOnAllWorkspaces(QWindow *window, bool on);

/// Keeps the window out of task bars and pagers (_NET_WM_STATE_SKIP_TASKBAR and
/// _NET_WM_STATE_SKIP_PAGER).
void setSkipTaskbar(QWindow *window, bool skip);

} // namespace X11WindowHints
