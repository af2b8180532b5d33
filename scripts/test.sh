#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds with warnings as errors and runs every test: the
# headless ones on Qt's offscreen platform, the display group on a private Xvfb with
# openbox, all on a private D-Bus session bus. Arguments go to ctest (e.g. -L unit).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KELVORA_BUILD_DIR:-$root/build}
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" -DKELVORA_WERROR=ON -DKELVORA_TESTS=ON
eval "$("$root/scripts/display.sh")"
trap 'kill "$KELVORA_XVFB_PID" 2>/dev/null || true' EXIT
cd "$build"
dbus-run-session -- ctest --output-on-failure --parallel "$(nproc)" "$@"
