// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QPoint>

/// One input event seen by the global monitor.
struct HBInputEvent
{
    /// The event kinds the shelf watches (numbered like the event types it was designed on).
    enum Type : int {
        LeftMouseDown = 1,
        LeftMouseUp = 2,
        LeftMouseDragged = 6,
        KeyUp = 11,
        FlagsChanged = 12,
    };
    /// keyCode of a released Escape key.
    static constexpr int escapeKeyCode = 53;

    Type type = LeftMouseDown;
    /// The pointer in screen coordinates when the event was read.
    QPoint location;
    /// KeyUp: escapeKeyCode for Escape; another value (never escapeKeyCode) for other keys.
    int keyCode = 0;
};
Q_DECLARE_METATYPE(HBInputEvent)

/// Input that goes to other applications, and the pointer's state. The X11 implementation
/// listens without grabbing anything; a null one serves where Qt does not run on X11 (it
/// reports no events), and HBFakeInputMonitor stands in for tests. All calls and signals
/// on the main thread.
class HBInputMonitor : public QObject
{
    Q_OBJECT
public:
    explicit HBInputMonitor(QObject *parent = nullptr);
    ~HBInputMonitor() override;

    /// The pointer's location in screen coordinates.
    virtual QPoint mouseLocation() const = 0;
    /// The mouse buttons held down now, wherever the pointer is.
    virtual Qt::MouseButtons pressedMouseButtons() const = 0;

    /// The monitor the program uses; a null monitor until one is installed.
    static HBInputMonitor *sharedMonitor();
    /// Installs the program's monitor (not taken over; when it is destroyed, sharedMonitor()
    /// falls back to the null monitor).
    static void setSharedMonitor(HBInputMonitor *monitor);

Q_SIGNALS:
    /// A left-button press, drag or release, a key release or a modifier change that went to
    /// another application. A gesture that begins with a press on one of this program's
    /// windows, and key releases while one of them is active, are this program's own and
    /// are not reported.
    void globalEvent(const HBInputEvent &event);
};
