#!/bin/sh
# SPDX-License-Identifier: MIT
# Installs pagerange from a build tree, makes its Debian package and unpacks
# it into a scratch root; in both places the program must run on the sample,
# the compressed man page must render without a warning and show the
# project's version and the changelog's date, the copyright file must be
# there, and the changelog's top entry must be for the project's version.
# usage: install.sh BUILD_DIR SOURCE_DIR
set -eu
build=$1 source=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
# The manual's date: the day SOURCE_DATE_EPOCH gives when the build has it,
# else the day of the changelog's top entry, as " -- Name <address>  Wed,
# 09 Dec 2026 12:00:00 +0000" writes it.
if [ -n "${SOURCE_DATE_EPOCH:-}" ]; then
    date=$(date -u -d "@$SOURCE_DATE_EPOCH" +%Y-%m-%d)
else
    day=$(sed -n 's/^ -- .*  [A-Z][a-z][a-z], \([0-9]* [A-Z][a-z][a-z] [0-9]*\) .*/\1/p' "$source/doc/changelog" | sed -n 1p)
    date=$(date -u -d "$day" +%Y-%m-%d)
fi

check() { # PREFIX: the installed program and its documents
    "$1/bin/pagerange" 2 2 < "$source/examples/report.txt" | grep -q 'page 2'
    test -z "$(gzip -dc "$1/share/man/man1/pagerange.1.gz" | groff -man -ww -z 2>&1)"
    gzip -dc "$1/share/man/man1/pagerange.1.gz" | grep -q "^\\.TH PAGERANGE 1 $date \"pagerange $version\"" ||
        { echo "the manual's title line is not for version $version of $date"; exit 1; }
    grep -q '^License: Expat' "$1/share/doc/pagerange/copyright"
    top=$(gzip -dc "$1/share/doc/pagerange/changelog.gz" | sed -n 1p)
    case $top in
    "pagerange ($version) "*) ;;
    *)
        echo "the changelog's top entry is not for version $version: $top"
        exit 1
        ;;
    esac
}

# The manual's source reads as a manual in place.
test -z "$(groff -man -ww -z "$source/doc/pagerange.1.in" 2>&1)"

cmake --install "$build" --prefix "$scratch/prefix" --strip > /dev/null
check "$scratch/prefix"

(cd "$build" && cpack -G DEB -B "$scratch/package" > /dev/null)
deb=$(ls "$scratch"/package/pagerange_*.deb)
dpkg-deb --field "$deb" Version Maintainer Description Depends
dpkg-deb --field "$deb" Depends | grep -q libc6
test "$(dpkg-deb --field "$deb" Version)" = "$version"
dpkg -x "$deb" "$scratch/root"
check "$scratch/root/usr"
