# SPDX-License-Identifier: MIT
# Toolchain: big-endian IBM Z, Debian's s390x.
set(PAGERANGE_TRIPLE s390x-linux-gnu)
set(PAGERANGE_QEMU qemu-s390x-static)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)

# The count has no vector path for IBM Z.
set(PAGERANGE_COUNT_PATHS "plain"
    CACHE STRING "The form feed count paths the emulated processor can run")
