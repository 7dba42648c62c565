# Shared harness of the end-to-end tests.  Source it first thing:
#
#     . "$(dirname "$0")/common.sh"      # $1 of the test script: the binary
#
# Sourcing starts a private Xvfb (1280x1024x24, DOUBLE-BUFFER on) on a free
# display number, exports DISPLAY, makes a scratch directory and installs a
# trap that kills the program and the server and removes the scratch
# directory when the script exits.  A missing Xvfb or X tool fails the test
# in CI and skips it elsewhere (tests/require.sh).  Set XT_XVFB_ARGS before
# sourcing to pass more server arguments (for example "-extension
# DOUBLE-BUFFER").
#
# Tests of paths that never open a window (the command line, the batch
# runner) set XT_NO_SERVER=1 before sourcing: no server is started and
# DISPLAY is unset, so a run that tried to open a window would fail.  Such
# tests usually check many runs and report every failure: xt_failed and
# xt_expect_status note one and go on, xt_finish ends the script.
#
# Variables:
#   XT_BIN      the program under test ($1 of the test script)
#   XT_TMP      scratch directory, removed at exit; also the program's cwd
#   XT_STDOUT   file holding the program's standard output
#   XT_STDERR   file holding the program's standard error
#   XT_PID      pid of the program started by xt_start
#   XT_WIN      id of its window (decimal), found by the name "xtinkerbot"
#   XT_STATUS   exit status, set by xt_wait_exit and xt_run
#   XT_RUN_SECONDS  time limit of xt_run (default 10)
#   XT_FAILURES number of xt_failed calls so far
#
# Functions:
#   xt_start ARGS...      start "$XT_BIN" ARGS in the background (cwd XT_TMP,
#                         stdout/stderr appended to the files above, which
#                         it empties first; ': >"$XT_STDERR"' later is
#                         safe) and wait up to
#                         30 s for its window to be mapped; fails the
#                         test if none appears
#   xt_wait_vehicles FILE wait up to 30 s for a frame with vehicles and a
#                         light (more than 50 red and 20 yellow pixels);
#                         FILE gets it, XT_RED and XT_YELLOW its counts;
#                         false if none came
#   xt_wait_drawn         wait up to 30 s for a first frame (anything
#                         drawn on the black background)
#   xt_wait_still FILE    wait until the picture stands still (a pause has
#                         taken effect); FILE gets the last screenshot
#   xt_wait_changed FROM FILE [PIXELS]
#                         wait until the picture differs from the image FROM
#                         in more than PIXELS pixels; FILE gets it
#   xt_changed_pixels A B number of pixels in which two images differ
#   xt_run ARGS...        run "$XT_BIN" ARGS to completion (cwd XT_TMP,
#                         stdin /dev/null, no window expected, time limit
#                         XT_RUN_SECONDS), setting XT_STATUS
#   xt_key KEYS...        send key presses to the window (xdotool key names:
#                         q, Escape, Left, ctrl+Left, period, less, ...)
#   xt_alive              true while the program runs
#   xt_wait_exit TIMEOUT  wait up to TIMEOUT seconds for the program to end;
#                         sets XT_STATUS (124 on time-out) and returns it
#   xt_screenshot FILE    save the window's contents as a PNG (xwd + convert)
#   xt_count_colour FILE COLOUR [REGION]
#                         number of pixels of an image with that colour
#                         (ImageMagick colour, e.g. red, "#ffff00"), in the
#                         whole image or in REGION (WxH+X+Y, e.g. 9x9+316+256)
#   fail MSG...           report the failure (with the program's stderr) and
#                         exit 1
#   pass MSG...           report success and exit 0
#   xt_use_batch          make XT_BIN the batch runner beside the program
#                         (or in XT_BUILD_DIR); fails the test if none is
#   xt_failed MSG...      report a failure and go on
#   xt_expect_status WHAT EXPECTED
#                         xt_failed unless XT_STATUS is EXPECTED
#   xt_finish NAME        exit 1 after any xt_failed, else pass NAME

set -u

# shellcheck source=../require.sh
. "$(dirname "${BASH_SOURCE[0]}")/../require.sh"

XT_BIN=${1:?usage: $0 /path/to/xtinkerbot}
case $XT_BIN in /*) ;; *) XT_BIN=$PWD/$XT_BIN ;; esac
XT_TMP=$(mktemp -d "${TMPDIR:-/tmp}/xt-e2e.XXXXXX")
XT_STDOUT=$XT_TMP/stdout
XT_STDERR=$XT_TMP/stderr
XT_PID=
XT_WIN=
XT_STATUS=
XT_XVFB_PID=
XT_RUN_SECONDS=${XT_RUN_SECONDS:-10}
XT_FAILURES=0
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

xt_use_batch() {
    local bin
    bin=$(cd "$(dirname "$XT_BIN")" && pwd)/xtinkerbot-batch
    [ -x "$bin" ] || bin=${XT_BUILD_DIR:-}/xtinkerbot-batch
    [ -x "$bin" ] || fail "no xtinkerbot-batch next to $XT_BIN"
    XT_BIN=$bin
}

xt_failed() {
    echo "FAIL: $*"
    XT_FAILURES=$((XT_FAILURES + 1))
}

xt_expect_status() {
    [ "$XT_STATUS" -eq "$2" ] \
        || xt_failed "$1: exit status $XT_STATUS, expected $2; stderr: $(head -c 300 "$XT_STDERR")"
}

xt_finish() {
    if [ "$XT_FAILURES" -ne 0 ]; then
        echo "$1: $XT_FAILURES failure(s)"
        exit 1
    fi
    pass "$1"
}

xt_start_server() {
    xt_require Xvfb xdotool xwininfo xprop
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
    # Windows of earlier runs may linger until the server has seen their
    # program go: only a window that was not there before is this run's.
    local before
    before=$(xdotool search --name '^xtinkerbot$' 2>/dev/null)
    (cd "$XT_TMP" && exec "$XT_BIN" "$@" >>"$XT_STDOUT" 2>>"$XT_STDERR") &
    XT_PID=$!
    XT_WIN=
    local i w
    for i in $(seq 300); do
        for w in $(xdotool search --name '^xtinkerbot$' 2>/dev/null); do
            case " $(echo $before) " in *" $w "*) ;; *) XT_WIN=$w; break ;; esac
        done
        [ -n "$XT_WIN" ] && break
        kill -0 "$XT_PID" 2>/dev/null || fail "program ended before its window appeared: $*"
        sleep 0.1
    done
    [ -n "$XT_WIN" ] || fail "no window appeared within 30 s: $*"
    # The name is set before the program selects its input and maps the
    # window: keys sent before the map could reach nobody.
    for i in $(seq 300); do
        xwininfo -id "$XT_WIN" 2>/dev/null | grep -q 'Map State: IsViewable' && return 0
        kill -0 "$XT_PID" 2>/dev/null || fail "program ended before its window was mapped: $*"
        sleep 0.1
    done
    fail "the window was not mapped within 30 s: $*"
}

# xt_wait_drawn: waits (up to 30 s) until the window shows something
# other than the black background, the sign of a first frame.
XT_RED=0
XT_YELLOW=0
xt_wait_vehicles() {
    local i
    for i in $(seq 30); do
        xt_screenshot "$1"
        XT_RED=$(xt_count_colour "$1" red)
        XT_YELLOW=$(xt_count_colour "$1" yellow)
        [ "$XT_RED" -gt 50 ] && [ "$XT_YELLOW" -gt 20 ] && return 0
        sleep 1
    done
    return 1
}

xt_wait_drawn() {
    local i
    for i in $(seq 60); do
        xt_screenshot "$XT_TMP/.drawn.png"
        [ "$(convert "$XT_TMP/.drawn.png" -format '%[fx:maxima.r+maxima.g+maxima.b>0]' info:)" = 1 ] \
            && return 0
        sleep 0.5
    done
    fail "nothing was drawn within 30 s"
}

# xt_wait_still FILE: waits (up to 30 s) until two screenshots half a
# second apart are the same, the sign that a pause has taken effect, and
# leaves the second in FILE.
xt_wait_still() {
    local i
    xt_screenshot "$XT_TMP/.still.png"
    for i in $(seq 60); do
        sleep 0.5
        xt_screenshot "$1"
        [ "$(xt_changed_pixels "$XT_TMP/.still.png" "$1")" -eq 0 ] && return 0
        cp "$1" "$XT_TMP/.still.png"
    done
    fail "the picture did not stand still within 30 s"
}

# xt_wait_changed FROM FILE [PIXELS]: waits (up to 30 s) until the window
# differs from the image FROM in more than PIXELS pixels (default 0) and
# leaves that screenshot in FILE.  Keys reach the program in order, but
# when it acts on them depends on the load of the machine.
xt_wait_changed() {
    local i
    for i in $(seq 60); do
        xt_screenshot "$2"
        [ "$(xt_changed_pixels "$1" "$2")" -gt "${3:-0}" ] && return 0
        sleep 0.5
    done
    fail "the picture did not change within 30 s"
}

# xt_changed_pixels A B: how many pixels of two images differ.
xt_changed_pixels() {
    local n
    n=$(compare -metric AE "$1" "$2" null: 2>&1 | cut -d' ' -f1)
    echo "${n%.*}"
}

xt_run() {
    (cd "$XT_TMP" && exec timeout "$XT_RUN_SECONDS" "$XT_BIN" "$@" \
        >"$XT_STDOUT" 2>"$XT_STDERR" </dev/null)
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
    xt_require xwd convert
    xwd -silent -id "$XT_WIN" | convert xwd:- "$1" || fail "screenshot failed"
}

xt_count_colour() {
    local crop=()
    [ -n "${3:-}" ] && crop=(-crop "$3" +repage)
    convert "$1" "${crop[@]}" -fill black +opaque "$2" -fill white -opaque "$2" \
        -format '%[fx:round(mean*w*h)]' info:
}

if [ "${XT_NO_SERVER:-}" = 1 ]; then
    unset DISPLAY
else
    xt_start_server
fi
