// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>
#include <QImage>
#include <QList>
#include <QMetaType>
#include <QString>
#include <QtGui/qwindowdefs.h>

/// A snapshot of one running application, as the workspace saw it at the moment it was
/// asked. On X11 an "application" is the group of top-level windows that share a process
/// and a WM_CLASS; its identifier is the desktop file id of its .desktop entry.
struct HBRunningApplication
{
    /// How the application presents itself to the user.
    enum class ActivationPolicy {
        /// An ordinary application: it has a normal window listed in the task bar.
        Regular,
        /// It has windows, but none that the task bar lists (tool windows, skip-taskbar).
        Accessory,
        /// Background only: no windows the user works with (panels, desktops) or none at all.
        Prohibited,
    };

    /// The .desktop file id without ".desktop" ("org.gnome.Nautilus"), else the WM_CLASS
    /// class; "com.norvale.Kelvora" for this program itself. Empty for "no application".
    QString bundleIdentifier;
    /// The .desktop entry's Name in the user's language, else the WM_CLASS class.
    QString localizedName;
    QIcon icon;
    /// The process id (_NET_WM_PID); 0 when the windows don't say.
    qint64 processIdentifier = 0;
    ActivationPolicy activationPolicy = ActivationPolicy::Prohibited;
    /// The application's top-level client windows, in stacking-list order.
    QList<WId> windows;

    /// False for the "nothing is frontmost" value.
    bool isValid() const { return !bundleIdentifier.isEmpty(); }
    /// The icon rendered as a square picture of `extent` pixels (null when there is no icon),
    /// for keeping it beyond the application's lifetime.
    QImage iconImage(int extent = 128) const;

    /// Same application: identifier and process. Names, icons and windows may change
    /// while the application runs.
    bool isSameApplication(const HBRunningApplication &other) const
    {
        return bundleIdentifier == other.bundleIdentifier && processIdentifier == other.processIdentifier;
    }
};

Q_DECLARE_METATYPE(HBRunningApplication)
