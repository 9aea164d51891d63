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
static_assert(bufferSize % ioAlignment == 0, "direct I/O reads whole aligned blocks");

// Aligned for direct I/O, which reads only into whole logical blocks of
// memory, so that input opened with O_DIRECT reads too.
alignas(ioAlignment) unsigned char buffer[bufferSize];

// Copies the selected pages; returns the first failure, if any, and sets
// unread to the bytes of the last block that were not used: those past the
// range, or those a failed write did not put out.
Failure copyPages(PageRange &range, std::size_t &unread) {
    if (const int error = openStreams()) return {"read", error};
    while (!range.complete) {
        if (const Failure failed = sendRest(bytesThatCannotEnd(range), buffer, bufferSize);
            failed.error != 0)
            return failed;
        const ReadResult got = readInput(buffer, bufferSize);
        if (got.error != 0) return {"read", got.error};
        if (got.bytes == 0) break;
        const BlockCut cut = cutBlock(range, got.data, got.bytes);
        const WriteResult put = writeOutput(got.data, cut.writeBegin, cut.writeEnd);
        unread = got.bytes - (put.error == 0 ? cut.consumed : put.reached);
        if (put.error != 0) return {"write", put.error};
    }
    return {};
}

// Copies the selected pages and returns the exit status. Each block's
// selected bytes are written before the next read, so a reader downstream
// sees a page as soon as it has arrived.
int copyRange(const char *prog, PageRange range) {
    std::size_t unread = 0;
    Failure failed = copyPages(range, unread);
    // Whatever ended the copy, the input is left just past the bytes used.
    if (const int error = leaveInput(unread); error != 0 && failed.error == 0)
        failed = {"read", error};
    if (const int error = closeOutput(); error != 0 && failed.error == 0) failed = {"write", error};
    if (failed.error == 0) return 0;
    if (isQuietWriteFailure(failed.error)) return 1;
    std::fprintf(stderr, "%s: %s error: %s\n", prog, failed.what, std::strerror(failed.error));
    return 1;
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
