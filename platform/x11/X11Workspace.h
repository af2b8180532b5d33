// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "HBWorkspace.h"

#include <memory>

class QSocketNotifier;
class QTimer;
struct X11WorkspacePrivate;

/// The workspace of an X11 session with an EWMH window manager. The frontmost
/// application owns the root window's _NET_ACTIVE_WINDOW, followed live through
/// PropertyNotify on a connection of its own; the running applications are the windows
/// of _NET_CLIENT_LIST grouped by process and WM_CLASS.
class X11Workspace : public HBWorkspace
{
    Q_OBJECT
public:
    /// Connects to the X server of $DISPLAY; without one, behaves as the null workspace.
    explicit X11Workspace(QObject *parent = nullptr);
    ~X11Workspace() override;

    /// Whether the X server could be reached.
    bool isConnected() const;

    HBRunningApplication frontmostApplication() const override { return m_frontmost; }
    QList<HBRunningApplication> runningApplications() const override;

private:
    void readEvents();
    void updateFrontmost();

    std::unique_ptr<X11WorkspacePrivate> m_x;
    QTimer *m_drainEvents;
    QSocketNotifier *m_notifier = nullptr;
    HBRunningApplication m_frontmost;
};
