# The batch runner's picture, when the run is hostile: name patterns no
# file system allows, wirings that yield non-numbers, vehicles that race
# off to coordinates an interpreter cannot draw, memory running out, and
# outputs that cannot take the picture.  Every picture reported as written
# renders; everything else is reported and ends with status 1, never with
# a crash or a hang.
#
#     bash batch_output_test.sh /path/to/xtinkerbot
set -u
xt=${1:?usage: batch_output_test.sh /path/to/xtinkerbot}
bin=$(cd "$(dirname "$xt")" && pwd)/xtinkerbot-batch
[ -x "$bin" ] || bin=${XT_BUILD_DIR:-}/xtinkerbot-batch
[ -x "$bin" ] || { echo "FAIL: no xtinkerbot-batch next to $xt"; exit 1; }
command -v gs >/dev/null || { echo "FAIL: gs (Ghostscript) is not installed"; exit 1; }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
unset DISPLAY
failures=0

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# run ARGS...: runs the runner in $tmp (60 s limit); sets status
run() {
  (cd "$tmp" && exec timeout 60 "$bin" "$@" >"$tmp/out" 2>"$tmp/err" </dev/null)
  status=$?
}

expect_status() {  # what, expected
  [ "$status" -eq "$2" ] || fail "$1: exit status $status, expected $2; stderr: $(head -c 300 "$tmp/err")"
}

renders() {  # what, file
  if ! gs -q -dSAFER -dBATCH -dNOPAUSE -dEPSCrop -sDEVICE=png16m -o "$2.png" "$2" \
      >"$tmp/gs.log" 2>&1 || grep -q Error "$tmp/gs.log"; then
    fail "$1: gs could not render the picture: $(head -c 300 "$tmp/gs.log")"
  fi
  grep -qi 'nan\|inf' "$2" && fail "$1: non-numbers in the picture"
}

usage="Usage: xtinkerbot-batch [OPTION]... [BODY]...
Try \`xtinkerbot-batch --help' for more information."

# --- patterns whose names could not exist: refused before running, and
# quickly (the widest once took seconds and a gigabyte to build)
for pattern in 'a%2147483646d' 'a%999999999d' 'a%5000d'; do
  run -n 2 -o "$pattern" v2a l
  expect_status "-o $pattern" 1
  [ "$(cat "$tmp/err")" = "xtinkerbot-batch: bad output EPS name
$usage" ] || fail "-o $pattern: stderr: $(head -c 300 "$tmp/err")"
done

# --- wirings that yield non-numbers: the drive counts as 0, said once
for wiring in '0/0' '(-1)**0.5' 'left/right'; do
  rm -f "$tmp/w.eps"
  run -n 300 -o w.eps -ll "$wiring" v1 v2a l
  expect_status "-ll $wiring" 0
  [ "$(grep -cF "expression \`$wiring' gave a non-number; its drive counts as 0" "$tmp/err")" = 1 ] \
    || fail "-ll $wiring: not said once: $(cat "$tmp/err")"
  renders "-ll $wiring" "$tmp/w.eps"
done

# --- vehicles that speed up in the dark race off to beyond 1e8: the
# picture leaves out what an interpreter cannot take, and renders
run -n 100000 -seed 1 -o far.eps v3a v3b
expect_status "far vehicles" 0
renders "far vehicles" "$tmp/far.eps"
grep -q '^% Vehicle 1$' "$tmp/far.eps" || fail "far vehicles: the picture is cut short"

# --- memory runs out while recording trails: recording stops, once, and
# the run still ends with its picture.  Sanitized builds reserve more
# address space than the limit allows (their runtime cannot even load), so
# they cannot run this; the unit tests cover it there.
if ldd "$bin" 2>/dev/null | grep -q 'libasan\|libubsan'; then
  echo "SKIP: memory limit with a sanitizer runtime"
else
  (ulimit -v 16000; cd "$tmp" && exec timeout 60 "$bin" -n 3000000 -seed 3 -o oom.eps \
    v2b v2a l2a l2b >"$tmp/out" 2>"$tmp/err" </dev/null)
  status=$?
  if grep -q AddressSanitizer "$tmp/err"; then
    echo "SKIP: memory limit under AddressSanitizer"
  else
    expect_status "out of memory" 0
    [ "$(grep -c 'out of memory: trails are no longer recorded' "$tmp/err")" = 1 ] \
      || fail "out of memory: not said once: $(head -c 300 "$tmp/err")"
    renders "out of memory" "$tmp/oom.eps"
    grep -q rcurveto "$tmp/oom.eps" || fail "out of memory: the trails recorded so far were lost"
  fi
fi

# --- a FIFO nobody reads: refused at once instead of waiting forever
mkfifo "$tmp/fifo"
run -n 10 -o fifo v2a l
expect_status "FIFO without a reader" 1
grep -qx "fifo: No such device or address" "$tmp/err" || fail "FIFO: stderr: $(cat "$tmp/err")"

# --- a reader that goes away: a broken pipe is a reported failure, not
# a silent death by SIGPIPE
many=$(for _ in $(seq 150); do printf 'v2a '; done)
# shellcheck disable=SC2086
(cd "$tmp" && timeout 60 "$bin" -n 300 -o - $many l 2>"$tmp/err" </dev/null | head -c 10 >/dev/null;
 exit "${PIPESTATUS[0]}")
status=$?
expect_status "broken pipe" 1
grep -qx "<standard output>: Broken pipe" "$tmp/err" || fail "broken pipe: stderr: $(cat "$tmp/err")"

# --- standard output closed: reported, never written into another file
(cd "$tmp" && timeout 60 "$bin" -n 10 -o - v2a l >&- 2>"$tmp/err" </dev/null)
status=$?
expect_status "closed stdout" 1
grep -qx "<standard output>: Bad file descriptor" "$tmp/err" || fail "closed stdout: $(cat "$tmp/err")"

if [ "$failures" -ne 0 ]; then
  echo "$failures failure(s)"
  exit 1
fi
echo "PASS: batch pictures under hostile runs"
