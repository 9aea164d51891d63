# SPDX-License-Identifier: MIT
# Toolchain: 64-bit RISC-V, Debian's riscv64.
set(PAGERANGE_TRIPLE riscv64-linux-gnu)
set(PAGERANGE_QEMU qemu-riscv64-static)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)

# riscv64's baseline, rv64gc, has no vector unit.
set(PAGERANGE_COUNT_PATHS "plain"
    CACHE STRING "The form feed count paths the emulated processor can run")
