# cmake --install into a scratch prefix: both programs in bin run from
# there, the manual pages in share/man/man1 open with man -l and with
# man xtinkerbot, and the README, copyright and changelog are in the doc
# folder.
#
#     XT_SOURCE_DIR=... XT_BUILD_DIR=... bash install_test.sh
set -u
. "$(dirname "$0")/../require.sh"
build=${XT_BUILD_DIR:?}
xt_require man
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}
prefix=$tmp/prefix

cmake --install "$build" --prefix "$prefix" >"$tmp/install.log" 2>&1 \
  || { echo "FAIL: cmake --install: $(cat "$tmp/install.log")"; exit 1; }

for program in xtinkerbot xtinkerbot-batch; do
  [ -x "$prefix/bin/$program" ] || fail "no $prefix/bin/$program"
  version=$("$prefix/bin/$program" --version 2>&1)
  grep -qE '^Wexlo Xtinkerbot version [0-9]' <<<"$version" || fail "$program --version: $version"
done
(cd "$tmp" && "$prefix/bin/xtinkerbot-batch" -n 50 -seed 3 v2a l2a >"$tmp/batch.log" 2>&1) \
  || fail "installed xtinkerbot-batch: $(cat "$tmp/batch.log")"
head -n1 "$tmp/xtinkerbot.eps.001" 2>/dev/null | grep -qx '%!PS-Adobe-3.0 EPSF-3.0' \
  || fail "installed xtinkerbot-batch wrote no EPS"

for doc in README.md copyright changelog.gz; do
  [ -s "$prefix/share/doc/xtinkerbot/$doc" ] || fail "no $doc in share/doc/xtinkerbot"
done

# What man shows (plain text, as its output is no terminal): with -l for the file itself, and by name
# with the prefix's manual folder on MANPATH, as after a real install.
export MANPAGER=cat MANWIDTH=100
for program in xtinkerbot xtinkerbot-batch; do
  page=$prefix/share/man/man1/$program.1.gz
  [ -s "$page" ] || { fail "no $page"; continue; }
  shown=$(man -l "$page" 2>&1)
  grep -q "^NAME" <<<"$shown" && grep -qE "^ +$program +- " <<<"$shown" \
    || fail "man -l $page: $(head -c 300 <<<"$shown")"
  shown=$(MANPATH=$prefix/share/man man "$program" 2>&1)
  grep -qE "EXIT STATUS" <<<"$shown" || fail "man $program: $(head -c 300 <<<"$shown")"
done

[ "$failures" -eq 0 ] || { echo "$failures failure(s)"; exit 1; }
echo "PASS: cmake --install into $prefix"
