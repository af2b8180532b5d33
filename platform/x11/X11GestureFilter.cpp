// SPDX-License-Identifier: GPL-3.0-or-later
#include "X11GestureFilter.h"

namespace {

constexpr int leftButton = 1;
// Key codes of keys other than Escape are moved out of the range of X key codes (8 to 255),
// so that no key can pass for Escape by its number.
constexpr int otherKeyOffset = 256;

} // namespace

std::optional<HBInputEvent> X11GestureFilter::report(
    HBInputEvent::Type type, const QPoint &location, int keyCode) const
{
    if (m_ownGesture)
        return std::nullopt;
    return HBInputEvent{type, location, keyCode};
}

std::optional<HBInputEvent> X11GestureFilter::buttonPressed(
    int button, const QPoint &location, bool onOwnWindow)
{
    if (button != leftButton)
        return std::nullopt;
    if (m_leftPresses++ > 0)
        return std::nullopt;
    m_ownGesture = onOwnWindow;
    m_lastLocation = location;
    return report(HBInputEvent::LeftMouseDown, location);
}

std::optional<HBInputEvent> X11GestureFilter::buttonReleased(int button, const QPoint &location)
{
    // A release without its press (the press came before the monitor started) is not a
    // gesture the monitor saw begin.
    if (button != leftButton || m_leftPresses == 0)
        return std::nullopt;
    if (--m_leftPresses > 0)
        return std::nullopt;
    return endGesture(location);
}

std::optional<HBInputEvent> X11GestureFilter::leftButtonFoundUp(const QPoint &location)
{
    if (!leftButtonDown())
        return std::nullopt;
    return endGesture(location);
}

std::optional<HBInputEvent> X11GestureFilter::endGesture(const QPoint &location)
{
    m_leftPresses = 0;
    const std::optional<HBInputEvent> event = report(HBInputEvent::LeftMouseUp, location);
    m_ownGesture = false;
    return event;
}

std::optional<HBInputEvent> X11GestureFilter::pointerMoved(const QPoint &location)
{
    if (!leftButtonDown() || location == m_lastLocation)
        return std::nullopt;
    m_lastLocation = location;
    return report(HBInputEvent::LeftMouseDragged, location);
}

std::optional<HBInputEvent> X11GestureFilter::keyReleased(
    int keyCode, bool escape, const QPoint &location, bool ownWindowFocused)
{
    if (ownWindowFocused)
        return std::nullopt;
    return HBInputEvent{
        HBInputEvent::KeyUp, location, escape ? HBInputEvent::escapeKeyCode : keyCode + otherKeyOffset};
}
