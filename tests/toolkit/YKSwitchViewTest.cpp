// SPDX-License-Identifier: GPL-3.0-or-later
// The switch: clicks, silent changes, persistence, the disabled state and the
// accessibility press action.
#include "YKSwitchView.h"

#include "HBUserDefaults.h"
#include "TestSupport.h"

#include <QAccessible>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class SwitchTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        view.setObjectName(QStringLiteral("abc"));
        view.setStateDidChangeBlock([this](YKSwitchView *sender, bool on) {
            EXPECT_EQ(sender, &view);
            calls.append(on);
        });
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    }

    bool settled() const { return !view.isAnimating(); }
    bool atOffFrames() const
    {
        return view.handleFrame() == view.handleOffFrame()
            && view.backgroundFrame() == view.backgroundOffFrame();
    }

    YKSwitchView view;
    QList<bool> calls;
    QSignalSpy triggered{&view, &YKSwitchView::triggered};
};

} // namespace

TEST_F(SwitchTest, StartsOnWithTheFramesOfTheTable)
{
    EXPECT_TRUE(view.isOn());
    const int W = view.width();
    EXPECT_EQ(view.handleOffFrame().x(), -3);
    EXPECT_EQ(view.backgroundOffFrame().x(), 3 - W);
    EXPECT_EQ(view.backgroundOnFrame().x(), 0);
    EXPECT_EQ(view.handleOnFrame().x(), W - view.handleOnFrame().width() + 3);
    EXPECT_EQ(view.handleFrame(), view.handleOnFrame());
    EXPECT_EQ(view.backgroundFrame(), view.backgroundOnFrame());
    EXPECT_TRUE(calls.isEmpty());
}

TEST_F(SwitchTest, ClickSlidesOffThenNotifiesOnce)
{
    QElapsedTimer timer;
    timer.start();
    QTest::mouseClick(&view, Qt::LeftButton);
    EXPECT_FALSE(view.isOn());
    EXPECT_TRUE(view.isAnimating());
    EXPECT_TRUE(calls.isEmpty()) << "the change reports when the slide is done";

    ASSERT_TRUE(TestSupport::waitUntil([&] { return !calls.isEmpty(); }));
    EXPECT_LT(timer.elapsed(), 1000);
    EXPECT_TRUE(atOffFrames());
    EXPECT_EQ(calls, QList<bool>{false});
    ASSERT_EQ(triggered.count(), 1);
    EXPECT_EQ(triggered.at(0).at(0).toBool(), false);
    EXPECT_FALSE(HBUserDefaults::standardUserDefaults().value(QStringLiteral("Switch_abc")).isValid())
        << "nothing is stored without persistence";
}

TEST_F(SwitchTest, SetOnIsSilent)
{
    view.setOn(false);
    ASSERT_TRUE(TestSupport::waitUntil([&] { return settled(); }));
    EXPECT_TRUE(atOffFrames());
    view.setPersistValue(true);
    view.setOn(true, true, false);
    QTest::qWait(YKSwitchView::defaultAnimationDuration * 2);
    EXPECT_TRUE(calls.isEmpty());
    EXPECT_EQ(triggered.count(), 0);
    EXPECT_FALSE(HBUserDefaults::standardUserDefaults().value(QStringLiteral("Switch_abc")).isValid());
}

TEST_F(SwitchTest, ChangeDuringASlideReportsBothInOrder)
{
    view.setOn(false, false);
    view.setOn(true, false);
    ASSERT_TRUE(TestSupport::waitUntil([&] { return calls.size() == 2; }));
    EXPECT_EQ(calls, (QList<bool>{false, true}));
    EXPECT_EQ(view.handleFrame(), view.handleOnFrame());
}

TEST_F(SwitchTest, PersistenceStoresUnderTheIdentifierKey)
{
    view.setPersistValue(true);
    QTest::mouseClick(&view, Qt::LeftButton);
    ASSERT_TRUE(TestSupport::waitUntil([&] { return !calls.isEmpty(); }));
    EXPECT_EQ(view.defaultsKey(), QStringLiteral("Switch_abc"));
    const QVariant stored = HBUserDefaults::standardUserDefaults().value(QStringLiteral("Switch_abc"));
    ASSERT_TRUE(stored.isValid());
    EXPECT_FALSE(stored.toBool());

    // Another switch with the same identifier takes the stored state when it starts to
    // persist, silently and without a slide.
    YKSwitchView other;
    other.setIdentifier(QStringLiteral("abc"));
    QSignalSpy otherTriggered(&other, &YKSwitchView::triggered);
    EXPECT_TRUE(other.isOn());
    other.setPersistValue(true);
    EXPECT_FALSE(other.isOn());
    EXPECT_FALSE(other.isAnimating());
    EXPECT_EQ(other.handleFrame(), other.handleOffFrame());
    EXPECT_EQ(otherTriggered.count(), 0);
}

TEST_F(SwitchTest, WithoutAnIdentifierNothingIsStored)
{
    YKSwitchView anonymous;
    anonymous.setAnimationDuration(0);
    anonymous.setPersistValue(true);
    anonymous.setOn(false, false);
    EXPECT_TRUE(anonymous.defaultsKey().isEmpty());
    EXPECT_FALSE(HBUserDefaults::standardUserDefaults().value(QStringLiteral("Switch_")).isValid());
}

TEST_F(SwitchTest, ZeroDurationChangesJumpAndReportAtOnce)
{
    struct Row
    {
        const char *name;
        int duration;
        bool disableAnimations;
    };
    for (const Row &row : {Row{"duration 0", 0, false}, Row{"animations disabled", 100, true}}) {
        SCOPED_TRACE(row.name);
        HBUserDefaults::standardUserDefaults().setDisableAnimations(row.disableAnimations);
        view.setAnimationDuration(row.duration);
        view.setOn(true, true, false);
        calls.clear();

        view.setOn(false, false, true);
        EXPECT_FALSE(view.isAnimating());
        EXPECT_TRUE(atOffFrames());
        EXPECT_EQ(calls, QList<bool>{false});
    }
}

TEST_F(SwitchTest, DisabledSwitchIsHalfOpaqueAndIgnoresClicks)
{
    // Drawn over the window background, half opacity shows as the halfway colour between
    // the enabled drawing and the background.
    const QPoint track(4, 16); // left of the "ON" label
    const QColor background = view.palette().color(QPalette::Window);
    const auto colourAt = [&](const QPoint &point) { return view.grab().toImage().pixelColor(point); };
    const QColor enabled = colourAt(track);
    ASSERT_GT(enabled.green(), enabled.red() + 40) << "the green of the on track";

    view.setEnabled(false);
    EXPECT_EQ(view.opacity(), 0.5);
    const QColor disabled = colourAt(track);
    EXPECT_NEAR(disabled.red(), (enabled.red() + background.red()) / 2, 4);
    EXPECT_NEAR(disabled.green(), (enabled.green() + background.green()) / 2, 4);
    EXPECT_NEAR(disabled.blue(), (enabled.blue() + background.blue()) / 2, 4);

    QTest::mouseClick(&view, Qt::LeftButton);
    view.accessibilityPress();
    QTest::qWait(YKSwitchView::defaultAnimationDuration * 2);
    EXPECT_TRUE(view.isOn());
    EXPECT_TRUE(calls.isEmpty());

    view.setEnabled(true);
    EXPECT_EQ(view.opacity(), 1.0);
    EXPECT_EQ(colourAt(track), enabled);
}

TEST_F(SwitchTest, AccessibilityPressNamesThePreviousStateAndToggles)
{
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(&view);
    ASSERT_NE(accessible, nullptr);
    QAccessibleActionInterface *actions = accessible->actionInterface();
    ASSERT_NE(actions, nullptr);
    EXPECT_EQ(actions->actionNames(), QStringList{QAccessibleActionInterface::pressAction()});
    EXPECT_TRUE(accessible->state().checked);

    actions->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(view.accessibleName(), QStringLiteral("Switch View: On"));
    EXPECT_FALSE(view.isOn());
    ASSERT_TRUE(TestSupport::waitUntil([&] { return !calls.isEmpty(); }));
    EXPECT_EQ(calls, QList<bool>{false});
    EXPECT_FALSE(accessible->state().checked);
}
