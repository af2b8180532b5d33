// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>

namespace TestSupport {

/// The temporary folder that stands in for the user's home in this test process;
/// XDG_DATA_HOME, XDG_CONFIG_HOME and XDG_CACHE_HOME lie inside it.
QString home();

/// Runs the event loop until `condition` holds or `timeout` passes; true when it held.
bool waitUntil(
    const std::function<bool()> &condition, std::chrono::milliseconds timeout = std::chrono::seconds(5));

/// Whether this process runs on a real X display (the display test group).
bool onDisplay();

/// Writes `bytes` to `path`, creating folders; false on failure.
bool writeFile(const QString &path, const QByteArray &bytes);
/// The bytes of a file; a null QByteArray when it can't be read.
QByteArray readFile(const QString &path);

/// Starts a D-Bus session bus of this test process's own and points
/// DBUS_SESSION_BUS_ADDRESS at it; call before the first use of the session bus.
/// False when dbus-daemon can't be started. The bus ends with the process.
bool startPrivateSessionBus();

/// Runs a helper program (xprop, xdotool, xwininfo…) and returns its trimmed standard
/// output; empty when it can't be run or takes longer than ten seconds.
QString runProgram(const QString &program, const QStringList &arguments);
/// A window's client area as the X server has it (xwininfo's absolute position and size).
QRect xGeometry(qulonglong window);
/// The window the window manager calls active (xdotool getactivewindow); 0 when none.
qulonglong activeWindow();

/// Plays an xdotool command line while this process's event loop keeps turning (drop
/// targets and drags of this process go on meanwhile); true when xdotool finished with
/// status 0 within `timeout`.
bool playXdotool(const QStringList &arguments, std::chrono::milliseconds timeout = std::chrono::seconds(30));
/// xdotool arguments that move the pointer by `offset` in relative steps of at most
/// `stepLength` points (at least `minimumSteps`), pausing `pause` seconds after each.
/// Relative moves go through XTest as real motion, which toolkits need to start a drag
/// and to send Xdnd positions; an absolute mousemove only warps the pointer.
QStringList relativeMoves(const QPoint &offset, double stepLength = 30, int minimumSteps = 1,
    const QString &pause = QStringLiteral("0.03"));
/// xdotool arguments for a whole drag: move to `from`, press, relative moves to `to`, a
/// last small move and a pause over the target (for the Xdnd status round trip),
/// Escape first when `escape`, release.
QStringList dragGesture(const QPoint &from, const QPoint &to, bool escape = false);

/// Path of a program built by the project (e.g. "kelvora"), from the build's bin/ folder.
QString builtProgram(const QString &name);

} // namespace TestSupport
