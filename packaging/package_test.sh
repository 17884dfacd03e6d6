#!/bin/bash
# SPDX-License-Identifier: MIT
# The Debian package round trip on this machine: builds the .deb with CPack, checks it with
# lintian and appstreamcli, installs it with apt-get, checks what it put where, starts the
# installed program under Xvfb with the trayer notification area (the window maps, the icon
# docks), then purges it and checks that every installed file is gone. The install and what
# follows need root; they are skipped otherwise.
# Usage: package_test.sh BUILD_DIR [SCREENSHOT_DIR]
set -u
build="$(cd "${1:?usage: package_test.sh BUILD_DIR [SCREENSHOT_DIR]}" && pwd)"
shots="${2:-}"
source "$(dirname "$0")/../tests/desktop.sh"

work="$(mktemp -d)"
xvfb_pid="" trayer_pid="" program_pid=""
installed=0
cleanup() {
  stop_processes "$program_pid" "$trayer_pid" "$xvfb_pid"
  # A failed run leaves the machine as it found it.
  [ "$installed" = 1 ] && DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq lotwarden >/dev/null 2>&1
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

fail() {
  echo "FAIL: $*" >&2
  if [ -s "$work/program.err" ]; then
    echo "--- program's standard error:" >&2
    tail -n 20 "$work/program.err" >&2
  fi
  exit 1
}
say() { echo "package: $*"; }

for tool in cpack lintian appstreamcli apt-get dpkg-deb Xvfb trayer xdotool xwininfo import identify desktop-file-validate; do
  command -v "$tool" >/dev/null || fail "$tool is not installed"
done

# --- build ------------------------------------------------------------------------------------
mkdir -m 755 "$work/pkg"
(cd "$build" && cpack -G DEB -B "$work/pkg" >"$work/cpack.log" 2>&1) ||
  { cat "$work/cpack.log" >&2; fail "cpack failed"; }
debs=("$work"/pkg/lotwarden_*.deb)
[ "${#debs[@]}" = 1 ] && [ -f "${debs[0]}" ] || fail "cpack made no lotwarden_*.deb"
deb="${debs[0]}"
chmod 644 "$deb" # apt reads local packages as its own unprivileged user
say "built $(basename "$deb") ($(stat -c %s "$deb") bytes)"

control="$(dpkg-deb -f "$deb" Depends Recommends Maintainer Description)"
depends="$(dpkg-deb -f "$deb" Depends)"
# Library dependencies come from dpkg-shlibdeps: the Qt libraries with versions.
for lib in libqt6widgets6 libqt6network6 libqt6gui6 libqt6core6 libc6 libstdc++6; do
  [[ "$depends" =~ (^|, )"$lib (>= "[0-9] ]] || fail "Depends lacks $lib: $depends"
done
[ "$(dpkg-deb -f "$deb" Recommends)" = "xdg-utils, qt6-wayland" ] ||
  fail "xdg-utils and qt6-wayland are not recommended: $(dpkg-deb -f "$deb" Recommends)"
[ -n "$(dpkg-deb -f "$deb" Maintainer)" ] || fail "no maintainer"
version="$(awk -F= '/^CMAKE_PROJECT_VERSION:/ { print $2 }' "$build/CMakeCache.txt")"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "package version is not the project's $version"
say "control: $(tr '\n' ' ' <<<"$control" | cut -c1-300)"

# Debian's checker and AppStream's, on the package as built: no error, no warning. lintian's
# advice against running as root is dropped, since the rest of this script needs root.
lintian --fail-on error,warning "$deb" 2>&1 | grep -v 'root privileges' >"$work/lintian.log"
[ "${PIPESTATUS[0]}" = 0 ] || { cat "$work/lintian.log" >&2; fail "lintian"; }
dpkg-deb -x "$deb" "$work/tree"
appstreamcli validate-tree --pedantic --no-net "$work/tree" >"$work/appstream.log" 2>&1 ||
  { cat "$work/appstream.log" >&2; fail "appstream metadata"; }
say "lintian and appstreamcli validate-tree: no error, no warning"

if [ "$(id -u)" -ne 0 ]; then
  echo "SKIP: the rest of the round trip installs into the system and needs root"
  exit 0
fi
if dpkg-query -W -f='${Status}' lotwarden 2>/dev/null | grep -q "install ok installed"; then
  say "lotwarden was installed already; purging it first"
  DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq lotwarden >/dev/null || fail "cannot purge"
fi

# Folders the package brings that do not exist yet must go again with it.
new_dirs=()
while read -r path; do
  path="/${path#./}"
  path="${path%/}"
  [ "$path" = "" ] && continue
  [ -e "$path" ] || new_dirs+=("$path")
done < <(dpkg-deb --fsys-tarfile "$deb" | tar -t | grep '/$')

# --- install ----------------------------------------------------------------------------------
(cd "$work/pkg" && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "./$(basename "$deb")") \
  >"$work/apt.log" 2>&1 || { cat "$work/apt.log" >&2; fail "apt-get install failed"; }
installed=1
dpkg-query -W -f='${Status}' lotwarden | grep -q "install ok installed" || fail "not installed"
dpkg -L lotwarden >"$work/files"
say "installed $(grep -c . "$work/files") paths"

[ -x /usr/bin/lotwarden ] || fail "no /usr/bin/lotwarden"
entry=/usr/share/applications/io.github.lotwarden.lotwarden.desktop
[ -f "$entry" ] || fail "no desktop entry in /usr/share/applications"
desktop-file-validate "$entry" >"$work/validate.log" 2>&1 || { cat "$work/validate.log"; fail "invalid entry"; }
grep -q 'error:\|warning:' "$work/validate.log" && { cat "$work/validate.log"; fail "entry warnings"; }
# The menu sees: the name, a command found on PATH and an icon found in the theme.
key() { awk -F= -v k="$1" '/^\[/ { g = $0 } g == "[Desktop Entry]" && $1 == k { print substr($0, length(k) + 2); exit }' "$entry"; }
[ "$(key Type)" = Application ] || fail "entry Type is $(key Type)"
[ "$(key Name)" = Lotwarden ] || fail "entry Name is $(key Name)"
[ -n "$(key Comment)" ] && [ -n "$(key 'Comment[ja]')" ] || fail "entry lacks its comments"
[[ "$(key Categories)" == *Network\;* && "$(key Categories)" == *Utility\;* ]] || fail "categories"
exec_cmd="$(key Exec)"
[ "$(PATH=/usr/local/bin:/usr/bin:/bin command -v "${exec_cmd%% *}")" = /usr/bin/lotwarden ] ||
  fail "Exec=$exec_cmd does not run /usr/bin/lotwarden"
icon="$(key Icon)"
for size in 16 22 24 32 48 64 128 256; do
  png="/usr/share/icons/hicolor/${size}x${size}/apps/$icon.png"
  [ -f "$png" ] || fail "no $png"
  [ "$(identify -format '%wx%h' "$png")" = "${size}x${size}" ] || fail "$png is not ${size}x${size}"
done
grep -q '<svg' "/usr/share/icons/hicolor/scalable/apps/$icon.svg" || fail "no scalable icon"
say "entry \"$(key Name)\" ($(key Comment) / $(key 'Comment[ja]')), Exec=$exec_cmd, Icon=$icon in 8 sizes + SVG"

# --- start under Xvfb with trayer -------------------------------------------------------------
start_xvfb 241 320 "$work/xvfb.log" || fail "$desktop_error"
start_trayer "$work/trayer.log" || fail "$desktop_error"

export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
# The XEmbed notification area only: no session bus, so no StatusNotifierItem host.
export DBUS_SESSION_BUS_ADDRESS="unix:path=$work/no-bus"
export QT_QPA_PLATFORM=xcb
# Nowhere to fetch from: the program must start the same way without a network.
export http_proxy=http://127.0.0.1:9
unset no_proxy NO_PROXY
/usr/bin/lotwarden >"$work/program.out" 2>"$work/program.err" &
program_pid=$!

timeout 15 xdotool search --sync --onlyvisible --name '^Lotwarden$' >"$work/window" 2>/dev/null ||
  fail "the installed program's window \"Lotwarden\" did not map"
say "window \"Lotwarden\" mapped (id $(head -n 1 "$work/window"))"

# The icon: the program's window docked inside trayer's panel.
find_icon() {
  xwininfo -root -tree 2>/dev/null | awk '
    /"panel": \("panel" "trayer"\)/ { inpanel = 1; next }
    inpanel && /\("lotwarden" "lotwarden"\)/ { print $(NF-1), $NF; exit }'
}
line=""
for _ in $(seq 100); do
  line="$(find_icon)"
  [ -n "$line" ] && break
  sleep 0.1
done
[ -n "$line" ] || fail "no icon docked in the notification area"
read -r size abs <<<"$line"
abs="${abs#+}"
iw="${size%%x*}" ih="${size#*x}"
ih="${ih%%[+-]*}"
ix="${abs%%+*}" iy="${abs#*+}"
sleep 1
# The clock face on it: the rim's grey and the black hands, read off the screen.
face="$(import -window root -depth 8 -crop "${iw}x${ih}+${ix}+${iy}" txt:- 2>/dev/null |
  awk '/\(128,128,128\)/ { g++ } /\(0,0,0\)/ { b++ } END { printf "rim=%d hands=%d\n", g, b }')"
read -r rim hands <<<"$face"
[ "${rim#rim=}" -ge 20 ] && [ "${hands#hands=}" -ge 5 ] || fail "no clock face on the docked icon: $face"
kill -0 "$program_pid" 2>/dev/null || fail "the program ended"
say "icon docked at ${iw}x${ih}+${ix}+${iy} in trayer's panel, $face"

if [ -n "$shots" ]; then
  mkdir -p "$shots"
  import -window root "$shots/screen.png" 2>/dev/null
  icons=()
  for size in 16 22 24 32 48 64 128 256; do
    icons+=("/usr/share/icons/hicolor/${size}x${size}/apps/$icon.png")
  done
  montage -background '#3a6ea5' -label '%wpx' -geometry +8+8 -tile x1 "${icons[@]}" \
    "$shots/icons.png" 2>/dev/null
  say "screenshots in $shots"
fi

kill "$program_pid" && wait "$program_pid" 2>/dev/null
program_pid=""

# --- purge ------------------------------------------------------------------------------------
DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq lotwarden >"$work/apt.log" 2>&1 ||
  { cat "$work/apt.log" >&2; fail "apt-get purge failed"; }
installed=0
dpkg-query -W -f='${Status}' lotwarden 2>/dev/null | grep -q "installed" && fail "still installed"
left=0
while read -r path; do
  [ -d "$path" ] && continue # shared folders stay; new ones are checked below
  if [ -e "$path" ] || [ -L "$path" ]; then
    echo "left behind: $path" >&2
    left=$((left + 1))
  fi
done <"$work/files"
for path in "${new_dirs[@]}"; do
  if [ -e "$path" ]; then
    echo "left behind: $path/" >&2
    left=$((left + 1))
  fi
done
[ "$left" = 0 ] || fail "$left installed paths were left behind"
say "purged: none of the $(grep -c . "$work/files") paths is left ($((${#new_dirs[@]})) new folders gone too)"
echo PASS
