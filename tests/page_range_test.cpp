// SPDX-License-Identifier: MIT
// Unit tests: the block logic against the byte-at-a-time copy.

#include "page_model.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <random>

namespace {

constexpr auto intMin = std::numeric_limits<std::int32_t>::min();
constexpr auto intMax = std::numeric_limits<std::int32_t>::max();

} // namespace

TEST(CutBlock, EdgeCases) {
    const struct {
        PageRange range;
        std::string input, written;
        std::size_t consumed;
        bool complete;
    } rows[] = {
        {{1, 1}, "P\fQ\fR", "P\f", 2, true},
        {{2, 2}, "P\fQ\fR", "Q\f", 4, true},
        {{2, 3}, "P\fQ\fR", "Q\fR", 5, false},
        {{2, 9}, "P\fQ", "Q", 3, false},
        {{3, 5}, "P\fQ", "", 3, false},
        {{5, 2}, "P\fQ\fR\fS", "", 4, true},
        {{2, 2}, "P\f\fQ", "\f", 3, true},
        {{2, 2}, "\fX\f", "X\f", 3, true},
        {{0, 0}, "PQ", "P", 1, true},
        {{-5, -1}, "\fQ", "\f", 1, true},
        {{2, 0}, "PQ", "", 1, true},
        {{1, 0}, "PQ", "P", 1, true},
        {{1, 1}, std::string("P\xff\0Q\fR", 6), std::string("P\xff\0Q\f", 5), 5, true},
        {{7, 9}, "", "", 0, false},
        // Page intMax ends: the count goes past the 32-bit range, and stops.
        {{intMin, intMax, intMax - 1}, "\f\fXY", "\f\f", 2, true},
    };
    for (const auto &row : rows) {
        const Outcome expected{row.written, row.consumed, row.complete};
        SCOPED_TRACE(testing::PrintToString(row.input) + " from " +
                     std::to_string(row.range.startPg) + " to " + std::to_string(row.range.endPg));
        EXPECT_EQ(byteAtATime(row.range, row.input), expected);
        for (std::size_t size = 1; size <= row.input.size(); ++size)
            EXPECT_EQ(inBlocks(row.range, row.input, {size}), expected) << "blocks of " << size;
    }
}

// Bytes the copy may pass uncounted: that many form feeds leave the range
// open, and one more, once it has begun, completes it.
TEST(CutBlock, BytesThatCannotEndLeaveTheRangeOpen) {
    const PageRange rows[] = {{1, 5},    {2, 5, 2}, {2, 5, 5},
                              {3, 5, 2}, {1, 0},    {intMin, intMax, intMax - 3}};
    for (const PageRange &range : rows) {
        const std::int64_t n = bytesThatCannotEnd(range);
        SCOPED_TRACE(std::to_string(range.startPg) + " to " + std::to_string(range.endPg) + " at " +
                     std::to_string(range.curPg));
        const bool begun = range.curPg >= range.startPg && range.curPg <= range.endPg;
        EXPECT_EQ(n == 0, !begun || range.curPg == range.endPg);
        const auto formFeeds = [](std::int64_t count) {
            return std::string(static_cast<std::size_t>(count), '\f');
        };
        EXPECT_FALSE(byteAtATime(range, formFeeds(n)).complete);
        if (begun) {
            EXPECT_TRUE(byteAtATime(range, formFeeds(n + 1)).complete);
        }
    }
}

// Random inputs of every form feed density, cut at random block boundaries,
// must give exactly what the byte-at-a-time loop gives.
TEST(CutBlock, MatchesByteAtATimeInAnyBlocks) {
    std::mt19937_64 random(20261208);
    auto pick = [&](std::size_t n) {
        return std::uniform_int_distribution<std::size_t>(0, n - 1)(random);
    };
    // Form feeds per million bytes. Integers only: emulated floating point
    // would make the inputs, not the test, the slow part under qemu.
    const std::uint64_t densities[] = {0, 500, 20000, 300000, 900000, 1000000};
    for (int round = 0; round < 1500; ++round) {
        const std::size_t size = pick(4) == 0 ? pick(70000) : pick(300);
        const std::uint64_t density = densities[pick(std::size(densities))];
        std::string input(size, '\0');
        for (char &c : input) {
            const std::uint64_t bits = random();
            c = bits % 1000000 < density ? '\f' : static_cast<char>(bits >> 56);
        }
        const auto pages = static_cast<std::int32_t>(std::count(input.begin(), input.end(), '\f'));
        const std::int32_t near[] = {intMin,    -1,    0,         1,         2,
                                     pages / 2, pages, pages + 1, pages + 2, intMax};
        auto pickPage = [&] {
            return pick(2) ? near[pick(std::size(near))]
                           : static_cast<std::int32_t>(pick(static_cast<std::size_t>(pages) + 3));
        };
        const PageRange range{pickPage(), pickPage()};
        std::vector<std::size_t> cuts(1 + pick(8));
        for (auto &cut : cuts)
            cut = 1 + (pick(3) == 0 ? pick(4) : pick(size + 1));
        ASSERT_EQ(inBlocks(range, input, cuts), byteAtATime(range, input))
            << "round " << round << ", pages " << range.startPg << " to " << range.endPg;
    }
}
