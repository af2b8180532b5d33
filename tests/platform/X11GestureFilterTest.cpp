// SPDX-License-Identifier: GPL-3.0-or-later
// Which raw input becomes a reported event, and the factories off X11.
#include "x11/X11GestureFilter.h"
#include "HBDragSelection.h"
#include "HBNullDragSelection.h"
#include "HBNullInputMonitor.h"
#include "x11/HBDragSelectionFactory.h"
#include "x11/HBInputMonitorFactory.h"

#include <QObject>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using Step = std::function<std::optional<HBInputEvent>(X11GestureFilter &)>;

Step press(int button, QPoint at, bool own = false)
{
    return [=](X11GestureFilter &f) { return f.buttonPressed(button, at, own); };
}
Step release(int button, QPoint at)
{
    return [=](X11GestureFilter &f) { return f.buttonReleased(button, at); };
}
Step move(QPoint at)
{
    return [=](X11GestureFilter &f) { return f.pointerMoved(at); };
}
Step foundUp(QPoint at)
{
    return [=](X11GestureFilter &f) { return f.leftButtonFoundUp(at); };
}
Step key(int code, bool escape, bool focused = false)
{
    return [=](X11GestureFilter &f) { return f.keyReleased(code, escape, QPoint(1, 1), focused); };
}

/// A script of raw input and the events it must produce, as "type@x,y" or "key:code".
struct Script
{
    std::string name;
    std::vector<Step> steps;
    std::vector<std::string> expected;
};

std::string describe(const HBInputEvent &event)
{
    if (event.type == HBInputEvent::KeyUp)
        return "key:" + std::to_string(event.keyCode);
    const char *type = event.type == HBInputEvent::LeftMouseDown ? "down"
        : event.type == HBInputEvent::LeftMouseUp                ? "up"
                                                                 : "drag";
    return std::string(type) + "@" + std::to_string(event.location.x()) + ","
        + std::to_string(event.location.y());
}

class GestureFilter : public ::testing::TestWithParam<Script>
{
};

TEST_P(GestureFilter, ReportsWhatTheScriptExpects)
{
    X11GestureFilter filter;
    std::vector<std::string> reported;
    for (const Step &step : GetParam().steps) {
        if (const std::optional<HBInputEvent> event = step(filter))
            reported.push_back(describe(*event));
    }
    EXPECT_EQ(reported, GetParam().expected);
}

const QPoint a(10, 10), b(40, 10), c(80, 30);

INSTANTIATE_TEST_SUITE_P(Scripts, GestureFilter,
    ::testing::Values(Script{"LeftGesture", {press(1, a), move(b), move(b), move(c), release(1, c)},
                          {"down@10,10", "drag@40,10", "drag@80,30", "up@80,30"}},
        Script{"MotionWithoutButtonIsNoDrag", {move(a), move(b)}, {}},
        Script{"OtherButtonsAreNotFollowed",
            {press(3, a), move(b), release(3, b), press(2, a), release(2, a)}, {}},
        // A release whose press came before the monitor started is no gesture's end.
        Script{"ReleaseWithoutPress", {release(1, a), foundUp(a)}, {}},
        // Mouse and touchpad both hold the left button: the pointer's button is up only
        // when both let go.
        Script{"TwoDevicesHoldTheButton", {press(1, a), press(1, b), release(1, b), move(c), release(1, c)},
            {"down@10,10", "drag@80,30", "up@80,30"}},
        // A gesture that begins on this program's window is its own, up to the release,
        // and the next one is reported again.
        Script{"OwnGestureStaysUnreported",
            {press(1, a, true), move(b), release(1, b), press(1, c), release(1, c)},
            {"down@80,30", "up@80,30"}},
        // A release the server never delivered: the sample ends the gesture, and a late
        // release changes nothing.
        Script{"LostReleaseEndsTheGestureOnce", {press(1, a), foundUp(b), release(1, b), move(c)},
            {"down@10,10", "up@40,10"}},
        Script{"Keys", {key(9, true), key(53, false), key(38, false, true)}, {"key:53", "key:309"}}),
    [](const ::testing::TestParamInfo<Script> &row) { return row.param.name; });

TEST(InputMonitorFactory, OffX11GivesTheNullMonitorAndSelection)
{
    QObject owner;
    EXPECT_NE(qobject_cast<HBNullInputMonitor *>(HBInputMonitorFactory::create(&owner)), nullptr);
    HBDragSelection *selection = HBDragSelectionFactory::create(&owner);
    ASSERT_NE(qobject_cast<HBNullDragSelection *>(selection), nullptr);
    EXPECT_EQ(selection->changeCount(), 0);
    EXPECT_EQ(selection->offeredTypes(), QStringList());
}

} // namespace
