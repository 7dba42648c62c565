# Displays: one that cannot be opened ends the program with status 1 and a
# message naming it; -db draws through the double buffer, and falls back
# to the window on a server without the extension.
. "$(dirname "$0")/common.sh"

xt_run -display :4711 l
[ "$XT_STATUS" = 1 ] || fail "unopenable display: status $XT_STATUS, expected 1"
[ "$(cat "$XT_STDERR")" = "xtinkerbot: can't open display \`:4711'" ] \
    || fail "unopenable display: wrong message"

(unset DISPLAY; cd "$XT_TMP" && exec timeout 10 "$XT_BIN" l >"$XT_STDOUT" 2>"$XT_STDERR")
XT_STATUS=$?
[ "$XT_STATUS" = 1 ] || fail "no DISPLAY: status $XT_STATUS, expected 1"
[ "$(cat "$XT_STDERR")" = "xtinkerbot: can't open display \`'" ] \
    || fail "no DISPLAY: wrong message"
: >"$XT_STDERR"

# Polls: on a loaded machine the first frame may take a while.
frame_has_vehicles() {
    xt_wait_vehicles "$XT_TMP/$1.png" \
        || fail "$1: too few red ($XT_RED) or yellow ($XT_YELLOW) pixels"
}

for option in -db +db -double-buffer; do
    xt_start "$option" l v2a v3b
    frame_has_vehicles "frame$option"
    xt_key t Left equal minus
    sleep 0.3
    xt_alive || fail "$option: died after keys"
    xt_key q
    xt_wait_exit 5
    [ "$XT_STATUS" = 0 ] || fail "$option: status $XT_STATUS after q"
    [ ! -s "$XT_STDERR" ] || fail "$option: unexpected messages"
done

# -xrm lines are accepted in any number and change nothing.
xt_start -xrm '*background: white' -xrm 'xtinkerbot.geometry: 10x10' l
xwininfo -id "$XT_WIN" | grep -q 'Width: 640$' || fail "-xrm changed the window"
xt_key q
xt_wait_exit 5
[ "$XT_STATUS" = 0 ] || fail "-xrm: status $XT_STATUS after q"
[ ! -s "$XT_STDERR" ] || fail "-xrm: unexpected messages"

pass "displays and double buffering"
