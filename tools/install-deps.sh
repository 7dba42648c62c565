#!/usr/bin/env bash
# Installs what building, running and testing xtinkerbot needs on Debian
# (run as root).  Packages already present are left alone, so a second run
# costs a few dpkg look-ups.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  libx11-dev libxext-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  clang libclang-rt-14-dev
  xvfb xdotool x11-utils x11-apps imagemagick ghostscript
  parallel gnuplot-nox bsdutils python3
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
