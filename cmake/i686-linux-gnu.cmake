# SPDX-License-Identifier: MIT
# Toolchain: 32-bit x86, Debian's i386, built by the host compiler with
# -m32 (package g++-multilib).
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_CXX_FLAGS_INIT -m32)

# Some x86-64 kernels are built without 32-bit support and refuse such
# programs with "Exec format error". There the programs run under qemu-i386
# (qemu-user-static), which gives the same system calls as a 32-bit kernel
# interface; the i386 loader from g++-multilib tells which case this is.
if(NOT DEFINED CACHE{CMAKE_CROSSCOMPILING_EMULATOR})
  execute_process(
    COMMAND /lib/ld-linux.so.2 --version
    RESULT_VARIABLE runs_32_bit
    OUTPUT_QUIET ERROR_QUIET)
  if(NOT runs_32_bit EQUAL 0)
    find_program(PAGERANGE_QEMU_I386 qemu-i386-static REQUIRED)
    set(CMAKE_CROSSCOMPILING_EMULATOR "${PAGERANGE_QEMU_I386}"
        CACHE STRING "Runs the programs built here")
  endif()
endif()
