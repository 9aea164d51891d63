// SPDX-License-Identifier: MIT
// Unit tests: how page numbers are read.

#include "page_number.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

TEST(ParsePageNumber, ReadsLikeAtoiWithWrapAround) {
    constexpr auto min = std::numeric_limits<std::int32_t>::min();
    constexpr auto max = std::numeric_limits<std::int32_t>::max();
    const struct {
        const char *text;
        std::int32_t value;
    } rows[] = {
        {"7", 7},
        {"", 0},
        {"abc", 0},
        {"-", 0},
        {"+-3", 0},
        {" \t\n\v\f\r+12", 12},
        {"-12", -12},
        {"12abc", 12},
        {"1 2", 1},
        {"0x10", 0},
        {"007", 7},
        {"2147483647", max},
        {"2147483648", min},
        {"-2147483648", min},
        {"4294967297", 1},
        {"-4294967295", 1},
        {"99999999999999999999", 1661992959},
    };
    for (const auto &row : rows)
        EXPECT_EQ(parsePageNumber(row.text), row.value) << '"' << row.text << '"';
}
