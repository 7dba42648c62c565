# Shared harness of the end-to-end tests.  Source it first thing:
#
#     . "$(dirname "$0")/common.sh"      # $1 of the test script: the binary
#
# Sourcing starts a private Xvfb (1280x1024x24, DOUBLE-BUFFER on) on a free
# display number, exports DISPLAY, makes a scratch directory and installs a
# trap that kills the program and the server and removes the scratch
# directory when the script exits.  Set XT_XVFB_ARGS before sourcing to pass
# more server arguments (for example "-extension DOUBLE-BUFFER").
#
# Variables:
#   XT_BIN      the program under test ($1 of the test script)
#   XT_TMP      scratch directory, removed at exit; also the program's cwd
#   XT_STDOUT   file holding the program's standard output
#   XT_STDERR   file holding the program's standard error
#   XT_PID      pid of the program started by xt_start
#   XT_WIN      id of its window (decimal), found by the name "xtinkerbot"
#   XT_STATUS   exit status, set by xt_wait_exit and xt_run
#
# Functions:
#   xt_start ARGS...      start "$XT_BIN" ARGS in the background (cwd XT_TMP,
#                         stdout/stderr appended to the files above, which
#                         it empties first; ': >"$XT_STDERR"' later is
#                         safe) and wait up to
#                         10 s for its window; fails the test if none appears
#   xt_run ARGS...        run "$XT_BIN" ARGS to completion (no window
#                         expected, 10 s limit), setting XT_STATUS
#   xt_key KEYS...        send key presses to the window (xdotool key names:
#                         q, Escape, Left, ctrl+Left, period, less, ...)
#   xt_alive              true while the program runs
#   xt_wait_exit TIMEOUT  wait up to TIMEOUT seconds for the program to end;
#                         sets XT_STATUS (124 on time-out) and returns it
#   xt_screenshot FILE    save the window's contents as a PNG (xwd + convert)
#   xt_count_colour FILE COLOUR
#                         number of pixels of an image with that colour
#                         (ImageMagick colour, e.g. red, "#ffff00")
#   fail MSG...           report the failure (with the program's stderr) and
#                         exit 1
#   pass MSG...           report success and exit 0

set -u

XT_BIN=${1:?usage: $0 /path/to/xtinkerbot}
case $XT_BIN in /*) ;; *) XT_BIN=$PWD/$XT_BIN ;; esac
XT_TMP=$(mktemp -d "${TMPDIR:-/tmp}/xt-e2e.XXXXXX")
XT_STDOUT=$XT_TMP/stdout
XT_STDERR=$XT_TMP/stderr
XT_PID=
XT_WIN=
XT_STATUS=
XT_XVFB_PID=
: >"$XT_STDOUT"
: >"$XT_STDERR"

xt_cleanup() {
    if [ -n "$XT_PID" ] && kill -0 "$XT_PID" 2>/dev/null; then
        kill "$XT_PID" 2>/dev/null
        wait "$XT_PID" 2>/dev/null
    fi
    if [ -n "$XT_XVFB_PID" ]; then
        kill "$XT_XVFB_PID" 2>/dev/null
        wait "$XT_XVFB_PID" 2>/dev/null
    fi
    rm -rf "$XT_TMP"
}
trap xt_cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    if [ -s "$XT_STDERR" ]; then
        echo "--- program stderr:" >&2
        head -c 4000 "$XT_STDERR" >&2
    fi
    exit 1
}

pass() {
    echo "PASS: $*"
    exit 0
}

xt_start_server() {
    local tool
    for tool in Xvfb xdotool xwininfo xprop; do
        command -v "$tool" >/dev/null || fail "$tool is not installed"
    done
    # Xvfb picks a free display itself and writes its number to fd 3.
    # -noreset: the polls below are short-lived clients; when one of them is
    # the last to disconnect, a resetting server drops every connection,
    # the program's half-open one included.
    # shellcheck disable=SC2086
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset \
        +extension DOUBLE-BUFFER ${XT_XVFB_ARGS:-} \
        3>"$XT_TMP/display" 2>"$XT_TMP/xvfb.log" &
    XT_XVFB_PID=$!
    local i
    for i in $(seq 100); do
        [ -s "$XT_TMP/display" ] && break
        kill -0 "$XT_XVFB_PID" 2>/dev/null || fail "Xvfb did not start"
        sleep 0.1
    done
    [ -s "$XT_TMP/display" ] || fail "Xvfb did not report a display"
    DISPLAY=:$(head -n1 "$XT_TMP/display")
    export DISPLAY
}

xt_start() {
    # Appending, so a test may empty the files while the program runs.
    : >"$XT_STDOUT"
    : >"$XT_STDERR"
    (cd "$XT_TMP" && exec "$XT_BIN" "$@" >>"$XT_STDOUT" 2>>"$XT_STDERR") &
    XT_PID=$!
    XT_WIN=
    local i
    for i in $(seq 100); do
        XT_WIN=$(xdotool search --name '^xtinkerbot$' 2>/dev/null | head -n1)
        [ -n "$XT_WIN" ] && break
        kill -0 "$XT_PID" 2>/dev/null || fail "program ended before its window appeared: $*"
        sleep 0.1
    done
    [ -n "$XT_WIN" ] || fail "no window appeared within 10 s: $*"
}

xt_run() {
    (cd "$XT_TMP" && exec timeout 10 "$XT_BIN" "$@" >"$XT_STDOUT" 2>"$XT_STDERR")
    XT_STATUS=$?
}

xt_key() {
    xdotool key --window "$XT_WIN" "$@" 2>>"$XT_TMP/xdotool.log"
}

xt_alive() {
    kill -0 "$XT_PID" 2>/dev/null
}

xt_wait_exit() {
    local ticks
    ticks=$(awk -v s="$1" 'BEGIN { print int(s * 10) }')
    while kill -0 "$XT_PID" 2>/dev/null; do
        if [ "$ticks" -le 0 ]; then
            XT_STATUS=124
            return 124
        fi
        sleep 0.1
        ticks=$((ticks - 1))
    done
    wait "$XT_PID"
    XT_STATUS=$?
    XT_PID=
    return "$XT_STATUS"
}

xt_screenshot() {
    command -v xwd >/dev/null && command -v convert >/dev/null \
        || fail "xwd or convert is not installed"
    xwd -silent -id "$XT_WIN" | convert xwd:- "$1" || fail "screenshot failed"
}

xt_count_colour() {
    convert "$1" -fill black +opaque "$2" -fill white -opaque "$2" \
        -format '%[fx:round(mean*w*h)]' info:
}

xt_start_server
