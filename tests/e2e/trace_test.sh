# The batch runner's experiment options end to end, without an X server:
# the trace (its rows, reruns byte for byte, standard output, streaming,
# output errors), the reference algorithms against the fast ones, the
# fitted picture and the progress line.  The runner is looked for next to
# the interactive binary.
#
#     bash trace_test.sh /path/to/xtinkerbot
XT_NO_SERVER=1
XT_RUN_SECONDS=60
. "$(dirname "$0")/common.sh"
xt_use_batch

header='firing,step,index,body,x,y,heading,vx,vy,spin,left,right,middle,drive_left,drive_right,drive'
bodies="v2a v2b v1 l2a v3ap l2b"

# --- the rows: firing 0, every 6th, the last; one row per vehicle, CR LF
xt_run -n 100 -seed 3 -trace t.csv -o t.eps $bodies
xt_expect_status "-trace" 0
[ "$(head -n 1 "$XT_TMP/t.csv")" = "$header"$'\r' ] || xt_failed "header: $(head -n 1 "$XT_TMP/t.csv" | od -c | head -3)"
[ "$(grep -c $'\r$' "$XT_TMP/t.csv")" -eq "$(wc -l <"$XT_TMP/t.csv")" ] || xt_failed "a line without CR LF"
firings=$(tail -n +2 "$XT_TMP/t.csv" | cut -d, -f1 | uniq | tr '\n' ' ')
[ "$firings" = "0 6 12 18 24 30 36 42 48 54 60 66 72 78 84 90 96 100 " ] || xt_failed "sampled firings: $firings"
# Every sample: the four vehicles in body order, with their catalogue names.
names=$(tail -n +2 "$XT_TMP/t.csv" | awk -F, '$1 == 100 { printf "%s:%s ", $3, $4 }')
[ "$names" = "0:v2a 1:v2b 2:v1 3:v3ap " ] || xt_failed "final sample's vehicles: $names"
[ "$(awk -F, '{ print NF }' "$XT_TMP/t.csv" | sort -u)" = 16 ] || xt_failed "rows of other widths than 16"
# v1 has only a middle sensor and one drive; the others left, right and two.
awk -F, '{ sub(/\r$/, "") } NR > 1 && $1 > 0 {
    one = ($4 == "v1")
    if (($11 == "") != one || ($13 == "") == one || ($14 == "") != one || ($16 == "") == one) bad++
  } END { exit bad > 0 }' "$XT_TMP/t.csv" || xt_failed "reading and drive cells do not match the vehicles"
grep -qx "EPS written to \`t.eps'" "$XT_STDERR" || xt_failed "-trace: the picture was not written: $(cat "$XT_STDERR")"

# --- reruns are byte-identical; standard output carries the same bytes
cp "$XT_TMP/t.csv" "$XT_TMP/first.csv"
xt_run -n 100 -seed 3 -trace t.csv -o t.eps $bodies
cmp -s "$XT_TMP/first.csv" "$XT_TMP/t.csv" || xt_failed "a rerun gave another trace"
xt_run -n 100 -seed 3 -trace - -o t.eps $bodies
xt_expect_status "-trace -" 0
cmp -s "$XT_TMP/first.csv" "$XT_STDOUT" || xt_failed "-trace - differs from the file"
xt_run -n 100 -seed 3 -trace t.csv -trace-every 25 -o t.eps $bodies
[ "$(tail -n +2 "$XT_TMP/t.csv" | cut -d, -f1 | uniq | tr '\n' ' ')" = "0 25 50 75 100 " ] \
  || xt_failed "-trace-every 25: $(cut -d, -f1 "$XT_TMP/t.csv" | uniq | tr '\n' ' ')"
# Tracing changes nothing else: the picture is the untraced run's.
cp "$XT_TMP/t.eps" "$XT_TMP/traced.eps"
xt_run -n 100 -seed 3 -o t.eps $bodies
cmp -s "$XT_TMP/traced.eps" "$XT_TMP/t.eps" || xt_failed "tracing changed the picture"

# --- the reference algorithms give the same bytes on a crowded world
# with carried lights: every sample's state, and the picture.
crowd=$(for i in $(seq 12); do printf 'v2a v2b v3a v3b '; done)
for mode in fast reference; do
  flag=
  [ "$mode" = reference ] && flag=-reference
  # shellcheck disable=SC2086
  xt_run -n 400 -seed 5 -size 200x160 -trace-every 1 -trace "$mode.csv" -o "$mode.eps" $flag -l4 $crowd l2a l2b
  xt_expect_status "$mode run" 0
done
cmp "$XT_TMP/fast.csv" "$XT_TMP/reference.csv" || xt_failed "-reference changed the trace"
cmp -s "$XT_TMP/fast.eps" "$XT_TMP/reference.eps" || xt_failed "-reference changed the picture"
# The crowd moves and collides: the run is a real check.
moved=$(awk -F, '$1 == 0 { x[$3] = $5 } $1 == 400 && $5 != x[$3] { n++ } END { print n + 0 }' "$XT_TMP/fast.csv")
[ "$moved" -ge 40 ] || xt_failed "only $moved of 48 vehicles moved"

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
xt_run -n 3000 -seed 7 -fit -o fit.eps $readme
xt_expect_status "-fit" 0
grep -qx '%%BoundingBox: 0 0 640 520' "$XT_TMP/fit.eps" || xt_failed "-fit: bounding box"
on_page "$XT_TMP/fit.eps" || xt_failed "-fit: something is drawn off the page"
xt_run -n 3000 -seed 7 -o plain.eps $readme
on_page "$XT_TMP/plain.eps" && xt_failed "without -fit the README example stays on the page: the check proves nothing"
[ "$(grep -c '^% Vehicle' "$XT_TMP/fit.eps")" -eq 4 ] || xt_failed "-fit: vehicles"
if gs -dSAFER -dBATCH -dNOPAUSE -dEPSCrop -sDEVICE=png16m -o "$XT_TMP/fit.png" "$XT_TMP/fit.eps" \
     >"$XT_TMP/gs.log" 2>&1; then
  grep -qi error "$XT_TMP/gs.log" && xt_failed "Ghostscript reported: $(head -c 500 "$XT_TMP/gs.log")"
  [ "$(convert "$XT_TMP/fit.png" -format '%[fx:mean==1]' info:)" = 0 ] || xt_failed "-fit: blank picture"
else
  xt_failed "Ghostscript failed on the fitted picture: $(head -c 500 "$XT_TMP/gs.log")"
fi

# --- option errors: message, usage, status 1, nothing simulated or written
usage="Usage: xtinkerbot-batch [OPTION]... [BODY]...
Try \`xtinkerbot-batch --help' for more information."
check_error() {  # message, args...
  local message=$1
  shift
  rm -f "$XT_TMP"/*.eps.* "$XT_TMP/e.csv"
  xt_run "$@" v2a
  xt_expect_status "$*" 1
  [ "$(cat "$XT_STDERR")" = "xtinkerbot-batch: $message
$usage" ] || xt_failed "$*: stderr: $(cat "$XT_STDERR")"
  ls "$XT_TMP"/*.eps.* >/dev/null 2>&1 && xt_failed "$*: a picture was written"
  [ -e "$XT_TMP/e.csv" ] && xt_failed "$*: a trace was written"
}
check_error "\`-trace-every' expects a positive integer, not \`0'" -trace e.csv -trace-every 0
check_error "\`-trace-every' expects a positive integer, not \`-3'" -trace e.csv -trace-every -3
check_error "\`-trace-every' expects a positive integer, not \`six'" -trace e.csv -trace-every six
check_error "\`-trace-every' expects an integer up to 2147483647, not \`2147483648'" \
  -trace e.csv -trace-every 2147483648
check_error "the trace and the picture cannot both go to standard output" -trace - -o -

xt_run -n 10 -trace "$XT_TMP/no/such/dir/t.csv" v2a
xt_expect_status "unwritable trace" 1
[ "$(cat "$XT_STDERR")" = "xtinkerbot-batch: $XT_TMP/no/such/dir/t.csv: No such file or directory" ] \
  || xt_failed "unwritable trace: stderr: $(cat "$XT_STDERR")"
ls "$XT_TMP"/*.eps.* >/dev/null 2>&1 && xt_failed "unwritable trace: a picture was written"

# --- output errors end the run: a full device, and a closed pipe
xt_run -n 100000 -trace /dev/full -o full.eps $bodies
xt_expect_status "-trace /dev/full" 1
[ "$(cat "$XT_STDERR")" = "xtinkerbot-batch: /dev/full: No space left on device" ] \
  || xt_failed "/dev/full: stderr: $(cat "$XT_STDERR")"
[ -e "$XT_TMP/full.eps" ] && xt_failed "/dev/full: the picture was written after the trace failed"
# Ten million firings stream to head, which leaves after three lines: the
# runner stops at once, quietly, with status 1 or the shell's 141.
start=$SECONDS
(cd "$XT_TMP" && timeout 60 "$XT_BIN" -n 10000000 -trace - -o pipe.eps $bodies 2>"$XT_STDERR" \
   | head -n 3 >"$XT_TMP/head"; exit "${PIPESTATUS[0]}")
XT_STATUS=$?
[ "$XT_STATUS" -eq 141 ] || [ "$XT_STATUS" -eq 1 ] || xt_failed "broken pipe: status $XT_STATUS"
[ $((SECONDS - start)) -lt 30 ] || xt_failed "broken pipe: the xt_run went on for $((SECONDS - start)) s"
[ "$(wc -l <"$XT_TMP/head")" -eq 3 ] || xt_failed "broken pipe: head saw $(wc -l <"$XT_TMP/head") lines"
grep -Eqi 'abort|segmentation|assert|core' "$XT_STDERR" && xt_failed "broken pipe: $(cat "$XT_STDERR")"
# Constant memory: a run that traces 600,000 rows (about 100 MB) peaks no
# higher than one that traces 6,000.  Peak sizes as the kernel counts them.
peak_kib() {  # args...: the runner's peak resident size in KiB
  (cd "$XT_TMP" && timeout 300 python3 -c '
import resource, subprocess, sys
subprocess.run(sys.argv[1:], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
print(resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss)' "$XT_BIN" "$@")
}
short=$(peak_kib -n 3000 -trace-every 1 -trace /dev/null -o mem.eps v2a v2b) || xt_failed "short trace run"
long=$(peak_kib -n 300000 -trace-every 1 -trace /dev/null -o mem.eps v2a v2b) || xt_failed "long trace run"
[ -n "$short" ] && [ -n "$long" ] && [ "$long" -lt $((short + 16384)) ] \
  || xt_failed "memory grows with the trace: peak $short KiB for 6,000 rows, $long KiB for 600,000"

# --- progress: a line on a terminal, nothing with -quiet or on a file
on_terminal() {  # output file, args...
  local file=$1
  shift
  (cd "$XT_TMP" && timeout 60 script -qefc "$(printf '%q ' "$XT_BIN" "$@")" /dev/null >"$file" </dev/null)
}
if command -v script >/dev/null; then
  on_terminal "$XT_TMP/tty" -n 300000 -o tty.eps v2a
  grep -aEq '/300000 firings  [0-9]+%  [0-9]+ steps/s  [0-9]+:[0-9]{2}:[0-9]{2} left' "$XT_TMP/tty" \
    || xt_failed "no progress line on a terminal: $(head -c 300 "$XT_TMP/tty" | od -c | head -5)"
  grep -aEq 'xtinkerbot-batch: 1200000 steps in [0-9.]+ s' "$XT_TMP/tty" || xt_failed "terminal: no speed line"
  on_terminal "$XT_TMP/quiet" -quiet -n 300000 -o tty.eps v2a
  grep -aq 'firings' "$XT_TMP/quiet" && xt_failed "-quiet: a progress line"
  grep -aEq 'xtinkerbot-batch: 1200000 steps in [0-9.]+ s' "$XT_TMP/quiet" || xt_failed "-quiet: no speed line"
else
  xt_failed "script (util-linux) is not installed"
fi
xt_run -n 300000 -o file.eps v2a
grep -q firings "$XT_STDERR" && xt_failed "progress on a file: $(head -c 300 "$XT_STDERR")"

xt_finish "batch trace, reference, fitted picture and progress"
