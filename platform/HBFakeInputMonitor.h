// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "HBInputMonitor.h"

/// An input monitor whose pointer and events the test sets.
class HBFakeInputMonitor final : public HBInputMonitor
{
    Q_OBJECT
public:
    using HBInputMonitor::HBInputMonitor;

    QPoint mouseLocation() const override { return m_location; }
    Qt::MouseButtons pressedMouseButtons() const override { return m_buttons; }

    void setMouseLocation(const QPoint &location) { m_location = location; }
    void setPressedMouseButtons(Qt::MouseButtons buttons) { m_buttons = buttons; }

    /// Moves the pointer to `location`, keeps the button state the event implies, and
    /// reports the event as going to another application.
    void post(HBInputEvent::Type type, const QPoint &location, int keyCode = 0)
    {
        m_location = location;
        if (type == HBInputEvent::LeftMouseDown || type == HBInputEvent::LeftMouseDragged)
            m_buttons |= Qt::LeftButton;
        else if (type == HBInputEvent::LeftMouseUp)
            m_buttons &= ~Qt::MouseButtons(Qt::LeftButton);
        Q_EMIT globalEvent(HBInputEvent{type, location, keyCode});
    }

private:
    QPoint m_location;
    Qt::MouseButtons m_buttons;
};
