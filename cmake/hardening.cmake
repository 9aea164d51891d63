# SPDX-License-Identifier: MIT
# Hardening for the Linux program: what Debian's hardening=+all asks for.
#
# Stack protector, stack clash protection and (on x86) control flow
# protection, fortified C library calls, read-only relocations bound at
# start, and a position-independent executable. The program and the page
# logic link pagerange_hardening; the tests and fuzzers need not.

add_library(pagerange_hardening INTERFACE)
if(NOT PAGERANGE_FOR_LINUX OR NOT CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
  return()
endif()

include(CheckCXXCompilerFlag)
include(CheckPIESupported)
check_pie_supported()

# A flag the target's compiler lacks or ignores, as -fcf-protection off x86
# or stack clash protection on clang's arm64, is left out.
set(CMAKE_REQUIRED_FLAGS -Werror)
foreach(flag -fstack-protector-strong -fstack-clash-protection -fcf-protection
             "-Wformat -Werror=format-security")
  string(MAKE_C_IDENTIFIER "PAGERANGE_HAS${flag}" known)
  check_cxx_compiler_flag("${flag}" ${known})
  if(${known})
    separate_arguments(flag)
    target_compile_options(pagerange_hardening INTERFACE ${flag})
  endif()
endforeach()
unset(CMAKE_REQUIRED_FLAGS)
# Fortified calls need the optimiser; a debug build would only warn.
target_compile_options(pagerange_hardening INTERFACE
                       $<$<NOT:$<CONFIG:Debug>>:-U_FORTIFY_SOURCE -D_FORTIFY_SOURCE=2>)
target_link_options(pagerange_hardening INTERFACE LINKER:-z,relro LINKER:-z,now)
# Nothing of where it was built ends up in the program.
target_compile_options(pagerange_hardening INTERFACE -ffile-prefix-map=${PROJECT_SOURCE_DIR}=.)
