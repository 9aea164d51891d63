// SPDX-License-Identifier: MIT
// Reading a page number from the command line.

#pragma once

#include <cstdint>

// Reads a page number the way C's atoi reads a decimal number: leading
// white space, one optional sign, then digits up to the first non-digit.
// Anything after the digits is ignored and no digits give 0; there is no
// message. Values beyond 32 bits wrap around modulo 2^32, so scripts that
// pass huge numbers get the same page they always did.
std::int32_t parsePageNumber(const char *text);
