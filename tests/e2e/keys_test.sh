# The keys, as a user would press them: every key keeps the program alive,
# Escape freezes the picture (and costs next to no CPU), keys still redraw
# while paused, and 'q' ends the program with status 0.
. "$(dirname "$0")/common.sh"

same_image() {
    [ "$(compare -metric AE "$1" "$2" null: 2>&1)" = 0 ]
}
cpu_ticks() {
    awk '{ print $14 + $15 }' "/proc/$XT_PID/stat"
}

xt_start l v2a v2b v3a v3b

# Every key of the keyboard interface, and some that do nothing.
for key in Left Right Up Down ctrl+Left ctrl+Up ctrl+Right ctrl+Down \
    minus equal period greater comma less t t r o p s ctrl+o; do
    xt_key "$key"
    sleep 0.05
    xt_alive || fail "the program died after key $key"
done

# 'o' wrote the picture to the first EPS file, in the working directory,
# and said so.
for i in $(seq 20); do [ -s "$XT_TMP/xtinkerbot.eps.001" ] && break; sleep 0.1; done
head -c 11 "$XT_TMP/xtinkerbot.eps.001" 2>/dev/null | grep -q '^%!PS-Adobe' \
    || fail "'o' wrote no EPS file"
[ ! -e "$XT_TMP/xtinkerbot.eps.002" ] || fail "one 'o' wrote two files"
[ "$(cat "$XT_STDERR")" = "EPS written to \`xtinkerbot.eps.001'" ] \
    || fail "'o' did not report the file"
: >"$XT_STDERR"

# Escape pauses: two screenshots a while apart are identical.
xt_key Escape
xt_wait_still "$XT_TMP/p1.png"
before=$(cpu_ticks)
sleep 5
after=$(cpu_ticks)
xt_screenshot "$XT_TMP/p2.png"
same_image "$XT_TMP/p1.png" "$XT_TMP/p2.png" || fail "the picture moved while paused"
# Paused, the alarm still wakes every 10 ms but does nothing: well under
# 5% of one CPU (ticks are 1/100 s).
ticks=$((after - before))
[ "$ticks" -le 25 ] || fail "paused for 5 s used $ticks CPU ticks"
echo "paused 5 s: $ticks CPU ticks"

# Keys act while paused: zooming redraws, and then the picture stands
# still again (a restarted animation never would).
xt_key equal
xt_wait_changed "$XT_TMP/p2.png" "$XT_TMP/p3.png"
xt_wait_still "$XT_TMP/p4.png"

# Escape again resumes.
xt_key Escape
xt_wait_changed "$XT_TMP/p4.png" "$XT_TMP/r1.png"

# Speeding up far past the limit leaves the program responsive.
for i in $(seq 40); do xt_key period; done
sleep 0.5
xt_alive || fail "the program died at full speed"

xt_key q
xt_wait_exit 5
[ "$XT_STATUS" = 0 ] || fail "q: status $XT_STATUS, expected 0"
[ ! -s "$XT_STDERR" ] || fail "unexpected messages"

pass "keys"
