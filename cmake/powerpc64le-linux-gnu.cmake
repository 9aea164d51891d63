# SPDX-License-Identifier: MIT
# Toolchain: little-endian 64-bit POWER, Debian's ppc64el.
set(PAGERANGE_TRIPLE powerpc64le-linux-gnu)
set(PAGERANGE_QEMU qemu-ppc64le-static)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)

# VSX is part of ppc64el's baseline, POWER8.
set(PAGERANGE_COUNT_PATHS "plain,vsx"
    CACHE STRING "The form feed count paths the emulated processor can run")
