#!/bin/bash
# SPDX-License-Identifier: MIT
# What the program costs to keep running, side by side with the least a Qt 6 tray program
# needs (bench/minimal_tray.cpp: one window, one tray icon, a 1 s timer, a network manager
# that GETs one page a minute). Both run at the same time under Xvfb with the trayer
# notification area, against the local fake auction site reached as the HTTP proxy.
#
# The program is driven as a user drives it: an ID typed into the window, the slider moved
# to one minute, "TaskTray"; the pointer goes over the icon to stop the blinking after the
# first fetch, and again after the price changes halfway through.
#
# Reported for both: VmRSS and VmHWM at the end, CPU seconds (utime + stime) in all and
# during the run after TaskTray, the time from exec to the window being mapped (median of
# several starts, from the X server's MapNotify as xev sees it), their ratios, and VmRSS
# after each of the program's fetches with its trend.
#
# With --fetches N it measures only the memory growth per fetch, in a minute or two instead
# of hours: bench/fetch_growth runs the program's own objects on a clock stepped a second a
# tick (a fetch every sixty ticks, a tick every millisecond) beside the minimal program's
# work, both against item pages of 200 KB, and reports their growth after the warm-up (the
# median of the slopes between every two fetches).
#
# With --big-pages it measures what one big page costs and leaves behind: the program (and
# beside it each --baseline, another build of it such as the main branch's, named by its file
# name) fetches at a one-minute interval a normal page, then each big page followed by a normal
# one: 16 MiB of padding, a 16 MiB price of ASCII, 2 MB of random bytes, a 16 MiB price of
# kanji. VmRSS before each big page, while its status stands, after the next normal page, and
# VmHWM (reset before the big page) give its cost; about ten minutes.
#
# Usage: bench/footprint.sh [--minutes N] [--starts N] [--build DIR] [--program PATH]
#        bench/footprint.sh --fetches N [--warmup N] [--blink] [--build DIR]
#        bench/footprint.sh --big-pages [--baseline PATH]... [--build DIR] [--program PATH]
#   --minutes  length of the run (default 10)
#   --starts   start-up timings per program (default 7)
#   --build    build directory with the program and bench/minimal_tray (default build/plain;
#              both are built there if needed)
#   --program  the program to measure instead, e.g. /usr/bin/lotwarden when installed
#   --fetches  fetches of each in the growth run (e.g. 330); --warmup: fetches left out of
#              the trend (default 30); --blink: the price is never acknowledged, so the clock
#              blinks all through (a new icon every second)
#   --big-pages, --baseline  see above
set -u
cd "$(dirname "$0")/.." || exit 1
source scripts/desktop.sh
minutes=10 starts=7 build=build/plain program="" fetches="" warmup=30 blink="" big="" baselines=()
usage() {
  echo "usage: bench/footprint.sh [--minutes N] [--starts N] [--build DIR] [--program PATH]" >&2
  echo "       bench/footprint.sh --fetches N [--warmup N] [--blink] [--build DIR]" >&2
  echo "       bench/footprint.sh --big-pages [--baseline PATH]... [--build DIR] [--program PATH]" >&2
  exit 2
}
while [ $# -gt 0 ]; do
  case "$1" in
  --minutes) minutes="$2"; shift 2 ;;
  --starts) starts="$2"; shift 2 ;;
  --build) build="$2"; shift 2 ;;
  --program) program="$2"; shift 2 ;;
  --fetches) fetches="$2"; shift 2 ;;
  --warmup) warmup="$2"; shift 2 ;;
  --blink) blink="--blink"; shift ;;
  --big-pages) big=1; shift ;;
  --baseline) baselines+=("$(realpath "$2")"); shift 2 ;;
  *) usage ;;
  esac
done
if [ -n "$fetches" ]; then
  [ -z "$program" ] || usage # the growth run links the program's objects from the build
  [ "$fetches" -gt "$((warmup + 1))" ] 2>/dev/null || usage
fi

fail() {
  echo "footprint: $*" >&2
  exit 1
}
log() { echo "[$(date +%T)] $*" >&2; }

for tool in Xvfb trayer xdotool xev python3 cmake; do
  command -v "$tool" >/dev/null || fail "$tool is not installed (scripts/install-deps)"
done
if [ -n "$fetches" ] || [ ! -x "$build/bench/minimal_tray" ] || [ -z "$program" ]; then
  [ -f "$build/CMakeCache.txt" ] || fail "no build in $build (scripts/build plain)"
  targets=(minimal_tray)
  [ -z "$program" ] && targets+=(lotwarden)
  [ -n "$fetches" ] && targets=(fetch_growth)
  [ -n "$big" ] && targets=(lotwarden)
  # The benchmarks are off unless asked for.
  cmake -S . -B "$build" -DLOTWARDEN_BENCH=ON >/dev/null || fail "cannot configure $build"
  cmake --build "$build" --target "${targets[@]}" >/dev/null || fail "cannot build ${targets[*]}"
fi
if [ -z "$fetches" ]; then
  minimal="$build/bench/minimal_tray"
  [ -n "$program" ] || program="$build/window/lotwarden"
  [ -x "$program" ] || fail "no program at $program"
  program="$(cd "$(dirname "$program")" && pwd)/$(basename "$program")"
  minimal="$(cd "$(dirname "$minimal")" && pwd)/minimal_tray"
fi

work="$(mktemp -d)"
pids=() xvfb_pid="" trayer_pid=""
cleanup() {
  stop_processes "${pids[@]}" "$trayer_pid" "$xvfb_pid"
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

wait_for() {
  local tenths="$1" i
  shift
  for ((i = 0; i < tenths; i++)); do
    "$@" && return 0
    sleep 0.1
  done
  "$@"
}

# --- display, notification area, site ---------------------------------------------------------
start_xvfb "$work/xvfb.log" || fail "$desktop_error"
xdotool mousemove 400 300
start_trayer "$work/trayer.log" || fail "$desktop_error"

# Every window mapped on the root, stamped when it is reported: "TIME event 0x.., window 0x..".
[ -n "$fetches$big" ] || xev -root -event substructure 2>/dev/null | while IFS= read -r line; do
  case "$line" in
  MapNotify*) at=$EPOCHREALTIME ;;
  *"event 0x"*) [ -n "${at:-}" ] && echo "$at $line" && at="" ;;
  *) at="" ;;
  esac
done >"$work/maps.log" &
pids+=($!)

status_kb() { awk -v k="$2:" '$1 == k { print $2 }' "/proc/$1/status"; }
mb() { awk -v k="$1" 'BEGIN { printf "%.1f", k / 1024 }'; }

python=python3
[ -x /usr/bin/python3 ] && python=/usr/bin/python3
# Item pages the size of the site's own (about 200 KB) in the growth run.
if [ -n "$fetches" ]; then echo "pad=200000" >"$work/control"; else : >"$work/control"; fi
: >"$work/site.log"
"$python" tests/e2e/fake_site.py --port-file "$work/port" --control "$work/control" \
  --log "$work/site.log" 2>"$work/site.err" &
pids+=($!)
wait_for 100 test -s "$work/port" || fail "the fake site did not start"
port="$(cat "$work/port")"

export http_proxy="http://127.0.0.1:$port"
unset no_proxy NO_PROXY HTTP_PROXY all_proxy ALL_PROXY
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
# The XEmbed notification area only, for both programs.
export DBUS_SESSION_BUS_ADDRESS="unix:path=$work/no-bus"
export QT_QPA_PLATFORM=xcb
unset QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS
export LC_ALL=C.UTF-8

item_url="http://page.auctions.yahoo.co.jp/jp/auction"
auction_id="x1234567890"
minimal_url="$item_url/m1234567890"

gets_of() { grep -c " GET $1 " "$work/site.log"; }

# --- memory growth per fetch --------------------------------------------------------------------
if [ -n "$fetches" ]; then
  driver="$(cd "$build/bench" && pwd)/fetch_growth"
  log "growth run: $fetches fetches of each, side by side"
  started=$EPOCHSECONDS
  # shellcheck disable=SC2086 # $blink is one word or none
  timeout 1200 "$driver" program "$item_url/$auction_id" --fetches "$fetches" --warmup "$warmup" \
    $blink >"$work/program.out" 2>"$work/program.err" &
  program_pid=$!
  pids+=("$program_pid")
  timeout 1200 "$driver" minimal "$minimal_url" --fetches "$fetches" --warmup "$warmup" \
    >"$work/minimal.out" 2>"$work/minimal.err" &
  minimal_pid=$!
  pids+=("$minimal_pid")
  wait "$program_pid" || fail "the program's run failed: $(tail -n 3 "$work/program.err")"
  wait "$minimal_pid" || fail "the minimal run failed: $(tail -n 3 "$work/minimal.err")"
  seconds=$((EPOCHSECONDS - started))
  [ "$(gets_of "$item_url/$auction_id")" -ge "$fetches" ] || fail "the site saw too few fetches"
  [ "$(gets_of "$minimal_url")" -ge "$fetches" ] || fail "the site saw too few minimal fetches"
  # Field $2 of "growth per fetch over fetches A to B: VmRSS +x KB, heap in use +y KB".
  growth() { awk -v f="$2" '/^growth per fetch/ { print $f }' "$work/$1.out"; }
  rss_at() { awk -v n="$2:" '$1 == "fetch" && $2 == n { print $4 }' "$work/$1.out"; }
  verdict="$(awk -v g="$(growth program 10)" 'BEGIN { print (g < 0.5) ? "flat" : "GROWING" }')"
  cat <<EOF
Memory growth per fetch: $fetches fetches of each in $seconds s, side by side under Xvfb + trayer,
200 KB item pages; median slope (Theil-Sen) over fetches $((warmup + 1)) to $fetches${blink:+; the clock blinking throughout}

| | program | minimal Qt tray | target |
|---|---|---|---|
| VmRSS growth per fetch | $(growth program 10) KB | $(growth minimal 10) KB | < 0.5 KB |
| heap in use growth per fetch | $(growth program 15) KB | $(growth minimal 15) KB | |
| VmRSS after fetch $warmup and $fetches | $(rss_at program "$warmup") and $(rss_at program "$fetches") KB | $(rss_at minimal "$warmup") and $(rss_at minimal "$fetches") KB | |

Memory: program $verdict.
EOF
  exit 0
fi

mapped_id() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1; }
has_window() { [ -n "$(mapped_id "$1")" ]; }

# --- big pages ----------------------------------------------------------------------------------
if [ -n "$big" ]; then
  # Each page as big as the body limit allows, less room for the page's own markup.
  "$python" - "$work" $((16 * 1024 * 1024 - 1024)) <<'EOF'
import random, sys
work, fill = sys.argv[1], int(sys.argv[2])
kanji = "価格入札落札出品商品発送送料評価"
pages = {"padding": f"pad={fill}", "ascii": "price=" + "9" * fill,
         "random": f"body={work}/random.bin", "kanji": "price=" + (kanji * fill)[:fill // 2]}
for name, line in pages.items():
    with open(f"{work}/{name}", "w", encoding="utf-8") as out:
        out.write(line + "\n")
with open(f"{work}/random.bin", "wb") as out:
    out.write(random.Random(20).randbytes(2_000_000))
EOF
  : >"$work/normal"
  serve() { cp "$work/$1" "$work/control.tmp" && mv "$work/control.tmp" "$work/control"; }
  programs=("${baselines[@]}" "$program") names=()
  for path in "${baselines[@]}"; do names+=("$(basename "$path")"); done
  names+=(this)
  ids=() bpids=() gets0=()
  for i in "${!programs[@]}"; do
    "${programs[$i]}" >"$work/big$i.out" 2>"$work/big$i.err" &
    bpids+=($!) ids+=("x100000000$i")
    pids+=($!)
  done
  window_of() { xdotool search --all --onlyvisible --pid "$1" --name '^Lotwarden$' 2>/dev/null; }
  for i in "${!bpids[@]}"; do
    wait_for 150 window_of "${bpids[$i]}" >/dev/null || fail "${names[$i]}: no window"
    # As a user: the ID, the slider to one minute, TaskTray.
    xdotool windowfocus --sync "$(window_of "${bpids[$i]}" | head -n 1)"
    xdotool type --delay 40 "${ids[$i]}"
    xdotool key Tab Home
    sleep 0.3
    gets0+=("$(gets_of "$item_url/${ids[$i]}")")
    xdotool key Tab Tab Tab Tab space
  done
  # The next fetch of every program (each counts its own: TaskTray fetches at once and the next
  # minute may begin a second later), then time to read, decode and show it.
  fetched() {
    local i
    for i in "${!ids[@]}"; do
      [ "$(gets_of "$item_url/${ids[$i]}")" -gt "${gets0[$i]}" ] || return 1
    done
  }
  settle() {
    gets0=()
    for i in "${!ids[@]}"; do gets0+=("$(gets_of "$item_url/${ids[$i]}")"); done
    wait_for 900 fetched || fail "a fetch did not come"
    sleep 10
    for i in "${!bpids[@]}"; do kill -0 "${bpids[$i]}" 2>/dev/null || fail "${names[$i]} ended"; done
  }
  log "big pages: a fetch a minute, 9 fetches of each"
  wait_for 100 fetched || fail "no fetch after TaskTray"
  sleep 10
  rows=""
  for page in padding ascii random kanji; do
    rss0=() standing=() peak=()
    for i in "${!bpids[@]}"; do
      rss0+=("$(status_kb "${bpids[$i]}" VmRSS)")
      echo 5 >"/proc/${bpids[$i]}/clear_refs" # VmHWM from here on
    done
    serve "$page"
    settle
    for i in "${!bpids[@]}"; do
      standing+=("$(status_kb "${bpids[$i]}" VmRSS)") peak+=("$(status_kb "${bpids[$i]}" VmHWM)")
    done
    serve normal
    settle
    for i in "${!bpids[@]}"; do
      after="$(status_kb "${bpids[$i]}" VmRSS)"
      holds="$(awk -v b="${rss0[$i]}" -v s="${standing[$i]}" -v a="$after" -v p="${peak[$i]}" \
        'BEGIN { print (s - b <= 2048 && a - b <= 1024 && p - b <= 65536) ? "yes" : "no" }')"
      rows+="| $page | ${names[$i]} | $(mb "${rss0[$i]}") MB | $(mb "${standing[$i]}") MB"
      rows+=" | $(mb "$after") MB | $(mb "${peak[$i]}") MB (+$(mb $((peak[i] - rss0[i])))) | $holds |"$'\n'
    done
    log "$page done"
  done
  echo "Big pages under Xvfb + trayer, a fetch a minute, side by side:"
  for i in "${!names[@]}"; do echo "  ${names[$i]}: ${programs[$i]}"; done
  cat <<EOF
Targets: while standing at most 2 MB, after at most 1 MB, VmHWM at most 64 MB above before.

| page | build | VmRSS before | while its status stands | after the next normal page | VmHWM (above before) | holds |
|---|---|---|---|---|---|---|
${rows%$'\n'}
EOF
  exit 0
fi

# --- start-up: exec to the window's MapNotify ---------------------------------------------------
# Prints milliseconds from exec to the map of the window titled $1 of the command $2...
startup_ms() {
  local title="$1" started pid id hex mapped
  shift
  started=$EPOCHREALTIME
  "$@" >/dev/null 2>>"$work/startup.err" &
  pid=$!
  wait_for 150 has_window "$title" || { kill "$pid"; wait "$pid" 2>/dev/null; return 1; }
  id="$(mapped_id "$title")"
  hex="$(printf '0x%x' "$id")"
  sleep 0.3
  kill "$pid"
  wait "$pid" 2>/dev/null
  # X reuses the ids of clients that have gone: only maps after this start count.
  mapped="$(awk -v w="window $hex," -v t="$started" '$1 >= t && index($0, w) { print $1; exit }' \
    "$work/maps.log")"
  [ -n "$mapped" ] || return 1
  awk -v a="$started" -v b="$mapped" 'BEGIN { printf "%.1f\n", (b - a) * 1000 }'
}
median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

log "start-up: $starts starts of each, alternating"
: >"$work/start.program"
: >"$work/start.minimal"
# One unmeasured start of each first: the same warm file cache for both.
startup_ms Lotwarden "$program" >/dev/null || fail "the program's window did not map"
startup_ms "Minimal tray" "$minimal" >/dev/null || fail "the minimal program's window did not map"
for ((i = 0; i < starts; i++)); do
  if ((i % 2)); then
    startup_ms "Minimal tray" "$minimal" >>"$work/start.minimal" || fail "minimal: no map"
    startup_ms Lotwarden "$program" >>"$work/start.program" || fail "program: no map"
  else
    startup_ms Lotwarden "$program" >>"$work/start.program" || fail "program: no map"
    startup_ms "Minimal tray" "$minimal" >>"$work/start.minimal" || fail "minimal: no map"
  fi
  sleep 0.3
done
start_program="$(median <"$work/start.program")"
start_minimal="$(median <"$work/start.minimal")"
log "start-up ms, program: $(tr '\n' ' ' <"$work/start.program")-> median $start_program"
log "start-up ms, minimal: $(tr '\n' ' ' <"$work/start.minimal")-> median $start_minimal"

# --- the run ------------------------------------------------------------------------------------
clk_tck="$(getconf CLK_TCK)"
cpu_s() { awk -v t="$clk_tck" '{ sub(/^.*\) /, ""); printf "%.2f\n", ($12 + $13) / t }' "/proc/$1/stat"; }

"$program" >"$work/program.out" 2>"$work/program.err" &
program_pid=$!
pids+=("$program_pid")
"$minimal" "$minimal_url" >"$work/minimal.out" 2>"$work/minimal.err" &
minimal_pid=$!
pids+=("$minimal_pid")
wait_for 150 has_window Lotwarden || fail "the program's window did not map"
wait_for 150 has_window "Minimal tray" || fail "the minimal program's window did not map"

# The program's icon in trayer's panel, for the pointer.
icon_at() {
  xwininfo -root -tree 2>/dev/null | awk '
    /"panel": \("panel" "trayer"\)/ { inpanel = 1; next }
    inpanel && /\("lotwarden" "lotwarden"\)/ { print $(NF-1), $NF; exit }'
}
icon_docked() { [ -n "$(icon_at)" ]; }
wait_for 100 icon_docked || fail "the program's icon did not dock"
read -r size abs <<<"$(icon_at)"
abs="${abs#+}"
icon_x=$((${abs%%+*} + ${size%%x*} / 2))
icon_y=$((${abs#*+} + 10))
hover_icon() {
  xdotool mousemove "$icon_x" "$icon_y"
  xdotool mousemove "$((icon_x + 1))" "$icon_y"
  sleep 0.5
  xdotool mousemove 400 300
}

# As a user: the ID, the slider to one minute, TaskTray.
xdotool windowfocus --sync "$(mapped_id Lotwarden)"
xdotool type --delay 40 "$auction_id"
xdotool key Tab Home
sleep 0.3
before=$(gets_of "$item_url/$auction_id")
xdotool key Tab Tab Tab Tab space
fetched_since() { [ "$(gets_of "$item_url/$auction_id")" -gt "$1" ]; }
wait_for 50 fetched_since "$before" || fail "no fetch after TaskTray"
wait_for 30 bash -c "! xdotool search --onlyvisible --name '^Lotwarden\$' >/dev/null" ||
  fail "the window stayed after TaskTray"
cpu0_program="$(cpu_s "$program_pid")"
cpu0_minimal="$(cpu_s "$minimal_pid")"
run_start=$EPOCHSECONDS
log "TaskTray pressed; running for $minutes minutes"

sleep 5
hover_icon # acknowledges the first price
changed=0
seen=$(gets_of "$item_url/$auction_id")
: >"$work/samples"
while ((EPOCHSECONDS - run_start < minutes * 60)); do
  kill -0 "$program_pid" 2>/dev/null || fail "the program ended"
  now=$(gets_of "$item_url/$auction_id")
  if [ "$now" -gt "$seen" ]; then
    seen=$now
    sleep 3
    echo "$seen $(status_kb "$program_pid" VmRSS) $(status_kb "$minimal_pid" VmRSS)" >>"$work/samples"
    if [ "$changed" = 2 ]; then
      sleep 25
      hover_icon # acknowledges the new price after half a minute of blinking
      changed=3
    fi
  fi
  if [ "$changed" = 0 ] && ((EPOCHSECONDS - run_start >= minutes * 30)); then
    printf 'price=1,200 円\n' >"$work/control.tmp" && mv "$work/control.tmp" "$work/control"
    changed=2
  fi
  sleep 1
done

rss_program="$(status_kb "$program_pid" VmRSS)" hwm_program="$(status_kb "$program_pid" VmHWM)"
rss_minimal="$(status_kb "$minimal_pid" VmRSS)" hwm_minimal="$(status_kb "$minimal_pid" VmHWM)"
cpu_program="$(cpu_s "$program_pid")" cpu_minimal="$(cpu_s "$minimal_pid")"
fetches_program=$(gets_of "$item_url/$auction_id")
fetches_minimal=$(gets_of "$minimal_url")
[ "$fetches_program" -ge "$minutes" ] || fail "only $fetches_program fetches in $minutes minutes"

# --- report -------------------------------------------------------------------------------------
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "n/a" }'; }
run_program="$(awk -v a="$cpu_program" -v b="$cpu0_program" 'BEGIN { printf "%.2f", a - b }')"
run_minimal="$(awk -v a="$cpu_minimal" -v b="$cpu0_minimal" 'BEGIN { printf "%.2f", a - b }')"
# Least-squares slope of VmRSS over the fetches, from the second fetch on (the first one
# loads the network stack), in KB per fetch; and the spread.
trend() {
  awk -v c="$1" 'NR > 1 { n++; x = NR; y = $c; sx += x; sy += y; sxx += x * x; sxy += x * y
      if (n == 1 || y < lo) lo = y; if (n == 1 || y > hi) hi = y }
    END { s = (n > 1) ? (n * sxy - sx * sy) / (n * sxx - sx * sx) : 0
      printf "%+.1f KB/fetch over %d fetches (%s..%s KB)", s, n, lo, hi }' "$work/samples"
}
flat() {
  awk -v c="$1" 'NR > 1 { n++; x = NR; y = $c; sx += x; sy += y; sxx += x * x; sxy += x * y }
    END { s = (n > 1) ? (n * sxy - sx * sy) / (n * sxx - sx * sx) : 0; print (s <= 4) ? "flat" : "GROWING" }' "$work/samples"
}

cat <<EOF
Footprint, $minutes minutes at a one-minute interval under Xvfb + trayer, side by side
(program: $program; fetches: program $fetches_program, minimal $fetches_minimal)

| | program | minimal Qt tray | ratio | target |
|---|---|---|---|---|
| VmRSS at the end | $(mb "$rss_program") MB | $(mb "$rss_minimal") MB | $(ratio "$rss_program" "$rss_minimal") | ≤ 1.2 |
| VmHWM at the end | $(mb "$hwm_program") MB | $(mb "$hwm_minimal") MB | $(ratio "$hwm_program" "$hwm_minimal") | |
| CPU during the run | ${run_program} s | ${run_minimal} s | $(ratio "$run_program" "$run_minimal") | ≤ 2 |
| CPU in all (with start and typing) | ${cpu_program} s | ${cpu_minimal} s | $(ratio "$cpu_program" "$cpu_minimal") | |
| exec to window mapped (median of $starts) | ${start_program} ms | ${start_minimal} ms | $(ratio "$start_program" "$start_minimal") | ≤ 2 |
| VmRSS trend after each fetch | $(trend 2) | $(trend 3) | | flat |

Memory: program $(flat 2), minimal $(flat 3).
VmRSS after each of the program's fetches (KB), program / minimal:
$(awk '{ printf "%s:%s/%s ", $1, $2, $3 } END { print "" }' "$work/samples")
EOF
