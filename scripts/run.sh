#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds Kelvora and starts it on the current display, or,
# when there is none, on a private Xvfb (saying so). Arguments go to kelvora.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" -DCMAKE_BUILD_TYPE=RelWithDebInfo
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
  eval "$("$root/scripts/display.sh")"
  trap 'kill "$KELVORA_XVFB_PID" 2>/dev/null || true' EXIT
  echo "run: no display found; Kelvora runs on the virtual display $DISPLAY (Xvfb, 1440x900)." >&2
  echo "run: take a screenshot with: DISPLAY=$DISPLAY import -window root shot.png" >&2
fi
# Global input and the hot key need X11; under Wayland Kelvora runs through XWayland.
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-xcb}
"${KELVORA_BUILD_DIR:-$root/build}/bin/kelvora" "$@"
