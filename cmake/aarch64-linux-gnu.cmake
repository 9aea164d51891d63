# SPDX-License-Identifier: MIT
# Toolchain: 64-bit ARM, Debian's arm64.
set(PAGERANGE_TRIPLE aarch64-linux-gnu)
set(PAGERANGE_QEMU qemu-aarch64-static)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)

# NEON is part of every 64-bit ARM processor.
set(PAGERANGE_COUNT_PATHS "plain,neon"
    CACHE STRING "The form feed count paths the emulated processor can run")
