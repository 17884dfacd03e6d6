# SPDX-License-Identifier: MIT
# Sourced by whatever runs the program on a real desktop (the desktop tests, the benchmarks,
# scripts/desktop by hand): starts one of the notification areas headless, each with its own
# display and session bus. A failing function returns 1 with the reason in desktop_error.

desktop_drivers="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"

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

host_registered() {
  "${as_user[@]}" gdbus call --session -d org.kde.StatusNotifierWatcher -o /StatusNotifierWatcher \
    -m org.freedesktop.DBus.Properties.Get org.kde.StatusNotifierWatcher \
    IsStatusNotifierHostRegistered | grep -q true
}

# Installs the probe extension in the extensions folder $1, as a module where GNOME Shell (45 on)
# wants one.
install_probe() {
  local version
  version="$(gnome-shell --version | grep -o '[0-9]*' | head -1)" && mkdir -p "$1" &&
    cp -r "$desktop_drivers/probe@lotwarden.github.io" "$1/" || return 1
  sed -i "s/\"43\"/\"$version\"/" "$1/probe@lotwarden.github.io/metadata.json"
  [ "$version" -ge 45 ] || return 0
  sed -i -e "s|^const {Gio, GLib, Meta, Shell} = imports.gi;|import Gio from 'gi://Gio';\
import GLib from 'gi://GLib';\nimport Meta from 'gi://Meta';\nimport Shell from 'gi://Shell';|" \
    -e "s|^const Main = imports.ui.main;|import * as Main from 'resource:///org/gnome/shell/ui/main.js';|" \
    -e 's|^function init() {}|export default class {|' -e 's/^function \(en\|dis\)able/\1able/' \
    -e '$a}' "$1/probe@lotwarden.github.io/extension.js"
}

# Calls the probe's method $1 with the arguments "$2..." (gdbus's notation); prints a string
# answer as it is.
shell_probe() {
  gdbus call --session -d org.gnome.Shell -o /io/github/lotwarden/Probe \
    -m "io.github.lotwarden.Probe.$1" "${@:2}" | sed -E "s/^\('(.*)',\)$/\1/"
}

# start_desktop trayer|xfce|sway|gnome|gnome_plain|plasma WORK: the desktop, in the empty folder WORK (its
# home, runtime folder, logs), on an 800x600 screen. Adds what it starts to the array pids and
# defines how to act there as a user: look FILE [WxH+X+Y] (a screenshot), move X Y, click BUTTON
# [COUNT], window_shown and tasktray ID [least] (types the ID into the window, with least the
# interval at its least, and presses "TaskTray"), activation PROGRAM (the variables that the
# desktop's launcher would give PROGRAM, for env); start_panel, where the desktop's notification
# area is a program of its own (trayer, waybar), starts it and sets panel_pid; on GNOME keys KEYSYM... and
# chord KEYSYM....
# Sets as_user, the prefix that runs a command as the desktop's user (sway refuses root), and
# panel and menu_area, where the icon and its menu show.
start_desktop() {
  local host="$1" work="$2" variable bus
  desktop_work="$work"  # for the functions below, which run later
  mkdir -p "$work/home" "$work/run" "$work/bin" && chmod 755 "$work"
  cp "$desktop_drivers"/*.py "$work/bin/" && chmod -R a+rX "$work/bin"
  activation() { :; }  # what the environment of a program started by the desktop's launcher adds
  as_user=()  # a command prefix, so that $! of a process started in the background is that process
  if [ "$host" = sway ]; then
    chown 65534:65534 "$work/home" "$work/run"
    as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
  fi
  chmod 700 "$work/run"
  export HOME="$work/home" XDG_RUNTIME_DIR="$work/run" XDG_CONFIG_HOME="$work/home/.config"
  export XDG_CACHE_HOME="$work/home/.cache" QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
  unset WAYLAND_DISPLAY DISPLAY QT_SCALE_FACTOR
  # A session bus, and another that stands in for the system bus, which the desktop shells want.
  for variable in DBUS_SESSION_BUS_ADDRESS DBUS_SYSTEM_BUS_ADDRESS; do
    bus="$("${as_user[@]}" dbus-daemon --session --fork --print-address=1 --print-pid=1)" ||
      { desktop_error="no bus" && return 1; }
    export "$variable=${bus%%$'\n'*}"
    pids+=("${bus##*$'\n'}")
  done
  panel=800x32+0+0 menu_area=800x560+0+40
  case "$host" in
    trayer | xfce | plasma)
      export QT_QPA_PLATFORM=xcb
      look() { import -window root -depth 8 ${2:+-crop "$2"} "$1" 2>/dev/null; }
      move() { xdotool mousemove "$1" "$2"; }
      click() { xdotool click --repeat "${2:-1}" --delay 80 "$1"; }
      window_shown() { xdotool search --onlyvisible --name '^Lotwarden( - .*)?$' >/dev/null 2>&1; }
      tasktray() {
        xdotool windowfocus --sync "$(xdotool search --onlyvisible --name '^Lotwarden$')" &&
          xdotool type "$1" && xdotool key Tab ${2:+Home} Tab Tab Tab Tab space
      }
      start_xvfb "$work/xvfb.log" || return 1
      pids+=("$xvfb_pid")
      ;;&
    trayer)
      start_panel() { start_trayer "$desktop_work/trayer.log" && panel_pid=$trayer_pid; }
      ;;
    xfce)  # a white panel along the top with the status tray
      mkdir -p "$XDG_CONFIG_HOME/xfce4/xfconf/xfce-perchannel-xml"
      cat >"$XDG_CONFIG_HOME/xfce4/xfconf/xfce-perchannel-xml/xfce4-panel.xml" <<'EOF'
<channel name="xfce4-panel" version="1.0"><property name="configver" type="int" value="2"/>
<property name="panels" type="array"><value type="int" value="1"/>
<property name="panel-1" type="empty"><property name="position" type="string" value="p=6;x=0;y=0"/>
<property name="size" type="uint" value="30"/><property name="length" type="uint" value="100"/>
<property name="background-style" type="uint" value="1"/><property name="background-rgba"
type="array"><value type="double" value="1"/><value type="double" value="1"/><value type="double"
value="1"/><value type="double" value="1"/></property>
<property name="plugin-ids" type="array"><value type="int" value="1"/></property></property>
</property><property name="plugins" type="empty">
<property name="plugin-1" type="string" value="systray"/></property></channel>
EOF
      xfce4-panel --disable-wm-check >"$work/panel.log" 2>&1 &
      pids+=($!)
      poll 15 host_registered || { desktop_error="xfce4-panel's status tray did not register" && return 1; }
      ;;
    sway)  # waybar's tray on a black bar
      printf '%s\n' "output HEADLESS-1 resolution 800x600 position 0 0" "xwayland disable" \
        >"$work/sway.conf"
      echo '{"position": "top", "height": 30, "modules-right": ["tray"], "tray": {"icon-size": 22}}' \
        >"$work/waybar.json"
      echo 'window#waybar { background: #000000; }' >"$work/waybar.css"
      chmod 644 "$work"/sway.conf "$work"/waybar.*
      "${as_user[@]}" env WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
        sway -c "$work/sway.conf" >"$work/sway.log" 2>&1 &
      pids+=($!)
      poll 10 compgen -G "$work/run/wayland-[0-9]" || { desktop_error="sway did not start" && return 1; }
      WAYLAND_DISPLAY="$(basename "$(compgen -G "$work/run/wayland-[0-9]")")"
      SWAYSOCK="$(compgen -G "$work/run/sway-ipc.*.sock")"
      export WAYLAND_DISPLAY SWAYSOCK QT_QPA_PLATFORM=wayland
      start_panel() {
        "${as_user[@]}" waybar -c "$desktop_work/waybar.json" -s "$desktop_work/waybar.css" \
          >>"$desktop_work/waybar.log" 2>&1 &
        panel_pid=$!
        poll 15 host_registered
      }
      exec {pointer}> >(exec "${as_user[@]}" /usr/bin/python3 "$work/bin/wl_pointer.py" \
        >"$work/pointer.log" 2>&1)
      pids+=($!)
      window_shown() { "${as_user[@]}" swaymsg -t get_tree | grep -q '"name": "Lotwarden[" ]'; }
      tasktray() { "${as_user[@]}" wtype -s 800 "$1" -k Tab ${2:+-k Home} -k Tab -k Tab -k Tab -k Tab -k space; }
      look() {
        local at="${2:-}" && at="${at#*+}"
        "${as_user[@]}" grim ${2:+-g "${at/+/,} ${2%%+*}"} "$desktop_work/home/look.png" &&
          mv "$desktop_work/home/look.png" "$1"
      }
      ;;
    plasma)  # its default layout: a light panel along the bottom, its clock at the right
      local kded=kded5 && command -v kded6 >/dev/null && kded=kded6  # Plasma 6 (Debian 13)
      export XDG_CURRENT_DESKTOP=KDE KDE_FULL_SESSION=true KDE_SESSION_VERSION="${kded#kded}"
      panel=800x44+0+556 menu_area=800x516+0+40
      # The daemons that the session bus starts for it need the display.
      gdbus call --session -d org.freedesktop.DBus -o /org/freedesktop/DBus -m \
        org.freedesktop.DBus.UpdateActivationEnvironment "{'DISPLAY': '$DISPLAY'}" >/dev/null
      "$kded" >"$work/kded.log" 2>&1 &  # owns the watcher
      pids+=($!)
      plasmashell --no-respawn >"$work/plasma.log" 2>&1 &
      pids+=($!)
      poll 20 host_registered || { desktop_error="Plasma's system tray did not register" && return 1; }
      # Its desktop and panel come later and take the focus: a program starts after them.
      poll 20 eval 'look "$work/band.png" "$panel" &&
        convert "$work/band.png" -format "%[fx:mean>0.5]" info: | grep -qx 1' ||
        { desktop_error="Plasma's panel did not show" && return 1; }
      ;;
    gnome | gnome_plain)
      # The AppIndicator extension's icons on GNOME Shell's black top bar; or GNOME as Debian and
      # Fedora install it, with no notification area and its banners shown; with gnome_x11 set,
      # Xwayland for X11 programs. Both with the probe extension (see it).
      local extensions="['probe@lotwarden.github.io', 'ubuntu-appindicators@ubuntu.com']" banners=false
      [ "$host" = gnome ] || extensions="['probe@lotwarden.github.io']" banners=true
      install_probe "$work/home/.local/share/gnome-shell/extensions" ||
        { desktop_error="no probe extension" && return 1; }
      gsettings set org.gnome.shell disable-user-extensions false &&
        gsettings set org.gnome.shell enabled-extensions "$extensions" &&
        gsettings set org.gnome.desktop.interface enable-hot-corners false &&
        gsettings set org.gnome.desktop.notifications show-banners $banners ||
        { desktop_error="no settings" && return 1; }
      gnome-shell --headless --wayland $([ -n "${gnome_x11:-}" ] || echo --no-x11) \
        --virtual-monitor 800x600 >"$work/shell.log" 2>&1 &
      pids+=($!)
      if [ "$host" = gnome ]; then
        poll 15 host_registered || { desktop_error="the AppIndicator host did not register" && return 1; }
      fi
      poll 20 eval 'shell_probe Started | grep -q true' ||
        { desktop_error="GNOME Shell did not start" && return 1; }
      export WAYLAND_DISPLAY=wayland-0 QT_QPA_PLATFORM=wayland
      exec {pointer}> >(exec /usr/bin/python3 "$work/bin/gnome_drive.py" input >"$work/pointer.log" 2>&1)
      pids+=($!)
      look() { /usr/bin/python3 "$desktop_work/bin/gnome_drive.py" shot "$@"; }
      window_shown() { /usr/bin/python3 "$desktop_work/bin/gnome_drive.py" shown; }
      # Its first key may be lost: a Shift goes first.
      tasktray() { echo "keys 0xffe1 $1 0xff09 ${2:+0xff50} 0xff09 0xff09 0xff09 0xff09 0x20" >&"$pointer"; }
      keys() { echo "keys $*" >&"$pointer"; }    # keysyms, one after another
      # As the shell's launchers start a program, with an activation token: its window gets the
      # focus (GNOME 48 gives none to a window without one).
      activation() {
        local token
        token="$(shell_probe Token "string '$1'")" && [ -n "$token" ] &&
          echo "XDG_ACTIVATION_TOKEN=$token DESKTOP_STARTUP_ID=$token"
      }
      chord() { echo "chord $*" >&"$pointer"; }  # held down together
      ;;
    *) desktop_error="no such desktop: $host" && return 1 ;;
  esac
  # A panel of its own comes now, or, with desktop_late set, when the caller starts it.
  if declare -F start_panel >/dev/null && [ -z "${desktop_late:-}" ]; then
    start_panel || { desktop_error="the panel did not start" && return 1; }
    pids+=("$panel_pid")
  fi
  if [ -n "${pointer:-}" ]; then  # the Wayland pointer drivers read the same lines
    poll 5 grep -q ready "$work/pointer.log" || { desktop_error="no pointer" && return 1; }
    move() { echo "move $1 $2" >&"$pointer"; }
    click() { echo "click $1 ${2:-1}" >&"$pointer"; }
  fi
  [[ $host != gnome* ]] || echo "keys 0xff1b" >&"$pointer"  # out of the overview it starts in
}

# Ends what start_desktop started, and what the desktop started by itself (bus services,
# helpers), which lives in the folder WORK ($1) too.
stop_desktop() {
  local p
  stop_processes $(printf '%s\n' "${pids[@]}" | tac)
  for p in /proc/[0-9]*; do
    [ "${p#/proc/}" != $$ ] && grep -qsxz "XDG_RUNTIME_DIR=$1/run" "$p/environ" && kill "${p#/proc/}"
  done
}
