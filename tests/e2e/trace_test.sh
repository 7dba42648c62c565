# The batch runner's experiment options end to end, without an X server:
# the trace (its rows, reruns byte for byte, standard output, streaming,
# output errors), the reference algorithms against the fast ones, the
# fitted picture and the progress line.  The runner is looked for next to
# the interactive binary.
#
#     bash trace_test.sh /path/to/xtinkerbot
set -u
xt=${1:?usage: trace_test.sh /path/to/xtinkerbot}
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

# run ARGS...: runs the runner in $tmp (60 s limit); sets status, out, err
run() {
  (cd "$tmp" && exec timeout 60 "$bin" "$@" >"$tmp/out" 2>"$tmp/err" </dev/null)
  status=$?
}

expect_status() {  # what, expected
  [ "$status" -eq "$2" ] || fail "$1: exit status $status, expected $2; stderr: $(head -c 300 "$tmp/err")"
}

header='firing,step,index,body,x,y,heading,vx,vy,spin,left,right,middle,drive_left,drive_right,drive'
bodies="v2a v2b v1 l2a v3ap l2b"

# --- the rows: firing 0, every 6th, the last; one row per vehicle, CR LF
run -n 100 -seed 3 -trace t.csv -o t.eps $bodies
expect_status "-trace" 0
[ "$(head -n 1 "$tmp/t.csv")" = "$header"$'\r' ] || fail "header: $(head -n 1 "$tmp/t.csv" | od -c | head -3)"
[ "$(grep -c $'\r$' "$tmp/t.csv")" -eq "$(wc -l <"$tmp/t.csv")" ] || fail "a line without CR LF"
firings=$(tail -n +2 "$tmp/t.csv" | cut -d, -f1 | uniq | tr '\n' ' ')
[ "$firings" = "0 6 12 18 24 30 36 42 48 54 60 66 72 78 84 90 96 100 " ] || fail "sampled firings: $firings"
# Every sample: the four vehicles in body order, with their catalogue names.
names=$(tail -n +2 "$tmp/t.csv" | awk -F, '$1 == 100 { printf "%s:%s ", $3, $4 }')
[ "$names" = "0:v2a 1:v2b 2:v1 3:v3ap " ] || fail "final sample's vehicles: $names"
[ "$(awk -F, '{ print NF }' "$tmp/t.csv" | sort -u)" = 16 ] || fail "rows of other widths than 16"
# v1 has only a middle sensor and one drive; the others left, right and two.
awk -F, '{ sub(/\r$/, "") } NR > 1 && $1 > 0 {
    one = ($4 == "v1")
    if (($11 == "") != one || ($13 == "") == one || ($14 == "") != one || ($16 == "") == one) bad++
  } END { exit bad > 0 }' "$tmp/t.csv" || fail "reading and drive cells do not match the vehicles"
grep -qx "EPS written to \`t.eps'" "$tmp/err" || fail "-trace: the picture was not written: $(cat "$tmp/err")"

# --- reruns are byte-identical; standard output carries the same bytes
cp "$tmp/t.csv" "$tmp/first.csv"
run -n 100 -seed 3 -trace t.csv -o t.eps $bodies
cmp -s "$tmp/first.csv" "$tmp/t.csv" || fail "a rerun gave another trace"
run -n 100 -seed 3 -trace - -o t.eps $bodies
expect_status "-trace -" 0
cmp -s "$tmp/first.csv" "$tmp/out" || fail "-trace - differs from the file"
run -n 100 -seed 3 -trace t.csv -trace-every 25 -o t.eps $bodies
[ "$(tail -n +2 "$tmp/t.csv" | cut -d, -f1 | uniq | tr '\n' ' ')" = "0 25 50 75 100 " ] \
  || fail "-trace-every 25: $(cut -d, -f1 "$tmp/t.csv" | uniq | tr '\n' ' ')"
# Tracing changes nothing else: the picture is the untraced run's.
cp "$tmp/t.eps" "$tmp/traced.eps"
run -n 100 -seed 3 -o t.eps $bodies
cmp -s "$tmp/traced.eps" "$tmp/t.eps" || fail "tracing changed the picture"

# --- the reference algorithms give the same bytes on a crowded world
# with carried lights: every sample's state, and the picture.
crowd=$(for i in $(seq 12); do printf 'v2a v2b v3a v3b '; done)
for mode in fast reference; do
  flag=
  [ "$mode" = reference ] && flag=-reference
  # shellcheck disable=SC2086
  run -n 400 -seed 5 -size 200x160 -trace-every 1 -trace "$mode.csv" -o "$mode.eps" $flag -l4 $crowd l2a l2b
  expect_status "$mode run" 0
done
cmp "$tmp/fast.csv" "$tmp/reference.csv" || fail "-reference changed the trace"
cmp -s "$tmp/fast.eps" "$tmp/reference.eps" || fail "-reference changed the picture"
# The crowd moves and collides: the run is a real check.
moved=$(awk -F, '$1 == 0 { x[$3] = $5 } $1 == 400 && $5 != x[$3] { n++ } END { print n + 0 }' "$tmp/fast.csv")
[ "$moved" -ge 40 ] || fail "only $moved of 48 vehicles moved"

# --- the fitted picture: everything drawn lies on the page; without -fit
# the same run draws far outside it; Ghostscript renders it.
# on_page EPS: every point of every path, arc discs included, on the page.
on_page() {
  awk 'function check(x, y) { if (x < 0 || x > w || y < 0 || y > h) out++ }
    /^%%BoundingBox:/ { w = $4; h = $5 }
    / moveto/ { cx = $1; cy = $2; check(cx, cy) }
    / lineto/ { for (i = 1; i < NF; i++) if ($(i + 1) == "lineto") check($(i - 1), $i) }
    / rcurveto$/ { check(cx + $1, cy + $2); check(cx + $3, cy + $4); cx += $5; cy += $6; check(cx, cy) }
    / arc / { check($2 - $4, $3 - $4); check($2 + $4, $3 + $4) }
    END { exit out > 0 }' "$1"
}
readme="v2a v2b v3a v3b l2a l2b"
run -n 3000 -seed 7 -fit -o fit.eps $readme
expect_status "-fit" 0
grep -qx '%%BoundingBox: 0 0 640 520' "$tmp/fit.eps" || fail "-fit: bounding box"
on_page "$tmp/fit.eps" || fail "-fit: something is drawn off the page"
run -n 3000 -seed 7 -o plain.eps $readme
on_page "$tmp/plain.eps" && fail "without -fit the README example stays on the page: the check proves nothing"
[ "$(grep -c '^% Vehicle' "$tmp/fit.eps")" -eq 4 ] || fail "-fit: vehicles"
if gs -dSAFER -dBATCH -dNOPAUSE -dEPSCrop -sDEVICE=png16m -o "$tmp/fit.png" "$tmp/fit.eps" \
     >"$tmp/gs.log" 2>&1; then
  grep -qi error "$tmp/gs.log" && fail "Ghostscript reported: $(head -c 500 "$tmp/gs.log")"
  [ "$(convert "$tmp/fit.png" -format '%[fx:mean==1]' info:)" = 0 ] || fail "-fit: blank picture"
else
  fail "Ghostscript failed on the fitted picture: $(head -c 500 "$tmp/gs.log")"
fi

# --- option errors: message, usage, status 1, nothing simulated or written
usage="Usage: xtinkerbot-batch [OPTION]... [BODY]...
Try \`xtinkerbot-batch --help' for more information."
check_error() {  # message, args...
  local message=$1
  shift
  rm -f "$tmp"/*.eps.* "$tmp/e.csv"
  run "$@" v2a
  expect_status "$*" 1
  [ "$(cat "$tmp/err")" = "xtinkerbot-batch: $message
$usage" ] || fail "$*: stderr: $(cat "$tmp/err")"
  ls "$tmp"/*.eps.* >/dev/null 2>&1 && fail "$*: a picture was written"
  [ -e "$tmp/e.csv" ] && fail "$*: a trace was written"
}
check_error "\`-trace-every' expects a positive integer, not \`0'" -trace e.csv -trace-every 0
check_error "\`-trace-every' expects a positive integer, not \`-3'" -trace e.csv -trace-every -3
check_error "\`-trace-every' expects a positive integer, not \`six'" -trace e.csv -trace-every six
check_error "\`-trace-every' expects an integer up to 2147483647, not \`2147483648'" \
  -trace e.csv -trace-every 2147483648
check_error "the trace and the picture cannot both go to standard output" -trace - -o -

run -n 10 -trace "$tmp/no/such/dir/t.csv" v2a
expect_status "unwritable trace" 1
[ "$(cat "$tmp/err")" = "xtinkerbot-batch: $tmp/no/such/dir/t.csv: No such file or directory" ] \
  || fail "unwritable trace: stderr: $(cat "$tmp/err")"
ls "$tmp"/*.eps.* >/dev/null 2>&1 && fail "unwritable trace: a picture was written"

# --- output errors end the run: a full device, and a closed pipe
run -n 100000 -trace /dev/full -o full.eps $bodies
expect_status "-trace /dev/full" 1
[ "$(cat "$tmp/err")" = "xtinkerbot-batch: /dev/full: No space left on device" ] \
  || fail "/dev/full: stderr: $(cat "$tmp/err")"
[ -e "$tmp/full.eps" ] && fail "/dev/full: the picture was written after the trace failed"
# Ten million firings stream to head, which leaves after three lines: the
# runner stops at once, quietly, with status 1 or the shell's 141.
start=$SECONDS
(cd "$tmp" && timeout 60 "$bin" -n 10000000 -trace - -o pipe.eps $bodies 2>"$tmp/err" \
   | head -n 3 >"$tmp/head"; exit "${PIPESTATUS[0]}")
status=$?
[ "$status" -eq 141 ] || [ "$status" -eq 1 ] || fail "broken pipe: status $status"
[ $((SECONDS - start)) -lt 30 ] || fail "broken pipe: the run went on for $((SECONDS - start)) s"
[ "$(wc -l <"$tmp/head")" -eq 3 ] || fail "broken pipe: head saw $(wc -l <"$tmp/head") lines"
grep -Eqi 'abort|segmentation|assert|core' "$tmp/err" && fail "broken pipe: $(cat "$tmp/err")"
# Constant memory: a run that traces 600,000 rows (about 100 MB) peaks no
# higher than one that traces 6,000.  Peak sizes as the kernel counts them.
peak_kib() {  # args...: the runner's peak resident size in KiB
  (cd "$tmp" && timeout 300 python3 -c '
import resource, subprocess, sys
subprocess.run(sys.argv[1:], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
print(resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss)' "$bin" "$@")
}
short=$(peak_kib -n 3000 -trace-every 1 -trace /dev/null -o mem.eps v2a v2b) || fail "short trace run"
long=$(peak_kib -n 300000 -trace-every 1 -trace /dev/null -o mem.eps v2a v2b) || fail "long trace run"
[ -n "$short" ] && [ -n "$long" ] && [ "$long" -lt $((short + 16384)) ] \
  || fail "memory grows with the trace: peak $short KiB for 6,000 rows, $long KiB for 600,000"

# --- progress: a line on a terminal, nothing with -quiet or on a file
on_terminal() {  # output file, args...
  local file=$1
  shift
  (cd "$tmp" && timeout 60 script -qefc "$(printf '%q ' "$bin" "$@")" /dev/null >"$file" </dev/null)
}
if command -v script >/dev/null; then
  on_terminal "$tmp/tty" -n 300000 -o tty.eps v2a
  grep -aEq '/300000 firings  [0-9]+%  [0-9]+ steps/s  [0-9]+:[0-9]{2}:[0-9]{2} left' "$tmp/tty" \
    || fail "no progress line on a terminal: $(head -c 300 "$tmp/tty" | od -c | head -5)"
  grep -aEq 'xtinkerbot-batch: 1200000 steps in [0-9.]+ s' "$tmp/tty" || fail "terminal: no speed line"
  on_terminal "$tmp/quiet" -quiet -n 300000 -o tty.eps v2a
  grep -aq 'firings' "$tmp/quiet" && fail "-quiet: a progress line"
  grep -aEq 'xtinkerbot-batch: 1200000 steps in [0-9.]+ s' "$tmp/quiet" || fail "-quiet: no speed line"
else
  fail "script (util-linux) is not installed"
fi
run -n 300000 -o file.eps v2a
grep -q firings "$tmp/err" && fail "progress on a file: $(head -c 300 "$tmp/err")"

if [ "$failures" -ne 0 ]; then
  echo "$failures failure(s)"
  exit 1
fi
echo "PASS: batch trace, reference, fitted picture and progress"
