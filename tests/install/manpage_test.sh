# The manual pages: groff finds nothing to warn about in either, and every
# option that a program's help text lists appears in its page, so a new
# option cannot ship undocumented.
#
#     XT_SOURCE_DIR=... XT_BUILD_DIR=... bash manpage_test.sh
set -u
. "$(dirname "$0")/../require.sh"
src=${XT_SOURCE_DIR:?} build=${XT_BUILD_DIR:?}
xt_require groff
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# The option names of a help text: the words starting with a dash in the
# option column (the first 30 characters) of the lines under "Options are:"
# up to the next line that does not start with a space.
help_options() {
  awk '/^Options are:/ { on = 1; next } /^[^ ]/ { on = 0 } on' |
    cut -c1-30 | grep -oE -- '--?[A-Za-z][A-Za-z-]*' | sort -u
}

for program in xtinkerbot xtinkerbot-batch; do
  page=$src/doc/$program.1
  [ -f "$page" ] || { fail "no manual page $page"; continue; }
  warnings=$(groff -man -ww -z "$page" 2>&1)
  [ -z "$warnings" ] || fail "$program.1: groff says: $warnings"

  # Plain text, unhyphenated, on lines long enough not to break names.
  text=$(groff -man -Tascii -P-cbou -rHY=0 -rLL=250n "$page" 2>/dev/null)
  options=$("$build/$program" --help | help_options)
  count=$(echo "$options" | grep -c .)
  # A help text whose layout the extraction no longer matches would make
  # every check below pass on nothing.
  [ "$count" -ge 16 ] || fail "$program --help: only $count options found: $options"
  for option in $options; do
    echo "$text" | grep -qE -- "(^|[^A-Za-z-])$option([^A-Za-z-]|$)" \
      || fail "$program.1 does not document $option"
  done
  echo "$program: $count options of the help text checked"
done

[ "$failures" -eq 0 ] || { echo "$failures failure(s)"; exit 1; }
echo "PASS: manual pages"
