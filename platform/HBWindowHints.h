// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

#include <memory>

class QWindow;

/// Hints to the window manager that Qt has no API for. The X11 implementation follows
/// the Extended Window Manager Hints; elsewhere the null one does nothing.
class HBWindowHints : public QObject
{
    Q_OBJECT

public:
    /// The implementation for the platform Qt runs on.
    static std::unique_ptr<HBWindowHints> create();

    /// Whether the task bar and pager list the window (_NET_WM_STATE_SKIP_TASKBAR/_PAGER).
    virtual void setListedInTaskbar(QWindow *window, bool listed) = 0;
    /// Whether the window shows on every workspace (_NET_WM_DESKTOP 0xFFFFFFFF, sticky).
    virtual void setOnAllWorkspaces(QWindow *window, bool onAll) = 0;
};

/// Does nothing: for platforms without such hints, and for tests.
class HBNullWindowHints final : public HBWindowHints
{
    Q_OBJECT

public:
    void setListedInTaskbar(QWindow *, bool) override { }
    void setOnAllWorkspaces(QWindow *, bool) override { }
};
