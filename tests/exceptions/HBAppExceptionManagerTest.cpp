// SPDX-License-Identifier: GPL-3.0-or-later
#include "HBAppExceptionManager.h"
#include "HBPaths.h"
#include "HBUserDefaults.h"
#include "HBWorkspace.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QSettings>

#include <gtest/gtest.h>

namespace {

using Showing = HBAppExceptionManager::AutomaticShowing;

QImage picture(Qt::GlobalColor color, int side = 16)
{
    QImage image(side, side, QImage::Format_ARGB32);
    image.fill(color);
    return image;
}

QStringList bundles(const QList<HBBlacklistedAppPtr> &apps)
{
    QStringList result;
    for (const HBBlacklistedAppPtr &app : apps)
        result << app->bundle();
    return result;
}

QStringList storedBundles()
{
    QStringList result;
    for (const QVariant &record : HBUserDefaults::standardUserDefaults().blacklistedApps())
        result << record.toMap().value(QStringLiteral("bundle")).toString();
    return result;
}

QString iconFile(const char *bundle)
{
    return HBPaths::appIconsDirectory() + u'/' + QLatin1String(bundle) + QStringLiteral(".png");
}

class AppExceptionManagerTest : public ::testing::Test
{
protected:
    HBUserDefaults &defaults = HBUserDefaults::standardUserDefaults();

    /// Adds entries through a manager, as the add-exception sheet does.
    static void add(HBAppExceptionManager &manager, const QStringList &bundleIds)
    {
        for (const QString &bundle : bundleIds)
            manager.addBlackListedApp(
                HBBlacklistedApp::appWithName(bundle.toUpper(), bundle, picture(Qt::red)));
    }
};

TEST_F(AppExceptionManagerTest, NoSettingGivesAnEmptyListThatBlocksNothing)
{
    HBAppExceptionManager &manager = HBAppExceptionManager::sharedManager();
    EXPECT_TRUE(manager.apps().isEmpty());
    for (const QString &bundle :
        QStringList{QStringLiteral("org.example.App"), QString(), HBWorkspace::ownBundleIdentifier()}) {
        EXPECT_FALSE(manager.appIsBlacklistedWithBundle(bundle));
        for (const qint64 behavior : {0, 1}) {
            defaults.setWindowHidingBehavior(behavior);
            EXPECT_TRUE(manager.allowsAutomaticShowing(bundle)) << qPrintable(bundle) << " " << behavior;
        }
    }
}

TEST_F(AppExceptionManagerTest, AddingWritesOneIconAndOneRecord)
{
    // An icon left from an earlier entry of the same application is replaced.
    ASSERT_TRUE(picture(Qt::blue, 4).save(iconFile("org.example.Editor")));

    HBAppExceptionManager manager(defaults);
    int changes = 0;
    QObject::connect(&manager, &HBAppExceptionManager::appsChanged, [&] { ++changes; });
    const HBBlacklistedAppPtr editor = HBBlacklistedApp::appWithName(
        QStringLiteral("Editor"), QStringLiteral("org.example.Editor"), picture(Qt::red));
    EXPECT_EQ(editor->iconPath(), iconFile("org.example.Editor"));
    manager.addBlackListedApp(editor);

    const QImage written(iconFile("org.example.Editor"));
    EXPECT_EQ(written.size(), QSize(16, 16));
    EXPECT_EQ(written.pixelColor(3, 3), QColor(Qt::red));
    EXPECT_EQ(QDir(HBPaths::appIconsDirectory()).entryList(QDir::Files).size(), 1);

    const QVariantList records = defaults.blacklistedApps();
    ASSERT_EQ(records.size(), 1);
    const QVariantMap expected{{QStringLiteral("name"), QStringLiteral("Editor")},
        {QStringLiteral("bundle"), QStringLiteral("org.example.Editor")},
        {QStringLiteral("iconPath"), iconFile("org.example.Editor")}};
    EXPECT_EQ(records.first().toMap(), expected);
    EXPECT_EQ(manager.apps(), QList<HBBlacklistedAppPtr>{editor});
    EXPECT_EQ(changes, 1);

    add(manager, {QStringLiteral("org.example.Viewer")});
    EXPECT_EQ(storedBundles(),
        QStringList({QStringLiteral("org.example.Editor"), QStringLiteral("org.example.Viewer")}));
}

TEST_F(AppExceptionManagerTest, RemovingKeepsOrderAndDeletesIcons)
{
    HBAppExceptionManager manager(defaults);
    add(manager,
        {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d"),
            QStringLiteral("e")});
    const QList<HBBlacklistedAppPtr> before = manager.apps();

    // Out-of-range and repeated indexes are ignored.
    manager.removeAppsAtIndexes({3, 1, 1, 17, -1});
    const QStringList remaining{QStringLiteral("a"), QStringLiteral("c"), QStringLiteral("e")};
    EXPECT_EQ(bundles(manager.apps()), remaining);
    EXPECT_EQ(storedBundles(), remaining);
    for (const char *gone : {"b", "d"})
        EXPECT_FALSE(QFile::exists(iconFile(gone))) << gone;
    for (const char *kept : {"a", "c", "e"})
        EXPECT_TRUE(QFile::exists(iconFile(kept))) << kept;
    // A list taken earlier is a snapshot.
    EXPECT_EQ(before.size(), 5);

    // By identity: an equal entry that is not on the list removes nothing.
    manager.removeBlackListedApp(
        HBBlacklistedApp::appWithDictionary(manager.apps().at(1)->dictionaryValue()));
    EXPECT_EQ(bundles(manager.apps()), remaining);
    manager.removeBlackListedApp(manager.apps().at(1));
    EXPECT_EQ(bundles(manager.apps()), QStringList({QStringLiteral("a"), QStringLiteral("e")}));
    EXPECT_EQ(storedBundles(), QStringList({QStringLiteral("a"), QStringLiteral("e")}));
    EXPECT_FALSE(QFile::exists(iconFile("c")));

    // Removing the last entries removes the setting.
    manager.removeAppsAtIndexes({0, 1});
    EXPECT_TRUE(manager.apps().isEmpty());
    EXPECT_FALSE(
        QSettings(HBPaths::settingsFile(), QSettings::IniFormat).contains(QStringLiteral("blacklistedApps")));
}

TEST_F(AppExceptionManagerTest, LookupIsExactAndCaseSensitive)
{
    HBAppExceptionManager manager(defaults);
    add(manager, {QStringLiteral("org.example.Mail"), QStringLiteral("org.example.Mail")});
    const struct
    {
        const char *bundle;
        bool listed;
    } rows[] = {
        {"org.example.Mail", true},
        {"org.example.mail", false},
        {"ORG.EXAMPLE.MAIL", false},
        {"org.example.Mail ", false},
        {"org.example", false},
        {"", false},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.bundle);
        const HBBlacklistedAppPtr found = manager.blacklistedAppWithBundle(QString::fromUtf8(row.bundle));
        EXPECT_EQ(found != nullptr, row.listed);
        EXPECT_EQ(manager.appIsBlacklistedWithBundle(QString::fromUtf8(row.bundle)), row.listed);
        // The first of two equal entries.
        if (found) {
            EXPECT_EQ(found, manager.apps().first());
        }
    }
}

TEST_F(AppExceptionManagerTest, RestartReadsTheSameEntriesAndIcons)
{
    {
        HBAppExceptionManager first(defaults);
        first.addBlackListedApp(HBBlacklistedApp::appWithName(
            QStringLiteral("Mail"), QStringLiteral("org.example.Mail"), picture(Qt::red)));
        first.addBlackListedApp(HBBlacklistedApp::appWithName(
            QStringLiteral("Notes"), QStringLiteral("org.example.Notes"), picture(Qt::blue)));
        first.addBlackListedApp(HBBlacklistedApp::appWithName(
            QStringLiteral("Gone"), QStringLiteral("org.example.Gone"), picture(Qt::green)));
        defaults.synchronize();
    }
    // What a new process would read: the file parsed afresh (a copy, since QSettings shares
    // one parsed cache per path within a process).
    const QString copy = TestSupport::home() + QStringLiteral("/copy.conf");
    ASSERT_TRUE(QFile::copy(HBPaths::settingsFile(), copy));
    EXPECT_EQ(QSettings(copy, QSettings::IniFormat).value(QStringLiteral("blacklistedApps")).toList(),
        defaults.blacklistedApps());
    EXPECT_EQ(defaults.blacklistedApps().size(), 3);

    // An icon file lost since: the entry stays listed and found, without a picture.
    ASSERT_TRUE(QFile::remove(iconFile("org.example.Gone")));

    HBAppExceptionManager second(defaults);
    const QList<HBBlacklistedAppPtr> apps = second.apps();
    ASSERT_EQ(apps.size(), 3);
    EXPECT_EQ(apps.at(0)->name(), QStringLiteral("Mail"));
    EXPECT_EQ(apps.at(0)->icon().pixelColor(0, 0), QColor(Qt::red));
    EXPECT_EQ(apps.at(1)->name(), QStringLiteral("Notes"));
    EXPECT_EQ(apps.at(1)->icon().pixelColor(0, 0), QColor(Qt::blue));
    EXPECT_EQ(apps.at(1)->iconPath(), iconFile("org.example.Notes"));
    EXPECT_TRUE(apps.at(2)->icon().isNull());
    EXPECT_TRUE(second.appIsBlacklistedWithBundle(QStringLiteral("org.example.Gone")));
}

TEST_F(AppExceptionManagerTest, IncompleteRecordsAreKeptAndWrittenBackWithEmptyValues)
{
    const QString keptIcon = iconFile("org.example.Full");
    ASSERT_TRUE(picture(Qt::red).save(keptIcon));
    defaults.setBlacklistedApps({
        QVariantMap{{QStringLiteral("name"), QStringLiteral("Full")},
            {QStringLiteral("bundle"), QStringLiteral("org.example.Full")},
            {QStringLiteral("iconPath"), keptIcon}},
        QVariantMap{{QStringLiteral("name"), QStringLiteral("No identifier")}},
        QStringLiteral("not a record"),
        QVariantMap{{QStringLiteral("bundle"), QStringLiteral("org.example.NoName")},
            {QStringLiteral("iconPath"), QVariantList{1, 2}}},
    });

    HBAppExceptionManager manager(defaults);
    ASSERT_EQ(manager.apps().size(), 4);
    EXPECT_EQ(manager.apps().at(1)->name(), QStringLiteral("No identifier"));
    EXPECT_TRUE(manager.apps().at(1)->bundle().isEmpty());
    EXPECT_TRUE(manager.appIsBlacklistedWithBundle(QStringLiteral("org.example.NoName")));
    // A record without an identifier matches nothing, not even an empty identifier.
    EXPECT_FALSE(manager.appIsBlacklistedWithBundle(QString()));

    // Rebuilding the stored list writes every record whole.
    manager.removeAppsAtIndexes({0});
    const QString empty = QStringLiteral("");
    const QVariantList expected{
        QVariantMap{{QStringLiteral("name"), QStringLiteral("No identifier")},
            {QStringLiteral("bundle"), empty}, {QStringLiteral("iconPath"), empty}},
        QVariantMap{{QStringLiteral("name"), empty}, {QStringLiteral("bundle"), empty},
            {QStringLiteral("iconPath"), empty}},
        QVariantMap{{QStringLiteral("name"), empty},
            {QStringLiteral("bundle"), QStringLiteral("org.example.NoName")},
            {QStringLiteral("iconPath"), empty}},
    };
    EXPECT_EQ(defaults.blacklistedApps(), expected);
    EXPECT_FALSE(QFile::exists(keptIcon));
    EXPECT_EQ(bundles(HBAppExceptionManager(defaults).apps()),
        QStringList({QString(), QString(), QStringLiteral("org.example.NoName")}));
}

TEST_F(AppExceptionManagerTest, IconFilesStayInTheIconsFolder)
{
    // A file the settings point at from outside the icons folder is never deleted.
    const QString outside = TestSupport::home() + QStringLiteral("/precious.png");
    ASSERT_TRUE(TestSupport::writeFile(outside, "keep me"));
    defaults.setBlacklistedApps({QVariantMap{{QStringLiteral("name"), QStringLiteral("Edited")},
        {QStringLiteral("bundle"), QStringLiteral("org.example.Edited")},
        {QStringLiteral("iconPath"), outside}}});
    HBAppExceptionManager manager(defaults);
    manager.removeAppsAtIndexes({0});
    EXPECT_TRUE(QFile::exists(outside));

    // Identifiers come from other programs' windows; none may name a path outside.
    const struct
    {
        const char *bundle;
        const char *fileName;
    } rows[] = {
        {"org.example.Plain", "org.example.Plain.png"},
        {"../../precious", "%2E.%2F..%2Fprecious.png"},
        {"a/b", "a%2Fb.png"},
        {"a%2Fb", "a%252Fb.png"},
        {".hidden", "%2Ehidden.png"},
        {"", "%.png"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.bundle);
        const HBBlacklistedAppPtr app = HBBlacklistedApp::appWithName(
            QStringLiteral("X"), QString::fromUtf8(row.bundle), picture(Qt::red));
        EXPECT_EQ(app->iconPath(), HBPaths::appIconsDirectory() + u'/' + QString::fromUtf8(row.fileName));
        EXPECT_TRUE(QFile::exists(app->iconPath()));
    }
    EXPECT_EQ(TestSupport::readFile(outside), QByteArray("keep me"));

    // The same application listed twice shares one icon file: removing one entry keeps it.
    add(manager, {QStringLiteral("org.example.Twice"), QStringLiteral("org.example.Twice")});
    manager.removeAppsAtIndexes({0});
    EXPECT_TRUE(QFile::exists(iconFile("org.example.Twice")));
    EXPECT_FALSE(manager.apps().first()->icon().isNull());
}

TEST_F(AppExceptionManagerTest, AutomaticShowingFollowsTheHidingBehavior)
{
    HBAppExceptionManager manager(defaults);
    add(manager, {QStringLiteral("org.example.Listed")});
    const QString own = HBWorkspace::ownBundleIdentifier();
    const struct
    {
        const char *what;
        qint64 behavior;
        QString frontmost;
        Showing expected;
    } rows[] = {
        {"0, listed frontmost", 0, QStringLiteral("org.example.Listed"), Showing::Excluded},
        {"0, unlisted frontmost", 0, QStringLiteral("org.example.Other"), Showing::Allowed},
        {"0, Kelvora frontmost", 0, own, Showing::OwnApplicationFrontmost},
        {"0, nothing frontmost", 0, QString(), Showing::Allowed},
        {"1, listed frontmost", 1, QStringLiteral("org.example.Listed"), Showing::Allowed},
        {"1, unlisted frontmost", 1, QStringLiteral("org.example.Other"), Showing::Excluded},
        {"1, Kelvora frontmost", 1, own, Showing::OwnApplicationFrontmost},
        {"1, nothing frontmost", 1, QString(), Showing::Excluded},
        {"other values act as 0: listed", 7, QStringLiteral("org.example.Listed"), Showing::Excluded},
        {"other values act as 0: unlisted", -1, QStringLiteral("org.example.Other"), Showing::Allowed},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        defaults.setWindowHidingBehavior(row.behavior);
        EXPECT_EQ(manager.automaticShowing(row.frontmost), row.expected);
        EXPECT_EQ(manager.allowsAutomaticShowing(row.frontmost), row.expected == Showing::Allowed);
    }
}

} // namespace
