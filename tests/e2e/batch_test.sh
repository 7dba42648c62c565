# The batch runner, xtinkerbot-batch, end to end and without an X server:
# equal command lines give byte-identical pictures, the picture renders at
# the chosen size, errors end with status 1, and the output goes where -o
# says.  The runner is looked for next to the interactive binary.
#
#     bash batch_test.sh /path/to/xtinkerbot
XT_NO_SERVER=1
XT_RUN_SECONDS=30
. "$(dirname "$0")/common.sh"
xt_use_batch

bodies="v2a v2b v3a v3b l2a l2b"

# --- the defaults: 1000 firings of 4 steps, the pattern's first file
# shellcheck disable=SC2086
xt_run $bodies
xt_expect_status "defaults" 0
[ -s "$XT_TMP/xtinkerbot.eps.001" ] || xt_failed "defaults: no xtinkerbot.eps.001"
grep -qx "EPS written to \`xtinkerbot.eps.001'" "$XT_STDERR" || xt_failed "defaults: no EPS message: $(cat "$XT_STDERR")"
grep -Eqx 'xtinkerbot-batch: 4000 steps in [0-9]+\.[0-9]{3} s, [0-9.]+ steps/s' "$XT_STDERR" \
  || xt_failed "defaults: speed line: $(cat "$XT_STDERR")"
[ ! -s "$XT_STDOUT" ] || xt_failed "defaults: unexpected stdout"
grep -qx '%%BoundingBox: 0 0 640 520' "$XT_TMP/xtinkerbot.eps.001" || xt_failed "defaults: bounding box"
[ "$(grep -c '^% Vehicle ' "$XT_TMP/xtinkerbot.eps.001")" -eq 4 ] || xt_failed "defaults: not 4 vehicles"
grep -q 'rcurveto$' "$XT_TMP/xtinkerbot.eps.001" || xt_failed "defaults: no trails in the picture"
[ "$(tail -n 1 "$XT_TMP/xtinkerbot.eps.001")" = "%%EOF" ] || xt_failed "defaults: no trailer"

# --- determinism: unseeded and seeded runs repeat byte for byte
for seed in "" "-seed 7"; do
  for i in 1 2; do
    # shellcheck disable=SC2086
    xt_run -n 600 $seed -o "run$i.eps" -x -f 0.3 -l4 $bodies
    xt_expect_status "determinism $seed" 0
  done
  cmp -s "$XT_TMP/run1.eps" "$XT_TMP/run2.eps" || xt_failed "two runs with '$seed' differ"
  [ "$seed" = "" ] || cp "$XT_TMP/run1.eps" "$XT_TMP/seed7.eps"
done
# shellcheck disable=SC2086
xt_run -n 600 -seed 8 -o seed8.eps -x -f 0.3 -l4 $bodies
cmp -s "$XT_TMP/seed7.eps" "$XT_TMP/seed8.eps" && xt_failed "-seed 7 and -seed 8 give the same picture"
# The options act: crossed wiring changes the picture.
# shellcheck disable=SC2086
xt_run -n 600 -seed 7 -o plain.eps -f 0.3 -l4 $bodies
cmp -s "$XT_TMP/seed7.eps" "$XT_TMP/plain.eps" && xt_failed "-x made no difference"

# --- standard output: the same document, no "EPS written" message
# shellcheck disable=SC2086
xt_run -n 600 -seed 7 -o - -x -f 0.3 -l4 $bodies
xt_expect_status "-o -" 0
cmp -s "$XT_STDOUT" "$XT_TMP/seed7.eps" || xt_failed "-o - differs from the file written by the same run"
grep -q "EPS written" "$XT_STDERR" && xt_failed "-o -: EPS message on stderr"
grep -Eqx 'xtinkerbot-batch: 2400 steps in [0-9.]+ s, [0-9.]+ steps/s' "$XT_STDERR" \
  || xt_failed "-o -: speed line: $(cat "$XT_STDERR")"

# --- the size: bounding box, Ghostscript renders it at that size
# shellcheck disable=SC2086
xt_run -size 300x200 -n 300 -o small.eps $bodies
xt_expect_status "-size 300x200" 0
grep -qx '%%BoundingBox: 0 0 300 200' "$XT_TMP/small.eps" || xt_failed "-size: bounding box"
grep -qx 'gsave 0 0 300 200 rectclip' "$XT_TMP/small.eps" || xt_failed "-size: clip"
skipped=
if renderer_missing=$(xt_missing gs convert); then
  gs -dSAFER -dBATCH -dNOPAUSE -dEPSCrop -sDEVICE=png16m -o "$XT_TMP/small.png" "$XT_TMP/small.eps" \
    >"$XT_TMP/gs.log" 2>&1 || xt_failed "Ghostscript failed: $(head -c 500 "$XT_TMP/gs.log")"
  grep -qi error "$XT_TMP/gs.log" && xt_failed "Ghostscript reported: $(head -c 500 "$XT_TMP/gs.log")"
  # PNG width and height: big-endian words at bytes 16 and 20.
  size=$(od -An -tu1 -j16 -N8 "$XT_TMP/small.png" | awk '{ print $3 * 256 + $4 "x" $7 * 256 + $8 }')
  [ "$size" = "300x200" ] || xt_failed "rendered picture is $size, not 300x200"
  # Something was drawn: not every pixel is white.
  white=$(convert "$XT_TMP/small.png" -format '%[fx:mean==1]' info:)
  [ "$white" = "0" ] || xt_failed "rendered picture is blank"
elif [ -n "${CI:-}" ]; then
  xt_failed "not installed: $renderer_missing"
else
  # The other checks still run; the test counts as skipped at the end.
  skipped="rendering the picture: not installed: $renderer_missing"
fi

# --- no firings: the scattered start, no trails, zero steps
xt_run -n 0 -o zero.eps v2a l2a
xt_expect_status "-n 0" 0
grep -Eqx 'xtinkerbot-batch: 0 steps in [0-9.]+ s, 0 steps/s' "$XT_STDERR" || xt_failed "-n 0: $(cat "$XT_STDERR")"
grep -q rcurveto "$XT_TMP/zero.eps" && xt_failed "-n 0: trails without firings"

# --- nothing to simulate: said, status 1, no picture
rm -f "$XT_TMP"/*.eps
xt_run -n 10 -o empty.eps
xt_expect_status "no bodies" 1
[ "$(cat "$XT_STDERR")" = "xtinkerbot-batch: no bodies to simulate" ] || xt_failed "no bodies: stderr: $(cat "$XT_STDERR")"
[ -e "$XT_TMP/empty.eps" ] && xt_failed "no bodies: a picture was written"
xt_run -n 10 -o empty.eps nosuchbody
xt_expect_status "only unknown bodies" 1

# --- bad options: the message, the two usage lines, status 1, no picture
usage="Usage: xtinkerbot-batch [OPTION]... [BODY]...
Try \`xtinkerbot-batch --help' for more information."
check_error() {  # message, args...
  local message=$1
  shift
  rm -f "$XT_TMP"/*.eps.*
  xt_run "$@" v2a
  xt_expect_status "$*" 1
  [ "$(cat "$XT_STDERR")" = "xtinkerbot-batch: $message
$usage" ] || xt_failed "$*: stderr: $(cat "$XT_STDERR")"
  [ ! -s "$XT_STDOUT" ] || xt_failed "$*: unexpected stdout"
  ls "$XT_TMP"/*.eps.* >/dev/null 2>&1 && xt_failed "$*: a picture was written"
}
check_error "unrecognized option \`-zz'" -zz
check_error "unrecognized option \`-display'" -display :0
check_error "unrecognized option \`-trails'" -trails
check_error "bad size \`0x520'" -size 0x520
check_error "bad size \`640x'" -size 640x
check_error "bad size \`99999x99999'" -size 99999x99999
check_error "\`-n' expects a nonnegative integer, not \`ten'" -n ten
check_error "\`-firings' expects a nonnegative integer, not \`-5'" -firings -5
check_error "\`-n' expects an integer up to 2147483647, not \`4294967297'" -n 4294967297
check_error "\`-seed' expects a nonnegative integer, not \`x'" -seed x
check_error "bad output EPS name" -o 'out%s'

# --- help and version: status 0, text on stdout only
for args in "-h" "--help" "-n 5 -h -zz"; do
  # shellcheck disable=SC2086
  xt_run $args
  xt_expect_status "$args" 0
  head -n 1 "$XT_STDOUT" | grep -q "^\`Xtinkerbot-batch'" || xt_failed "$args: help: $(head -n 2 "$XT_STDOUT")"
  grep -qx 'Usage: xtinkerbot-batch \[OPTION\]\.\.\. \[BODY\]\.\.\.' "$XT_STDOUT" || xt_failed "$args: no usage line"
  grep -q '^  -size WxH  ' "$XT_STDOUT" || xt_failed "$args: no -size line"
  [ ! -s "$XT_STDERR" ] || xt_failed "$args: stderr: $(cat "$XT_STDERR")"
done
xt_run --version
xt_expect_status "--version" 0
head -n 1 "$XT_STDOUT" | grep -qx 'Wexlo Xtinkerbot version 0.9' || xt_failed "--version: $(head -n 1 "$XT_STDOUT")"

# --- the picture cannot be written: reported, status 1
xt_run -n 10 -o "$XT_TMP/no/such/dir/fig%d.eps" v2a
xt_expect_status "unwritable path" 1
grep -qx "$XT_TMP/no/such/dir/fig1.eps: No such file or directory" "$XT_STDERR" \
  || xt_failed "unwritable path: stderr: $(cat "$XT_STDERR")"
(cd "$XT_TMP" && timeout 30 "$XT_BIN" -n 10 -o - v2a >/dev/full 2>"$XT_STDERR")
XT_STATUS=$?
xt_expect_status "-o - on a full device" 1
grep -qx '<standard output>: No space left on device' "$XT_STDERR" || xt_failed "full device: $(cat "$XT_STDERR")"

# --- operands are read as by xtinkerbot, but an error in a body or a
# wiring ends the run before anything is simulated: a typo must not run a
# different experiment
for args in "nosuchbody v2a" "V2A v2a" "-ll (left v2a"; do
  rm -f "$XT_TMP/named.eps"
  # shellcheck disable=SC2086
  xt_run -n 10 -o named.eps $args
  xt_expect_status "error in '$args'" 1
  tail -n 1 "$XT_STDERR" | grep -qx "xtinkerbot-batch: not run: the command line has errors" \
    || xt_failed "error in '$args': $(cat "$XT_STDERR")"
  grep -q 'steps in' "$XT_STDERR" && xt_failed "error in '$args': simulated anyway"
  [ -e "$XT_TMP/named.eps" ] && xt_failed "error in '$args': a picture was written"
done
xt_run -n 10 -o named.eps -ll 10U v2a
xt_expect_status "a wiring warning" 0
[ "$(grep -c '^% Vehicle ' "$XT_TMP/named.eps")" -eq 1 ] || xt_failed "a wiring warning: vehicles"

if [ -n "$skipped" ] && [ "$XT_FAILURES" -eq 0 ]; then
  echo "SKIP: $skipped"
  exit "$xt_skip_status"
fi
xt_finish "batch runner"
