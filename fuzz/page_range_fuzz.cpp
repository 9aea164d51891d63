// SPDX-License-Identifier: MIT
// libFuzzer target for the block logic.
//
// The first bytes choose the range and how the input is cut into blocks,
// the rest is the input. Whatever the cuts, the bytes written, the bytes
// consumed and the completion must be those of the byte-at-a-time loop.

#include "page_model.h"

#include <cstdint>
#include <cstdlib>
#include <limits>

namespace {

// Page numbers near the input's own page counts, and the extremes.
std::int32_t pageNumber(std::uint8_t code) {
    switch (code) {
    case 255:
        return std::numeric_limits<std::int32_t>::max();
    case 254:
        return std::numeric_limits<std::int32_t>::min();
    default:
        return static_cast<std::int32_t>(code) - 8;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    if (size < 3) return 0;
    const PageRange range{pageNumber(data[0]), pageNumber(data[1])};
    // Up to 8 block sizes, each 1 to 256 bytes, or the whole input.
    std::vector<std::size_t> sizes(1 + data[2] % 8);
    std::size_t at = 3;
    for (auto &blockSize : sizes) {
        const std::uint8_t code = at < size ? data[at++] : 1;
        blockSize = code == 0 ? size : code;
    }
    const std::string input(reinterpret_cast<const char *>(data) + at, size - at);
    if (!(inBlocks(range, input, sizes) == byteAtATime(range, input))) std::abort();
    return 0;
}
