#!/bin/sh
# SPDX-License-Identifier: MIT
# The release checks CI runs on a clean checkout: the Debian package is
# accepted by lintian and hardening-check, two builds of it from this commit
# in different directories at different times are the same bytes, and the
# source tarball, unpacked elsewhere, passes the release workflow. (The
# Windows zip is checked by the Windows test.) Needs git, dpkg-dev, lintian
# and devscripts.
# usage: tests/release.sh
set -eu
source=$(cd "$(dirname "$0")/.." && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

package() { # NAME: this commit, cloned, built and packaged under $scratch/NAME
    git clone -q "$source" "$scratch/$1"
    (cd "$scratch/$1" && cmake --preset release > /dev/null && cmake --build --preset release > /dev/null)
    (cd "$scratch/$1/build/release" && cpack -G DEB -B "$scratch/$1-deb" > /dev/null)
}
package first
sleep 2
package second
set -- "$scratch"/first-deb/pagerange_*.deb "$scratch"/second-deb/pagerange_*.deb
sha256sum "$@"
test "$(sha256sum < "$1")" = "$(sha256sum < "$2")"
deb=$1

lintian --fail-on error,warning "$deb"
echo "lintian: no errors, no warnings"

dpkg-deb -x "$deb" "$scratch/root"
report=$(hardening-check --nocfprotection "$scratch/root/usr/bin/pagerange") || {
    echo "$report"
    exit 1
}
echo "$report"
# Control flow protection is marked only when every object linked has it,
# the C library's start files included; Debian 12's do not.
if readelf -n "$(gcc -print-file-name=Scrt1.o)" | grep -q 'x86 feature: IBT, SHSTK'; then
    hardening-check "$scratch/root/usr/bin/pagerange" > /dev/null
else
    echo "control flow protection: compiled in; not marked, as this C library's start files are not"
fi

(cd "$scratch/first/build/release" &&
    cpack --config CPackSourceConfig.cmake -G TGZ -B "$scratch/tarball" > /dev/null)
tarball=$(ls "$scratch"/tarball/pagerange-*-Source.tar.gz)
if tar -tzf "$tarball" | grep -E '(^|/)(\.git|build)(/|$)'; then
    echo "the source tarball holds the files above, which it should not"
    exit 1
fi
mkdir "$scratch/unpacked"
tar -xzf "$tarball" -C "$scratch/unpacked"
(cd "$scratch"/unpacked/pagerange-*-Source && cmake --workflow --preset release > /dev/null)
echo "the source tarball builds and passes its tests: $(basename "$tarball")"
