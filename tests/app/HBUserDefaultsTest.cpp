// SPDX-License-Identifier: GPL-3.0-or-later
// Each test runs in a process of its own with an empty settings folder, so a test that
// writes the file before the first use of the shared instance sees a "next start".
#include "HBPaths.h"
#include "HBUserDefaults.h"
#include "TestSupport.h"
#include "XdgAutostart.h"

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QSettings>

#include <gtest/gtest.h>

namespace {

QStringList g_log;

void captureLog(QtMsgType, const QMessageLogContext &, const QString &message)
{
    g_log.append(message);
}

struct LogCapture
{
    LogCapture() { g_log.clear(), m_previous = qInstallMessageHandler(captureLog); }
    ~LogCapture() { qInstallMessageHandler(m_previous); }
    QtMessageHandler m_previous = nullptr;
};

QSettings storedSettings()
{
    return QSettings(HBPaths::settingsFile(), QSettings::IniFormat);
}

const QString kHelperEntry = QStringLiteral("com.norvale.harbrookhelper");

} // namespace

TEST(HBUserDefaults, RegistersTwelveDefaultsInOrderWithTheirTypes)
{
    const auto defaults = HBUserDefaults::setupDefaults();
    QStringList keys;
    for (const auto &entry : defaults)
        keys.append(entry.first);
    EXPECT_EQ(keys, (QStringList{"hideAtStartup", "showIconInDock", "isEnabled", "showMenuIcon", "windowPosition",
                                 "draggingBehavior", "removeAfterDrag", "combineIntoStacks", "windowAlpha",
                                 "hotKeyEnabled", "dragOperation", "automaticallyShowWindow"}));

    auto &settings = HBUserDefaults::standardUserDefaults();
    EXPECT_FALSE(settings.hideAtStartup());
    EXPECT_FALSE(settings.showIconInDock());
    EXPECT_TRUE(settings.isEnabled());
    EXPECT_TRUE(settings.showMenuIcon());
    EXPECT_EQ(settings.windowPosition(), 1);
    EXPECT_EQ(settings.draggingBehavior(), 0);
    EXPECT_TRUE(settings.removeAfterDrag());
    EXPECT_TRUE(settings.combineIntoStacks());
    EXPECT_TRUE(settings.hotKeyEnabled());
    EXPECT_EQ(settings.dragOperation(), 0);
    EXPECT_TRUE(settings.automaticallyShowWindow());
    // Registered as a float, read back as exactly the double 1.0.
    EXPECT_EQ(settings.windowAlpha(), 1.0);
    // Unregistered keys read as their type's zero value.
    EXPECT_EQ(settings.windowHidingBehavior(), 0);
    EXPECT_FALSE(settings.disableAnimations());
    EXPECT_FALSE(settings.suppressRemoveAllAlert());
    EXPECT_FALSE(settings.automaticallyAddScreenshots());
    EXPECT_TRUE(settings.blacklistedApps().isEmpty());
}

TEST(HBUserDefaults, SettersStoreTypedValuesAndAnnounceOldAndNew)
{
    auto &settings = HBUserDefaults::standardUserDefaults();
    QList<std::tuple<QString, QVariant, QVariant>> seen;
    QObject::connect(&settings, &HBUserDefaults::changed,
                     [&](const QString &key, const QVariant &o, const QVariant &n) { seen.append({key, o, n}); });

    settings.setWindowPosition(4);
    settings.setWindowAlpha(0.25);
    settings.setRemoveAfterDrag(false);
    settings.setBlacklistedApps({QVariantMap{{"bundleIdentifier", "org.example.App"}}});

    ASSERT_EQ(seen.size(), 4);
    EXPECT_EQ(std::get<0>(seen[0]), "windowPosition");
    EXPECT_EQ(std::get<1>(seen[0]).toLongLong(), 1);
    EXPECT_EQ(std::get<2>(seen[0]).toLongLong(), 4);
    EXPECT_EQ(std::get<1>(seen[1]).toDouble(), 1.0);
    EXPECT_EQ(std::get<2>(seen[1]).toDouble(), 0.25);
    EXPECT_TRUE(std::get<1>(seen[2]).toBool());
    EXPECT_FALSE(std::get<2>(seen[2]).toBool());

    settings.synchronize();
    QSettings file = storedSettings();
    EXPECT_EQ(file.value("windowPosition").toLongLong(), 4);
    EXPECT_EQ(file.value("windowAlpha").toDouble(), 0.25);
    EXPECT_FALSE(file.value("removeAfterDrag").toBool());
    EXPECT_EQ(settings.blacklistedApps().size(), 1);

    // Setting nothing removes the key; reading it then gives no list.
    settings.setBlacklistedApps({});
    settings.synchronize();
    EXPECT_FALSE(storedSettings().contains("blacklistedApps"));
    EXPECT_TRUE(settings.blacklistedApps().isEmpty());
}

TEST(HBUserDefaults, ObserveFiltersByKey)
{
    auto &settings = HBUserDefaults::standardUserDefaults();
    QObject context;
    int calls = 0;
    settings.observe(HBSettingsKeys::windowAlpha, &context, [&](const QVariant &, const QVariant &n) {
        ++calls;
        EXPECT_EQ(n.toDouble(), 0.5);
    });
    settings.setWindowPosition(2);
    settings.setWindowAlpha(0.5);
    EXPECT_EQ(calls, 1);
}

TEST(HBUserDefaults, FreshUserHasNoHotKeyAndItIsWrittenBackAsZero)
{
    auto &settings = HBUserDefaults::standardUserDefaults();
    EXPECT_TRUE(settings.hotKeyCombo().isEmpty());
    QSettings file = storedSettings();
    ASSERT_TRUE(file.contains("hotKeyCode"));
    ASSERT_TRUE(file.contains("hotKeyModifier"));
    EXPECT_EQ(file.value("hotKeyCode").toLongLong(), 0);
    EXPECT_EQ(file.value("hotKeyModifier").toLongLong(), 0);

    settings.setHotKeyCombo({HBKeyCombo::CommandFlag | HBKeyCombo::ShiftFlag, 49});
    QSettings after = storedSettings();
    EXPECT_EQ(after.value("hotKeyCode").toLongLong(), 49);
    EXPECT_EQ(after.value("hotKeyModifier").toULongLong(), HBKeyCombo::CommandFlag | HBKeyCombo::ShiftFlag);
}

TEST(HBUserDefaults, StoredHotKeyIsReadAtStart)
{
    {
        QSettings file = storedSettings();
        file.setValue("hotKeyCode", 40);
        file.setValue("hotKeyModifier", qint64(HBKeyCombo::ControlFlag));
    }
    const HBKeyCombo combo = HBUserDefaults::standardUserDefaults().hotKeyCombo();
    EXPECT_EQ(combo.keyCode, 40);
    EXPECT_EQ(combo.modifierFlags, HBKeyCombo::ControlFlag);
}

TEST(HBUserDefaults, StartAtLoginWritesAndRemovesTheAutostartEntryOnlyOnChange)
{
    auto &settings = HBUserDefaults::standardUserDefaults();
    const QString entry = XdgAutostart::entryPath(kHelperEntry);
    ASSERT_FALSE(QFile::exists(entry));

    LogCapture log;
    settings.setStartAtLogin(false); // unchanged: nothing at all
    EXPECT_TRUE(g_log.isEmpty());
    EXPECT_FALSE(QFile::exists(entry));

    settings.setStartAtLogin(true);
    EXPECT_TRUE(QFile::exists(entry));
    EXPECT_EQ(g_log, QStringList{"DEBUG: Added com.norvale.harbrookhelper"});
    const QByteArray desktop = TestSupport::readFile(entry);
    EXPECT_TRUE(desktop.startsWith("[Desktop Entry]\n"));
    EXPECT_TRUE(desktop.contains("\nExec="));

    g_log.clear();
    settings.setStartAtLogin(true);
    EXPECT_TRUE(g_log.isEmpty());

    settings.setStartAtLogin(false);
    EXPECT_FALSE(QFile::exists(entry));
    EXPECT_EQ(g_log, QStringList{"DEBUG: Removed com.norvale.harbrookhelper"});
    settings.synchronize();
    EXPECT_FALSE(storedSettings().value("startAtLogin").toBool());
}

TEST(HBUserDefaults, StoredStartAtLoginRestoresTheEntryAtEveryStart)
{
    storedSettings().setValue("startAtLogin", true);
    LogCapture log;
    EXPECT_TRUE(HBUserDefaults::standardUserDefaults().startAtLogin());
    EXPECT_TRUE(QFile::exists(XdgAutostart::entryPath(kHelperEntry)));
    EXPECT_EQ(g_log, QStringList{"DEBUG: Added com.norvale.harbrookhelper"});
}

TEST(HBUserDefaults, AutostartFailureIsLoggedAndTheChoiceKept)
{
    // A plain file where the autostart folder should be makes the entry unwritable.
    ASSERT_TRUE(TestSupport::writeFile(HBPaths::autostartDirectory(), "not a folder"));
    LogCapture log;
    auto &settings = HBUserDefaults::standardUserDefaults();
    settings.setStartAtLogin(true);
    EXPECT_TRUE(settings.startAtLogin());
    EXPECT_EQ(g_log, QStringList{"DEBUG: Could not add com.norvale.harbrookhelper to the login items"});
}

TEST(HBUserDefaults, WindowColorFallsBackToTheDefault)
{
    storedSettings().setValue("windowColor", QByteArray("garbage that is no colour"));
    auto &settings = HBUserDefaults::standardUserDefaults();
    const QColor fallback = settings.windowColor();
    EXPECT_NEAR(fallback.redF(), 0.1647, 1e-4);
    EXPECT_NEAR(fallback.greenF(), 0.1843, 1e-4);
    EXPECT_NEAR(fallback.blueF(), 0.2667, 1e-4);
    EXPECT_EQ(fallback.alphaF(), 1.0);
    // Nothing is written back for the fallback.
    EXPECT_EQ(storedSettings().value("windowColor").toByteArray(), QByteArray("garbage that is no colour"));

    settings.setWindowColor(QColor(10, 200, 30));
    EXPECT_EQ(settings.windowColor(), QColor(10, 200, 30));
    settings.setWindowColor(QColor()); // clears only the value in memory
    EXPECT_EQ(settings.windowColor(), HBUserDefaults::defaultWindowColor());
    EXPECT_FALSE(storedSettings().value("windowColor").toByteArray().isEmpty());
}

TEST(HBUserDefaults, StoredWindowColorIsReadAtStart)
{
    {
        // Written by a first run, then read by a second one (this test's shared instance).
        QByteArray data;
        QDataStream out(&data, QIODevice::WriteOnly);
        out.setVersion(QDataStream::Qt_6_4);
        out << QColor::fromRgbF(1.0f, 0.5f, 0.0f, 0.75f);
        storedSettings().setValue("windowColor", data);
    }
    const QColor color = HBUserDefaults::standardUserDefaults().windowColor();
    EXPECT_EQ(color, QColor::fromRgbF(1.0f, 0.5f, 0.0f, 0.75f));
}

TEST(HBUserDefaults, DesktopURLFollowsABookmarkedFolder)
{
    auto &settings = HBUserDefaults::standardUserDefaults();
    EXPECT_TRUE(settings.desktopURL().isEmpty());
    const QString folder = TestSupport::home() + QStringLiteral("/Desktop");
    QDir().mkpath(folder);
    settings.setDesktopURL(QUrl::fromLocalFile(folder));
    EXPECT_FALSE(storedSettings().value("desktopBookmarkData").toByteArray().isEmpty());
    EXPECT_EQ(settings.desktopURL(), QUrl::fromLocalFile(folder));
}
