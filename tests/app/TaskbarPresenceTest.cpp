// SPDX-License-Identifier: GPL-3.0-or-later
// showIconInDock decides, at run time, whether Kelvora's normal windows are listed in the
// task bar: the window manager reads _NET_WM_STATE_SKIP_TASKBAR from the window.
#include "AppDelegate.h"
#include "HBUserDefaults.h"
#include "TestSupport.h"

#include <QProcess>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

bool skipsTaskbar(const QWidget &window)
{
    QProcess xprop;
    xprop.start(QStringLiteral("xprop"),
                {QStringLiteral("-id"), QString::number(window.winId()), QStringLiteral("_NET_WM_STATE")});
    xprop.waitForFinished(5000);
    return xprop.readAllStandardOutput().contains("_NET_WM_STATE_SKIP_TASKBAR");
}

} // namespace

TEST(TaskbarPresence, FollowsTheSettingWhileRunning)
{
    ASSERT_TRUE(TestSupport::onDisplay());
    AppDelegate delegate;
    delegate.setMessagePresenter([](const QString &, const QString &) {});
    delegate.applicationDidFinishLaunching();

    QWidget window;
    window.setWindowTitle(QStringLiteral("Kelvora task bar check"));
    window.resize(240, 120);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_TRUE(TestSupport::waitUntil([&] { return skipsTaskbar(window); }));

    HBUserDefaults::standardUserDefaults().setShowIconInDock(true);
    EXPECT_TRUE(TestSupport::waitUntil([&] { return !skipsTaskbar(window); }));

    HBUserDefaults::standardUserDefaults().setShowIconInDock(false);
    EXPECT_TRUE(TestSupport::waitUntil([&] { return skipsTaskbar(window); }));
}
