# tools/install-deps.sh with stand-ins for dpkg-query, id and apt-get on
# PATH: without --test it asks only for the build packages, with --test for
# the test tools too; as another user than root it names what is missing
# and how to install it, and never calls apt-get; with nothing missing it
# does nothing.
#
#     XT_SOURCE_DIR=... bash install_deps_test.sh
set -u
src=${XT_SOURCE_DIR:?}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# Stand-ins: dpkg-query reports the packages listed in $tmp/installed as
# installed, id -u prints $XT_FAKE_UID, apt-get logs its arguments.
mkdir "$tmp/bin"
cat >"$tmp/bin/dpkg-query" <<'STUB'
#!/bin/sh
package=$(eval echo "\${$#}")
grep -qx "$package" "$XT_FAKE_DIR/installed" && printf 'install ok installed'
exit 0
STUB
cat >"$tmp/bin/id" <<'STUB'
#!/bin/sh
echo "$XT_FAKE_UID"
STUB
cat >"$tmp/bin/apt-get" <<'STUB'
#!/bin/sh
echo "$*" >>"$XT_FAKE_DIR/apt-get.log"
STUB
chmod +x "$tmp/bin"/*
export XT_FAKE_DIR=$tmp

# run UID INSTALLED-PACKAGES ARGS...: sets status, out (stdout + stderr)
run() {
  local uid=$1 installed=$2
  shift 2
  printf '%s\n' $installed >"$tmp/installed"
  rm -f "$tmp/apt-get.log"
  out=$(XT_FAKE_UID=$uid PATH="$tmp/bin:$PATH" bash "$src/tools/install-deps.sh" "$@" 2>&1)
  status=$?
}
installed_packages() {  # the packages apt-get was asked to install
  grep -E '(^| )install ' "$tmp/apt-get.log" 2>/dev/null | tr ' ' '\n' | grep -v '^-' | grep -vx install | sort
}

build="build-essential cmake libx11-dev libxext-dev ninja-build"

# As root, nothing installed: the build packages only.
run 0 ""
[ "$status" -eq 0 ] || fail "root, build: status $status: $out"
[ "$(installed_packages | tr '\n' ' ')" = "$build " ] \
  || fail "root, build: installs $(installed_packages | tr '\n' ' ')"

# As root with --test: the build packages and the test tools.
run 0 "" --test
[ "$status" -eq 0 ] || fail "root, test: status $status: $out"
for p in $build xvfb xdotool ghostscript libgtest-dev libbenchmark-dev lintian; do
  installed_packages | grep -qx "$p" || fail "root, test: $p not installed"
done

# Only what is missing is installed.
run 0 "build-essential cmake ninja-build"
[ "$(installed_packages | tr '\n' ' ')" = "libx11-dev libxext-dev " ] \
  || fail "root, partly installed: installs $(installed_packages | tr '\n' ' ')"

# Another user: the missing packages and the command, status 1, no apt-get.
run 1000 "build-essential cmake ninja-build libx11-dev"
[ "$status" -eq 1 ] || fail "user: status $status, expected 1"
[ ! -e "$tmp/apt-get.log" ] || fail "user: apt-get was called: $(cat "$tmp/apt-get.log")"
echo "$out" | grep -qx 'install-deps.sh: these packages are missing: libxext-dev' \
  || fail "user: message: $out"
echo "$out" | grep -qx '    sudo apt-get install libxext-dev' || fail "user: no install command: $out"

# Everything installed: nothing to do, for any user.
run 1000 "$build"
[ "$status" -eq 0 ] && [ -z "$out" ] && [ ! -e "$tmp/apt-get.log" ] \
  || fail "user, all installed: status $status, output: $out"

# A wrong argument is refused.
run 0 "" --tests
[ "$status" -eq 2 ] && [ ! -e "$tmp/apt-get.log" ] || fail "--tests: status $status"

[ "$failures" -eq 0 ] || { echo "$failures failure(s)"; exit 1; }
echo "PASS: install-deps.sh"
