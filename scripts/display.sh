#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Starts a private Xvfb (1440x900) with openbox on the first free display number and
# prints "export DISPLAY=:N" for the caller to eval; the servers end with the caller's
# process group, or with `kill $KELVORA_XVFB_PID`.
set -euo pipefail
n=${KELVORA_DISPLAY_NUMBER:-90}
while [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]]; do n=$((n + 1)); done
Xvfb ":$n" -screen 0 1440x900x24 -nolisten tcp -ac >/tmp/kelvora-xvfb-$n.log 2>&1 &
xvfb=$!
for _ in $(seq 100); do
  DISPLAY=":$n" xdpyinfo >/dev/null 2>&1 && break
  sleep 0.1
done
DISPLAY=":$n" openbox --sm-disable >/tmp/kelvora-openbox-$n.log 2>&1 &
for _ in $(seq 100); do
  DISPLAY=":$n" xprop -root _NET_SUPPORTING_WM_CHECK _NET_SUPPORTED 2>/dev/null | grep -q '_NET_SUPPORTED(ATOM)' && break
  sleep 0.1
done
echo "export DISPLAY=:$n KELVORA_XVFB_PID=$xvfb"
