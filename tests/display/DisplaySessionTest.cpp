// SPDX-License-Identifier: GPL-3.0-or-later
// The display group's own check: a real window on the X server, managed by a window
// manager that follows EWMH, is found by another X client (xdotool) by its title.
#include "TestSupport.h"

#include <QProcess>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

TEST(DisplaySession, RealWindowIsMappedAndManaged)
{
    ASSERT_TRUE(TestSupport::onDisplay());

    // An EWMH window manager announces itself on the root window.
    EXPECT_FALSE(TestSupport::runProgram(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")})
                     .contains(QLatin1String("not found")));

    QWidget window;
    window.setWindowTitle(QStringLiteral("Kelvora display check"));
    window.resize(200, 120);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    const QString found = TestSupport::runProgram(QStringLiteral("xdotool"),
                              {QStringLiteral("search"), QStringLiteral("--name"), QStringLiteral("Kelvora display check")});
    ASSERT_FALSE(found.isEmpty());
    bool ok = false;
    const qulonglong id = found.split(u'\n').first().toULongLong(&ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(id, window.winId());
}
