// pagerange: copies pages startPg to endPg of standard input to standard
// output. A form feed ends the page it belongs to.

#include "byte_stream.h"
#include "page_number.h"
#include "page_range.h"

#include <cstdio>
#include <cstring>

namespace {

// Large enough that a read costs little next to the copy it does, small
// enough to stay in the processor's cache while it is scanned and written.
constexpr std::size_t bufferSize = 128 * 1024;

alignas(64) unsigned char buffer[bufferSize];

int fail(const char *prog, const char *what, int error) {
    std::fprintf(stderr, "%s: %s error: %s\n", prog, what, std::strerror(error));
    return 1;
}

// Copies the selected pages and returns the exit status. Each block's
// selected bytes are written before the next read, so a reader downstream
// sees a page as soon as it has arrived.
int copyRange(const char *prog, PageRange range) {
    while (!range.complete) {
        const ReadResult got = readInput(buffer, bufferSize);
        if (got.error != 0) return fail(prog, "read", got.error);
        if (got.bytes == 0) break;
        const BlockCut cut = cutBlock(range, buffer, got.bytes);
        if (const int error = writeOutput(buffer + cut.writeBegin, cut.writeEnd - cut.writeBegin))
            return isQuietWriteFailure(error) ? 1 : fail(prog, "write", error);
        if (const int error = giveBackInput(got.bytes - cut.consumed))
            return fail(prog, "read", error);
    }
    return 0;
}

} // namespace

int main(int argc, char *argv[]) {
    // A program started with no argument vector at all still gets a name.
    const char *prog = argc > 0 && argv[0] != nullptr ? argv[0] : "pagerange";
    if (argc != 3) {
        std::fprintf(stderr, "Usage: %s [startPg] [endPg] <input >output\n", prog);
        return -1;
    }
    return copyRange(prog, PageRange{parsePageNumber(argv[1]), parsePageNumber(argv[2])});
}
