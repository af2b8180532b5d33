#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian 12 packages Kelvora needs to build, run and test.
# Safe to run again: it only calls apt-get when something is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config ccache
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev qt6-l10n-tools libqt6svg6
  libsqlite3-dev sqlite3 libxml2-dev libplist-dev libplist++-dev
  libxcb1-dev libxcb-xfixes0-dev libxcb-xinput-dev libxcb-keysyms1-dev
  libxcb-ewmh-dev libxcb-icccm4-dev libx11-dev libx11-xcb-dev
  libpoppler-qt6-dev libglib2.0-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  clang-14 libclang-rt-14-dev
  xvfb xauth openbox xdotool x11-utils imagemagick dbus dbus-x11
  libgtk-3-dev
  libxcb-xtest0-dev
  fonts-dejavu-core
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if ((${#missing[@]})); then
  echo "install-deps: installing ${missing[*]}"
  sudo_cmd=()
  [[ $(id -u) -ne 0 ]] && sudo_cmd=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
