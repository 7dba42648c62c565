# -double-buffer on a server without the DOUBLE-BUFFER extension draws
# straight on the window, with no message.
XT_XVFB_ARGS="-extension DOUBLE-BUFFER"
. "$(dirname "$0")/common.sh"

xdpyinfo -queryExtensions | grep -q DOUBLE-BUFFER \
    && fail "the test server still has DOUBLE-BUFFER"

xt_start -db l v2a v3b
# Polls: on a loaded machine the first frame may take a while.
xt_wait_vehicles "$XT_TMP/frame.png"
red=$XT_RED
yellow=$XT_YELLOW
[ "$red" -gt 50 ] || fail "too few red pixels ($red)"
[ "$yellow" -gt 20 ] || fail "too few yellow pixels ($yellow)"
xt_key q
xt_wait_exit 5
[ "$XT_STATUS" = 0 ] || fail "status $XT_STATUS after q"
[ ! -s "$XT_STDERR" ] || fail "unexpected messages"

pass "double buffering falls back to the window"
