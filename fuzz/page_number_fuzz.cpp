// SPDX-License-Identifier: MIT
// libFuzzer target for the page number reader.
//
// Holds the reader against a model that keeps the exact value and reduces
// it modulo 2^32 only at the end, and against the C library's atoi wherever
// the value fits in 32 bits.

#include "page_number.h"

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const std::string text(reinterpret_cast<const char *>(data), size);
    const char *p = text.c_str();
    while (std::isspace(static_cast<unsigned char>(*p)))
        ++p;
    const bool negative = *p == '-';
    p += *p == '-' || *p == '+';
    // Exact modulo 2^32: digits past the tenth only shift the value left.
    std::uint64_t value = 0;
    std::size_t digits = 0;
    for (; *p >= '0' && *p <= '9'; ++p, ++digits)
        value = (value * 10 + static_cast<std::uint64_t>(*p - '0')) % (std::uint64_t{1} << 32);
    const auto expected = static_cast<std::int32_t>(
        static_cast<std::uint32_t>(negative ? (std::uint64_t{1} << 32) - value : value));
    const std::int32_t got = parsePageNumber(text.c_str());
    if (got != expected) std::abort();
    if (digits <= 9 && got != std::atoi(text.c_str())) std::abort();
    return 0;
}
