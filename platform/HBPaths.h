// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

/// Every folder and file Kelvora reads or writes is named here, so that tests can move
/// all of them by pointing XDG_DATA_HOME, XDG_CONFIG_HOME and XDG_CACHE_HOME elsewhere.
/// The values are read from the environment at each call, never cached.
namespace HBPaths {

/// $XDG_DATA_HOME/Kelvora (default ~/.local/share/Kelvora); created on demand.
QString applicationSupportDirectory();
/// The item store file inside applicationSupportDirectory().
QString storeFile();
/// The folder of files written for items ("Kelvora Files").
QString storageDirectory();
/// Saved item thumbnails.
QString thumbnailsDirectory();
/// Icons of the applications on the exception list.
QString appIconsDirectory();
/// $XDG_CONFIG_HOME/Kelvora/Kelvora.conf
QString settingsFile();
/// $XDG_CONFIG_HOME/autostart
QString autostartDirectory();
/// $XDG_CACHE_HOME (default ~/.cache)
QString cacheHome();

} // namespace HBPaths
