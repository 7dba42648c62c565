# A hundred thousand vehicles in the default window: every pair of the
# crowd touches and one firing takes many seconds.  The program still
# answers at once: Escape stops it in the middle of a firing, the view keys
# redraw while it is held there, Escape lets it go on, and 'q' ends it.
. "$(dirname "$0")/common.sh"

cpu_ticks() {
    awk '{ print $14 + $15 }' "/proc/$XT_PID/stat"
}
# Waits up to $2 seconds for one second in which the program used CPU
# ("busy": a tenth of a second at least, on a machine shared with other
# work) or next to none ("idle": under five hundredths).
wait_for() {
    local want=$1 limit=$2 start before after
    start=$SECONDS
    while [ $((SECONDS - start)) -lt "$limit" ]; do
        before=$(cpu_ticks)
        sleep 1
        after=$(cpu_ticks)
        if [ "$want" = busy ] && [ $((after - before)) -ge 10 ]; then return 0; fi
        if [ "$want" = idle ] && [ $((after - before)) -lt 5 ]; then return 0; fi
    done
    return 1
}

bodies=()
for _ in $(seq 25000); do bodies+=(v2a v2b v3a v3b); done
xt_start -threads 2 "${bodies[@]}" l timel l2a l2b

wait_for busy 30 || fail "the program never started its firing"
xt_key Escape
wait_for idle 20 || fail "Escape did not hold the firing"

xt_screenshot "$XT_TMP/before.png"
xt_key equal
changed=
for _ in $(seq 100); do
    xt_screenshot "$XT_TMP/after.png"
    if [ "$(compare -metric AE "$XT_TMP/before.png" "$XT_TMP/after.png" null: 2>&1)" != 0 ]; then
        changed=yes
        break
    fi
    sleep 0.2
done
[ -n "$changed" ] || fail "zooming in did not redraw while the firing was held"
xt_alive || fail "the program died while held"

xt_key Escape
wait_for busy 30 || fail "Escape did not let the firing go on"

xt_key q
xt_wait_exit 5 || fail "'q' did not end the program within 5 s (status $XT_STATUS)"
[ "$XT_STATUS" = 0 ] || fail "exit status $XT_STATUS after 'q'"
pass "a world of 100,000 vehicles answers Escape, the view keys and q"
