# SPDX-License-Identifier: MIT
# Toolchain for cross builds to other Linux architectures.
#
# Builds with clang, against Debian's
# cross sysroot (libc6-dev-ARCH-cross, libstdc++-12-dev-ARCH-cross,
# libgcc-12-dev-ARCH-cross and binutils-TRIPLE), and runs what it builds
# under qemu-user (qemu-user-static). Included by one file per architecture,
# which sets PAGERANGE_TRIPLE and PAGERANGE_QEMU.
set(CMAKE_SYSTEM_NAME Linux)
string(REGEX REPLACE "-.*" "" CMAKE_SYSTEM_PROCESSOR ${PAGERANGE_TRIPLE})
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_CXX_COMPILER_TARGET ${PAGERANGE_TRIPLE})
# The cross binutils strip what cpack packs.
set(CMAKE_STRIP /usr/bin/${PAGERANGE_TRIPLE}-strip)
set(CMAKE_FIND_ROOT_PATH /usr/${PAGERANGE_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# The static qemu passes the environment, LD_PRELOAD included, to the
# program it runs rather than taking it for itself.
set(CMAKE_CROSSCOMPILING_EMULATOR "${PAGERANGE_QEMU};-L;/usr/${PAGERANGE_TRIPLE}"
    CACHE STRING "Runs the programs built here")
