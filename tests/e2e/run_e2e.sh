#!/bin/bash
# SPDX-License-Identifier: MIT
# The program as a user meets it on trayer (XEmbed), xfce4-panel's status tray or KDE Plasma
# (StatusNotifierItem) on Xvfb, waybar's tray in a headless sway run as nobody or GNOME Shell's
# AppIndicator extension (Wayland), with the fake site as its proxy and a stand-in xdg-open. No
# fetch falls due within the run (5 min), so no step depends on the clock's second.
# HOST-late, gnome-lock and xfce-menu run what a desktop's faults must not stop (faults.sh).
# Usage: run_e2e.sh trayer|xfce|sway|gnome|plasma[-SCENARIO] PROGRAM [SCREENSHOT_DIR]
set -u
host="${1:?usage: run_e2e.sh HOST[-SCENARIO] PROGRAM [SCREENSHOT_DIR]}" program="${2:?}"
scenario="" && [[ $host == *-* ]] && scenario="${host#*-}" host="${host%%-*}"
[ "$scenario" != late ] || desktop_late=1
shots="${3:-$(mktemp -d "/tmp/lotwarden-e2e-$host.XXXXXX")}"
source "$(dirname "$0")/common.sh"
# A benchmark's look at the desktop while the face blinks, and once it stands still.
at() { [ -z "${LOTWARDEN_E2E_AT:-}" ] || $LOTWARDEN_E2E_AT "$1" "$work"; }

# --- the desktop, the user's environment, the site ----------------------------------------------
start_desktop "$host" "$work" || fail "$desktop_error"
user_environment
cp "$program" "$work/bin/" && chmod a+rx "$work/bin/$(basename "$program")"
probe() { "${as_user[@]}" /usr/bin/python3 "$work/bin/probe.py" "$@" 2>/dev/null; }
# The yellow pixels of a picture, as "X Y" lines (GNOME dims icons a little: 240,240,0).
yellows() {
  convert "$1" -depth 8 txt:- | awk -F'[,:() ]+' '$3 > 200 && $4 > 200 && $5 < 60 { print $1, $2 }'
}
# The icon: the bounding box of the blinking face's yellow in the panel, and the rim around it.
find_icon() {
  look "$work/band.png" "$panel" &&
    read -r ix iy iw ih < <(yellows "$work/band.png" | awk -v at="$panel" '
      { if (!n++) { x0 = x1 = $1; y0 = y1 = $2 }
        x0 = $1 < x0 ? $1 : x0; x1 = $1 > x1 ? $1 : x1
        y0 = $2 < y0 ? $2 : y0; y1 = $2 > y1 ? $2 : y1 }
      END { split(at, a, "+"); if (n >= 20) print x0 - 3, y0 - 3 + a[3], x1 - x0 + 7, y1 - y0 + 7
            else exit 1 }')
}

# --- the main road ------------------------------------------------------------------------------
item_url="http://page.auctions.yahoo.co.jp/jp/auction/x1234567890" status="1,000 円/残り2時間"
start_program "$work/bin/$(basename "$program")"

step=window
poll 15 window_shown || fail "the window did not show"
[ -z "$scenario" ] || { source "$here/faults.sh" && exit 0; }
poll 10 eval 'probe a11y | grep -Fxq "dialog|Lotwarden|"' ||
  fail "no dialog \"Lotwarden\" in AT-SPI"
probe a11y >"$work/a11y"
# Role, name and the caption it is labelled by.
for line in "text|ID|ID" "slider|Time (minutes)|Time" "check box|Current Bid|Current Bid" \
  "check box|Time Left|Time Left" "check box|Title|Title" "push button|TaskTray|"; do
  grep -Fxq "$line" "$work/a11y" || fail "AT-SPI has no \"$line\": $(tr '\n' ' ' <"$work/a11y")"
done
look "$shots/1-window.png"
pass "a dialog \"Lotwarden\" whose controls are named and labelled by their captions"

step=tasktray
tasktray x1234567890
poll 5 eval '[ "$(gets)" -ge 1 ]' || fail "no GET after TaskTray"
grep -q " GET $item_url HTTP/1.1" "$work/site.log" || fail "not the item page"
poll 5 eval '! window_shown' || fail "the window is still shown"
poll 10 find_icon || fail "no blinking clock face in the notification area"
cx=$((ix + iw / 2)) cy=$((iy + ih / 2))
pass "one GET of the item page; the window hid; the icon is at ${iw}x${ih}+${ix}+${iy}"
at blinking

step=blink
yellow() {
  look "$work/icon.png" "${iw}x${ih}+${ix}+${iy}" &&
    [ "$(yellows "$work/icon.png" | wc -l)" -gt 20 ]
}
move 400 300
samples=""
# Nothing but the blink turns the yellow face grey before the acknowledgement.
for _ in $(seq 40); do
  if yellow; then [[ $samples == *Y* ]] || look "$shots/2-blink.png" "$panel"; samples+=Y; else samples+=.; fi
  [[ $samples == *Y*.* ]] && break || sleep 0.1
done
[[ $samples == *Y*.* ]] || fail "the icon does not blink: $samples"
# XEmbed reports the pointer over the icon; a StatusNotifierItem host only a click, and GNOME's
# opens the menu on it, with the status line at its top.
move "$cx" "$cy"
case "$host" in
  trayer) move $((cx + 1)) "$cy" ;;
  gnome) click 1 && sleep 1 && look "$shots/3-status.png" && echo "keys 0xff1b" >&"$pointer" ;;
  *) click 1 ;;
esac
poll 3 eval '! yellow' || fail "still yellow after the acknowledgement"
for _ in $(seq 8); do ! yellow || fail "yellow again after the acknowledgement"; sleep 0.1; done
pass "the face blinked ($samples) and stayed grey once acknowledged"
at still

step=contrast
move 400 300 && sleep 1
look "$work/icon.png" "${iw}x${ih}+${ix}+${iy}"
read -r ratio against < <(probe contrast "$work/icon.png")
awk -v r="$ratio" 'BEGIN { exit !(r >= 3) }' || fail "the still face's lines stand out $ratio:1"
pass "the still face's lines stand out $ratio:1 against the panel's $against"

step=status
[ "$host" = gnome ] || { move "$cx" "$cy" && sleep 0.2 && move $((cx + 1)) "$cy"; }  # none on GNOME
if [ "$host" = trayer ]; then
  poll 5 eval 'probe a11y | grep -Fxq "tool tip|$status|"' ||
    fail "no tooltip \"$status\": $(probe a11y | grep tip)"
else  # the tooltip, and the menu's first line for hosts that show no tooltip
  poll 5 eval 'probe item >"$work/item" && grep -Fxq "tooltip=$status" "$work/item"' ||
    fail "the item's tooltip: $(head -1 "$work/item")"
  grep -Fxq "menu=$status||Open WatchList|Open URL|ClipBoard|Config.|End" "$work/item" ||
    fail "the item's menu: $(grep menu= "$work/item")"
fi
[ "$host" = gnome ] || { sleep 1.5 && look "$shots/3-status.png"; }
pass "the tooltip and the menu's first line hold \"$status\""

step=double-click
move "$cx" "$cy" && sleep 0.5
opened() { [ "$(grep -cFx "$item_url" "$LOTWARDEN_E2E_BROWSER_LOG")" -ge "$1" ]; }
for n in 1 2 3; do  # GNOME's host learns from the first how to send the next ones
  click 1 2
  poll 5 opened $n || fail "double-click $n opened nothing"
  [ "$host" != gnome ] || { sleep 0.6 && echo "keys 0xff1b" >&"$pointer"; }  # a menu it opened
  sleep 0.6
done
sleep 1
[ "$(cat "$LOTWARDEN_E2E_BROWSER_LOG")" = "$(printf '%s\n' "$item_url" "$item_url" "$item_url")" ] ||
  fail "the browser got: $(cat "$LOTWARDEN_E2E_BROWSER_LOG")"
pass "three double-clicks opened the item page three times"

step=menu
# The pointer stays in the top rows, left out of the comparison below (grim draws it).
move 400 10 && sleep 1
look "$work/before.png"
move "$cx" "$cy" && click "$([ "$host" = gnome ] && echo 1 || echo 3)" && sleep 1.2
look "$shots/4-menu.png"
read -r mw mh mx my < <(convert "$work/before.png" "$shots/4-menu.png" -compose difference \
  -composite -crop "$menu_area" +repage -threshold 0 -trim -format '%w %h %X %Y' info:)
mx=${mx#+} my=$((${my#+} + 40))
[ "$mh" -ge 70 ] || fail "no menu of five entries opened (${mw}x$mh+$mx+$my changed)"
move $((mx + mw / 2)) $((my + mh - 16)) && sleep 0.3 && click 1
poll 30 eval '! kill -0 $program_pid' || fail "the program did not end after End"
ended_cleanly
[ "$(gets)" = 1 ] || fail "$(gets) GETs in all, not the one of TaskTray"
pass "a menu ${mw}x$mh at $mx,$my; End from it ended the program with status 0"
echo "[$host] all steps passed in $((SECONDS - started)) s; screenshots in $shots"
