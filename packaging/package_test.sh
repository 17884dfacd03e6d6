#!/bin/bash
# SPDX-License-Identifier: MIT
# The Debian package round trip: cpack builds the .deb, lintian and appstreamcli check it, apt
# installs it, the installed program starts (offscreen: the desktop runs are the end-to-end
# tests' part) and purging it leaves nothing behind.
# Usage: package_test.sh BUILD_DIR
set -u
build="$(cd "${1:?usage: package_test.sh BUILD_DIR}" && pwd)"
work="$(mktemp -d)"
installed=0 program_pid=""
cleanup() {
  [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null
  [ "$installed" = 1 ] && DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq lotwarden >/dev/null 2>&1
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2 && exit 1; }

mkdir -m 755 "$work/pkg"
(cd "$build" && cpack -G DEB -B "$work/pkg" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log" >&2; fail "cpack"; }
deb="$(echo "$work"/pkg/lotwarden_*.deb)"
release="$(. /etc/os-release && echo "$VERSION_ID")"
[[ "$deb" == *"_debian${release}_"* ]] || fail "$(basename "$deb") does not name Debian $release"
chmod 644 "$deb" # apt reads local packages as its own unprivileged user
[[ "$(dpkg-deb -f "$deb" Depends)" == *"libqt6widgets6 (>= "* ]] || fail "Depends lacks Qt"
[[ "$(dpkg-deb -f "$deb" Recommends)" == *qt6-wayland* ]] || fail "qt6-wayland is not recommended"
version="$(awk -F= '/^CMAKE_PROJECT_VERSION:/ { print $2 }' "$build/CMakeCache.txt")"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "package version is not the project's $version"
lintian --fail-on error,warning "$deb" 2>&1 | grep -v 'root privileges' >"$work/lintian.log"
[ "${PIPESTATUS[0]}" = 0 ] || { cat "$work/lintian.log" >&2; fail "lintian"; }
dpkg-deb -x "$deb" "$work/tree"
appstreamcli validate-tree --pedantic --no-net "$work/tree" >"$work/appstream.log" 2>&1 ||
  { cat "$work/appstream.log" >&2; fail "appstream metadata"; }
man -l "$work/tree/usr/share/man/man1/lotwarden.1.gz" 2>/dev/null | grep -q 'net error' || fail "manual page"
echo "package: $(basename "$deb"): lintian and appstreamcli validate-tree report no error and no warning"

[ "$(id -u)" = 0 ] || { echo "SKIP: installing needs root" && exit 0; }
DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq lotwarden >/dev/null 2>&1
new_dirs=()
while read -r path; do
  path="/${path#./}" && path="${path%/}"
  [ -n "$path" ] && [ ! -e "$path" ] && new_dirs+=("$path")
done < <(dpkg-deb --fsys-tarfile "$deb" | tar -t | grep '/$')
(cd "$work/pkg" && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "./$(basename "$deb")") \
  >"$work/apt.log" 2>&1 || { cat "$work/apt.log" >&2; fail "apt-get install"; }
installed=1
dpkg -L lotwarden >"$work/files"
for path in /usr/bin/lotwarden /usr/share/applications/io.github.lotwarden.lotwarden.desktop \
  /usr/share/metainfo/io.github.lotwarden.lotwarden.metainfo.xml \
  /usr/share/icons/hicolor/{16x16,22x22,32x32,48x48,256x256}/apps/lotwarden.png \
  /usr/share/icons/hicolor/scalable/apps/lotwarden.svg /usr/share/doc/lotwarden/copyright; do
  [ -s "$path" ] || fail "not installed: $path"
done

# The installed program runs: its window loads and it keeps running until ended.
export XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=offscreen http_proxy=http://127.0.0.1:9
mkdir -m 700 "$XDG_RUNTIME_DIR"
/usr/bin/lotwarden >"$work/program.log" 2>&1 &
program_pid=$!
sleep 2
kill "$program_pid" 2>/dev/null || { cat "$work/program.log" >&2; fail "the installed program ended"; }
wait "$program_pid" 2>/dev/null
program_pid=""

DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq lotwarden >"$work/apt.log" 2>&1 ||
  { cat "$work/apt.log" >&2; fail "apt-get purge"; }
installed=0
left=0
while read -r path; do
  [ ! -d "$path" ] && { [ -e "$path" ] || [ -L "$path" ]; } && echo "left: $path" >&2 && left=$((left + 1))
done <"$work/files"
for path in "${new_dirs[@]}"; do [ -e "$path" ] && echo "left: $path/" >&2 && left=$((left + 1)); done
[ "$left" = 0 ] || fail "$left installed paths were left behind"
echo "package: installed $(grep -c . "$work/files") paths, ran, purged without a trace"
echo PASS
