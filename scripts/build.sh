#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Configures and builds Kelvora into build/ (override with KELVORA_BUILD_DIR).
# Extra arguments go to CMake's configure step, e.g. -DKELVORA_SANITIZE=ON.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KELVORA_BUILD_DIR:-$root/build}
# Paths relative to the checkout let ccache share objects between checkouts.
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$root}
cmake -S "$root" -B "$build" -G Ninja "$@" >/dev/null
cmake --build "$build" --parallel "$(nproc)"
