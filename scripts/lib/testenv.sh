# shellcheck shell=bash
# A virtual display and a Wine prefix for the tests and for scripts/run.
# Sourced, not run. The functions change the caller's environment (DISPLAY,
# WINEPREFIX, ...) so that everything started afterwards uses them:
#
#   testenv_start_display [--own]   Xvfb + openbox + xcompmgr, unless a display
#                                   is already there and --own is not given
#   testenv_runs_32bit              whether 32-bit Windows programs can run
#                                   here (see below); TESTENV_NO_32BIT_WHY
#                                   then says why not
#   testenv_start_wine PREFIX [ARCH] the prefix (created when missing) and a
#                                   wineserver that stays up between programs;
#                                   ARCH is win32 (the default) or win64, and
#                                   a prefix keeps the one it was made with.
#                                   `wine` then runs that architecture's own
#                                   loader, in this shell and below it
#   testenv_stop_wine               ends that wineserver, to change prefixes
#   testenv_stop                    ends what the two started; safe to call
#                                   again and from an EXIT trap
#
# Every wait is a condition polled against a deadline, or a blocking wait
# under `timeout`. The X programs' logs live in a private folder until
# testenv_stop; a failure prints the relevant lines.

TESTENV_SCREEN_WIDTH=1920
TESTENV_SCREEN_HEIGHT=1080
# The tests expect a taskbar-like band of 40 pixels at the bottom that
# windows do not cover: the work area ends above it.
TESTENV_BOTTOM_BAND=40

_testenv_x_pids=()         # Xvfb, openbox, xcompmgr, in start order
_testenv_saved_display=""  # DISPLAY before we replaced it
_testenv_owns_display=0
_testenv_prefix=""         # prefix whose wineserver we started
_testenv_state=""          # X programs' logs, the openbox configuration, the wine loader's link
_testenv_saved_path=""     # PATH before the loader's folder went in front
TESTENV_NO_32BIT_WHY=""

_testenv_log() { printf '[testenv] %s\n' "$*" >&2; }

_testenv_now_ms() {
  local t=${EPOCHREALTIME/[.,]/}
  echo $((t / 1000))
}

# testenv_wait_for SECONDS WHAT COMMAND...: polls COMMAND until it succeeds.
testenv_wait_for() {
  local seconds=$1 what=$2
  shift 2
  local deadline=$(($(_testenv_now_ms) + seconds * 1000))
  until "$@"; do
    if (($(_testenv_now_ms) >= deadline)); then
      _testenv_log "gave up after ${seconds} s waiting for $what"
      return 1
    fi
    sleep 0.05
  done
}

_testenv_quiet() { "$@" >/dev/null 2>&1 </dev/null; }

_testenv_state_dir() {
  if [ -z "$_testenv_state" ] || [ ! -d "$_testenv_state" ]; then
    _testenv_state=$(mktemp -d "${TMPDIR:-/tmp}/tarvelo-testenv.XXXXXX") || return 1
  fi
}

_testenv_show_log() {  # file: the last lines, to explain a failure
  [ -s "$1" ] && sed 's/^/[testenv]   /' <(tail -n 15 "$1") >&2
  return 0
}

_testenv_alive() {
  local state
  state=$(ps -o stat= -p "$1" 2>/dev/null) && [[ $state != Z* ]]
}

_testenv_end_process() {  # pid: TERM, then KILL when it does not go
  local pid=$1
  kill "$pid" 2>/dev/null || true
  testenv_wait_for 5 "process $pid to end" _testenv_dead "$pid" || kill -9 "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
}
_testenv_dead() { ! _testenv_alive "$1"; }

_testenv_first_line_is_number() { [[ $(head -n1 "$1" 2>/dev/null) =~ ^[0-9]+$ ]]; }

# True once Xvfb has written its display number, or has died trying.
_testenv_xvfb_settled() { _testenv_first_line_is_number "$2" || _testenv_dead "$1"; }

_testenv_workarea_is() {
  local want=$1 have
  have=$(xprop -root _NET_WORKAREA 2>/dev/null) || return 1
  # openbox lists one area per desktop; the first is the one Wine reads.
  [[ ${have#*= } == "$want"* ]]
}

_testenv_write_openbox_config() {
  # The margin makes openbox itself publish the smaller work area and keep it
  # whenever it recomputes the value; one set on the root by hand would be
  # overwritten as soon as openbox starts.
  cat >"$1" <<EOF
<?xml version="1.0" encoding="UTF-8"?>
<openbox_config xmlns="http://openbox.org/3.4/rc">
  <margins><top>0</top><bottom>$TESTENV_BOTTOM_BAND</bottom><left>0</left><right>0</right></margins>
  <desktops><number>1</number></desktops>
</openbox_config>
EOF
}

testenv_start_display() {
  local own=0
  [ "${1:-}" = --own ] && own=1
  if ((_testenv_owns_display)); then return 0; fi
  if ((!own)) && [ -n "${DISPLAY:-}" ]; then return 0; fi
  _testenv_state_dir || return 1

  # Xvfb picks a free display number itself and writes it to the descriptor
  # once it accepts connections: no race with other servers on this machine.
  local number_file=$_testenv_state/display-number
  : >"$number_file"
  Xvfb -displayfd 3 -screen 0 "${TESTENV_SCREEN_WIDTH}x${TESTENV_SCREEN_HEIGHT}x24" -nolisten tcp -noreset \
    3>"$number_file" >"$_testenv_state/xvfb.log" 2>&1 </dev/null &
  _testenv_x_pids+=($!)
  _testenv_saved_display=${DISPLAY:-}
  _testenv_owns_display=1
  testenv_wait_for 30 "Xvfb to choose a display" _testenv_xvfb_settled "${_testenv_x_pids[-1]}" "$number_file"
  if ! _testenv_first_line_is_number "$number_file"; then
    _testenv_log "Xvfb did not start"
    _testenv_show_log "$_testenv_state/xvfb.log"
    return 1
  fi
  DISPLAY=":$(head -n1 "$number_file")"
  export DISPLAY
  testenv_wait_for 30 "the X server on $DISPLAY" _testenv_quiet xdpyinfo || return 1

  # Without a window manager Wine waits 2 s in every hide or destroy of a
  # visible top-level window.
  _testenv_write_openbox_config "$_testenv_state/openbox.xml"
  openbox --config-file "$_testenv_state/openbox.xml" --sm-disable >"$_testenv_state/openbox.log" 2>&1 </dev/null &
  _testenv_x_pids+=($!)
  local area="0, 0, $TESTENV_SCREEN_WIDTH, $((TESTENV_SCREEN_HEIGHT - TESTENV_BOTTOM_BAND))"
  if ! testenv_wait_for 30 "openbox to publish the work area $area" _testenv_workarea_is "$area"; then
    _testenv_show_log "$_testenv_state/openbox.log"
    return 1
  fi

  # The compositor blends per-pixel alpha in screenshots; it announces itself
  # with a window of its own name.
  xcompmgr >"$_testenv_state/xcompmgr.log" 2>&1 </dev/null &
  _testenv_x_pids+=($!)
  if ! testenv_wait_for 30 "xcompmgr" _testenv_quiet xdotool search --name '^xcompmgr$'; then
    _testenv_show_log "$_testenv_state/xcompmgr.log"
    return 1
  fi
  _testenv_log "display $DISPLAY ready"
}

# Wine's own loaders. Debian's /usr/bin/wine is a wrapper that always takes
# the 32-bit one when it is installed, whatever the prefix, and some machines
# here cannot run any 32-bit program: each prefix is driven by the loader of
# its own architecture, named directly.
TESTENV_WINE32=${TESTENV_WINE32:-/usr/lib/wine/wine}
TESTENV_WINE64=${TESTENV_WINE64:-/usr/lib/wine/wine64}

# True when this machine runs 32-bit Windows programs: the 32-bit loader is
# installed and runs. TARVELO_NO_32BIT=1 answers no on any machine, so that
# the 64-bit path can be tried where both work.
testenv_runs_32bit() {
  local answer
  if [ "${TARVELO_NO_32BIT:-0}" = 1 ]; then
    TESTENV_NO_32BIT_WHY="TARVELO_NO_32BIT=1"
    return 1
  fi
  if [ ! -x "$TESTENV_WINE32" ]; then
    TESTENV_NO_32BIT_WHY="32-bit Wine ($TESTENV_WINE32) is not installed"
    return 1
  fi
  if ! answer=$(timeout 60 "$TESTENV_WINE32" --version 2>&1 </dev/null); then
    TESTENV_NO_32BIT_WHY="$TESTENV_WINE32 does not run: ${answer:-no answer}"
    TESTENV_NO_32BIT_WHY=${TESTENV_NO_32BIT_WHY//$'\n'/ }
    return 1
  fi
  TESTENV_NO_32BIT_WHY=""
}

# Puts a `wine` that runs the given loader first on PATH (and `wine-stable`,
# which winepath and the other tool wrappers call). A program that starts
# another finds the loader through WINELOADER.
_testenv_use_loader() {  # loader
  local loader=$1 bin name
  _testenv_state_dir || return 1
  bin=$_testenv_state/bin
  mkdir -p "$bin" || return 1
  for name in wine wine-stable; do
    printf '#!/bin/sh\nexec %q "$@"\n' "$loader" >"$bin/$name" && chmod +x "$bin/$name" || return 1
  done
  if [ -z "$_testenv_saved_path" ]; then
    _testenv_saved_path=$PATH
    export PATH="$bin:$PATH"
  fi
  export WINELOADER=$loader
}

testenv_start_wine() {
  local prefix=${1:-} arch=${2:-win32}
  if [ -z "$prefix" ]; then
    _testenv_log "testenv_start_wine needs the prefix folder"
    return 1
  fi
  if [ -z "${DISPLAY:-}" ]; then
    _testenv_log "start the display first: Wine reads the work area when its desktop starts"
    return 1
  fi
  local loader
  case $arch in
    win32) loader=$TESTENV_WINE32 ;;
    win64) loader=$TESTENV_WINE64 ;;
    *) _testenv_log "unknown Wine architecture $arch (win32 or win64)"; return 1 ;;
  esac
  if [ -x "$loader" ]; then
    _testenv_use_loader "$loader" || return 1
  elif [ -e /usr/lib/wine ]; then
    _testenv_log "$loader is missing: $arch programs cannot run here"
    return 1
  fi  # elsewhere (not Debian's layout) `wine` is the loader itself
  mkdir -p "$prefix" || return 1
  prefix=$(cd "$prefix" && pwd)
  export WINEPREFIX=$prefix WINEARCH=$arch WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

  # The server stays up in the background: it must not hold our output open
  # (a caller piping this script's output would wait for it). A server left
  # from an earlier session may hold another display and work area: replace it.
  if ! _testenv_quiet wineserver -p; then
    _testenv_log "replacing the wineserver already running for $prefix"
    wineserver -k 2>/dev/null || true
    timeout 30 wineserver -w || return 1
    _testenv_quiet wineserver -p || return 1
  fi
  _testenv_prefix=$prefix

  # The first Wine program after the server starts launches background
  # services that inherit its output: a file, never a pipe. In a new prefix
  # it also has Wine create the prefix, and waits for that. (Running
  # `wineboot -i` besides makes two service managers, after which every start
  # of Wine's desktop process stalls 10 s waiting for the RPC service.)
  local creating=0 t0 log
  [ -f "$prefix/system.reg" ] || creating=1
  log=$(mktemp "${TMPDIR:-/tmp}/tarvelo-wine-first.XXXXXX") || return 1
  t0=$(_testenv_now_ms)
  if ! testenv_wait_for 120 "Wine to answer in $prefix" _testenv_wine_answers "$log"; then
    _testenv_show_log "$log"
    rm -f "$log"
    return 1
  fi
  rm -f "$log"
  if ((creating)); then
    _testenv_log "created the prefix in $(($(_testenv_now_ms) - t0)) ms"
  fi
  _testenv_log "wine ready in $prefix"
}

_testenv_wine_answers() { wine reg query 'HKCU\Software' >>"$1" 2>&1 </dev/null; }

testenv_stop_wine() {
  if [ -n "$_testenv_prefix" ]; then
    WINEPREFIX=$_testenv_prefix wineserver -k 2>/dev/null || true
    WINEPREFIX=$_testenv_prefix timeout 30 wineserver -w || _testenv_log "the wineserver did not end within 30 s"
    _testenv_prefix=""
  fi
}

testenv_stop() {
  testenv_stop_wine
  if [ -n "$_testenv_saved_path" ]; then
    export PATH=$_testenv_saved_path
    unset WINELOADER
    _testenv_saved_path=""
  fi
  local i
  for ((i = ${#_testenv_x_pids[@]} - 1; i >= 0; i--)); do
    _testenv_end_process "${_testenv_x_pids[i]}"
  done
  _testenv_x_pids=()
  if ((_testenv_owns_display)); then
    if [ -n "$_testenv_saved_display" ]; then export DISPLAY=$_testenv_saved_display; else unset DISPLAY; fi
    _testenv_owns_display=0
  fi
  if [ -n "$_testenv_state" ]; then rm -rf "$_testenv_state"; fi
  _testenv_state=""
  return 0
}
