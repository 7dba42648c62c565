#!/usr/bin/env bash
# Installs the Debian packages xtinkerbot needs:
#   tools/install-deps.sh           what building and running need
#   tools/install-deps.sh --test    that, the test tools (GoogleTest,
#                                   Benchmark, clang, Xvfb, Ghostscript, ...)
#                                   and what the sweep and plot scripts of
#                                   tools/ use (GNU parallel, gnuplot)
# Packages already present are left alone, so a second run costs a few
# dpkg look-ups.  Installing needs root; run by another user with packages
# missing, it names them and the command to install them, and fails.
set -euo pipefail

build_packages=(
  build-essential cmake ninja-build
  libx11-dev libxext-dev
)
test_packages=(
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  clang libclang-rt-14-dev
  xvfb xdotool x11-utils x11-apps imagemagick ghostscript
  parallel gnuplot-nox bsdutils python3
  groff-base man-db lintian file git
)

case ${1:-} in
  '') packages=("${build_packages[@]}") ;;
  --test) packages=("${build_packages[@]}" "${test_packages[@]}") ;;
  *) echo "usage: $0 [--test]" >&2; exit 2 ;;
esac

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "install-deps.sh: these packages are missing: ${missing[*]}" >&2
  echo "install-deps.sh: install them as root, for instance with:" >&2
  echo "    sudo apt-get install ${missing[*]}" >&2
  exit 1
fi
echo "installing: ${missing[*]}"
apt-get update -qq
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
