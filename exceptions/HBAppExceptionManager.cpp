// SPDX-License-Identifier: GPL-3.0-or-later
#include "HBAppExceptionManager.h"

#include "HBPaths.h"
#include "HBUserDefaults.h"
#include "HBWorkspace.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtDebug>

#include <algorithm>

namespace {

// Icon paths come from the settings file, which anyone can edit: only files inside the
// icons folder are ever deleted.
bool isInIconsFolder(const QString &path)
{
    if (path.isEmpty())
        return false;
    const QString folder = QFileInfo(HBPaths::appIconsDirectory()).canonicalFilePath();
    const QString parent = QFileInfo(QFileInfo(path).absolutePath()).canonicalFilePath();
    return !folder.isEmpty() && parent == folder;
}

} // namespace

HBAppExceptionManager &HBAppExceptionManager::sharedManager()
{
    // C++ guarantees that concurrent first calls wait for the one construction.
    static HBAppExceptionManager manager(HBUserDefaults::standardUserDefaults());
    return manager;
}

HBAppExceptionManager::HBAppExceptionManager(HBUserDefaults &defaults, QObject *parent)
    : QObject(parent)
    , m_defaults(defaults)
{
    const QVariantList records = m_defaults.blacklistedApps();
    QList<HBBlacklistedAppPtr> apps;
    apps.reserve(records.size());
    for (const QVariant &record : records) {
        // Kept even when it is no dictionary: entries and records must stay index for
        // index, since the window-behaviour pane removes entries by index.
        if (!record.canConvert<QVariantMap>())
            qWarning() << "DEBUG: exception list record is no dictionary:" << record;
        apps.append(HBBlacklistedApp::appWithDictionary(record));
    }
    m_apps = apps;
}

HBAppExceptionManager::~HBAppExceptionManager() = default;

void HBAppExceptionManager::setApps(const QList<HBBlacklistedAppPtr> &apps)
{
    m_apps = apps;
    Q_EMIT appsChanged();
}

void HBAppExceptionManager::addBlackListedApp(const HBBlacklistedAppPtr &app)
{
    if (!app)
        return;
    QList<HBBlacklistedAppPtr> apps = m_apps;
    apps.append(app);
    QVariantList records = m_defaults.blacklistedApps();
    records.append(app->dictionaryValue());
    m_defaults.setBlacklistedApps(records);
    setApps(apps);
}

void HBAppExceptionManager::removeAppsAtIndexes(const QList<int> &indexes)
{
    QList<HBBlacklistedAppPtr> removed;
    for (qsizetype i = 0; i < m_apps.size(); ++i) {
        if (indexes.contains(int(i)))
            removed.append(m_apps.at(i));
    }
    removeApps(removed);
}

void HBAppExceptionManager::removeBlackListedApp(const HBBlacklistedAppPtr &app)
{
    if (app && m_apps.contains(app))
        removeApps({app});
}

void HBAppExceptionManager::removeApps(const QList<HBBlacklistedAppPtr> &removed)
{
    if (removed.isEmpty())
        return;
    QList<HBBlacklistedAppPtr> remaining;
    QVariantList records;
    for (const HBBlacklistedAppPtr &app : std::as_const(m_apps)) {
        if (removed.contains(app))
            continue;
        remaining.append(app);
        records.append(app->dictionaryValue());
    }
    m_defaults.setBlacklistedApps(records);
    setApps(remaining);

    for (const HBBlacklistedAppPtr &app : removed) {
        const QString path = app->iconPath();
        // An icon that a remaining entry still shows (the same application listed twice)
        // stays.
        const bool stillShown = std::any_of(remaining.cbegin(), remaining.cend(),
            [&](const HBBlacklistedAppPtr &other) { return other->iconPath() == path; });
        if (!stillShown && isInIconsFolder(path))
            QFile::remove(path);
    }
}

HBBlacklistedAppPtr HBAppExceptionManager::blacklistedAppWithBundle(const QString &bundle) const
{
    if (bundle.isEmpty())
        return nullptr;
    for (const HBBlacklistedAppPtr &app : m_apps) {
        if (app->bundle() == bundle)
            return app;
    }
    return nullptr;
}

HBAppExceptionManager::AutomaticShowing HBAppExceptionManager::automaticShowing(
    const QString &frontmostBundleIdentifier) const
{
    if (m_apps.isEmpty())
        return AutomaticShowing::Allowed;
    if (frontmostBundleIdentifier == HBWorkspace::ownBundleIdentifier())
        return AutomaticShowing::OwnApplicationFrontmost;
    const bool listed = appIsBlacklistedWithBundle(frontmostBundleIdentifier);
    const bool onlyListedShow = m_defaults.windowHidingBehavior() == 1;
    return listed == onlyListedShow ? AutomaticShowing::Allowed : AutomaticShowing::Excluded;
}
