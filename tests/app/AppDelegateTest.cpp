// SPDX-License-Identifier: GPL-3.0-or-later
#include "AppDelegate.h"
#include "HBNotificationCenter.h"
#include "HBNotifications.h"
#include "HBObjectContext.h"
#include "HBObjectStore.h"
#include "HBPaths.h"
#include "HBUserDefaults.h"
#include "NVCore.h"
#include "PasteboardItem.h"
#include "PasteboardType.h"
#include "PasteboardTypes.h"
#include "PropertyList.h"
#include "TestSupport.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <sqlite3.h>

namespace {

// Counts the items saved in the store file, read through a connection of its own.
int savedItemCount()
{
    sqlite3 *db = nullptr;
    int count = -1;
    if (sqlite3_open_v2(HBPaths::storeFile().toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt *statement = nullptr;
        if (sqlite3_prepare_v2(db, "SELECT COUNT(*) FROM PasteboardItem", -1, &statement, nullptr) == SQLITE_OK
            && sqlite3_step(statement) == SQLITE_ROW)
            count = sqlite3_column_int(statement, 0);
        sqlite3_finalize(statement);
    }
    sqlite3_close(db);
    return count;
}

class AppDelegateTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        delegate.setMessagePresenter([this](const QString &, const QString &text) { messages.append(text); });
    }

    AppDelegate delegate;
    QStringList messages;
};

} // namespace

TEST_F(AppDelegateTest, TwoFilesOpenedAtOnceMakeOneSavedItemBeforeItIsAnnounced)
{
    delegate.applicationDidFinishLaunching();
    EXPECT_TRUE(messages.isEmpty());
    const QString a = TestSupport::home() + QStringLiteral("/a.txt");
    const QString b = TestSupport::home() + QStringLiteral("/b.txt");

    int savedWhenAnnounced = -1;
    PasteboardItem *announced = nullptr;
    QObject::connect(HBNotificationCenter::defaultCenter(), &HBNotificationCenter::posted,
                     [&](const QString &name, QObject *object) {
                         if (name != HBNotifications::DidAddItem)
                             return;
                         announced = qobject_cast<PasteboardItem *>(object);
                         savedWhenAnnounced = savedItemCount();
                     });

    ASSERT_TRUE(delegate.openFiles({a, b}));
    ASSERT_NE(announced, nullptr);
    EXPECT_EQ(savedWhenAnnounced, 1);
    EXPECT_EQ(announced->title(), QStringLiteral("2 files"));
    EXPECT_EQ(announced->order(), 0);
    EXPECT_FALSE(announced->date().isValid());
    ASSERT_NE(announced->mainType(), nullptr);
    EXPECT_EQ(announced->mainType()->type(), PasteboardTypes::NSFilenamesPboardType);
    EXPECT_EQ(PropertyList::stringArray(announced->mainType()->data()), (QStringList{a, b}));
}

TEST_F(AppDelegateTest, AnEmptyListAddsNothing)
{
    delegate.applicationDidFinishLaunching();
    QSignalSpy posted(HBNotificationCenter::defaultCenter(), &HBNotificationCenter::posted);
    EXPECT_FALSE(delegate.openFiles({}));
    EXPECT_EQ(posted.count(), 0);
    EXPECT_EQ(HBObjectStore::shared()->defaultContext()->countItems(), 0);
}

TEST_F(AppDelegateTest, ABrokenStoreIsReportedOnceAndLeftAsItWas)
{
    const QByteArray garbage("this is not an SQLite database, but somebody's data all the same");
    ASSERT_TRUE(TestSupport::writeFile(HBPaths::storeFile(), garbage));

    delegate.applicationDidFinishLaunching();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_FALSE(messages.first().isEmpty());

    // Kelvora keeps working in memory meanwhile, and the file stays byte for byte the same.
    EXPECT_TRUE(delegate.openFiles({TestSupport::home() + QStringLiteral("/a.txt")}));
    EXPECT_EQ(HBObjectStore::shared()->defaultContext()->countItems(), 1);
    EXPECT_EQ(TestSupport::readFile(HBPaths::storeFile()), garbage);
}

TEST_F(AppDelegateTest, RunAtLoginFromTheWelcomeFrameworkTravelsBackThroughTheSetting)
{
    delegate.applicationDidFinishLaunching();
    EXPECT_TRUE(delegate.didShow());
    NVCore &core = NVCore::sharedInstance();
    EXPECT_FALSE(core.config().appRunsAtLogin);

    Q_EMIT core.didToggleRunAtLogin(true);
    EXPECT_TRUE(HBUserDefaults::standardUserDefaults().startAtLogin());
    EXPECT_TRUE(core.config().appRunsAtLogin);

    HBUserDefaults::standardUserDefaults().setStartAtLogin(false);
    EXPECT_FALSE(core.config().appRunsAtLogin);
}

TEST_F(AppDelegateTest, TheClipboardBecomesAnAnnouncedItem)
{
    delegate.applicationDidFinishLaunching();
    QSignalSpy posted(HBNotificationCenter::defaultCenter(), &HBNotificationCenter::posted);

    QGuiApplication::clipboard()->clear();
    EXPECT_FALSE(delegate.addFromPasteboard(QClipboard::Clipboard));
    EXPECT_EQ(HBObjectStore::shared()->defaultContext()->countItems(), 0);

    QGuiApplication::clipboard()->setText(QStringLiteral("  Hello\nworld  "));
    ASSERT_TRUE(delegate.addFromPasteboard(QClipboard::Clipboard));
    const QList<PasteboardItem *> items = HBObjectStore::shared()->defaultContext()->fetchItems();
    ASSERT_EQ(items.size(), 1);
    EXPECT_EQ(items.first()->title(), QStringLiteral("Helloworld"));
    EXPECT_TRUE(std::any_of(posted.cbegin(), posted.cend(), [&](const QList<QVariant> &arguments) {
        return arguments.at(0).toString() == HBNotifications::DidAddItem
            && arguments.at(1).value<QObject *>() == items.first();
    }));
}
