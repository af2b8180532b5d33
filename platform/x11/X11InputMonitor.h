// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "HBInputMonitor.h"

#include <memory>
#include <optional>

class QSocketNotifier;
class QTimer;
struct X11InputMonitorPrivate;

/// The global input monitor of an X11 session. On a connection of its own it selects the
/// XInput2 raw button, motion and key-release events of all master devices on the root
/// window, which arrive whatever window has the pointer and even while another program
/// grabs it; nothing is grabbed. Raw events carry no position, so the pointer is read from
/// the server when one arrives, and sampled while the left button is held (warps and
/// devices that send no raw motion). Without XInput2 it reports nothing.
class X11InputMonitor : public HBInputMonitor
{
    Q_OBJECT
public:
    /// Connects to the X server of $DISPLAY.
    explicit X11InputMonitor(QObject *parent = nullptr);
    ~X11InputMonitor() override;

    /// Whether the X server could be reached (even without XInput2).
    bool isConnected() const;
    /// Whether raw input events are being received.
    bool isListening() const;

    QPoint mouseLocation() const override;
    Qt::MouseButtons pressedMouseButtons() const override;

private:
    void readEvents();
    void samplePointer();
    void deliver(const std::optional<HBInputEvent> &event);
    void updateSampling();
    bool checkConnection();

    std::unique_ptr<X11InputMonitorPrivate> m_x;
    QSocketNotifier *m_notifier = nullptr;
    QTimer *m_drainEvents;
    QTimer *m_sampler;
    bool m_reading = false;
};
