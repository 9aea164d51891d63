# SPDX-License-Identifier: MIT
# Toolchain: big-endian IBM Z, Debian's s390x.
set(PAGERANGE_TRIPLE s390x-linux-gnu)
set(PAGERANGE_QEMU qemu-s390x-static)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
