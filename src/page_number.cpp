// SPDX-License-Identifier: MIT
// Reading a page number from the command line.

#include "page_number.h"

namespace {

bool isSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

} // namespace

std::int32_t parsePageNumber(const char *text) {
    while (isSpace(*text))
        ++text;
    const bool negative = *text == '-';
    if (*text == '-' || *text == '+') ++text;
    // Unsigned arithmetic wraps where signed arithmetic would overflow.
    std::uint32_t value = 0;
    for (; isDigit(*text); ++text)
        value = value * 10u + static_cast<std::uint32_t>(*text - '0');
    if (negative) value = 0u - value;
    return static_cast<std::int32_t>(value);
}
