# Wiring expressions on the command line: their messages appear on standard
# error before the window opens, and the program runs with what was built.
. "$(dirname "$0")/common.sh"

xt_start -ll 'left*2' v2a -rl '(right' v2b -ll '*' v3a -ll 'left @ 1' l
sleep 0.5
xt_alive || fail "the program died"
expected="<argument>:1:expected \`)', found \`(null)'
<argument>:1:\`*' can't be used as a prefix operator
<argument>:1:illegal character \`@'"
[ "$(cat "$XT_STDERR")" = "$expected" ] || {
    printf 'expected:\n%s\ngot:\n%s\n' "$expected" "$(cat "$XT_STDERR")" >&2
    fail "wrong wiring messages"
}
xt_key q
xt_wait_exit 5 || fail "the program did not quit"

# A warning keeps its position on the right line of a multi-line text.
xt_start -rl 'left
+ 10U' v2a
sleep 0.3
grep -qxF "<argument>:2:warning: unsigned not yet supported" "$XT_STDERR" \
    || fail "no warning on line 2"
xt_key q
xt_wait_exit 5 || fail "the program did not quit"

# A huge, deeply nested text is refused with one message, never a crash.
deep=$(printf '(%.0s' $(seq 20000))
xt_start -ll "$deep left" v2a
sleep 0.3
grep -qF "expression nested too deeply" "$XT_STDERR" || fail "no nesting message"
xt_key q
xt_wait_exit 5 || fail "the program did not quit: status $XT_STATUS"

pass "wiring messages come before the window, and bad wiring never stops the program"
