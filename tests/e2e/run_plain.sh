#!/bin/bash
# SPDX-License-Identifier: MIT
# The program on GNOME Shell as Debian and Fedora install it (no notification area), natively on
# Wayland or on Xwayland (_x11), installed where a package puts it (under the test's ~/.local) so
# that the shell knows its name and icon, started as the shell's launchers start it.
# Usage: run_plain.sh gnome_plain|gnome_plain_x11 PROGRAM [SCREENSHOT_DIR] (PROGRAM in its build)
set -u
host="${1:?usage: run_plain.sh gnome_plain|gnome_plain_x11 PROGRAM [SCREENSHOT_DIR]}"
build="$(cd "$(dirname "${2:?}")/.." && pwd)"
shots="${3:-$(mktemp -d "/tmp/lotwarden-e2e-plain.XXXXXX")}"
source "$(dirname "$0")/common.sh"

# --- the program installed, the desktop, the site -----------------------------------------------
local_dir="$work/home/.local"
cmake --install "$build" --prefix "$local_dir" >/dev/null || fail "the build did not install"
# The shell lists a desktop entry only where its program is on the PATH.
export PATH="$work/bin:$local_dir/bin:$PATH"
[ "$host" = gnome_plain_x11 ] && gnome_x11=1
start_desktop gnome_plain "$work" || fail "$desktop_error"
user_environment
browsed() { cat "$LOTWARDEN_E2E_BROWSER_LOG"; }
if [ -n "${gnome_x11:-}" ]; then
  poll 10 eval 'DISPLAY="$(shell_probe Getenv DISPLAY)" && [ -n "$DISPLAY" ]' || fail "no Xwayland"
  export DISPLAY XAUTHORITY="$(compgen -G "$work/run/.mutter-Xwaylandauth.*")" QT_QPA_PLATFORM=xcb
fi
window() { shell_probe Window "uint32 $1"; }  # see the probe
tray() { echo -e "$(shell_probe Notifications io.github.lotwarden.lotwarden.desktop)"; }
sleep 1 && shell_probe Clear >/dev/null  # the shell's own notification, as root
a11y() { /usr/bin/python3 "$work/bin/probe.py" a11y 2>/dev/null; }
# The program's Notify calls (not GNOME's service's to its shell): "replaced id|summary" a line.
dbus-monitor --session "interface='org.freedesktop.Notifications'" \
  >"$work/notify.log" 2>&1 & pids+=($!)
notifies() {
  awk '/destination=org.freedesktop.Notifications .*member=Notify$/ { n = 1; next }
       n == 2 { id = $2 } n == 4 { s = $0; sub(/^ *string "/, "", s); sub(/"$/, "", s)
       print id "|" s; n = 0 } n { n++ }' "$work/notify.log"
}

# --- the window ---------------------------------------------------------------------------------
item_url="http://page.auctions.yahoo.co.jp/jp/auction/x1234567890"
watch_url="http://page.auctions.yahoo.co.jp/jp/show/mystatus?select=watchlist"
status="1,000 円/残り2時間" changed="2,000 円/残り2時間"
start_program "$local_dir/bin/lotwarden"
step=window
poll 15 eval 'window "$program_pid" | grep -q "|true|true|false|0|"' ||
  fail "no focused ordinary window in Alt+Tab: $(window "$program_pid")"
IFS='|' read -r title app name _ _ _ _ _ _ width < <(window "$program_pid")
[ "$title|$app|$name" = "Lotwarden|io.github.lotwarden.lotwarden.desktop|Lotwarden" ] ||
  fail "the shell sees \"$title\" of $app ($name)"
pass "an ordinary window of the desktop entry's app \"$name\", $width px wide, focused, in Alt+Tab"

step=status
tasktray x1234567890
poll 5 eval '[ "$(gets)" = 1 ]' || fail "no GET after TaskTray"
poll 5 eval 'a11y | grep -Fxq "label|$status|"' || fail "no status line: $(a11y | grep label)"
window_shown && poll 5 eval '[ "$(tray)" = "$status" ]' || fail "the message tray holds: $(tray)"
sleep 0.5 && look "$shots/gnome-plain.png" 660x230+0+0
pass "the status line \"$status\" in the window and one notification of it"

step=replace
echo "price=2,000 円" >"$work/control"
keys 0x20  # "TaskTray" again, which has the focus: a fetch now
poll 5 eval '[ "$(gets)" = 2 ]' || fail "no second GET"
poll 5 eval '[ "$(notifies | wc -l)" = 2 ]' && notifies | sed -n 2p | grep -Eqx "[1-9][0-9]*\|$changed" ||
  fail "the second Notify replaced nothing: $(notifies)"
poll 5 eval '[ "$(tray)" = "$changed" ]' || fail "the message tray holds: $(tray)"
pass "the second change replaced the first ($(notifies | tr '\n' ' ')); one notification"

step=default-action
# A click on the banner; again if it came while the banner moved.
sleep 0.5 && look "$shots/banner.png"
for _ in 1 2 3; do move 400 70 && click 1 && poll 3 test -s "$LOTWARDEN_E2E_BROWSER_LOG" && break; done
sleep 1 && [ "$(browsed)" = "$item_url" ] || fail "the browser got: $(browsed)"
pass "the banner's click opened the item page once"

step=menu
# Shift+F10, the Menu key, a right click on the ID box (its menu ends with the commands), as heard.
: >"$LOTWARDEN_E2E_BROWSER_LOG"
/usr/bin/python3 "$work/bin/probe.py" focus >"$work/focus.log" 2>&1 & heard=$! && pids+=($heard)
poll 5 grep -q listening "$work/focus.log" || fail "no AT-SPI"
# Presses KEYSYM until NAME is heard last, up to 3 times: a key is lost until the menu is up, and
# what is heard first may be the menu's own opening. Never past NAME.
press() {
  local i before name="$2" start
  start="$(wc -l <"$work/focus.log")"
  for i in 1 2 3; do
    before="$(wc -l <"$work/focus.log")" && keys "$1"
    poll 8 eval '[ "$(wc -l <"$work/focus.log")" -gt "$before" ]'
    poll 1 eval '[ "$(tail -1 "$work/focus.log")" = "$name" ]' && return
    tail -n +"$((start + 1))" "$work/focus.log" | grep -Fxq "$name" && break
  done
  fail "no \"$name\" heard after key $1: $(tail -3 "$work/focus.log" | tr '\n' ' ')"
}
move 700 500 && chord 0xffe1 0xffc7 && press 0xff54 "menu item|Open WatchList" && keys 0xff0d
poll 5 test -s "$LOTWARDEN_E2E_BROWSER_LOG" && keys 0xff67  # the Menu key, once that ran
press 0xff54 "menu item|Open URL" && keys 0xff0d
urls="$watch_url"$'\n'"$item_url"
poll 5 eval '[ "$(browsed)" = "$urls" ]' || fail "the browser got: $(browsed)"
# The ID copied from its box, then "ClipBoard" (up from the end): the ID again, fetched at once.
keys 0xfe20 0xfe20 0xfe20 0xfe20 0xfe20  # Shift+Tab from "TaskTray"
poll 5 eval '[ "$(tail -1 "$work/focus.log")" = "text|ID" ]' || fail "the ID box has no focus"
# Where the window is now: the shell may report it at the work area's corner until it is placed.
IFS='|' read -r _ _ _ _ _ _ _ wx wy _ < <(window "$program_pid")
chord 0xffe3 0x61 && chord 0xffe3 0x63 && move $((wx + 70)) $((wy + 42)) && click 3
press 0xff52 "menu item|End" && press 0xff52 "menu item|Config."
press 0xff52 "menu item|ClipBoard" && keys 0xff0d
poll 5 eval '[ "$(gets)" = 3 ]' || fail "\"ClipBoard\" fetched nothing"
poll 5 eval '[ "$(tray)" = "$changed" ]' || fail "no notification after ClipBoard: $(tray)"
stop_processes "$heard"
entries="$(grep '^menu item|' "$work/focus.log" | cut -d'|' -f2 | sort -u | tr '\n' '|')"
[ "$entries" = "ClipBoard|Config.|End|Open URL|Open WatchList|" ] || fail "a screen reader heard $entries"
pass "the menu from Shift+F10, the Menu key and a right click; a screen reader heard $entries"

step=alt-tab
/usr/bin/python3 -c 'import gi; gi.require_version("Gtk", "4.0"); from gi.repository import GLib, Gtk
Gtk.init(); w = Gtk.Window(title="Other"); w.present(); GLib.MainLoop().run()' >/dev/null 2>&1 &
other=$! && pids+=($other)
poll 10 eval 'window "$other" | grep -q "^Other|.*|true|true|"' || fail "the other window did not take the focus"
chord 0xffe9 0xff09  # Alt+Tab
poll 5 eval 'window "$program_pid" | grep -q "|true|true|false|"' ||
  fail "Alt+Tab did not come back: $(window "$program_pid")"
# Its activation acknowledges the price change: the notification is withdrawn.
poll 5 eval '[ -z "$(tray)" ] && grep -q member=CloseNotification "$work/notify.log"' || fail "$(tray)"
stop_processes "$other"
pass "Alt+Tab back to the window, which withdrew the notification"

step=close
chord 0xffe9 0xffc1  # Alt+F4
poll 10 eval '! kill -0 $program_pid' || fail "the program did not end when its window closed"
ended_cleanly
grep 'no desktop notifications' "$work/program.err" && fail "a notification failed"
pass "closing the window ended the program with status 0"
echo "[$host] all steps passed in $((SECONDS - started)) s; screenshots in $shots"
