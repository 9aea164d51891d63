# SPDX-License-Identifier: MIT
# Toolchain: little-endian 64-bit POWER, Debian's ppc64el.
set(PAGERANGE_TRIPLE powerpc64le-linux-gnu)
set(PAGERANGE_QEMU qemu-ppc64le-static)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
