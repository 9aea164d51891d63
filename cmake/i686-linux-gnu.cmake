# SPDX-License-Identifier: MIT
# Toolchain: 32-bit x86, Debian's i386, built by the host compiler with
# -m32 (package g++-multilib) and run natively.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_CXX_FLAGS_INIT -m32)
