// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "HBInputMonitor.h"

#include <QPoint>

#include <optional>

/// Turns the raw input of all pointing devices and keyboards into the events the global
/// monitor reports, without any X11 in it: which presses and releases make a left-button
/// gesture, which pointer positions are drags, and which gestures and key releases belong
/// to this program and stay unreported. Buttons are logical (after the pointer mapping).
class X11GestureFilter
{
public:
    /// A button went down; `onOwnWindow`: the pointer is over one of this program's windows.
    std::optional<HBInputEvent> buttonPressed(int button, const QPoint &location, bool onOwnWindow);
    /// A button came up.
    std::optional<HBInputEvent> buttonReleased(int button, const QPoint &location);
    /// The pointer is at `location` (after raw motion or a sample taken while the left
    /// button is down): a drag when the button is down and the pointer moved.
    std::optional<HBInputEvent> pointerMoved(const QPoint &location);
    /// The server says the left button is up although no release was seen (the device
    /// went away, or its release was not delivered): the gesture ends here.
    std::optional<HBInputEvent> leftButtonFoundUp(const QPoint &location);
    /// A key came up; `ownWindowFocused`: one of this program's windows has the focus.
    std::optional<HBInputEvent> keyReleased(
        int keyCode, bool escape, const QPoint &location, bool ownWindowFocused);

    /// Whether the left button is held, by any device.
    bool leftButtonDown() const { return m_leftPresses > 0; }

private:
    std::optional<HBInputEvent> endGesture(const QPoint &location);
    std::optional<HBInputEvent> report(
        HBInputEvent::Type type, const QPoint &location, int keyCode = 0) const;

    // Two devices can hold the left button of one pointer at once; it is up again only
    // when both let go.
    int m_leftPresses = 0;
    bool m_ownGesture = false;
    QPoint m_lastLocation;
};
