// SPDX-License-Identifier: MIT
// pagerange's entry: the usage line, the page numbers, the copy and the exit status.

#include "byte_stream.h"
#include "page_number.h"
#include "page_range.h"

#include <cstdio>
#include <cstring>

namespace {

// Set by the build; 128 KiB by default. Measured with bench/run --sweep
// against cat on 1 GiB from the page cache: 64 KiB pays for twice the reads
// (1.10 of cat), 1 MiB is as slow again (1.10) and doubles the resident
// set, and 128 to 512 KiB tie within noise (1.02 to 1.08). The smallest of
// those keeps memory lowest and hands a pipe the same writes cat does.
constexpr std::size_t bufferSize = std::size_t{PAGERANGE_BUFFER_KIB} * 1024;

alignas(64) unsigned char buffer[bufferSize];

int fail(const char *prog, const char *what, int error) {
    std::fprintf(stderr, "%s: %s error: %s\n", prog, what, std::strerror(error));
    return 1;
}

// Copies the selected pages and returns the exit status. Each block's
// selected bytes are written before the next read, so a reader downstream
// sees a page as soon as it has arrived.
int copyRange(const char *prog, PageRange range) {
    if (const int error = openStreams()) return fail(prog, "read", error);
    while (!range.complete) {
        moveRest(bytesThatCannotEnd(range));
        const ReadResult got = readInput(buffer, bufferSize);
        if (got.error != 0) return fail(prog, "read", got.error);
        if (got.bytes == 0) break;
        const BlockCut cut = cutBlock(range, buffer, got.bytes);
        if (const int error = writeOutput(buffer, cut.writeBegin, cut.writeEnd))
            return isQuietWriteFailure(error) ? 1 : fail(prog, "write", error);
        if (const int error = giveBackInput(got.bytes - cut.consumed))
            return fail(prog, "read", error);
    }
    if (const int error = closeOutput()) return fail(prog, "write", error);
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
