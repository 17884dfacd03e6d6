# SPDX-License-Identifier: MIT
# Sourced by scripts that run things on a real X server; a failing function returns 1 with the
# reason in desktop_error.

# Starts Xvfb on a display it finds free, never resetting (a reset as the last client leaves
# refuses a panel connecting meanwhile); output in $1; sets xvfb_pid and display, exports DISPLAY.
start_xvfb() {
  : >"$1.display"
  Xvfb -displayfd 3 -noreset -screen 0 800x600x24 -nolisten tcp 3>"$1.display" >"$1" 2>&1 &
  xvfb_pid=$!
  poll 10 test -s "$1.display" || { desktop_error="Xvfb did not start" && return 1; }
  display="$(cat "$1.display")"
  export DISPLAY=":$display"
}

# Starts trayer's panel (an XEmbed notification area) at the top right, its output in $1.
start_trayer() {
  trayer --edge top --align right --widthtype request --height 32 --SetDockType true \
    --transparent false >"$1" 2>&1 &
  trayer_pid=$!
  poll 10 xdotool search --onlyvisible --classname '^panel$' ||
    { desktop_error="trayer's panel did not show" && return 1; }
}

# Runs the command "$2..." (output discarded) every 0.2 s until it succeeds, for up to $1 s.
poll() {
  local i
  for ((i = 0; i < $1 * 5; i++)); do "${@:2}" >/dev/null 2>&1 && return 0 || sleep 0.2; done
  "${@:2}" >/dev/null 2>&1
}

# Ends the processes with the ids given (empty ones skipped) and waits for them.
stop_processes() {
  local pid
  for pid in "$@"; do
    [ -n "$pid" ] && kill "$pid" 2>/dev/null
  done
  for pid in "$@"; do
    [ -n "$pid" ] && wait "$pid" 2>/dev/null
  done
}
