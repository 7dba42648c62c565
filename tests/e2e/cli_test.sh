# The command line of the real binary, on the paths that end before a
# window would open: help, version and bad options.  No X server is
# needed (DISPLAY is unset, and every odd command line ends with a bad
# option so that it can never reach the window).
#
#     bash cli_test.sh /path/to/xtinkerbot
set -u
bin=${1:?usage: cli_test.sh /path/to/xtinkerbot}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
unset DISPLAY
failures=0

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# run ARGS...: runs the binary (10 s limit), sets status, out and err files
run() {
  timeout 10 "$bin" "$@" >"$tmp/out" 2>"$tmp/err" </dev/null
  status=$?
}

expect_status() {  # what, expected
  [ "$status" -eq "$2" ] || fail "$1: exit status $status, expected $2; stderr: $(head -c 300 "$tmp/err")"
}

# --- help: exit 0, the text byte for byte on stdout, nothing on stderr
cat >"$tmp/help" <<'EOF'
`Xtinkerbot' is a program to simulate one or more Tinkerbot vehicles.

Usage: xtinkerbot [OPTION]...

Options are:
      -display DISPLAY        Set the X display for the Xtinkerbot window
      -geometry GEOMETRY      Set the Xtinkerbot window's geometry
  -db, -double-buffer         Use double-buffering (better display, slower)
  -t, -trails                 Show vehicle trails
  -o, -output-eps FILE        Name output EPS files `FILE'
  -h, --help                  Print this message and exit
  -v, --version               Print version number and exit

  -f, -friction K             Set world's coefficient of friction to K
  -sf, -static-friction K     Set world's static friction coefficient to K
  -df, -dynamic-friction K    Set world's dynamic friction coefficient to K
  -af, -angular-friction K    Set "coefficient of angular friction" to K

  -l[VAL], -lights[=VAL]      Add lights to vehicles, strength VAL (default 6)
  -x, -cross-logic            Switch logic for left and right actuators
  -ll, -left-logic EXP        Set logic for wiring to left actuator
  -rl, -right-logic EXP       Set logic for wiring to right actuator

  -threads N                  Step vehicles on N threads (default: all cores)

Keystrokes:
  up, down, left, right       Pan through space (Control-<key> moves less)
  =, -                        Zoom in and out
  <, >                        Animate slower or faster
  Escape                      Pause/resume
  t                           Toggle trails display
  o                           Output current trails in EPS format
  r                           Restart with all vehicles in random positions
  q                           Quit

EOF
for args in "-h" "--help" "-help" "--he" "-t -h -zz" "v1 -h"; do
  # shellcheck disable=SC2086
  run $args
  expect_status "$args" 0
  head -n 35 "$tmp/out" | cmp -s - "$tmp/help" || fail "$args: help text differs: $(head -n 35 "$tmp/out" | diff "$tmp/help" - | head -5)"
  [ "$(wc -l <"$tmp/out")" -eq 36 ] || fail "$args: help is not 36 lines"
  tail -n 1 "$tmp/out" | grep -qx 'Reporting bugs? <[^<>]*@[^<>]*>' || fail "$args: last help line: $(tail -n 1 "$tmp/out")"
  [ "$args" = "v1 -h" ] || [ ! -s "$tmp/err" ] || fail "$args: unexpected stderr: $(cat "$tmp/err")"
done
# An operand before -h is handled first (an unknown name is reported).
run nosuchbody -h
expect_status "nosuchbody -h" 0
grep -qx "xtinkerbot: no such body \`nosuchbody'" "$tmp/err" || fail "nosuchbody -h: stderr: $(cat "$tmp/err")"

# --- version: exit 0, the version line and a four-line notice
for args in "--version" "-v" "-version" "-v -zz" "-v -d" "-tv"; do
  # shellcheck disable=SC2086
  run $args
  expect_status "$args" 0
  [ "$(head -n 1 "$tmp/out")" = "Wexlo Xtinkerbot version 0.9" ] || fail "$args: first line: $(head -n 1 "$tmp/out")"
  [ "$(wc -l <"$tmp/out")" -eq 5 ] || fail "$args: version text is not 5 lines"
  [ ! -s "$tmp/err" ] || fail "$args: unexpected stderr: $(cat "$tmp/err")"
done

# --- a text that cannot be written is a failure
if [ -w /dev/full ]; then
  timeout 10 "$bin" --help >/dev/full 2>"$tmp/err"
  status=$?
  expect_status "--help >/dev/full" 1
fi

# --- bad options: Argkit's message, the two usage lines, exit 1, no stdout
usage="Usage: xtinkerbot [OPTION]...
Try \`xtinkerbot --help' for more information."
check_bad() {  # expected first line(s), args...
  local expected=$1; shift
  run "$@"
  expect_status "$*" 1
  [ "$(cat "$tmp/err")" = "$expected
$usage" ] || fail "$*: stderr was: $(cat "$tmp/err")"
  [ ! -s "$tmp/out" ] || fail "$*: unexpected stdout"
}
check_bad "xtinkerbot: unrecognized option \`-zz'" -zz
check_bad "xtinkerbot: \`-d' requires a non-option argument" -d -t
check_bad "xtinkerbot: \`-display' requires a non-option argument" -display -t
check_bad "xtinkerbot: \`-friction' requires an argument" -f
check_bad "xtinkerbot: \`-friction' expects a real number, not \`x'" -f x
check_bad "xtinkerbot: \`+lights' can't take an argument" +lights=3
check_bad "xtinkerbot: unrecognized option \`+help'" +help
check_bad "xtinkerbot: option \`--d' is ambiguous
xtinkerbot: (Possibilities are --db, --df, --display, --double-buffer, and others.)" --d
check_bad "xtinkerbot: \`-lights' expects a real number, not \`abc'
xtinkerbot: unrecognized option \`-zz'" -lights=abc -zz

# A program name is argv[0] after its last '/'.
ln -s "$(realpath "$bin")" "$tmp/other-name"
timeout 10 "$tmp/other-name" -zz >"$tmp/out" 2>"$tmp/err"
status=$?
expect_status "other-name -zz" 1
head -n 1 "$tmp/err" | grep -qx "other-name: unrecognized option \`-zz'" || fail "other name: $(cat "$tmp/err")"

# --- long and odd command lines: status 0 or 1, never a signal.  Each ends
# with two bad options: a value can swallow one element, never two, and no
# element is a lone "--", so none of them can reach the window.
crashed() {  # what
  if [ "$status" -ge 124 ]; then
    fail "$1: exit status $status (signal or time-out); stderr: $(tail -c 300 "$tmp/err")"
  elif [ "$status" -ne 0 ] && [ "$status" -ne 1 ]; then
    fail "$1: exit status $status"
  fi
}

many=()
for ((i = 0; i < 5000; i++)); do many+=(-t +t -db -x); done
run "${many[@]}" -zz -zz
crashed "20000 options"
expect_status "20000 options" 1

run -ll "$(head -c 100000 /dev/zero | tr '\0' '(')" -zz -zz
crashed "deeply nested wiring"
run -o "$(head -c 100000 /dev/zero | tr '\0' '%')" -xrm "$(head -c 100000 /dev/zero | tr '\0' 'x')" -zz -zz
crashed "huge values"
run "-$(head -c 100000 /dev/zero | tr '\0' 't')z" -zz
crashed "huge cluster"
expect_status "huge cluster" 1
run -- -- -zz
crashed "operands only"

pieces=(- + -- -d -di -do -db -x -xr -s -r -l -ll -rl -t -f -af -sf -df -o
  -no- +no- -lights= -l= = 0 1 -1 0.5 1e308 nan inf -0x10 abc v1 v2a l timel
  "" " " "'" '`' '%s' '%d' '%n' 'x+' '(' ')' '?' ':' "$(printf '\001')"
  "$(printf '\300')" "$(printf '\351')" "$(printf '\377')" let in end sensor)
letters=(a b c d e f g h i j k l m n o p q r s t u v w x y z = - + 0 9 .)
random_element() {  # sets element
  local n=$((RANDOM % 4)) k
  element=${pieces[RANDOM % ${#pieces[@]}]}
  for ((k = 0; k < n; k++)); do element+=${letters[RANDOM % ${#letters[@]}]}; done
  [ "$element" = "--" ] && element=-
}
RANDOM=20240611
for round in 1 2 3 4 5 6; do
  elements=()
  count=$((round == 6 ? 3000 : 1 + RANDOM % 40))
  for ((j = 0; j < count; j++)); do random_element; elements+=("$element"); done
  run "${elements[@]}" -zz -zz
  crashed "random line $round ($count elements)"
  # Help and version exit 0 and anything else ends with a bad option.
  if [ "$status" -eq 0 ] && ! grep -q '^Wexlo Xtinkerbot version\|^`Xtinkerbot' "$tmp/out"; then
    fail "random line $round: status 0 without help or version"
  fi
done

if [ "$failures" -gt 0 ]; then
  echo "cli_test: $failures failure(s)"
  exit 1
fi
echo "cli_test: ok"
