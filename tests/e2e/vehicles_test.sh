# A tutorial of what users come for: start the program with the four
# two-sensor vehicles between two lights, look at the picture, watch the
# vehicles move, give them lights of their own, and restart.
. "$(dirname "$0")/common.sh"

# paused_picture FILE ARGS...: starts the program with ARGS, pauses it at
# once, saves its picture in FILE and quits.
paused_picture() {
    local file=$1
    shift
    xt_start "$@"
    xt_wait_drawn
    xt_key Escape
    xt_wait_still "$file"
    xt_key q
    xt_wait_exit 5 || fail "the program did not quit"
}

# Pause at once: in the dark the inhibited v3a and v3b cruise at full
# speed and leave the visible region within a second or two.
xt_start v2a v2b v3a v3b l2a l2b
xt_wait_drawn
xt_key Escape
xt_wait_still "$XT_TMP/first.png"

# Red v2a, blue v2b, green v3a, orange v3b, the two yellow lights, on black.
for colour in red blue lime "#ff8000" yellow; do
    n=$(xt_count_colour "$XT_TMP/first.png" "$colour")
    [ "$n" -gt 10 ] || fail "too few pixels of $colour in the picture: $n"
done
[ "$(xt_count_colour "$XT_TMP/first.png" black)" -gt 250000 ] || fail "the background is not black"

# The lights l2a and l2b stand at (-250, 0) and (250, 0): window pixels
# (70, 260) and (570, 260) in a fresh 640x520 window.
for x in 66 566; do
    n=$(xt_count_colour "$XT_TMP/first.png" yellow 9x9+$x+256)
    [ "$n" -gt 0 ] || fail "no light drawn around pixel ($((x + 4)), 260)"
done

# Paused, the picture stands still.
sleep 0.5
xt_screenshot "$XT_TMP/paused1.png"
still=$(xt_changed_pixels "$XT_TMP/first.png" "$XT_TMP/paused1.png")
[ "$still" -eq 0 ] || fail "the paused picture changed: $still pixels"

# Resumed, the vehicles move: a later picture differs.
xt_key Escape
xt_wait_changed "$XT_TMP/paused1.png" "$XT_TMP/moving.png" 20
xt_key Escape
xt_wait_still "$XT_TMP/paused2.png"
changed=$(xt_changed_pixels "$XT_TMP/paused1.png" "$XT_TMP/paused2.png")
[ "$changed" -gt 20 ] || fail "the vehicles did not move: $changed pixels changed"

# 'r' restarts: the vehicles jump to new random places, drawn at once
# (and paused, the picture changes only through the restart).
xt_key r
xt_wait_changed "$XT_TMP/paused2.png" "$XT_TMP/restarted.png" 20
xt_key q
xt_wait_exit 5 || fail "the program did not quit: status $XT_STATUS"

# -l puts a light on every vehicle named after it: yellow rings ride on the
# vehicles.  Compare the yellow of the same world with and without it.
paused_picture "$XT_TMP/dark.png" v2a v2b v3a v3b
paused_picture "$XT_TMP/lit.png" -l v2a v2b v3a v3b
dark=$(xt_count_colour "$XT_TMP/dark.png" yellow)
lit=$(xt_count_colour "$XT_TMP/lit.png" yellow)
[ "$dark" -eq 0 ] || fail "yellow without any light: $dark pixels"
[ "$lit" -gt 40 ] || fail "-l gave the vehicles no visible lights: $lit yellow pixels"

# An unknown body is reported and the rest of the world still runs.
xt_start v2a foo l
sleep 0.3
grep -qxF "xtinkerbot: no such body \`foo'" "$XT_STDERR" || fail "no message for the unknown body"
xt_key q
xt_wait_exit 5 || fail "the program did not quit"

pass "vehicles are drawn in their colours, move, pause, restart and carry lights"
