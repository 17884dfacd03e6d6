#!/bin/bash
# SPDX-License-Identifier: MIT
# The tray icon on a real XEmbed notification area: Xvfb with trayer, the probe program
# showing the icon through the tray adapters, xdotool for the pointer and ImageMagick's
# import to read the icon's pixels off the screen.
# Usage: tray_xembed_test.sh PROBE [SCREENSHOT_DIR]
set -u
here="$(dirname "$0")"
source "$here/desktop.sh"
probe="$1"
shots="${2:-}"
work="$(mktemp -d)"
xvfb_pid=""
trayer_pid=""
probe_pid=""

cleanup() {
  stop_processes "$probe_pid" "$trayer_pid" "$xvfb_pid"
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  if [ -n "$probe_pid" ]; then collect 500; fi
  echo "--- probe said:" >&2
  cat "$work/probe.log" >&2 2>/dev/null
  echo "--- probe errors:" >&2
  tail -n 20 "$work/probe.err" >&2 2>/dev/null
  exit 1
}

# Xvfb picks a free display itself and writes its number once it accepts clients.
Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do
  [ -s "$work/display" ] && break
  sleep 0.1
done
display="$(head -n 1 "$work/display" 2>/dev/null)"
[ -n "$display" ] || fail "Xvfb did not start"
export DISPLAY=":$display"
xdotool getdisplaygeometry >/dev/null 2>&1 || fail "no X display at $DISPLAY"
xdotool mousemove 400 300

start_trayer "$work/trayer.log" || fail "$desktop_error"

# XEmbed only: no session bus, so Qt cannot pick a StatusNotifierItem host instead.
export DBUS_SESSION_BUS_ADDRESS="unix:path=$work/no-bus"
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
export QT_QPA_PLATFORM=xcb
unset QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS
# In the sanitizer build: X11 client libraries that are not the program's own.
export ASAN_OPTIONS="${ASAN_OPTIONS:-}${ASAN_OPTIONS:+:}suppressions=$here/asan_x11.supp"

coproc PROBE { exec "$probe" 2>"$work/probe.err"; }
probe_pid=$PROBE_PID
# Own copies of the pipes: bash closes the coproc's when the probe ends.
exec {probe_out}<&"${PROBE[0]}" {probe_in}>&"${PROBE[1]}"
: >"$work/probe.log"

# Reads the probe's lines for up to $2 seconds until one matches the regex $1.
expect_line() {
  local pattern="$1" deadline line now left
  deadline=$(($(date +%s%N) + ${2%.*} * 1000000000))
  while :; do
    now=$(date +%s%N)
    left=$(((deadline - now) / 1000000))
    [ "$left" -gt 0 ] || return 1
    if IFS= read -r -t "$((left / 1000)).$(printf %03d $((left % 1000)))" line <&"$probe_out"; then
      echo "$line" >>"$work/probe.log"
      if [[ "$line" =~ $pattern ]]; then
        matched="$line"
        return 0
      fi
    elif [ $? -le 128 ]; then
      return 1 # the probe ended
    fi
  done
}

# Every line the probe says within $1 milliseconds.
collect() {
  local line
  sleep "$(($1 / 1000)).$(printf %03d $(($1 % 1000)))"
  collected=""
  while IFS= read -r -t 0.2 line <&"$probe_out"; do
    echo "$line" >>"$work/probe.log"
    collected+="$line"$'\n'
  done
}

say() { echo "$1" >&"$probe_in"; }

expect_line '^docked ' 15 || fail "the icon did not dock"
read -r _ ix iy iw ih _ available _ raster <<<"$matched"
[ "$available" = 1 ] || fail "no notification area reported: $matched"
[ "$iw" -gt 0 ] && [ "$ih" -gt 0 ] || fail "empty icon geometry: $matched"
echo "docked at ${iw}x${ih}+${ix}+${iy}, raster ${raster}px"

# The icon's rectangle as text pixels; the face's analysis in one line:
#   fill=R,G,B bg=R,G,B up=0|1 down=0|1 right=0|1 left=0|1 outline=N centre=X,Y
grab() {
  import -window root -depth 8 -crop "${iw}x${ih}+${ix}+${iy}" txt:- >"$work/icon.txt" 2>/dev/null
  awk -v form=hands -f "$here/clock_icon.awk" "$work/icon.txt"
}

shot() {
  [ -n "$shots" ] || return 0
  mkdir -p "$shots"
  import -window root -crop "$2" "$shots/$1.png" 2>/dev/null
  convert "$shots/$1.png" +repage -filter point -resize 800% "$shots/$1-x8.png" 2>/dev/null
}

yellow="255,255,0"

# The face follows the minute, grey and see-through.
check_minute() {
  local minute="$1" hands="$2" face
  say "minute $minute"
  expect_line '^face grey ' 5 || fail "no face drawn for $minute"
  sleep 0.4
  face="$(grab)"
  echo "$minute: $face"
  [[ "$face" == *"$hands"* ]] || fail "$minute: hands not as expected ($hands): $face"
  local fill="${face#fill=}" bg="${face#*bg=}"
  fill="${fill%% *}"
  bg="${bg%% *}"
  [ "$fill" = "$bg" ] || fail "$minute: the grey face is not see-through: $face"
}
check_minute 3:00 "up=1 down=0 right=1 left=0"
shot grey-0300 "${iw}x${ih}+${ix}+${iy}"
check_minute 9:30 "up=0 down=1 right=0 left=1"
check_minute 3:00 "up=1 down=0 right=1 left=0"

# An alert: the face blinks yellow once a second.
say "alert"
saw_yellow=0
saw_clear=0
for _ in $(seq 16); do
  sleep 0.25
  face="$(grab)"
  case "$face" in
  "fill=$yellow "*)
    if [ "$saw_yellow" = 0 ]; then shot yellow-0300 "${iw}x${ih}+${ix}+${iy}"; fi
    saw_yellow=$((saw_yellow + 1))
    ;;
  *) saw_clear=$((saw_clear + 1)) ;;
  esac
done
echo "blinking: $saw_yellow yellow and $saw_clear clear samples in 4 s"
[ "$saw_yellow" -ge 3 ] && [ "$saw_clear" -ge 3 ] || fail "the face did not blink"
collect 100
faces="$(grep -c '^face yellow' "$work/probe.log")"
echo "yellow faces drawn: $faces"
[ "$faces" -ge 2 ] || fail "fewer than two yellow faces drawn"

# The pointer over the icon acknowledges the alert: grey within a second, and it stays.
face="$(grab)"
centre="${face##*centre=}"
cx=$((ix + ${centre%,*}))
cy=$((iy + ${centre#*,}))
xdotool mousemove "$cx" "$cy"
xdotool mousemove "$((cx + 1))" "$((cy + 1))"
expect_line '^mouse 512 ' 2 || fail "no pointer movement reported"
moved="${matched##* }"
expect_line '^face ' 2 || fail "no face drawn after the pointer movement"
took=$((${matched##* } - moved))
[[ "$matched" == "face grey "* ]] || fail "the face after the pointer movement is not grey"
[ "$took" -le 1250 ] || fail "the blinking stopped only after $took ms"
echo "blinking cleared ${took} ms after the pointer movement"
for _ in $(seq 8); do
  sleep 0.25
  face="$(grab)"
  [[ "$face" == "fill=$yellow "* ]] && fail "still yellow after the pointer movement: $face"
done
collect 100
grep -q '^face yellow' <<<"$collected" && fail "a yellow face after the acknowledgement"

# The tooltip: the status cut as the tray record cuts it (63 bytes).
say "status Status line longer than the tooltip field: 1,000 yen / 2 days / a probe item"
sleep 1.5
xdotool mousemove "$((cx - 1))" "$cy"
sleep 1.8
shot tooltip "800x80+0+0"

# A right click opens the popup menu at the pointer; Escape closes it.
xdotool click 3
expect_line '^mouse 516 ' 3 || fail "no right press reported"
expect_line '^menu open$' 3 || fail "the popup menu did not open"
sleep 0.5
shot menu "300x120+500+0"
xdotool key Escape
expect_line '^menu closed$' 3 || fail "the popup menu did not close"

# The end removes the icon from the notification area.
say "quit"
for _ in $(seq 50); do
  kill -0 "$probe_pid" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$probe_pid" 2>/dev/null && fail "the probe did not end"
wait "$probe_pid"
status=$?
probe_pid=""
[ "$status" = 0 ] || fail "the probe ended with status $status"
sleep 0.5
face="$(grab)"
[[ "$face" == *"outline=0 "* ]] || fail "the icon was left behind: $face"
echo "PASS"
