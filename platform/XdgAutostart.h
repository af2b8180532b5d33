// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

/// Starting a program at login the freedesktop way: a desktop entry in
/// $XDG_CONFIG_HOME/autostart (the freedesktop autostart convention).
namespace XdgAutostart {

/// The entry's path for `identifier` ("<identifier>.desktop").
QString entryPath(const QString &identifier);
/// Writes (enabled) or removes (disabled) the entry that runs `command` at login.
/// True when the entry is in the requested state afterwards.
bool setEnabled(const QString &identifier, bool enabled, const QString &command);

} // namespace XdgAutostart
