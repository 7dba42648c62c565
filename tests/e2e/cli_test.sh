# The command line of the real binary, on the paths that end before a
# window would open: help, version and bad options.  No X server is
# needed (DISPLAY is unset, and every odd command line ends with a bad
# option so that it can never reach the window).
#
#     bash cli_test.sh /path/to/xtinkerbot
XT_NO_SERVER=1
. "$(dirname "$0")/common.sh"

# --- help: exit 0, the text byte for byte on stdout, nothing on stderr
cat >"$XT_TMP/help" <<'EOF'
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
  xt_run $args
  xt_expect_status "$args" 0
  head -n 35 "$XT_STDOUT" | cmp -s - "$XT_TMP/help" || xt_failed "$args: help text differs: $(head -n 35 "$XT_STDOUT" | diff "$XT_TMP/help" - | head -5)"
  [ "$(wc -l <"$XT_STDOUT")" -eq 36 ] || xt_failed "$args: help is not 36 lines"
  tail -n 1 "$XT_STDOUT" | grep -qx 'Reporting bugs? <[^<>]*@[^<>]*>' || xt_failed "$args: last help line: $(tail -n 1 "$XT_STDOUT")"
  [ "$args" = "v1 -h" ] || [ ! -s "$XT_STDERR" ] || xt_failed "$args: unexpected stderr: $(cat "$XT_STDERR")"
done
# An operand before -h is handled first (an unknown name is reported).
xt_run nosuchbody -h
xt_expect_status "nosuchbody -h" 0
grep -qx "xtinkerbot: no such body \`nosuchbody'" "$XT_STDERR" || xt_failed "nosuchbody -h: stderr: $(cat "$XT_STDERR")"

# --- version: exit 0, the version line and a four-line notice
for args in "--version" "-v" "-version" "-v -zz" "-v -d" "-tv"; do
  # shellcheck disable=SC2086
  xt_run $args
  xt_expect_status "$args" 0
  [ "$(head -n 1 "$XT_STDOUT")" = "Wexlo Xtinkerbot version 0.9" ] || xt_failed "$args: first line: $(head -n 1 "$XT_STDOUT")"
  [ "$(wc -l <"$XT_STDOUT")" -eq 5 ] || xt_failed "$args: version text is not 5 lines"
  [ ! -s "$XT_STDERR" ] || xt_failed "$args: unexpected stderr: $(cat "$XT_STDERR")"
done

# --- a text that cannot be written is a failure
if [ -w /dev/full ]; then
  timeout 10 "$XT_BIN" --help >/dev/full 2>"$XT_STDERR"
  XT_STATUS=$?
  xt_expect_status "--help >/dev/full" 1
fi

# --- bad options: Argkit's message, the two usage lines, exit 1, no stdout
usage="Usage: xtinkerbot [OPTION]...
Try \`xtinkerbot --help' for more information."
check_bad() {  # expected first line(s), args...
  local expected=$1; shift
  xt_run "$@"
  xt_expect_status "$*" 1
  [ "$(cat "$XT_STDERR")" = "$expected
$usage" ] || xt_failed "$*: stderr was: $(cat "$XT_STDERR")"
  [ ! -s "$XT_STDOUT" ] || xt_failed "$*: unexpected stdout"
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
ln -s "$(realpath "$XT_BIN")" "$XT_TMP/other-name"
timeout 10 "$XT_TMP/other-name" -zz >"$XT_STDOUT" 2>"$XT_STDERR"
XT_STATUS=$?
xt_expect_status "other-name -zz" 1
head -n 1 "$XT_STDERR" | grep -qx "other-name: unrecognized option \`-zz'" || xt_failed "other name: $(cat "$XT_STDERR")"

# --- long and odd command lines: status 0 or 1, never a signal.  Each ends
# with two bad options: a value can swallow one element, never two, and no
# element is a lone "--", so none of them can reach the window.
crashed() {  # what
  if [ "$XT_STATUS" -ge 124 ]; then
    xt_failed "$1: exit status $XT_STATUS (signal or time-out); stderr: $(tail -c 300 "$XT_STDERR")"
  elif [ "$XT_STATUS" -ne 0 ] && [ "$XT_STATUS" -ne 1 ]; then
    xt_failed "$1: exit status $XT_STATUS"
  fi
}

many=()
for ((i = 0; i < 5000; i++)); do many+=(-t +t -db -x); done
xt_run "${many[@]}" -zz -zz
crashed "20000 options"
xt_expect_status "20000 options" 1

xt_run -ll "$(head -c 100000 /dev/zero | tr '\0' '(')" -zz -zz
crashed "deeply nested wiring"
xt_run -o "$(head -c 100000 /dev/zero | tr '\0' '%')" -xrm "$(head -c 100000 /dev/zero | tr '\0' 'x')" -zz -zz
crashed "huge values"
xt_run "-$(head -c 100000 /dev/zero | tr '\0' 't')z" -zz
crashed "huge cluster"
xt_expect_status "huge cluster" 1
xt_run -- -- -zz
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
  xt_run "${elements[@]}" -zz -zz
  crashed "random line $round ($count elements)"
  # Help and version exit 0 and anything else ends with a bad option.
  if [ "$XT_STATUS" -eq 0 ] && ! grep -q '^Wexlo Xtinkerbot version\|^`Xtinkerbot' "$XT_STDOUT"; then
    xt_failed "random line $round: status 0 without help or version"
  fi
done

xt_finish "cli_test"
