// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "HBBlacklistedApp.h"

#include <QList>
#include <QObject>

class HBUserDefaults;

/// The exception list: the applications in which the shelf does not show itself
/// automatically (or, with windowHidingBehavior 1, the only ones in which it does).
/// Stored in the setting "blacklistedApps" as records in the order they were added, each
/// entry's icon as a PNG file. Read once when made; only this object writes the setting,
/// so the list and the setting stay in step. Main thread only.
class HBAppExceptionManager : public QObject
{
    Q_OBJECT
public:
    /// What the list says about showing the shelf automatically.
    enum class AutomaticShowing {
        /// The list is empty or lets the frontmost application show the shelf.
        Allowed,
        /// Kelvora itself is frontmost (and the list is not empty): a drag does not show the
        /// shelf, but this excludes nothing when the frontmost application changes.
        OwnApplicationFrontmost,
        /// The frontmost application keeps the shelf from showing itself.
        Excluded,
    };

    /// The process's list over HBUserDefaults::standardUserDefaults(), made on first use.
    static HBAppExceptionManager &sharedManager();

    /// A list over `defaults`, loaded from its "blacklistedApps" now.
    explicit HBAppExceptionManager(HBUserDefaults &defaults, QObject *parent = nullptr);
    ~HBAppExceptionManager() override;

    /// The entries in stored order. A snapshot: later changes build a new list.
    QList<HBBlacklistedAppPtr> apps() const { return m_apps; }

    /// Appends an entry (no check for duplicates: callers ask blacklistedAppWithBundle first).
    void addBlackListedApp(const HBBlacklistedAppPtr &app);
    /// Removes the entries at these indexes into apps() and deletes their icon files;
    /// indexes out of range are ignored.
    void removeAppsAtIndexes(const QList<int> &indexes);
    /// Removes this very entry (by identity) and deletes its icon file.
    void removeBlackListedApp(const HBBlacklistedAppPtr &app);

    /// The first entry whose identifier equals `bundle` exactly (case-sensitive); none for
    /// an empty identifier.
    HBBlacklistedAppPtr blacklistedAppWithBundle(const QString &bundle) const;
    bool appIsBlacklistedWithBundle(const QString &bundle) const
    {
        return blacklistedAppWithBundle(bundle) != nullptr;
    }

    /// The list's verdict for the frontmost application, by the setting windowHidingBehavior
    /// (1: only listed applications allow showing; any other value: listed ones prevent it).
    AutomaticShowing automaticShowing(const QString &frontmostBundleIdentifier) const;
    /// Whether a drag may show the shelf by itself while this application is frontmost.
    bool allowsAutomaticShowing(const QString &frontmostBundleIdentifier) const
    {
        return automaticShowing(frontmostBundleIdentifier) == AutomaticShowing::Allowed;
    }

Q_SIGNALS:
    /// apps() is a new list.
    void appsChanged();

private:
    void setApps(const QList<HBBlacklistedAppPtr> &apps);
    void removeApps(const QList<HBBlacklistedAppPtr> &removed);

    HBUserDefaults &m_defaults;
    QList<HBBlacklistedAppPtr> m_apps;
};
