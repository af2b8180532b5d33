// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "HBRunningApplication.h"

#include <QList>
#include <QObject>

/// Which application is in front and which are running. The X11 implementation follows
/// the window manager's EWMH properties; a null one serves where Qt does not run on X11,
/// and HBFakeWorkspace stands in for tests. All calls and signals on the main thread.
class HBWorkspace : public QObject
{
    Q_OBJECT
public:
    explicit HBWorkspace(QObject *parent = nullptr);
    ~HBWorkspace() override;

    /// The application owning the active window. While no window is active (between two
    /// windows, or over the bare desktop) the last one stays frontmost as long as it has a
    /// window; an invalid value when there is none.
    virtual HBRunningApplication frontmostApplication() const = 0;
    /// Every application with a managed top-level window, in no particular order.
    virtual QList<HBRunningApplication> runningApplications() const = 0;

    /// The identifier under which Kelvora itself appears: "com.norvale.Kelvora".
    static QString ownBundleIdentifier();

    /// The workspace the program uses; a null workspace until one is installed.
    static HBWorkspace *sharedWorkspace();
    /// Installs the program's workspace (not taken over: the caller keeps it alive; when it
    /// is destroyed, sharedWorkspace() falls back to the null workspace).
    static void setSharedWorkspace(HBWorkspace *workspace);

Q_SIGNALS:
    /// The frontmost application became a different one (another identifier or process,
    /// or none). Not emitted when focus moves between windows of one application.
    void frontmostApplicationChanged(const HBRunningApplication &application);
};
