// SPDX-License-Identifier: MIT
// The page logic: which bytes of each block to write, free of I/O.

#pragma once

#include <cstddef>
#include <cstdint>

// Where the copy stands. A form feed ends the page it belongs to; pages are
// numbered from 1. A byte is selected while curPg >= startPg, and the copy
// is complete after the byte that takes curPg past endPg.
struct PageRange {
    std::int32_t startPg;
    std::int32_t endPg;
    // 64 bits: counting 2^31 form feeds must not wrap before endPg is passed.
    std::int64_t curPg = 1;
    bool complete = false;
};

// What to do with one block of input: write block[writeBegin, writeEnd),
// and treat block[consumed, size) as not read, which is only ever non-empty
// once the range is complete.
struct BlockCut {
    std::size_t writeBegin = 0;
    std::size_t writeEnd = 0;
    std::size_t consumed = 0;
};

// Advances the range over the next block of input. Pure: the same answers
// whatever sizes the input is cut into.
BlockCut cutBlock(PageRange &range, const unsigned char *block, std::size_t size);

// How many more bytes may go to the output without being counted: none
// before the range has begun, and after that as many as could not take
// curPg past endPg even were every one a form feed.
std::int64_t bytesThatCannotEnd(const PageRange &range);
