// SPDX-License-Identifier: MIT
// The page logic: which bytes of each block to write, free of I/O.

#include "page_range.h"

#include "form_feed.h"

#include <algorithm>

namespace {

// Moves the range past the next n form feeds of data[0, size) when they lie
// there: returns the index just after the nth, or size after counting the
// form feeds the block holds.
std::size_t passPages(PageRange &range, const unsigned char *data, std::size_t size,
                      std::int64_t n) {
    // More form feeds than bytes cannot be there; the cap keeps n in range.
    std::size_t left =
        static_cast<std::uint64_t>(n) > size ? size + 1 : static_cast<std::size_t>(n);
    const std::size_t wanted = left;
    const std::size_t at = passFormFeeds(data, size, left);
    range.curPg += static_cast<std::int64_t>(wanted - left);
    return at;
}

} // namespace

BlockCut cutBlock(PageRange &range, const unsigned char *block, std::size_t size) {
    BlockCut cut;
    if (range.complete || size == 0) return cut;

    // The page test follows each byte, so with endPg below 1 the range ends
    // right after the first byte, selected or not. Nothing counts pages
    // once the range is complete.
    if (range.curPg > range.endPg) {
        if (range.curPg >= range.startPg) cut.writeEnd = 1;
        range.complete = true;
        cut.consumed = 1;
        return cut;
    }

    std::size_t at = 0;
    const std::int64_t toEnd = range.endPg - range.curPg + 1;
    const std::int64_t toStart = range.startPg - range.curPg;
    if (toStart > 0) {
        // A start beyond the end selects nothing; reading still stops at the end.
        const bool startFirst = toStart < toEnd;
        at = passPages(range, block, size, startFirst ? toStart : toEnd);
        if (range.curPg > range.endPg) {
            range.complete = true;
            cut.consumed = at;
            return cut;
        }
        if (range.curPg < range.startPg) {
            cut.consumed = size;
            return cut;
        }
    }

    cut.writeBegin = at;
    cut.writeEnd = at + passPages(range, block + at, size - at, range.endPg - range.curPg + 1);
    range.complete = range.curPg > range.endPg;
    cut.consumed = cut.writeEnd;
    return cut;
}

std::int64_t bytesThatCannotEnd(const PageRange &range) {
    if (range.complete || range.curPg < range.startPg) return 0;
    // With endPg below curPg, the very next byte ends the range.
    return std::max<std::int64_t>(range.endPg - range.curPg, 0);
}
