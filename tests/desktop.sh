# SPDX-License-Identifier: MIT
# Sourced by the bash scripts that run things on a real X server: an Xvfb display with the
# trayer notification area (XEmbed), and stopping what they started.

# Starts Xvfb (800x600, 24 bits, no TCP) on the first free display in $1..$2, with its output
# in the file $3, and waits up to 10 s for it to accept clients. Each script keeps its own range
# so that they can run side by side. Sets xvfb_pid and display and exports DISPLAY; on failure
# returns 1 with the reason in desktop_error.
start_xvfb() {
  local n
  display=""
  for n in $(seq "$1" "$2"); do
    if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then
      display="$n"
      break
    fi
  done
  if [ -z "$display" ]; then
    desktop_error="no free X display"
    return 1
  fi
  Xvfb ":$display" -screen 0 800x600x24 -nolisten tcp >"$3" 2>&1 &
  xvfb_pid=$!
  export DISPLAY=":$display"
  wait_up_to_10s xdotool getdisplaygeometry && return 0
  desktop_error="Xvfb did not start"
  return 1
}

# Starts trayer's panel at the top right of $DISPLAY, with its output in the file $1, and waits
# up to 10 s for its window to show. Sets trayer_pid; on failure returns 1 with the reason in
# desktop_error.
start_trayer() {
  trayer --edge top --align right --widthtype request --height 32 --SetDockType true \
    --transparent false >"$1" 2>&1 &
  trayer_pid=$!
  wait_up_to_10s xdotool search --onlyvisible --classname '^panel$' && return 0
  desktop_error="trayer's panel did not show"
  return 1
}

# Runs the command "$@" (output discarded) every 0.1 s until it succeeds, for up to 10 s.
wait_up_to_10s() {
  local i
  for ((i = 0; i < 100; i++)); do
    "$@" >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  "$@" >/dev/null 2>&1
}

# Ends the processes with the ids given (empty ones are skipped) and waits for them.
stop_processes() {
  local pid
  for pid in "$@"; do
    [ -n "$pid" ] && kill "$pid" 2>/dev/null
  done
  for pid in "$@"; do
    [ -n "$pid" ] && wait "$pid" 2>/dev/null
  done
}
