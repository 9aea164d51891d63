// SPDX-License-Identifier: MIT
// The copy one byte at a time, and a driver that runs the block logic in blocks.

#pragma once

// The copy loop one byte at a time, as pagerange is defined, and a driver
// that runs the block logic over the same input cut into blocks; the tests
// and the fuzzer hold one against the other.

#include "page_range.h"

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

struct Outcome {
    std::string written;
    std::size_t consumed = 0;
    bool complete = false;
    bool cutsInBounds = true;
    bool operator==(const Outcome &) const = default;
};

inline std::ostream &operator<<(std::ostream &out, const Outcome &o) {
    return out << "written " << o.written.size() << " bytes, consumed " << o.consumed
               << (o.complete ? ", complete" : "") << (o.cutsInBounds ? "" : ", cut out of bounds");
}

inline Outcome byteAtATime(PageRange range, const std::string &input) {
    Outcome o;
    for (const char c : input) {
        ++o.consumed;
        if (range.curPg >= range.startPg) o.written += c;
        range.curPg += c == '\f';
        if ((o.complete = range.curPg > range.endPg)) break;
    }
    return o;
}

// Cuts the input into blocks of the given sizes, in turn, until the range
// is complete. A block may be left unconsumed only once the range is.
inline Outcome inBlocks(PageRange range, const std::string &input,
                        const std::vector<std::size_t> &sizes) {
    Outcome o;
    const auto *bytes = reinterpret_cast<const unsigned char *>(input.data());
    for (std::size_t at = 0, i = 0; at < input.size() && !range.complete; ++i) {
        const std::size_t size = std::min(sizes[i % sizes.size()], input.size() - at);
        const BlockCut cut = cutBlock(range, bytes + at, size);
        o.cutsInBounds &= cut.writeBegin <= cut.writeEnd && cut.writeEnd <= cut.consumed &&
                          (cut.consumed == size || (range.complete && cut.consumed < size));
        o.written.append(input, at + cut.writeBegin, cut.writeEnd - cut.writeBegin);
        o.consumed = at += cut.consumed;
    }
    o.complete = range.complete;
    return o;
}
