// SPDX-License-Identifier: GPL-3.0-or-later
// Window and view controllers: interface files found by class name, load hooks, sheets,
// the parent-window lookup and the two-finger swipe recogniser.
#include "HBPanel.h"
#include "NVInterfaceFiles.h"
#include "NVViewController.h"
#include "NVWindowController.h"

#include "TestSupport.h"
#include "ui_TestBaseViewController.h"
#include "ui_TestPanelController.h"

#include <QApplication>
#include <QLabel>
#include <QPointingDevice>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

NV_INTERFACE_FILE(TestBaseViewController);
NV_INTERFACE_FILE(TestPanelController);

class TestBaseViewController : public NVViewController
{
    Q_OBJECT
public:
    using NVViewController::NVViewController;
    void nv_viewDidLoad() override { ++loads; }
    int loads = 0;
};

/// Has no interface file of its own.
class TestSubViewController : public TestBaseViewController
{
    Q_OBJECT
public:
    using TestBaseViewController::TestBaseViewController;
};

/// Has no interface file anywhere along its chain.
class TestBareViewController : public NVViewController
{
    Q_OBJECT
public:
    using NVViewController::NVViewController;
};

class TestPanelController : public NVWindowController
{
    Q_OBJECT
public:
    using NVWindowController::NVWindowController;
    void nv_viewDidLoad() override { calls << QStringLiteral("load"); }
    void nv_sheetWillAppear() override { calls << QStringLiteral("willAppear:") + visibility(); }
    void nv_sheetDidAppear() override { calls << QStringLiteral("didAppear:") + visibility(); }
    void nv_sheetWillDisappear() override { calls << QStringLiteral("willDisappear:") + visibility(); }
    void nv_sheetDidDisappear() override { calls << QStringLiteral("didDisappear:") + visibility(); }

    QString visibility()
    {
        return window()->isVisible() ? QStringLiteral("shown") : QStringLiteral("hidden");
    }
    QStringList calls;
};

class SwipeController : public NVWindowController
{
    Q_OBJECT
public:
    using NVWindowController::NVWindowController;
    bool wantsSwipeEvents() const override { return true; }
    void didSwipeForward() override { ++forward; }
    void didSwipeBack() override { ++back; }
    int forward = 0;
    int back = 0;
};

TEST(NVViewController, SubclassUsesItsSuperclassInterfaceFileAndCachesTheAnswer)
{
    EXPECT_EQ(NVViewController::nibName(&TestSubViewController::staticMetaObject),
        QStringLiteral("TestBaseViewController"));
    EXPECT_TRUE(NVViewController::cachedNibName(QStringLiteral("TestSubViewController")).isEmpty());

    const auto sub = NVViewController::controller<TestSubViewController>();
    EXPECT_EQ(sub->viewNibName(), QStringLiteral("TestBaseViewController"));
    ASSERT_NE(sub->outlet<QLabel>(QStringLiteral("paneLabel")), nullptr);
    EXPECT_EQ(sub->outlet<QLabel>(QStringLiteral("paneLabel"))->text(), QStringLiteral("Base pane"));
    EXPECT_EQ(sub->view()->size(), QSize(320, 240));
    EXPECT_EQ(NVViewController::cachedNibName(QStringLiteral("TestSubViewController")),
        QStringLiteral("TestBaseViewController"));

    // The answer holds for the process: a file registered later for the subclass is not
    // looked for again.
    NVInterfaceFiles::add(QStringLiteral("TestSubViewController"), [] { return std::make_unique<QLabel>(); });
    const auto again = NVViewController::controller<TestSubViewController>();
    EXPECT_EQ(again->viewNibName(), QStringLiteral("TestBaseViewController"));
    EXPECT_NE(again->outlet<QLabel>(QStringLiteral("paneLabel")), nullptr);
}

TEST(NVViewController, ClassWithoutInterfaceFileGetsAPlainViewAndLoadsOnce)
{
    TestBareViewController bare;
    ASSERT_NE(bare.view(), nullptr);
    EXPECT_TRUE(bare.viewNibName().isEmpty());
    EXPECT_TRUE(bare.nv_viewHasLoaded());
    EXPECT_TRUE(NVViewController::cachedNibName(QStringLiteral("TestBareViewController")).isEmpty());
    EXPECT_EQ(bare.viewMinSize(), QSize(0, 0));

    TestBaseViewController base;
    EXPECT_EQ(base.loads, 0) << "the view loads on first use";
    base.view();
    base.view();
    EXPECT_EQ(base.loads, 1);
}

TEST(NVViewController, ParentWindowFallsBackToTheViewsWindowThenTheActiveWindow)
{
    TestBaseViewController controller;
    QWidget active;
    active.show();
    QApplication::setActiveWindow(&active);
    ASSERT_TRUE(TestSupport::waitUntil([&] { return QApplication::activeWindow() == &active; }));
    EXPECT_EQ(controller.parentWindow(), &active);

    QWidget holder;
    controller.view()->setParent(&holder);
    EXPECT_EQ(controller.parentWindow(), &holder);

    QWidget stored;
    controller.setParentWindow(&stored);
    EXPECT_EQ(controller.parentWindow(), &stored);
}

TEST(NVWindowController, LoadsItsPanelByClassNameAndConfiguresIt)
{
    const auto controller = NVWindowController::controller<TestPanelController>();
    EXPECT_FALSE(controller->isWindowLoaded());
    auto *panel = qobject_cast<HBPanel *>(controller->window());
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(controller->windowNibName(), QStringLiteral("TestPanelController"));
    controller->window();
    EXPECT_EQ(controller->calls, QStringList{QStringLiteral("load")});
    EXPECT_TRUE(controller->nvViewIsLoaded());

    // The content covers the whole panel and follows its size; the title shows in the label.
    ASSERT_NE(panel->actualContentView(), nullptr);
    EXPECT_EQ(panel->actualContentView()->geometry(), panel->rect());
    panel->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(panel));
    panel->resize(340, 260);
    EXPECT_EQ(panel->actualContentView()->geometry(), QRect(0, 0, 340, 260));
    ASSERT_NE(panel->actualTitleLabel(), nullptr);
    panel->setTitle(QStringLiteral("Kelvora Shelf"));
    EXPECT_EQ(panel->actualTitleLabel()->text(), QStringLiteral("Kelvora Shelf"));
    EXPECT_EQ(panel->windowTitle(), QStringLiteral("Kelvora Shelf"));

    const Qt::WindowFlags flags = panel->windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowDoesNotAcceptFocus));
    EXPECT_TRUE(flags.testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Tool);
    EXPECT_TRUE(panel->testAttribute(Qt::WA_TranslucentBackground));
    EXPECT_TRUE(panel->testAttribute(Qt::WA_ShowWithoutActivating));
    EXPECT_FALSE(panel->canBecomeKeyWindow());
}

TEST(NVWindowController, SheetRunsItsHooksAroundShowingAndHiding)
{
    TestPanelController controller;
    QWidget parent;
    parent.setGeometry(100, 100, 600, 400);
    parent.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));

    controller.beginSheetInWindow(&parent);
    QWidget *sheet = controller.window();
    EXPECT_TRUE(controller.isSheet());
    EXPECT_EQ(sheet->parentWidget(), &parent);
    EXPECT_EQ(sheet->windowModality(), Qt::WindowModal);
    EXPECT_EQ(sheet->windowFlags() & Qt::WindowType_Mask, Qt::Sheet);

    controller.closeSheet();
    EXPECT_FALSE(controller.isSheet());
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_EQ(sheet->parentWidget(), nullptr) << "the parent must never delete the controller's window";
    EXPECT_EQ(sheet->windowFlags() & Qt::WindowType_Mask, Qt::Tool);
    EXPECT_EQ(controller.calls,
        (QStringList{QStringLiteral("load"), QStringLiteral("willAppear:hidden"),
            QStringLiteral("didAppear:shown"), QStringLiteral("willDisappear:shown"),
            QStringLiteral("didDisappear:hidden")}));

    controller.closeSheet();
    EXPECT_EQ(controller.calls.size(), 5) << "closing a sheet that is not open does nothing";
}

TEST(NVWindowController, SwipeNeedsTwoFingersAndAThresholdOfPointThree)
{
    struct Row
    {
        const char *name;
        QList<NVWindowController::Touch> start;
        QList<NVWindowController::Touch> end;
        int forward;
        int back;
    };
    const Row rows[] = {
        {"sum 0.29", {{1, 0.10}, {2, 0.50}}, {{1, 0.245}, {2, 0.645}}, 0, 0},
        {"sum 0.3", {{1, 0.10}, {2, 0.50}}, {{1, 0.25}, {2, 0.65}}, 1, 0},
        {"sum -0.3", {{1, 0.25}, {2, 0.65}}, {{1, 0.10}, {2, 0.50}}, 0, 1},
        {"sum -0.29", {{1, 0.245}, {2, 0.645}}, {{1, 0.10}, {2, 0.50}}, 0, 0},
        {"one touch", {{1, 0.10}}, {{1, 0.90}}, 0, 0},
        {"fingers not seen at the start", {{1, 0.10}}, {{1, 0.40}, {7, 0.90}}, 0, 0},
        {"three fingers", {{1, 0.1}, {2, 0.2}, {3, 0.3}}, {{1, 0.2}, {2, 0.3}, {3, 0.4}}, 1, 0},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        SwipeController controller;
        controller.beginGesture(row.start);
        controller.endGesture(row.end);
        EXPECT_EQ(controller.forward, row.forward);
        EXPECT_EQ(controller.back, row.back);
        EXPECT_TRUE(controller.touchesDictionary().isEmpty());
    }

    SwipeController controller;
    controller.endGesture({{1, 0.9}, {2, 0.9}});
    EXPECT_EQ(controller.forward, 0) << "an end without a start is no swipe";
}

TEST(NVWindowController, SwipeFromTouchEventsOnTheWindow)
{
    SwipeController controller;
    controller.setWindow(std::make_unique<QWidget>());
    QWidget *window = controller.window();
    window->setGeometry(0, 0, 400, 300);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    const int width = window->screen()->geometry().width();
    const auto x = [&](double fraction) { return int(fraction * width); };

    const std::unique_ptr<QPointingDevice> owner(QTest::createTouchDevice());
    QPointingDevice *device = owner.get();
    // Two fingers move a fifth of the screen to the right each: a sum of 0.4.
    QTest::touchEvent(window, device).press(0, {x(0.05), 100}).press(1, {x(0.10), 150});
    QTest::touchEvent(window, device).move(0, {x(0.15), 100}).move(1, {x(0.20), 150});
    QTest::touchEvent(window, device).move(0, {x(0.25), 100}).move(1, {x(0.30), 150});
    QTest::touchEvent(window, device).release(0, {x(0.25), 100}).stationary(1);
    QTest::touchEvent(window, device).release(1, {x(0.30), 150});
    EXPECT_EQ(controller.forward, 1);
    EXPECT_EQ(controller.back, 0);

    // One finger is no swipe, however far it goes.
    QTest::touchEvent(window, device).press(0, {x(0.50), 100});
    QTest::touchEvent(window, device).move(0, {x(0.05), 100});
    QTest::touchEvent(window, device).release(0, {x(0.05), 100});
    EXPECT_EQ(controller.forward, 1);
    EXPECT_EQ(controller.back, 0);
}

#include "ControllersTest.moc"
