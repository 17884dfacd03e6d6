#!/bin/bash
# SPDX-License-Identifier: MIT
# Runs the built program as a user meets it, on a real X server: Xvfb with the trayer
# notification area, a fake auction site reached as the HTTP proxy, a stand-in browser first
# on PATH, xclip for the clipboard, xdotool for keyboard and pointer, and ImageMagick's
# import for what shows. Nothing in the program is made for the test. Minutes are real
# minutes: the whole run takes about five.
#
# Usage: run_e2e.sh PROGRAM [SCREENSHOT_DIR]
#   SCREENSHOT_DIR (or LOTWARDEN_E2E_SHOTS) keeps the screenshots; a new temporary folder
#   otherwise, which is kept and named at the end.
set -u

program="${1:?usage: run_e2e.sh PROGRAM [SCREENSHOT_DIR]}"
here="$(cd "$(dirname "$0")" && pwd)"
tests_dir="$(dirname "$here")"
source "$tests_dir/desktop.sh"
shots="${2:-${LOTWARDEN_E2E_SHOTS:-}}"
[ -n "$shots" ] || shots="$(mktemp -d /tmp/lotwarden-e2e-shots.XXXXXX)"
mkdir -p "$shots"
work="$(mktemp -d)"
xvfb_pid="" trayer_pid="" site_pid="" program_pid="" xclip_pid=""
step="setup"

cleanup() {
  # What the site, the browser and the program said stays with the screenshots.
  cp "$work/site.log" "$shots/site.log" 2>/dev/null
  cp "$work/browser.log" "$shots/browser.log" 2>/dev/null
  cp "$work/program.err" "$shots/program.err" 2>/dev/null
  stop_processes "$program_pid" "$xclip_pid" "$site_pid" "$trayer_pid" "$xvfb_pid"
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

log() { echo "[$(date +%T)] $*"; }

fail() {
  echo "FAIL step $step: $*"
  if [ -n "$program_pid" ] && ! kill -0 "$program_pid" 2>/dev/null; then
    wait "$program_pid"
    echo "(the program is no longer running: exit status $?)"
    program_pid=""
  fi
  echo "--- requests the site saw:"
  cat "$work/site.log" 2>/dev/null
  echo "--- URLs the browser received:"
  cat "$work/browser.log" 2>/dev/null
  echo "--- program's standard error (last 30 lines):"
  tail -n 30 "$work/program.err" 2>/dev/null
  echo "screenshots: $shots"
  exit 1
}

pass() { echo "PASS step $step: $*"; }

for tool in Xvfb trayer xdotool xclip import compare xwininfo python3; do
  command -v "$tool" >/dev/null || fail "$tool is not installed"
done
[ -x "$program" ] || fail "no program at $program"
# The distribution's interpreter starts in a tenth of the time of a version-manager shim.
python=python3
[ -x /usr/bin/python3 ] && python=/usr/bin/python3

# Polls the command "$2..." every 0.2 s for up to $1 seconds.
wait_for() {
  local seconds="$1" i
  shift
  for ((i = 0; i < seconds * 5; i++)); do
    "$@" && return 0
    sleep 0.2
  done
  "$@"
}

now_ms() { echo $(($(date +%s%N) / 1000000)); }

alive() { kill -0 "$program_pid" 2>/dev/null; }

# --- the display, the notification area ------------------------------------------------------

start_xvfb 161 240 "$work/xvfb.log" || fail "$desktop_error"
xdotool mousemove 400 300
start_trayer "$work/trayer.log" || fail "$desktop_error"

# --- the site ---------------------------------------------------------------------------------

declare -A site=([mode]=item [price]="1,000 円" [left]="2時間" [title]="Old camera")
site_set() {
  local pair key
  for pair in "$@"; do site[${pair%%=*}]="${pair#*=}"; done
  : >"$work/control.tmp"
  for key in "${!site[@]}"; do printf '%s=%s\n' "$key" "${site[$key]}" >>"$work/control.tmp"; done
  mv "$work/control.tmp" "$work/control"
}
site_start() {
  "$python" "$here/fake_site.py" --port "${1:-0}" --port-file "$work/port" \
    --control "$work/control" --log "$work/site.log" 2>>"$work/site.err" &
  site_pid=$!
  wait_for 10 test -s "$work/port" || fail "the fake site did not start"
}
site_stop() {
  kill "$site_pid" && wait "$site_pid" 2>/dev/null
  site_pid=""
}
site_set
: >"$work/site.log"
site_start 0
port="$(cat "$work/port")"

# GETs of item pages that reached the site, and the last of them.
gets() { grep -c ' GET http://page.auctions.yahoo.co.jp/jp/auction/' "$work/site.log"; }
last_get() { grep ' GET ' "$work/site.log" | tail -n 1; }
gets_above() { [ "$(gets)" -gt "$1" ]; }

# --- the program ------------------------------------------------------------------------------

export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
export LOTWARDEN_E2E_BROWSER_LOG="$work/browser.log"
: >"$LOTWARDEN_E2E_BROWSER_LOG"
export PATH="$here/bin:$PATH"
export http_proxy="http://127.0.0.1:$port"
unset no_proxy NO_PROXY HTTP_PROXY all_proxy ALL_PROXY
# The XEmbed notification area only: no session bus, so no StatusNotifierItem host.
export DBUS_SESSION_BUS_ADDRESS="unix:path=$work/no-bus"
export QT_QPA_PLATFORM=xcb
unset QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS
# In the sanitizer build, as the test command runs it; X11 client libraries are not ours.
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}:suppressions=$tests_dir/asan_x11.supp"
export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$tests_dir/lsan.supp:print_suppressions=0}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"

started_ms=$(now_ms)
"$program" >"$work/program.out" 2>"$work/program.err" &
program_pid=$!

# --- what shows -------------------------------------------------------------------------------

main_window() { xdotool search --onlyvisible --name '^Lotwarden$' 2>/dev/null | head -n 1; }
window_shown() { [ -n "$(main_window)" ]; }
window_gone() { [ -z "$(main_window)" ]; }

# The icon: the program's window docked inside trayer's panel. Sets ix iy iw ih.
find_icon() {
  local line
  line="$(xwininfo -root -tree 2>/dev/null | awk '
    /"panel": \("panel" "trayer"\)/ { inpanel = 1; next }
    inpanel && /\("lotwarden" "lotwarden"\)/ { print $(NF-1), $NF; exit }')"
  [ -n "$line" ] || return 1
  read -r size abs <<<"$line"
  iw="${size%%x*}"
  ih="${size#*x}"
  ih="${ih%%[+-]*}"
  abs="${abs#+}"
  ix="${abs%%+*}"
  iy="${abs#*+}"
  [ "$iw" -gt 0 ] && [ "$ih" -gt 0 ]
}
icon_docked() { find_icon; }
icon_undocked() { ! find_icon; }

# The face on the icon, read off the screen, in one line:
#   outline=N yellow=N grey=N black=N centre=X,Y radius=R minute=MM:0|1 others=N
# outline counts the rim's grey (128,128,128) pixels, yellow and grey the face fills
# (255,255,0 and 192,192,192: grey is see-through in the icon, so it should be 0). For the
# minute MM (of the wall clock) it tells whether black lies where that minute's hand reaches,
# at 0.8 of the radius, beyond the hour hand; others counts black at the three points a
# quarter turn away.
face() {
  local minute="${1:-0}"
  import -window root -depth 8 -crop "${iw}x${ih}+${ix}+${iy}" txt:- 2>/dev/null |
    awk -v form=minute -v m="$minute" -f "$tests_dir/clock_icon.awk"
}
field() { local f="${2#*"$1="}"; echo "${f%% *}"; }

shot() { import -window root -crop "$2" "$shots/$1.png" 2>/dev/null; }
shot_icon() {
  import -window root -crop "${iw}x${ih}+${ix}+${iy}" png:- 2>/dev/null |
    convert - +repage -filter point -resize 800% "$shots/$1.png" 2>/dev/null
}

# The program's visible top-level windows other than the main window and the icon, as
# "id x y w h" lines: the popup menu or a tooltip.
popups() {
  local id main
  main="$(main_window)"
  for id in $(xdotool search --onlyvisible --classname '^lotwarden$' 2>/dev/null); do
    [ "$id" = "$main" ] && continue
    # A tooltip may go between the search and this look.
    geometry="$(xdotool getwindowgeometry --shell "$id" 2>/dev/null)" || continue
    eval "$geometry"
    [ "$X" = "$ix" ] && [ "$Y" = "$iy" ] && continue
    echo "$id $X $Y $WIDTH $HEIGHT"
  done
}
# A tooltip is one line of text high; the menu is five entries high.
tooltip_line() { popups | awk '$5 < 40 { print; exit }'; }
menu_line() { popups | awk '$5 >= 60 { print; exit }'; }
tooltip_up() { [ -n "$(tooltip_line)" ]; }
menu_up() { [ -n "$(menu_line)" ]; }
menu_down() { [ -z "$(menu_line)" ]; }
no_tooltip() { [ -z "$(tooltip_line)" ]; }

pointer_away() { xdotool mousemove 300 400; }

# Moves the pointer onto the icon (acknowledging an alert and restarting a paused tick).
pointer_on_icon() {
  xdotool mousemove $((ix + iw / 2)) $((iy + ih / 2))
  xdotool mousemove $((ix + iw / 2 + 1)) $((iy + ih / 2))
}

# Hovers over the icon until the tooltip shows; saves it as $1.png (the tooltip window
# alone) and $1-screen.png (the top of the screen), and sets tip_w to its width.
tooltip() {
  pointer_away
  wait_for 3 no_tooltip
  pointer_on_icon
  wait_for 5 tooltip_up || fail "no tooltip over the icon"
  sleep 0.3
  local id x y h
  read -r id x y tip_w h <<<"$(tooltip_line)"
  import -window "$id" "$shots/$1.png" 2>/dev/null
  shot "$1-screen" "800x120+0+0"
  log "tooltip $1: ${tip_w}x$h at $x,$y"
}

# Runs popup menu entry $1 (1 Open WatchList, 2 Open URL, 3 ClipBoard, 4 Config., 5 End)
# with the keyboard; $2 names a screenshot of the open menu. Moves the pointer over the icon
# first and waits for a tick, so the minute of the menu is the tick's own.
menu_command() {
  local keys=() i
  pointer_on_icon
  sleep 1.3
  xdotool click 3
  wait_for 3 menu_up || fail "the popup menu did not open"
  menu_at="$(menu_line)"
  [ -n "${2:-}" ] && sleep 0.3 && shot "$2" "800x200+0+0"
  for ((i = 0; i < $1; i++)); do keys+=(Down); done
  xdotool key "${keys[@]}" Return
  wait_for 3 menu_down || fail "the popup menu did not close"
}
# After the menu the tick waits for the pointer over the icon.
resume_tick() {
  pointer_on_icon
  sleep 0.3
  pointer_away
}

# Window-relative positions of the controls, in pixels at 96 dpi.
click_in_window() {
  local w
  w="$(main_window)"
  xdotool mousemove --window "$w" "$1" "$2" click 1
}
focus_window() { xdotool windowfocus --sync "$(main_window)"; }
click_tasktray() { click_in_window 96 88; }
click_id() { click_in_window 76 9; }
# The interval read-out beside the slider (the slider itself looks different with focus).
crop_interval() {
  local w
  w="$(main_window)"
  eval "$(xdotool getwindowgeometry --shell "$w")"
  import -window root -crop "17x17+$((X + 80))+$((Y + 24))" "$1" 2>/dev/null
}
# The three check boxes.
crop_checks() {
  local w
  w="$(main_window)"
  eval "$(xdotool getwindowgeometry --shell "$w")"
  import -window root -crop "20x52+$((X + 6))+$((Y + 46))" "$1" 2>/dev/null
}
same_image() { [ "$(compare -metric AE "$1" "$2" null: 2>&1)" = 0 ]; }
# Black pixels inside check box $2 (0..2) of the crop $1: the tick mark.
check_marks() {
  convert "$1" +repage -crop "14x14+3+$((3 + $2 * 16))" +repage -depth 8 txt:- 2>/dev/null |
    grep -cE '\((0|[1-5]?[0-9]),(0|[1-5]?[0-9]),(0|[1-5]?[0-9])\)'
}
# Reads the ID box through the clipboard, as a user copies it.
read_id() {
  focus_window
  click_id
  xdotool key ctrl+a ctrl+c
  sleep 0.3
  xclip -o -selection clipboard 2>/dev/null
}
# On a loaded machine (the sanitizer build, a busy host) xclip can take seconds to own the
# selection, so it gets three tries of five seconds.
put_clipboard() {
  local try
  for try in 1 2 3; do
    [ -n "$xclip_pid" ] && kill "$xclip_pid" 2>/dev/null && wait "$xclip_pid" 2>/dev/null
    printf '%s' "$1" | xclip -quiet -selection clipboard >/dev/null 2>&1 &
    xclip_pid=$!
    wait_for 5 test "$(xclip -o -selection clipboard 2>/dev/null)" = "$1" && return 0
    log "xclip has not taken the clipboard (try $try)"
  done
  fail "xclip did not take the clipboard"
}

# Waits until the wall clock is at most $1 seconds into a minute, at least 2 seconds in.
minute_room() {
  local s
  s=$((10#$(date +%S)))
  if [ "$s" -gt "$1" ] || [ "$s" -lt 2 ]; then
    log "waiting for the next minute"
    while s=$((10#$(date +%S))); [ "$s" -ne 2 ]; do sleep 0.3; done
  fi
}

item_url="http://page.auctions.yahoo.co.jp/jp/auction"
id1="x1234567890"
id2="w987654321"

# --- 1. Start ---------------------------------------------------------------------------------
step=1
wait_for 10 window_shown || fail "the window did not appear"
shown_ms=$(now_ms)
log "window mapped $((shown_ms - started_ms)) ms after start"
wait_for 15 icon_docked || fail "the icon did not dock in trayer's panel"
log "icon docked at ${iw}x${ih}+${ix}+${iy}"
win="$(main_window)"
eval "$(xdotool getwindowgeometry --shell "$win")"
[ "$WIDTH" = 132 ] && [ "$HEIGHT" = 102 ] || fail "window is ${WIDTH}x$HEIGHT, not 132x102"
[ "$(xdotool getwindowname "$win")" = Lotwarden ] || fail "window title: $(xdotool getwindowname "$win")"
sleep 1.5
shot 1-start "800x150+0+0"
shot_icon 1-icon-x8
crop_checks "$work/checks-start.png"
marks="$(check_marks "$work/checks-start.png" 0) $(check_marks "$work/checks-start.png" 1) $(check_marks "$work/checks-start.png" 2)"
read -r m0 m1 m2 <<<"$marks"
[ "$m0" -ge 5 ] && [ "$m1" -ge 5 ] && [ "$m2" -lt 5 ] ||
  fail "check boxes at start (dark pixels $marks): not checked, checked, unchecked"
crop_interval "$work/interval-start.png"
got="$(read_id)"
[ -z "$got" ] || fail "the ID box is not empty: \"$got\""
minute=$((10#$(date +%M)))
f="$(face "$minute")"
[[ "$f" == *"minute=$minute:1 "* ]] || f="$(face $(((minute + 59) % 60)))"
log "face: $f"
[ "$(field outline "$f")" -ge 20 ] || fail "no clock face on the icon: $f"
[ "$(field yellow "$f")" = 0 ] && [ "$(field grey "$f")" = 0 ] || fail "the face is not see-through: $f"
[[ "$f" == *":1 others=0"* ]] || fail "the minute hand does not show minute $minute: $f"
pass "window 132x102 \"Lotwarden\" with Current Bid and Time Left checked and Title not; icon docked ${iw}x${ih} showing minute $minute, see-through face"

# --- 2. ID, interval 1, TaskTray --------------------------------------------------------------
step=2
focus_window
xdotool type --delay 40 "$id1"
# Tab to the slider; from Home, four steps right must give back the start value 5.
xdotool key Tab Home
sleep 0.3
crop_interval "$work/interval-1.png"
xdotool key Right Right Right Right
sleep 0.3
crop_interval "$work/interval-5.png"
same_image "$work/interval-5.png" "$work/interval-start.png" || fail "the slider did not start at 5"
same_image "$work/interval-1.png" "$work/interval-5.png" && fail "the interval row does not change with the slider"
xdotool key Home
sleep 0.3
shot 2-filled "140x110+0+0"
before=$(gets)
xdotool key Tab Tab Tab Tab space
wait_for 3 gets_above "$before" || fail "no GET reached the site after TaskTray"
line="$(last_get)"
[[ "$line" == *" GET $item_url/$id1 HTTP/1.1" ]] || fail "unexpected request: $line"
wait_for 3 window_gone || fail "the window is still shown after TaskTray"
sleep 2
[ "$(gets)" = $((before + 1)) ] || fail "more than one GET after TaskTray"
tooltip 2-tooltip
price_tip_w=$tip_w
pointer_away
pass "one GET $item_url/$id1 at once, window unmapped, tooltip ${tip_w}px (2-tooltip.png)"

# --- 3. The price changes: the icon blinks until the pointer moves over it ----------------------
step=3
site_set "price=1,500 円"
before=$(gets)
wait_for 75 gets_above "$before" || fail "no scheduled fetch within 75 s"
log "scheduled fetch: $(last_get)"
sleep 1.2
# A picture of the yellow face, for the record.
for _ in $(seq 8); do
  shot_icon 3-yellow-x8
  [ "$(convert "$shots/3-yellow-x8.png" txt:- 2>/dev/null | grep -c '(255,255,0')" -gt 1000 ] && break
  sleep 0.3
done
"$python" "$here/watch_colour.py" --rect "${iw}x${ih}+${ix}+${iy}" --colour 255,255,0 \
  --count 30 --every 0.15 >"$work/yellow" || fail "could not read the screen"
awk '{ print $1, ($2 > 20 ? "Y" : ".") }' "$work/yellow" >"$work/blink"
samples="$(awk '{ printf "%s", $2 }' "$work/blink")"
# Yellow on alternate seconds: the colour changes at least four times, and each whole run of
# one colour lasts about a second (from its first sample to the next run's first sample).
runs="$(awk '$2 != prev { if (n++) t[n - 1] = $1; prev = $2 } END { for (i = 2; i < n; i++) printf "%d ", t[i] - t[i - 1] }' "$work/blink")"
log "face every 0.15 s: $samples; whole runs (ms): $runs"
[[ "$samples" == *Y* && "$samples" == *.* ]] || fail "the icon did not blink: $samples"
[ "$(wc -w <<<"$runs")" -ge 3 ] || fail "fewer than four changes of colour in 5 s: $samples"
for r in $runs; do
  [ "$r" -ge 600 ] && [ "$r" -le 1500 ] || fail "a colour lasted $r ms, not about a second: $samples"
done
pointer_on_icon
sleep 1.1
"$python" "$here/watch_colour.py" --rect "${iw}x${ih}+${ix}+${iy}" --colour 255,255,0 \
  --count 20 --every 0.15 >"$work/yellow" || fail "could not read the screen"
awk '$2 > 0 { bad = 1 } END { exit bad }' "$work/yellow" ||
  fail "still yellow more than a second after the pointer moved over the icon"
shot_icon 3-acknowledged-x8
tooltip 3-tooltip
cp "$shots/3-tooltip.png" "$work/tooltip-1500.png"
pointer_away
pass "blinking yellow ($samples), grey within 1.1 s of the pointer over the icon"

# --- 4. Time left runs down: the interval halves; the end brings the saved interval back --------
step=4
minute_room 25
site_set "left=3&nbsp;分"
menu_command 4
wait_for 3 window_shown || fail "Config. did not show the window"
focus_window
click_id
xdotool key Tab Home Right Right Right
sleep 0.3
crop_interval "$work/interval-4.png"
shot 4-interval-4 "140x110+0+0"
same_image "$work/interval-4.png" "$work/interval-1.png" && fail "the slider did not move to 4"
before=$(gets)
click_tasktray
wait_for 3 gets_above "$before" || fail "no GET after TaskTray"
first_s="$(last_get | cut -d' ' -f1)"
first_m="$(last_get | cut -d' ' -f2 | cut -d: -f1,2)"
wait_for 3 window_gone || fail "the window is still shown after TaskTray"
site_set "left=終了"
log "fetch with 3 minutes left at $first_m; the next one is due a minute later, not four"
wait_for 80 gets_above $((before + 1)) || fail "no fetch within 80 s: the interval did not halve to 1"
second_s="$(last_get | cut -d' ' -f1)"
second_m="$(last_get | cut -d' ' -f2 | cut -d: -f1,2)"
gap=$(awk -v a="$first_s" -v b="$second_s" 'BEGIN { printf "%d", b - a }')
next_m="$(date -d "$first_m today + 1 minute" +%H:%M 2>/dev/null)"
[ "$second_m" = "$next_m" ] || fail "the next fetch came at $second_m, not at $next_m"
sleep 2
tooltip 4-tooltip-ended
menu_command 4
wait_for 3 window_shown || fail "Config. did not show the window"
sleep 0.5
crop_interval "$work/interval-after-end.png"
shot 4-config-after-end "140x110+0+0"
same_image "$work/interval-after-end.png" "$work/interval-4.png" ||
  fail "after the end the interval row does not show 4 (4-config-after-end.png)"
# Back to the tray; the auction is still over, so the interval stays 4.
before=$(gets)
click_tasktray
wait_for 3 gets_above "$before" || fail "no GET after TaskTray"
wait_for 3 window_gone || fail "the window is still shown after TaskTray"
pass "3 minutes left at $first_m halved the interval: next GET at $second_m (${gap}s later); \"終了\" put the saved 4 back"

# --- 5. The popup menu ------------------------------------------------------------------------
step=5
px=$((ix + iw / 2 + 1))
py=$((iy + ih / 2))
menu_command 2 5-menu
read -r _ mx my mw mh <<<"$menu_at"
log "menu ${mw}x$mh at $mx,$my; pointer at $px,$py"
[ $((my - py)) -ge -2 ] && [ $((my - py)) -le 2 ] && [ "$mx" -le "$px" ] && [ $((mx + mw)) -ge "$px" ] ||
  fail "the menu (${mw}x$mh+$mx+$my) is not at the pointer ($px,$py)"
wait_for 3 test -s "$LOTWARDEN_E2E_BROWSER_LOG" || fail "Open URL reached no browser"
got="$(tail -n 1 "$LOTWARDEN_E2E_BROWSER_LOG")"
[ "$got" = "$item_url/$id1" ] || fail "Open URL opened \"$got\""
resume_tick
menu_command 1
wait_for 3 test "$(wc -l <"$LOTWARDEN_E2E_BROWSER_LOG")" -ge 2 || fail "Open WatchList reached no browser"
got="$(tail -n 1 "$LOTWARDEN_E2E_BROWSER_LOG")"
[ "$got" = "http://page.auctions.yahoo.co.jp/jp/show/mystatus?select=watchlist" ] ||
  fail "Open WatchList opened \"$got\""
resume_tick
site_set "price=800 円" "left=1日"
put_clipboard "$id2"
before=$(gets)
menu_command 3
wait_for 3 gets_above "$before" || fail "ClipBoard fetched nothing"
line="$(last_get)"
[[ "$line" == *" GET $item_url/$id2 HTTP/1.1" ]] || fail "ClipBoard fetched: $line"
resume_tick
menu_command 4
wait_for 3 window_shown || fail "Config. did not show the window"
sleep 0.5
shot 5-config "140x110+0+0"
crop_interval "$work/interval-config.png"
crop_checks "$work/checks-config.png"
same_image "$work/interval-config.png" "$work/interval-4.png" || fail "the interval is not the 4 left there"
same_image "$work/checks-config.png" "$work/checks-start.png" || fail "the check boxes changed"
got="$(read_id)"
[ "$got" = "$id2" ] || fail "the ID box holds \"$got\", not $id2"
click_tasktray
wait_for 3 window_gone || fail "the window is still shown after TaskTray"
pass "menu at the pointer (5-menu.png); Open URL and Open WatchList opened the exact URLs; ClipBoard fetched $id2 at once; Config. showed ID $id2, interval 4, boxes unchanged"

# --- 6. The login page ------------------------------------------------------------------------
step=6
site_set mode=login
opened=$(wc -l <"$LOTWARDEN_E2E_BROWSER_LOG")
before=$(gets)
menu_command 3 # ClipBoard: the same ID again, fetched at once
wait_for 3 gets_above "$before" || fail "no fetch"
wait_for 3 test "$(wc -l <"$LOTWARDEN_E2E_BROWSER_LOG")" -gt "$opened" || fail "the login page opened no browser"
got="$(tail -n 1 "$LOTWARDEN_E2E_BROWSER_LOG")"
[ "$got" = "$item_url/$id2" ] || fail "the login page opened \"$got\""
sleep 1.2
tooltip 6-tooltip-login
login_tip_w=$tip_w
pointer_away
# The login sentence is far wider than the status of an item page (about 2.3 times with a
# Japanese font, 1.6 times where the kana and kanji fall back to narrow boxes).
[ "$login_tip_w" -gt $((price_tip_w * 5 / 4)) ] ||
  fail "the tooltip (${login_tip_w}px) is not the login message (the item status was ${price_tip_w}px)"
pass "the browser received $got; the tooltip shows the login message (6-tooltip-login.png)"

# --- 7. The site goes away and comes back -----------------------------------------------------
step=7
site_set mode=item "price=1,500 円" "left=2時間"
site_stop
minute_room 25
menu_command 4
wait_for 3 window_shown || fail "Config. did not show the window"
focus_window
click_id
xdotool key Tab Home
sleep 0.3
click_tasktray
wait_for 3 window_gone || fail "the window is still shown after TaskTray"
sleep 1.5
alive || fail "the program ended when the site was gone"
tooltip 7-tooltip-net-error
net_tip_w=$tip_w
pointer_away
[ "$net_tip_w" -lt "$price_tip_w" ] || fail "the tooltip (${net_tip_w}px) is not the short \"net error\""
before=$(gets)
site_start "$port"
log "site back; waiting for the next scheduled fetch"
wait_for 75 gets_above "$before" || fail "no fetch within 75 s after the site came back"
sleep 1.5
alive || fail "the program ended"
tooltip 7-tooltip-recovered
pointer_away
same_image "$shots/7-tooltip-recovered.png" "$work/tooltip-1500.png" ||
  fail "after recovery the tooltip differs from the same page's status in step 3"
pass "\"net error\" tooltip (${net_tip_w}px) with the site stopped; next fetch $(last_get | cut -d' ' -f2) restored the status"

# --- 8. End -----------------------------------------------------------------------------------
step=8
menu_command 5
ended=0
# The sanitizer build checks for leaks on the way out, which takes a while.
for _ in $(seq 300); do
  alive || { ended=1; break; }
  sleep 0.1
done
[ "$ended" = 1 ] || fail "the program did not end after End"
wait "$program_pid"
status=$?
program_pid=""
shot 8-after-end "800x60+0+0"
[ "$status" = 0 ] || fail "the program ended with status $status"
wait_for 3 icon_undocked || fail "the icon is still in the notification area"
if grep -E 'ERROR: (Address|Leak)Sanitizer|runtime error:|SUMMARY: (Address|Leak|UndefinedBehavior)Sanitizer' \
  "$work/program.err"; then
  fail "sanitizer report"
fi
pass "icon removed, exit status 0, no sanitizer report"

total=$((($(now_ms) - started_ms) / 1000))
echo "all 8 steps passed in ${total}s; screenshots in $shots"
echo "8 passed, 0 failed"
