# SPDX-License-Identifier: MIT
# Toolchain: 32-bit ARM with hardware floating point, Debian's armhf.
set(PAGERANGE_TRIPLE arm-linux-gnueabihf)
set(PAGERANGE_QEMU qemu-arm-static)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)

# The armhf baseline promises no NEON, so the program probes for it. qemu's
# default processor has NEON; its Cortex-R5F has the baseline's VFPv3-D16
# and no NEON, so the tests run there too and must find the plain loop.
set(PAGERANGE_COUNT_PATHS "plain,neon"
    CACHE STRING "The form feed count paths the emulated processor can run")
set(PAGERANGE_BASELINE_EMULATOR "${PAGERANGE_QEMU};-cpu;cortex-r5f;-L;/usr/${PAGERANGE_TRIPLE}"
    CACHE STRING "Runs the programs built here on a processor with only the baseline's features")
set(PAGERANGE_BASELINE_COUNT_PATHS "plain"
    CACHE STRING "The form feed count paths that processor can run")
