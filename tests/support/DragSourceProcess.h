// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPoint>
#include <QProcess>
#include <QRect>
#include <QStringList>

/// One of the test drag sources (tests/support/DragSourceContent.h) running as its own
/// process, and the xdotool gestures that drag from its window. Display tests only.
class DragSourceProcess
{
public:
    enum class Toolkit { Qt, Gtk };

    DragSourceProcess() = default;
    ~DragSourceProcess();
    DragSourceProcess(const DragSourceProcess &) = delete;
    DragSourceProcess &operator=(const DragSourceProcess &) = delete;

    /// Starts the source with the options of DragSourceContent and waits until its
    /// window is on screen; false (with the reason in error()) when it does not come up.
    bool start(Toolkit toolkit, const QStringList &options);
    /// The source window's frame on the screen.
    QRect windowGeometry() const;
    /// Presses the first button in the source window, moves in steps of a few tens of
    /// points to `target` (screen coordinates), pauses there and releases. Returns when
    /// xdotool has played the gesture; the drop may still be on its way.
    bool dragTo(const QPoint &target);

    /// The same gesture in parts, for tests that look at a drag while it runs: moves to
    /// the middle of the source window, presses the first button and moves by `offset`
    /// in relative steps of at most 30 points, keeping the button held.
    bool pressAndMove(const QPoint &offset);
    /// Moves the pointer by `offset` in relative steps, the button still held.
    bool moveBy(const QPoint &offset);
    /// Releases the first button.
    bool release();

    /// The source window's X id.
    unsigned long long windowId() const { return m_window; }

    QString error() const { return m_error; }
    /// What the source printed (for messages when a test fails).
    QString output() const;

private:
    QProcess m_process;
    QString m_stdout;
    unsigned long long m_window = 0;
    QString m_error;
};
