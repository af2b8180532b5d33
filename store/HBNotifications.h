// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLatin1StringView>

/// Names of the notifications the subsystems exchange through HBNotificationCenter.
namespace HBNotifications {

/// An item was added from outside the shelf list; object: the item, or none.
inline constexpr QLatin1StringView DidAddItem{"HB.didAddItem"};
/// An item's picture changed; object: the item.
inline constexpr QLatin1StringView IconChanged{"HB.icon.changed"};
/// The shelf must stay visible (the appearance pane is showing); no object.
inline constexpr QLatin1StringView ForceShowWindow{"HB.forceShowWindow"};
/// The shelf goes back to its own visibility rules; no object.
inline constexpr QLatin1StringView ResetForceWindow{"HB.resetForceWindow"};
/// Open the preferences window; no object.
inline constexpr QLatin1StringView OpenPreferences{"KR.openPreferences"};
/// The status item's width changed; object: the tray icon.
inline constexpr QLatin1StringView StatusItemLengthDidChange{"KRStatusItemLengthDidChange"};

} // namespace HBNotifications
