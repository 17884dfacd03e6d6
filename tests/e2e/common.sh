# SPDX-License-Identifier: MIT
# Sourced by the desktop runs, with host and shots set: their work folder, how a step passes or
# fails, the cleanup, and (user_environment, once the desktop runs) the sanitizers' settings, a
# stand-in browser and the fake site as the program's proxy, with $work/control as its control.
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/../../scripts/desktop.sh"
work="$(mktemp -d)"
mkdir -p "$shots"
pids=() program_pid="" step=setup started=$SECONDS
fail() {
  echo "FAIL [$host] $step: $*"
  cp "$work"/*.png "$shots/" 2>/dev/null
  tail -n 20 "$work/site.log" "$work/home/browser.log" "$work/program.err" 2>/dev/null
  echo "screenshots: $shots" && exit 1
}
pass() { echo "PASS [$host] $step: $*"; }
cleanup() {  # ends the desktop whatever ending the program returned
  cp "$work"/*.log "$work/program.err" "$shots/" 2>/dev/null
  stop_processes "$program_pid"; stop_desktop "$work"; rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM
user_environment() {
  cp "$here"/bin/xdg-open "$here"/*.py "$here"/../*.supp "$work/bin/" && chmod -R a+rX "$work/bin"
  export PATH="$work/bin:$PATH" LOTWARDEN_E2E_BROWSER_LOG="$work/home/browser.log"
  unset no_proxy NO_PROXY HTTP_PROXY all_proxy ALL_PROXY
  # In the sanitizer build; stacks unwound in full to tell leaks in unloaded drivers' libraries.
  export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:fast_unwind_on_malloc=0"
  ASAN_OPTIONS+=":suppressions=$work/bin/asan_x11.supp"
  export LSAN_OPTIONS="suppressions=$work/bin/lsan.supp:print_suppressions=0"
  export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
  "${as_user[@]}" touch "$LOTWARDEN_E2E_BROWSER_LOG"
  /usr/bin/python3 "$work/bin/fake_site.py" --port-file "$work/port" --log "$work/site.log" \
    --control "$work/control" &
  pids+=($!)
  poll 10 test -s "$work/port" || fail "the fake site did not start"
  export http_proxy="http://127.0.0.1:$(cat "$work/port")"
}
# Starts PROGRAM as the desktop's launcher would, as its user, its output in $work; sets program_pid.
start_program() {
  local launched
  launched="$(activation "$1")" || fail "the desktop gave no activation token"
  "${as_user[@]}" env $launched "$1" >"$work/program.out" 2>"$work/program.err" &
  program_pid=$!
}
# The program, once ended, ended with status 0 and without a sanitizer's report.
ended_cleanly() {
  wait "$program_pid"
  local code=$?
  program_pid="" && [ "$code" = 0 ] || fail "the program ended with status $code"
  ! grep -E 'ERROR: (Address|Leak)Sanitizer|runtime error:' "$work/program.err" || fail "sanitizer report"
}
gets() { grep -c ' GET http://page.auctions.yahoo.co.jp/jp/auction/' "$work/site.log"; }
