# Pictures that cannot go where they should never cost the run: standard
# output closed, a FIFO nobody opens, a pipe nobody reads, a reader that
# goes away, a name pattern no file system allows, and a view zoomed in
# until its coordinates are out of an interpreter's reach.  Each time the
# program says what went wrong, keeps answering its keys, and 'q' quits.
. "$(dirname "$0")/common.sh"

command -v gs >/dev/null || fail "gs (Ghostscript) is not installed"

many_vehicles=$(for _ in $(seq 150); do printf 'v2a '; done)

# start_redirected REDIRECTION ARGS...: xt_start, with the program's
# standard output redirected as given (a wrapper applies it, then execs
# the program in its place).
start_redirected() {
    local redirection=$1 real=$XT_BIN
    shift
    printf '#!/bin/sh\nexec "%s" "$@" %s\n' "$real" "$redirection" >"$XT_TMP/wrapper"
    chmod +x "$XT_TMP/wrapper"
    XT_BIN=$XT_TMP/wrapper
    xt_start "$@"
    XT_BIN=$real
}

# wait_for_line LINE [SECONDS]: polls the program's stderr for the line.
wait_for_line() {
    for _ in $(seq "$((${2:-5} * 10))"); do
        grep -qxF "$1" "$XT_STDERR" && return 0
        sleep 0.1
    done
    fail "no line '$1' on stderr"
}

quits() {
    xt_key q
    xt_wait_exit 10 || fail "$1: 'q' did not end the program (status $XT_STATUS)"
    [ "$XT_STATUS" = 0 ] || fail "$1: exit status $XT_STATUS"
}

renders() {
    gs -q -dSAFER -dBATCH -dNOPAUSE -dEPSCrop -sDEVICE=png16m \
        -o "$1.png" "$1" >"$XT_TMP/gs.log" 2>&1 \
        && ! grep -q Error "$XT_TMP/gs.log" \
        || fail "gs could not render $1: $(head -c 1000 "$XT_TMP/gs.log")"
}

# 1. Standard output closed: descriptor 1 must not become the X
# connection; the picture for it is reported as not written.
start_redirected '>&-' -o - v2a l
xt_key o
wait_for_line "<standard output>: Bad file descriptor"
xt_alive || fail "closed stdout: the program died"
quits "closed stdout"
grep -q "X Error\|BadLength" "$XT_STDERR" && fail "closed stdout: X errors: $(cat "$XT_STDERR")"

# 2. A FIFO without a reader: refused at once, the window still answers.
mkfifo "$XT_TMP/fifo"
xt_start -o fifo v2a l
xt_key o
wait_for_line "fifo: No such device or address"
quits "FIFO without a reader"

# 3. Standard output a pipe that nobody reads: pictures wait in memory,
# the window keeps answering, and what is pending when 'q' comes is
# reported.  The test holds the read end open without reading.
mkfifo "$XT_TMP/pipe"
exec 7<>"$XT_TMP/pipe"
# shellcheck disable=SC2086
start_redirected ">'$XT_TMP/pipe'" -o - $many_vehicles l
xt_key o o o
xt_key Escape Escape t
xt_alive || fail "stuck pipe: the program died"
quits "stuck pipe"
grep -q "^<standard output>: not completely written (" "$XT_STDERR" \
    || fail "stuck pipe: nothing said about the pictures left behind: $(cat "$XT_STDERR")"
exec 7<&-

# 4. A pipe whose reader comes late: the pictures arrive whole, in order.
rm -f "$XT_TMP/pipe"
mkfifo "$XT_TMP/pipe"
exec 7<>"$XT_TMP/pipe"
# shellcheck disable=SC2086
start_redirected ">'$XT_TMP/pipe'" -o - $many_vehicles l
xt_key Escape
xt_key o o
: >"$XT_TMP/late"
for _ in $(seq 20); do
    timeout 0.5 cat <&7 >>"$XT_TMP/late"
    [ "$(grep -c '^%%EOF$' "$XT_TMP/late")" -ge 2 ] && break
done
[ "$(grep -c '^%%EOF$' "$XT_TMP/late")" = 2 ] || fail "late reader: not two pictures"
[ "$(grep -c '^%!PS-Adobe' "$XT_TMP/late")" = 2 ] || fail "late reader: not two headers"
quits "late reader"
[ ! -s "$XT_STDERR" ] || fail "late reader: stderr: $(cat "$XT_STDERR")"
exec 7<&-

# 5. A reader that goes away: a broken pipe is reported like any write
# failure, and the program goes on.
mkfifo "$XT_TMP/short"
(head -c 10 "$XT_TMP/short" >/dev/null) &
reader=$!
# shellcheck disable=SC2086
xt_start -o short $many_vehicles l
xt_key o
wait_for_line "short: Broken pipe"
wait "$reader"
xt_alive || fail "broken pipe: the program died"
quits "broken pipe"

# 6. A pattern whose names no file system allows is refused at start-up,
# and the default pattern is kept.
xt_start -o 'a%2147483646d' v2a l
wait_for_line "xtinkerbot: bad output EPS name"
xt_key o
wait_for_line "EPS written to \`xtinkerbot.eps.001'"
quits "overlong pattern"
renders "$XT_TMP/xtinkerbot.eps.001"

# 7. Zoomed in 60 times, coordinates run into the millions: the picture
# still renders.
xt_start -o zoom%d.eps v2a v2b l2a l2b l
for _ in 1 2 3 4 5 6; do xt_key equal equal equal equal equal equal equal equal equal equal; done
xt_key o
wait_for_line "EPS written to \`zoom1.eps'"
quits "deep zoom"
renders "$XT_TMP/zoom1.eps"

pass "pictures that cannot go where they should"
