#!/usr/bin/env bash
# Builds the Debian package from a configured and built build folder and
# checks it as a user would get it:
#   tools/package.sh [BUILD_DIR]        (default build)
# cpack -G DEB, the package's contents (dpkg-deb -c) and control fields,
# lintian (errors fail; warnings are listed), then the package unpacked
# with dpkg-deb -x into a temporary folder, where --version and a short
# batch run must work.  Prints the package's file name and size last.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$top/build}" && pwd)
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT

die() {
  echo "package.sh: $*" >&2
  exit 1
}

rm -f "$build"/xtinkerbot_*.deb
(cd "$build" && cpack -G DEB) || die "cpack failed"
debs=("$build"/xtinkerbot_*.deb)
[ -f "${debs[0]}" ] || die "cpack made no xtinkerbot_*.deb in $build"
deb=${debs[0]}

echo "=== contents"
dpkg-deb -c "$deb"
contents=$(dpkg-deb -c "$deb" | awk '{ print $NF }')
for path in ./usr/bin/xtinkerbot ./usr/bin/xtinkerbot-batch \
            ./usr/share/man/man1/xtinkerbot.1.gz ./usr/share/man/man1/xtinkerbot-batch.1.gz \
            ./usr/share/doc/xtinkerbot/README.md ./usr/share/doc/xtinkerbot/copyright \
            ./usr/share/doc/xtinkerbot/changelog.gz; do
  grep -qx -- "$path" <<<"$contents" || die "the package lacks $path"
done

echo "=== control"
dpkg-deb -f "$deb"
depends=$(dpkg-deb -f "$deb" Depends)
# Computed from the binaries by dpkg-shlibdeps: the X libraries the
# programs link must be there, and the C library with its least version.
for library in libc6 libx11-6 libxext6; do
  grep -qE "(^|, )$library( \(|,|$)" <<<"$depends" || die "Depends lacks $library: $depends"
done
grep -qE "(^|, )libc6 \(>= [0-9]" <<<"$depends" || die "Depends has no version of libc6: $depends"
[ -n "$(dpkg-deb -f "$deb" Maintainer)" ] || die "no Maintainer field"

echo "=== lintian"
# Exit status 1 means errors (or a lintian failure); warnings and info
# tags are printed and leave it 0.
lintian --display-info "$deb" || die "lintian reports errors"

echo "=== unpacked"
dpkg-deb -x "$deb" "$unpacked"
version=$("$unpacked/usr/bin/xtinkerbot" --version) || die "xtinkerbot --version failed"
head -n1 <<<"$version"
"$unpacked/usr/bin/xtinkerbot-batch" -n 100 -seed 1 -o "$unpacked/run.eps" v2a v3b l2a \
  || die "the unpacked xtinkerbot-batch failed"
head -n1 "$unpacked/run.eps" | grep -qx '%!PS-Adobe-3.0 EPSF-3.0' || die "the batch run wrote no EPS"
grep -q rcurveto "$unpacked/run.eps" || die "the batch run's picture has no trails"

echo "package: $deb, $(stat -c %s "$deb") bytes, installed size $(dpkg-deb -f "$deb" Installed-Size) KiB"
