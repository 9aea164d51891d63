#!/bin/sh
# Cross-builds the Windows program and runs the end-to-end table on it under
# Wine. Without the cross compiler or Wine it exits 77, which CTest reports
# as skipped, unless PAGERANGE_WINDOWS_REQUIRED is set (as CI sets it).
# usage: windows.sh SOURCE_DIR BUFFER_KIB
set -eu
source=$1 kib=$2
for tool in x86_64-w64-mingw32-g++ wine wineserver; do
    command -v "$tool" > /dev/null && continue
    echo "$tool is not installed"
    [ -n "${PAGERANGE_WINDOWS_REQUIRED:-}" ] && exit 1
    exit 77
done
cd "$source"
cmake --preset windows -DPAGERANGE_BUFFER_KIB="$kib" > /dev/null
cmake --build --preset windows > /dev/null
# Wine keeps its state inside the build tree and says nothing of its own.
export WINEPREFIX="$source/build/windows/wineprefix" WINEDEBUG=-all
exec python3 tests/e2e.py build/windows/pagerange.exe --block $((kib * 1024)) --wine
