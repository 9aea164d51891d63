#!/bin/sh
# SPDX-License-Identifier: MIT
# Cross-builds the Windows program into BUILD_DIR and runs the end-to-end
# table on it under Wine, whose prefix lives there too; then makes its zip,
# unpacks it elsewhere and runs the program from there. Without the cross
# compiler or Wine it exits 77, which CTest reports as skipped, unless
# PAGERANGE_WINDOWS_REQUIRED is set (as CI sets it).
# usage: windows.sh SOURCE_DIR BUILD_DIR BUFFER_KIB
set -eu
source=$1 build=$2 kib=$3
for tool in x86_64-w64-mingw32-g++ wine wineserver; do
    command -v "$tool" > /dev/null && continue
    echo "$tool is not installed"
    [ -n "${PAGERANGE_WINDOWS_REQUIRED:-}" ] && exit 1
    exit 77
done
# The windows preset's settings, in this tree rather than the preset's own.
cmake -S "$source" --preset windows -B "$build" -DPAGERANGE_BUFFER_KIB="$kib" > /dev/null
cmake --build "$build" > /dev/null
# Wine says nothing of its own.
export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all
python3 "$source/tests/e2e.py" "$build/pagerange.exe" --block $((kib * 1024)) --wine \
    --protected-stdout "$build/protected_stdout.exe"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
(cd "$build" && cpack -G ZIP -B "$scratch/package" > /dev/null)
zip=$(ls "$scratch"/package/pagerange-*-win64.zip)
(cd "$scratch" && cmake -E tar xf "$zip")
unpacked=$scratch/$(basename "$zip" .zip)
cr=$(printf '\r')
for text in LICENSE.txt README.txt pagerange.txt; do
    # Every line ends in CR LF.
    test "$(grep -c "$cr\$" "$unpacked/$text")" -eq "$(wc -l < "$unpacked/$text")"
done
grep -q 'MIT License' "$unpacked/LICENSE.txt"
grep -q 'copy a range of form-feed separated pages' "$unpacked/pagerange.txt"
# The documents are for a Windows user: the README tells how to run the
# program from PowerShell; the manual leaves out what only POSIX systems do
# (file offsets, SIGPIPE, the sh examples, the kernel's calls, the packages'
# files, the shell), speaks of no offset but in its NOTES, and gives each
# status its text, the usage one the Windows way; no line ends in a word
# broken by a hyphen, and no line is spread out to the right margin.
grep -q 'cmd /c "pagerange 3 5 < report.txt > pages.txt"' "$unpacked/README.txt"
# The README names the folder the zip unpacks into.
grep -qF "\\$(basename "$unpacked")\\pagerange.exe" "$unpacked/README.txt"
grep -q '^ *1  *Reading standard input failed, or writing' "$unpacked/pagerange.txt"
grep -q '^ *-1  *The number of arguments was not two' "$unpacked/pagerange.txt"
# Only the NOTES say that no offset is set, and where a next command reads.
beside_notes=$(sed '/^NOTES/,/^COPYRIGHT/d' "$unpacked/pagerange.txt")
if grep -n -e 'Seekable input' -e SIGPIPE -e 'lpr' -e 'while \[' -e '>>' -e copy_file_range \
    -e O_DIRECT -e Linux -e POSIX -e Debian -e RPM -e /usr/ -e 'search path' -e 'the shell' \
    -e static -e 'LICENSE[^.]' "$unpacked/pagerange.txt" ||
    printf '%s\n' "$beside_notes" |
    grep -n -i -e offset -e seek -e 'open file' -e 'next program' -e 'next command' -e 255 ||
    grep -n "[[:alpha:]]-$cr\$" "$unpacked/LICENSE.txt" "$unpacked/README.txt" "$unpacked/pagerange.txt" ||
    grep -n '[[:lower:],]  [[:lower:]]' "$unpacked/pagerange.txt"; then
    echo "the zip's documents hold the lines above, which a Windows user should not read"
    exit 1
fi
wine "$unpacked/pagerange.exe" 2 2 < "$source/examples/report.txt" | grep -q 'page 2'
echo "the zip unpacks and runs: $(basename "$zip")"
