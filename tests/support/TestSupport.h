// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <chrono>
#include <functional>

namespace TestSupport {

/// The temporary folder that stands in for the user's home in this test process;
/// XDG_DATA_HOME, XDG_CONFIG_HOME and XDG_CACHE_HOME lie inside it.
QString home();

/// Runs the event loop until `condition` holds or `timeout` passes; true when it held.
bool waitUntil(const std::function<bool()> &condition,
               std::chrono::milliseconds timeout = std::chrono::seconds(5));

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

/// Path of a program built by the project (e.g. "kelvora"), from the build's bin/ folder.
QString builtProgram(const QString &name);

} // namespace TestSupport
