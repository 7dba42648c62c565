# The batch runner, xtinkerbot-batch, end to end and without an X server:
# equal command lines give byte-identical pictures, the picture renders at
# the chosen size, errors end with status 1, and the output goes where -o
# says.  The runner is looked for next to the interactive binary.
#
#     bash batch_test.sh /path/to/xtinkerbot
set -u
xt=${1:?usage: batch_test.sh /path/to/xtinkerbot}
bin=$(cd "$(dirname "$xt")" && pwd)/xtinkerbot-batch
[ -x "$bin" ] || bin=${XT_BUILD_DIR:-}/xtinkerbot-batch
[ -x "$bin" ] || { echo "FAIL: no xtinkerbot-batch next to $xt"; exit 1; }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
unset DISPLAY
failures=0

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# run ARGS...: runs the runner in $tmp (30 s limit); sets status, out, err
run() {
  (cd "$tmp" && exec timeout 30 "$bin" "$@" >"$tmp/out" 2>"$tmp/err" </dev/null)
  status=$?
}

expect_status() {  # what, expected
  [ "$status" -eq "$2" ] || fail "$1: exit status $status, expected $2; stderr: $(head -c 300 "$tmp/err")"
}

bodies="v2a v2b v3a v3b l2a l2b"

# --- the defaults: 1000 firings of 4 steps, the pattern's first file
# shellcheck disable=SC2086
run $bodies
expect_status "defaults" 0
[ -s "$tmp/xtinkerbot.eps.001" ] || fail "defaults: no xtinkerbot.eps.001"
grep -qx "EPS written to \`xtinkerbot.eps.001'" "$tmp/err" || fail "defaults: no EPS message: $(cat "$tmp/err")"
grep -Eqx 'xtinkerbot-batch: 4000 steps in [0-9]+\.[0-9]{3} s, [0-9]+ steps/s' "$tmp/err" \
  || fail "defaults: speed line: $(cat "$tmp/err")"
[ ! -s "$tmp/out" ] || fail "defaults: unexpected stdout"
grep -qx '%%BoundingBox: 0 0 640 520' "$tmp/xtinkerbot.eps.001" || fail "defaults: bounding box"
[ "$(grep -c '^% Vehicle ' "$tmp/xtinkerbot.eps.001")" -eq 4 ] || fail "defaults: not 4 vehicles"
grep -q 'rcurveto$' "$tmp/xtinkerbot.eps.001" || fail "defaults: no trails in the picture"
[ "$(tail -n 1 "$tmp/xtinkerbot.eps.001")" = "%%EOF" ] || fail "defaults: no trailer"

# --- determinism: unseeded and seeded runs repeat byte for byte
for seed in "" "-seed 7"; do
  for i in 1 2; do
    # shellcheck disable=SC2086
    run -n 600 $seed -o "run$i.eps" -x -f 0.3 -l4 $bodies
    expect_status "determinism $seed" 0
  done
  cmp -s "$tmp/run1.eps" "$tmp/run2.eps" || fail "two runs with '$seed' differ"
  [ "$seed" = "" ] || cp "$tmp/run1.eps" "$tmp/seed7.eps"
done
# shellcheck disable=SC2086
run -n 600 -seed 8 -o seed8.eps -x -f 0.3 -l4 $bodies
cmp -s "$tmp/seed7.eps" "$tmp/seed8.eps" && fail "-seed 7 and -seed 8 give the same picture"
# The options act: crossed wiring changes the picture.
# shellcheck disable=SC2086
run -n 600 -seed 7 -o plain.eps -f 0.3 -l4 $bodies
cmp -s "$tmp/seed7.eps" "$tmp/plain.eps" && fail "-x made no difference"

# --- standard output: the same document, no "EPS written" message
# shellcheck disable=SC2086
run -n 600 -seed 7 -o - -x -f 0.3 -l4 $bodies
expect_status "-o -" 0
cmp -s "$tmp/out" "$tmp/seed7.eps" || fail "-o - differs from the file written by the same run"
grep -q "EPS written" "$tmp/err" && fail "-o -: EPS message on stderr"
grep -Eqx 'xtinkerbot-batch: 2400 steps in [0-9.]+ s, [0-9]+ steps/s' "$tmp/err" \
  || fail "-o -: speed line: $(cat "$tmp/err")"

# --- the size: bounding box, Ghostscript renders it at that size
# shellcheck disable=SC2086
run -size 300x200 -n 300 -o small.eps $bodies
expect_status "-size 300x200" 0
grep -qx '%%BoundingBox: 0 0 300 200' "$tmp/small.eps" || fail "-size: bounding box"
grep -qx 'gsave 0 0 300 200 rectclip' "$tmp/small.eps" || fail "-size: clip"
if command -v gs >/dev/null; then
  gs -dSAFER -dBATCH -dNOPAUSE -dEPSCrop -sDEVICE=png16m -o "$tmp/small.png" "$tmp/small.eps" \
    >"$tmp/gs.log" 2>&1 || fail "Ghostscript failed: $(head -c 500 "$tmp/gs.log")"
  grep -qi error "$tmp/gs.log" && fail "Ghostscript reported: $(head -c 500 "$tmp/gs.log")"
  # PNG width and height: big-endian words at bytes 16 and 20.
  size=$(od -An -tu1 -j16 -N8 "$tmp/small.png" | awk '{ print $3 * 256 + $4 "x" $7 * 256 + $8 }')
  [ "$size" = "300x200" ] || fail "rendered picture is $size, not 300x200"
  # Something was drawn: not every pixel is white.
  if command -v convert >/dev/null; then
    white=$(convert "$tmp/small.png" -format '%[fx:mean==1]' info:)
    [ "$white" = "0" ] || fail "rendered picture is blank"
  fi
else
  fail "Ghostscript (gs) is not installed"
fi

# --- no firings: the scattered start, no trails, zero steps
run -n 0 -o zero.eps v2a l2a
expect_status "-n 0" 0
grep -Eqx 'xtinkerbot-batch: 0 steps in [0-9.]+ s, 0 steps/s' "$tmp/err" || fail "-n 0: $(cat "$tmp/err")"
grep -q rcurveto "$tmp/zero.eps" && fail "-n 0: trails without firings"

# --- nothing to simulate: said, status 1, no picture
rm -f "$tmp"/*.eps
run -n 10 -o empty.eps
expect_status "no bodies" 1
[ "$(cat "$tmp/err")" = "xtinkerbot-batch: no bodies to simulate" ] || fail "no bodies: stderr: $(cat "$tmp/err")"
[ -e "$tmp/empty.eps" ] && fail "no bodies: a picture was written"
run -n 10 -o empty.eps nosuchbody
expect_status "only unknown bodies" 1

# --- bad options: the message, the two usage lines, status 1, no picture
usage="Usage: xtinkerbot-batch [OPTION]... [BODY]...
Try \`xtinkerbot-batch --help' for more information."
check_error() {  # message, args...
  local message=$1
  shift
  rm -f "$tmp"/*.eps.*
  run "$@" v2a
  expect_status "$*" 1
  [ "$(cat "$tmp/err")" = "xtinkerbot-batch: $message
$usage" ] || fail "$*: stderr: $(cat "$tmp/err")"
  [ ! -s "$tmp/out" ] || fail "$*: unexpected stdout"
  ls "$tmp"/*.eps.* >/dev/null 2>&1 && fail "$*: a picture was written"
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
  run $args
  expect_status "$args" 0
  head -n 1 "$tmp/out" | grep -q "^\`Xtinkerbot-batch'" || fail "$args: help: $(head -n 2 "$tmp/out")"
  grep -qx 'Usage: xtinkerbot-batch \[OPTION\]\.\.\. \[BODY\]\.\.\.' "$tmp/out" || fail "$args: no usage line"
  grep -q '^  -size WxH  ' "$tmp/out" || fail "$args: no -size line"
  [ ! -s "$tmp/err" ] || fail "$args: stderr: $(cat "$tmp/err")"
done
run --version
expect_status "--version" 0
head -n 1 "$tmp/out" | grep -qx 'Wexlo Xtinkerbot version 0.9' || fail "--version: $(head -n 1 "$tmp/out")"

# --- the picture cannot be written: reported, status 1
run -n 10 -o "$tmp/no/such/dir/fig%d.eps" v2a
expect_status "unwritable path" 1
grep -qx "$tmp/no/such/dir/fig1.eps: No such file or directory" "$tmp/err" \
  || fail "unwritable path: stderr: $(cat "$tmp/err")"
(cd "$tmp" && timeout 30 "$bin" -n 10 -o - v2a >/dev/full 2>"$tmp/err")
status=$?
expect_status "-o - on a full device" 1
grep -qx '<standard output>: No space left on device' "$tmp/err" || fail "full device: $(cat "$tmp/err")"

# --- operands are handled as by xtinkerbot: an unknown name is reported
run -n 10 -o named.eps nosuchbody v2a
expect_status "unknown body" 0
grep -qx "xtinkerbot-batch: no such body \`nosuchbody'" "$tmp/err" || fail "unknown body: $(cat "$tmp/err")"
[ "$(grep -c '^% Vehicle ' "$tmp/named.eps")" -eq 1 ] || fail "unknown body: vehicles"

if [ "$failures" -ne 0 ]; then
  echo "$failures failure(s)"
  exit 1
fi
echo "PASS: batch runner"
