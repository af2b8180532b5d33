// SPDX-License-Identifier: GPL-3.0-or-later
// The shelf's panel on a real X server with an EWMH window manager: it floats above a
// normal window without taking the focus from it, sits on every workspace, stays out of
// the task bar, and has the geometry it was given. Content-size changes are checked on a
// decorated window. With KELVORA_SHOTS_DIR set, screenshots of the panel are written there.
#include "HBPanel.h"
#include "NSWindowHelpers.h"
#include "NVView.h"
#include "YKSwitchView.h"

#include "TestSupport.h"

#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

QString run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(10000))
        return {};
    return QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
}

QString xprop(WId window, const char *property)
{
    return run(QStringLiteral("xprop"),
        {QStringLiteral("-id"), QString::number(window), QString::fromLatin1(property)});
}

WId activeWindow()
{
    return run(QStringLiteral("xdotool"), {QStringLiteral("getactivewindow")}).toULongLong();
}

// Window ids in _NET_CLIENT_LIST_STACKING, bottom to top.
QList<WId> stacking()
{
    const QString line = run(
        QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("_NET_CLIENT_LIST_STACKING")});
    QList<WId> ids;
    const qsizetype hash = line.indexOf(u'#');
    if (hash < 0)
        return ids;
    for (const QString &part : line.mid(hash + 1).split(u',', Qt::SkipEmptyParts))
        ids.append(part.trimmed().toULongLong(nullptr, 16));
    return ids;
}

// The client area's position and size as the X server has them (xwininfo's absolute
// upper-left corner, width and height).
QRect xGeometry(WId window)
{
    const QString text = run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), QString::number(window)});
    const auto field = [&](const char *name) {
        for (const QString &line : text.split(u'\n')) {
            const QString trimmed = line.trimmed();
            if (trimmed.startsWith(QLatin1String(name)))
                return trimmed.section(u':', 1).trimmed().toInt();
        }
        return -1;
    };
    return {field("Absolute upper-left X"), field("Absolute upper-left Y"), field("Width"), field("Height")};
}

struct Shelf
{
    HBPanel panel;
    NVView *background = nullptr;
    YKSwitchView *toggle = nullptr;

    Shelf()
    {
        auto *content = new NVView;
        content->setObjectName(QStringLiteral("actualContentView"));
        content->setBackgroundColor(QColor(38, 44, 56));
        content->setCornerRadius(14);
        content->setBorderColor(QColor(255, 255, 255, 60));
        content->setBorderWidth(1);
        panel.setActualContentView(content);
        auto *title = new QLabel(content);
        title->setStyleSheet(QStringLiteral("color: white; font-weight: bold"));
        title->setGeometry(16, 10, 280, 24);
        panel.setActualTitleLabel(title);
        panel.setTitle(QStringLiteral("Kelvora Shelf"));
        background = content;

        auto *card = new NVView(content);
        card->setGeometry(16, 44, 288, 70);
        card->setBackgroundColor(QColor(255, 255, 255, 40));
        card->setCornerRadius(10);
        auto *label = new QLabel(QStringLiteral("Remove after dragging"), card);
        label->setStyleSheet(QStringLiteral("color: white"));
        label->setGeometry(12, 22, 190, 24);
        toggle = new YKSwitchView(card);
        toggle->move(222, 20);
        panel.setGeometry(600, 200, 320, 140);
    }
};

QColor screenColour(const QPoint &global)
{
    return QGuiApplication::primaryScreen()
        ->grabWindow(0, global.x(), global.y(), 1, 1)
        .toImage()
        .pixelColor(0, 0);
}

void saveShot(const QString &name)
{
    const QString dir = qEnvironmentVariable("KELVORA_SHOTS_DIR");
    if (dir.isEmpty())
        return;
    QDir().mkpath(dir);
    QGuiApplication::primaryScreen()->grabWindow(0, 520, 120, 480, 300).save(dir + u'/' + name);
}

} // namespace

TEST(HBPanelOnX, FloatsOnEveryWorkspaceWithoutTakingTheFocus)
{
    ASSERT_TRUE(TestSupport::onDisplay());

    QWidget normal;
    normal.setWindowTitle(QStringLiteral("Kelvora normal window"));
    normal.setStyleSheet(QStringLiteral("background: #d8dde6"));
    normal.setGeometry(450, 150, 640, 420);
    normal.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&normal));
    normal.activateWindow();
    ASSERT_TRUE(TestSupport::waitUntil([&] { return activeWindow() == normal.winId(); }));

    Shelf shelf;
    shelf.panel.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&shelf.panel));
    const WId panelId = shelf.panel.winId();
    // Mapped and managed: the window manager has written its frame extents.
    ASSERT_TRUE(TestSupport::waitUntil(
        [&] { return !xprop(panelId, "_NET_FRAME_EXTENTS").contains(QLatin1String("not found")); }));

    EXPECT_EQ(activeWindow(), normal.winId()) << "the panel must not take the focus";
    EXPECT_EQ(QApplication::activeWindow(), &normal);

    const QString desktop = xprop(panelId, "_NET_WM_DESKTOP");
    const QString state = xprop(panelId, "_NET_WM_STATE");
    EXPECT_TRUE(desktop.contains(QLatin1String("4294967295"))
        || state.contains(QLatin1String("_NET_WM_STATE_STICKY")))
        << qPrintable(desktop) << " / " << qPrintable(state);
    EXPECT_TRUE(state.contains(QLatin1String("_NET_WM_STATE_SKIP_TASKBAR"))) << qPrintable(state);
    EXPECT_TRUE(state.contains(QLatin1String("_NET_WM_STATE_ABOVE"))) << qPrintable(state);
    EXPECT_TRUE(xprop(panelId, "WM_HINTS").contains(QLatin1String("False")))
        << "WM_HINTS input must be False";

    EXPECT_EQ(xGeometry(panelId), QRect(600, 200, 320, 140));

    // Raising the normal window does not put it over the panel.
    run(QStringLiteral("xdotool"), {QStringLiteral("windowraise"), QString::number(normal.winId())});
    ASSERT_TRUE(TestSupport::waitUntil([&] {
        const QList<WId> order = stacking();
        return order.contains(normal.winId()) && order.contains(panelId);
    }));
    const QList<WId> order = stacking();
    EXPECT_GT(order.indexOf(panelId), order.indexOf(normal.winId()));

    // Shown again after hiding, it is still on every workspace.
    shelf.panel.hide();
    ASSERT_TRUE(TestSupport::waitUntil([&] {
        return xprop(panelId, "WM_STATE").contains(QLatin1String("Withdrawn"))
            || xprop(panelId, "WM_STATE").contains(QLatin1String("not found"));
    }));
    shelf.panel.show();
    ASSERT_TRUE(TestSupport::waitUntil([&] {
        return xprop(panelId, "_NET_WM_DESKTOP").contains(QLatin1String("4294967295"))
            || xprop(panelId, "_NET_WM_STATE").contains(QLatin1String("_NET_WM_STATE_STICKY"));
    }));
    EXPECT_EQ(activeWindow(), normal.winId());
}

TEST(HBPanelOnX, SwitchDrawsOnAndOff)
{
    ASSERT_TRUE(TestSupport::onDisplay());
    QWidget normal;
    normal.setStyleSheet(QStringLiteral("background: #d8dde6"));
    normal.setGeometry(450, 150, 640, 420);
    normal.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&normal));

    Shelf shelf;
    shelf.panel.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&shelf.panel));
    const QPoint onSide = shelf.toggle->mapToGlobal(QPoint(4, 16)); // left of the "ON" label
    // The track's "on" half is green under the left part of an on switch.
    ASSERT_TRUE(TestSupport::waitUntil([&] {
        const QColor c = screenColour(onSide);
        return c.green() > c.red() + 40 && c.green() > c.blue() + 20;
    })) << qPrintable(screenColour(onSide).name());
    saveShot(QStringLiteral("toolkit-panel-switch-on.png"));

    QTest::mouseClick(shelf.toggle, Qt::LeftButton);
    ASSERT_TRUE(TestSupport::waitUntil([&] { return !shelf.toggle->isAnimating(); }));
    // Off, the knob covers the left part: light, neither green nor dark.
    ASSERT_TRUE(TestSupport::waitUntil([&] {
        const QColor c = screenColour(onSide);
        return c.lightness() > 200 && qAbs(c.green() - c.red()) < 30;
    })) << qPrintable(screenColour(onSide).name());
    saveShot(QStringLiteral("toolkit-panel-switch-off.png"));
}

TEST(NSWindowHelpersOnX, ContentSizeChangeKeepsTheDecoratedFramesTopAndCentre)
{
    ASSERT_TRUE(TestSupport::onDisplay());
    QWidget window;
    window.setWindowTitle(QStringLiteral("Kelvora content size"));
    window.setGeometry(300, 200, 400, 300);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    // Qt learns the decoration size from the window manager's _NET_FRAME_EXTENTS.
    ASSERT_TRUE(TestSupport::waitUntil([&] { return window.frameGeometry() != window.geometry(); }));
    const QRect before = window.frameGeometry();

    nv_setContentSize(&window, {500, 350}, true);
    ASSERT_TRUE(TestSupport::waitUntil([&] { return window.size() == QSize(500, 350); }));
    ASSERT_TRUE(TestSupport::waitUntil([&] { return xGeometry(window.winId()).size() == QSize(500, 350); }));
    const QRect after = window.frameGeometry();
    EXPECT_EQ(after.top(), before.top());
    EXPECT_EQ(after.size(), before.size() + QSize(100, 50));
    EXPECT_EQ(after.x(), before.x() - 50);
    EXPECT_EQ(xGeometry(window.winId()).topLeft(), window.geometry().topLeft());
}
