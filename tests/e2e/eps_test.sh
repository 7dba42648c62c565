# Writing pictures with 'o': numbered files from the default pattern,
# standard output with -o -, trails as Bezier curves, names that cannot be
# opened and a device that is full.  Every document must render.
. "$(dirname "$0")/common.sh"

xt_require gs convert

# Renders an EPS file and checks that the page is the window, 640 x 520.
expect_renders() {
    gs -q -dSAFER -dBATCH -dNOPAUSE -dEPSCrop -sDEVICE=png16m \
        -o "$1.png" "$1" >"$XT_TMP/gs.log" 2>&1 \
        || fail "gs could not render $1: $(head -c 2000 "$XT_TMP/gs.log")"
    ! grep -q Error "$XT_TMP/gs.log" || fail "gs reported an error for $1"
    size=$(convert "$1.png" -format '%w %h' info:)
    [ "$size" = "640 520" ] || fail "$1 renders at $size, not 640 520"
}

# Presses 'o' and waits until the stderr line for it shows up.
press_o_expecting() {
    xt_key o
    for _ in $(seq 50); do
        grep -qxF "$1" "$XT_STDERR" && return 0
        sleep 0.1
    done
    fail "no line '$1' after pressing o"
}

quit() {
    xt_key q
    xt_wait_exit 10 || fail "the program did not quit (status $XT_STATUS)"
}

# 1. The default pattern, kept when -o names a bad one: .001, then .002.
xt_start -o '%s' v2a v3b l
grep -qxF "xtinkerbot: bad output EPS name" "$XT_STDERR" \
    || fail "no message for the bad pattern"
sleep 1
press_o_expecting "EPS written to \`xtinkerbot.eps.001'"
press_o_expecting "EPS written to \`xtinkerbot.eps.002'"
quit
for n in 001 002; do
    f=$XT_TMP/xtinkerbot.eps.$n
    [ -s "$f" ] || fail "xtinkerbot.eps.$n was not written"
    head -n1 "$f" | grep -qxF '%!PS-Adobe-3.0 EPSF-3.0' || fail "$f lacks the EPS header"
    grep -qxF '%%BoundingBox: 0 0 640 520' "$f" || fail "$f has the wrong bounding box"
    tail -n1 "$f" | grep -qxF '%%EOF' || fail "$f is cut short"
    [ "$(grep -c '^% Vehicle ' "$f")" = 2 ] || fail "$f does not hold two vehicles"
    expect_renders "$f"
done
rm -f "$XT_TMP"/xtinkerbot.eps.*

# 2. -o -: a paused world written twice to standard output gives the same
# document twice, with no message and no file.
: >"$XT_STDERR"
xt_start -o - v2a v3b l
sleep 1
xt_key Escape
sleep 0.3
xt_key o
sleep 0.3
xt_key o
sleep 0.3
quit
[ ! -s "$XT_STDERR" ] || fail "writing to standard output printed: $(cat "$XT_STDERR")"
ls "$XT_TMP" | grep -q '^xtinkerbot\.eps' && fail "a file was written for -o -"
[ "$(grep -cxF '%%EOF' "$XT_STDOUT")" = 2 ] || fail "standard output does not hold two documents"
awk '/^%!PS-Adobe/ { n++ } { print > (dir "/doc" n ".eps") }' dir="$XT_TMP" "$XT_STDOUT"
cmp -s "$XT_TMP/doc1.eps" "$XT_TMP/doc2.eps" || fail "the two documents of a paused world differ"
expect_renders "$XT_TMP/doc1.eps"

# 3. With -t, after a while the trails come out as curves.
: >"$XT_STDERR"
xt_start -t -o 'trail%d.eps' v2a v3b v1 l
sleep 2
press_o_expecting "EPS written to \`trail1.eps'"
quit
f=$XT_TMP/trail1.eps
[ "$(grep -c ' rcurveto$' "$f")" -ge 3 ] || fail "no trail curves in $f"
grep -qxF '[1 2] 0 setdash' "$f" || fail "the second vehicle's dash pattern is missing"
expect_renders "$f"

# 4. A folder that does not exist: each press reports its own number.
: >"$XT_STDERR"
xt_start -o 'missing/pic.%03d' v2a l
press_o_expecting "missing/pic.001: No such file or directory"
press_o_expecting "missing/pic.002: No such file or directory"
xt_alive || fail "the program died after a failed open"
quit
grep -q 'EPS written' "$XT_STDERR" && fail "a failed open was announced as written"

# 5. A full device: announced when opened, then the failure is reported.
: >"$XT_STDERR"
xt_start -o /dev/full v2a l
press_o_expecting "/dev/full: No space left on device"
quit
[ "$(head -n1 "$XT_STDERR")" = "EPS written to \`/dev/full'" ] \
    || fail "the open of /dev/full was not announced first"

pass "EPS files: numbering, standard output, curves, failures"
