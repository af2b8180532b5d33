// SPDX-License-Identifier: GPL-3.0-or-later
// A second `kelvora` hands its files to the one that holds the bus name: this test plays
// the running instance with HBDBusService and starts the real program as the second one.
#include "HBDBusClient.h"
#include "HBDBusService.h"
#include "HBObjectContext.h"
#include "HBObjectStore.h"
#include "PasteboardItem.h"
#include "TestSupport.h"

#include <QDir>
#include <QProcess>

#include <gtest/gtest.h>

namespace {

struct ProcessRun
{
    int exitCode = -1;
    QString standardError;
};

// The second instance blocks on its D-Bus call, so this process must keep serving the
// bus while it waits: QProcess::waitForFinished would deadlock.
ProcessRun runKelvora(const QStringList &arguments)
{
    QProcess process;
    process.setWorkingDirectory(TestSupport::home());
    process.start(TestSupport::builtProgram(QStringLiteral("kelvora")), arguments);
    ProcessRun run;
    if (!process.waitForStarted(5000))
        return run;
    if (!TestSupport::waitUntil([&] { return process.state() == QProcess::NotRunning; }, std::chrono::seconds(30)))
        return run;
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.standardError = QString::fromLocal8Bit(process.readAllStandardError());
    return run;
}

class SingleInstance : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!TestSupport::startPrivateSessionBus())
            GTEST_SKIP() << "dbus-daemon is not available";
        HBDBusService::Handlers handlers;
        handlers.addFiles = [this](const QStringList &paths) {
            received.append(paths);
            return accept;
        };
        service = std::make_unique<HBDBusService>(std::move(handlers));
        ASSERT_TRUE(service->registerOnSessionBus());
        ASSERT_TRUE(TestSupport::writeFile(TestSupport::home() + QStringLiteral("/a.txt"), "a"));
        ASSERT_TRUE(TestSupport::writeFile(TestSupport::home() + QStringLiteral("/b c.txt"), "b"));
    }

    std::unique_ptr<HBDBusService> service;
    QList<QStringList> received;
    bool accept = true;
};

} // namespace

TEST_F(SingleInstance, SecondLaunchHandsAbsolutePathsToTheRunningOne)
{
    const ProcessRun run = runKelvora({QStringLiteral("a.txt"), QStringLiteral("b c.txt")});
    EXPECT_EQ(run.exitCode, 0) << qPrintable(run.standardError);
    ASSERT_EQ(received.size(), 1);
    EXPECT_EQ(received.first(), (QStringList{TestSupport::home() + QStringLiteral("/a.txt"),
                                             TestSupport::home() + QStringLiteral("/b c.txt")}));
}

TEST_F(SingleInstance, RefusalExitsWithStatusOneAndTheMessage)
{
    accept = false;
    const ProcessRun run = runKelvora({QStringLiteral("a.txt")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.standardError.contains(QLatin1String("Could not add file"))) << qPrintable(run.standardError);
}

TEST_F(SingleInstance, MissingFilesAreReportedAndNeverSent)
{
    ProcessRun run = runKelvora({QStringLiteral("nowhere.txt")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.standardError.contains(QLatin1String("nowhere.txt")));
    EXPECT_TRUE(received.isEmpty());

    // Existing files still go when some are missing.
    run = runKelvora({QStringLiteral("nowhere.txt"), QStringLiteral("a.txt")});
    EXPECT_EQ(run.exitCode, 0);
    ASSERT_EQ(received.size(), 1);
    EXPECT_EQ(received.first(), QStringList{TestSupport::home() + QStringLiteral("/a.txt")});
}

TEST_F(SingleInstance, TheNameIsHeldByOneInstanceOnly)
{
    EXPECT_TRUE(HBDBusClient::instanceIsRunning());
    HBDBusService other(HBDBusService::Handlers{});
    EXPECT_FALSE(other.registerOnSessionBus());
}

// The whole road with real processes: a running Kelvora, and a second launch with two
// files, which become one stored item.
TEST(SingleInstanceProcesses, FilesFromASecondLaunchBecomeOneStoredItem)
{
    if (!TestSupport::startPrivateSessionBus())
        GTEST_SKIP() << "dbus-daemon is not available";
    ASSERT_TRUE(TestSupport::writeFile(TestSupport::home() + QStringLiteral("/a.txt"), "a"));
    ASSERT_TRUE(TestSupport::writeFile(TestSupport::home() + QStringLiteral("/b.txt"), "b"));

    QProcess first;
    first.start(TestSupport::builtProgram(QStringLiteral("kelvora")), {});
    ASSERT_TRUE(first.waitForStarted(5000));
    ASSERT_TRUE(TestSupport::waitUntil([] { return HBDBusClient::instanceIsRunning(); }, std::chrono::seconds(20)));

    const ProcessRun second = runKelvora({QStringLiteral("a.txt"), QStringLiteral("b.txt")});
    EXPECT_EQ(second.exitCode, 0) << qPrintable(second.standardError);
    first.terminate();
    ASSERT_TRUE(first.waitForFinished(10000));

    HBObjectStore store;
    ASSERT_TRUE(store.setup());
    const QList<PasteboardItem *> items = store.defaultContext()->fetchItems();
    ASSERT_EQ(items.size(), 1);
    EXPECT_EQ(items.first()->title(), QStringLiteral("2 files"));
}
