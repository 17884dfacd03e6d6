#!/bin/bash
# SPDX-License-Identifier: MIT
# What the blinking clock costs a desktop that shows it through D-Bus: the host's CPU time while
# the face blinks and once it stands still, SECONDS each, and the bytes of one IconPixmap reply.
# The desktop test script runs the host and the program (any build of it) and calls this at
# both moments. Usage: bench/blink_cost.sh plasma|gnome|xfce|sway PROGRAM [SECONDS]
set -u
if [ "${1:-}" = --at ]; then  # --at blinking|still WORK: one measurement
  phase="$2" work="$3" seconds="$LOTWARDEN_BLINK_SECONDS"
  pids=()
  for p in /proc/[0-9]*; do
    grep -qsxz "XDG_RUNTIME_DIR=$work/run" "$p/environ" &&
      grep -qxE 'plasmashell|gnome-shell|xfce4-panel|waybar|wrapper-2.0' "$p/comm" && pids+=("${p#/proc/}")
  done
  ticks() { cat "${pids[@]/#//proc/}"/stat 2>/dev/null | awk '{ t += $14 + $15 } END { print t }'; }
  before="$(ticks)" && sleep "$seconds" && after="$(ticks)"
  hz="$(getconf CLK_TCK)"
  echo "MEASURED $phase: host CPU $(awk -v t=$((after - before)) -v hz="$hz" 'BEGIN { printf "%.2f", t / hz }') s" \
    "in $seconds s ($(cat "${pids[@]/#//proc/}"/comm | tr '\n' ' '))"
  [ "$phase" != blinking ] ||
    echo "MEASURED IconPixmap: $(/usr/bin/python3 "$work/bin/probe.py" item | sed -n 's/^pixmaps=//p')"
  exit 0
fi
host="${1:?usage: bench/blink_cost.sh plasma|gnome|xfce|sway PROGRAM [SECONDS]}"
program="$(realpath "${2:?}")"
export LOTWARDEN_BLINK_SECONDS="${3:-60}" LOTWARDEN_E2E_AT="$(realpath "$0") --at"
cd "$(dirname "$0")/.." && bash tests/e2e/run_e2e.sh "$host" "$program" | grep -E '^(MEASURED|FAIL)'
