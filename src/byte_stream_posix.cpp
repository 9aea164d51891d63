// SPDX-License-Identifier: MIT
// The byte streams on POSIX: read, write and seek on the standard descriptors.

#include "byte_stream.h"

#include "kernel_copy.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

// Offsets past 2 GiB and files with 64-bit inode numbers must work on 32-bit
// systems too; the build asks for 64-bit file interfaces everywhere.
static_assert(sizeof(off_t) == 8, "pagerange needs 64-bit file offsets");

namespace {

constexpr int inputFd = 0;
constexpr int outputFd = 1;

// One call moves at most this much, which every platform's count type holds.
constexpr std::size_t maxTransfer = std::size_t{1} << 30;

// What openStreams found, and where the input stands. An input that can
// seek is read with pread at `offset`, which leaves the descriptor's own
// offset alone until leaveInput sets it once, at the end: `offset` is the
// one record of where reading stands. Anything else is read as it comes.
struct Input {
    bool seekable = false;
    bool direct = false; // opened for direct I/O: read in aligned blocks
    // The block direct I/O is read in: ioAlignment, or larger once the disk
    // has refused that.
    off_t directBlock = ioAlignment;
    bool sized = false;       // a regular file whose size says where it ends, for sendRest
    bool copiesWork = false;  // the output is another regular file, for copyToFile
    bool sameFileOut = false; // reading stops at the size it had at start
    off_t sizeAtStart = 0;
    off_t knownSize = 0; // the size when we last asked, or more once read past
    off_t offset = 0;    // where the next byte to count is read from
    off_t blockAt = 0;   // where the block last read began
    // Bytes [offset, uncountedTo) are in the output already, sent there by
    // sendRest before they were counted.
    off_t uncountedTo = 0;
};
Input in;

// A caller may hand us a non-blocking descriptor; waiting in poll makes it
// behave like a blocking one. False when there is nothing to wait for.
bool waitUntilReady(int fd, short events) {
    if (errno != EAGAIN && errno != EWOULDBLOCK) return false;
    pollfd want{fd, events, 0};
    while (::poll(&want, 1, -1) < 0)
        if (errno != EINTR) return false;
    return true;
}

// The largest logical block a disk is known to have (a loop device's
// largest sector).
constexpr off_t largestDirectBlock = 65536;

// Reads up to `size` bytes from `at`, or from wherever the input stands
// when it cannot seek. Direct I/O reads only whole aligned blocks, so such
// an input is read from the start of the block that holds `at`, and the
// bytes before `at` are passed over; `size` is then a multiple of the block.
ReadResult readFrom(unsigned char *buffer, std::size_t size, off_t at) {
    for (;;) {
        const off_t head = in.seekable && in.direct ? at % in.directBlock : 0;
        const ssize_t got =
            in.seekable ? ::pread(inputFd, buffer, size, at - head) : ::read(inputFd, buffer, size);
        if (got >= 0) {
            const auto skip = static_cast<std::size_t>(std::min<off_t>(head, got));
            return {buffer + skip, static_cast<std::size_t>(got) - skip, 0};
        }
        // Some descriptors (an eventfd, some devices) take a seek but will
        // not be read at an offset. They refuse the first read, before any
        // byte has been taken, so reading them as a stream loses nothing.
        // A regular file that seeks always reads at an offset; one that did
        // not could not read again what went out uncounted, and fails.
        if (errno == ESPIPE && in.seekable && !in.sized) {
            in.seekable = false;
            continue;
        }
        // A disk whose logical block is larger than the one tried refuses
        // the read as unaligned: try the next size up. (A read whose size
        // is no whole number of them fails again, with the same EINVAL.)
        const off_t larger = 2 * in.directBlock;
        if (errno == EINVAL && in.seekable && in.direct && larger <= largestDirectBlock) {
            in.directBlock = larger;
            continue;
        }
        if (errno != EINTR && !waitUntilReady(inputFd, POLLIN)) return {buffer, 0, errno};
    }
}

// What transfer returns when a call moved nothing and gave no reason: a
// device that is full, or a file that has shrunk since its size was taken.
constexpr int movedNothing = -1;

// Sends `left` bytes to standard output by calls of send(size), each of
// which returns the bytes it moved, or -1 with errno set. An interrupted
// call is made again, and a full non-blocking output waited for. Returns
// 0 once all have gone, else movedNothing or the errno that stopped it;
// `left` keeps the count that did not go.
template <class Send> int transfer(off_t &left, Send send) {
    while (left > 0) {
        const long long put = send(static_cast<std::size_t>(std::min<off_t>(left, maxTransfer)));
        if (put > 0) {
            left -= put;
        } else if (put == 0) {
            return movedNothing;
        } else if (errno != EINTR && !waitUntilReady(outputFd, POLLOUT)) {
            return errno;
        }
    }
    return 0;
}

// Writes the `left` bytes that end at `end` to standard output; `left`
// keeps the count that did not go. Returns 0, or the errno that stopped it.
int writeEndingAt(const unsigned char *end, off_t &left) {
    const int stop = transfer(left, [&](std::size_t size) {
        return ::write(outputFd, end - static_cast<std::size_t>(left), size);
    });
    // Nothing taken and no reason given: the device is full.
    return stop == movedNothing ? ENOSPC : stop;
}

} // namespace

int openStreams() {
    struct stat input {};
    if (::fstat(inputFd, &input) != 0) return errno;
    // A pipe, a terminal, or a file its file system opens without seeking
    // (the kernel then refuses pread as well) is read as a stream, and
    // nothing can be given back.
    const off_t at = ::lseek(inputFd, 0, SEEK_CUR);
    if (at < 0) return 0;
    in.seekable = true;
    in.offset = in.blockAt = in.uncountedTo = at;
#ifdef O_DIRECT
    const int flags = ::fcntl(inputFd, F_GETFL);
    in.direct = flags >= 0 && (flags & O_DIRECT) != 0;
#endif
    if (!S_ISREG(input.st_mode)) return 0;
    in.sizeAtStart = in.knownSize = input.st_size;

    // A closed or unusual output is found out by the first write.
    struct stat output {};
    const bool fileOut = ::fstat(outputFd, &output) == 0 && S_ISREG(output.st_mode);
    // Appending to the file being read would read back what was just
    // written, for ever; and its size grows with the output.
    in.sameFileOut = fileOut && output.st_dev == input.st_dev && output.st_ino == input.st_ino;
    in.sized = !in.sameFileOut;
    in.copiesWork = fileOut && !in.sameFileOut;
    return 0;
}

ReadResult readInput(unsigned char *buffer, std::size_t capacity) {
    capacity = std::min(capacity, maxTransfer);
    if (in.uncountedTo > in.offset && in.uncountedTo >= in.knownSize) {
        // All the file we knew of went out uncounted. Those bytes need
        // counting only if more input follows them.
        const ReadResult more = readFrom(buffer, capacity, in.uncountedTo);
        if (more.error != 0 || more.bytes == 0) return more;
        in.knownSize = in.uncountedTo + static_cast<off_t>(more.bytes);
    }
    ReadResult got = readFrom(buffer, capacity, in.offset);
    // What lies past the size the input had at start is our own output.
    if (in.sameFileOut)
        got.bytes = static_cast<std::size_t>(
            std::clamp<off_t>(in.sizeAtStart - in.offset, 0, static_cast<off_t>(got.bytes)));
    in.blockAt = in.offset;
    in.offset += static_cast<off_t>(got.bytes);
    return got;
}

WriteResult writeOutput(const unsigned char *block, std::size_t begin, std::size_t end) {
    // What sendRest sent is in the output already.
    const off_t sent = in.uncountedTo - in.blockAt;
    if (sent > static_cast<off_t>(begin))
        begin = static_cast<std::size_t>(std::min(sent, static_cast<off_t>(end)));
    off_t left = static_cast<off_t>(end - begin);
    const int error = writeEndingAt(block + end, left);
    return {end - static_cast<std::size_t>(left), error};
}

Failure sendRest(std::int64_t most, unsigned char *buffer, std::size_t capacity) {
    if (!in.sized) return {};
    const off_t from = std::max(in.offset, in.uncountedTo);
    // Bytes already sent uncounted take their share of what cannot end the range.
    const std::int64_t room = most - (from - in.offset);
    // The size last seen rules out most calls without asking the kernel;
    // it is asked again only once reading has passed it.
    if (in.knownSize - from > room) return {};
    struct stat input {};
    if (::fstat(inputFd, &input) != 0) return {};
    // A size below what has been read is no size at all, as with the
    // pseudo-files under /proc: there is no rest to send, and no point in
    // asking again.
    if (input.st_size < in.offset) {
        in.sized = false;
        return {};
    }
    in.knownSize = input.st_size;
    if (in.knownSize - from > room) return {};

    in.uncountedTo = from;
    if (in.copiesWork) {
        off_t left = in.knownSize - from;
        std::int64_t at = from;
        const int stop = transfer(left, [&](std::size_t size) { return copyToFile(&at, size); });
        in.uncountedTo = at;
        if (stop == 0) return {};
        // Refused or cut short, as by a file that has shrunk since its size
        // was taken: from here on the rest goes through the buffer.
        in.copiesWork = false;
    }
    while (in.uncountedTo < in.knownSize) {
        const ReadResult got = readFrom(buffer, capacity, in.uncountedTo);
        if (got.error != 0) return {"read", got.error};
        // The file has shrunk since its size was taken, and ends here now.
        if (got.bytes == 0) {
            in.knownSize = in.uncountedTo;
            break;
        }
        // Bytes past the size seen may have come since, and are counted.
        const off_t size = std::min(static_cast<off_t>(got.bytes), in.knownSize - in.uncountedTo);
        off_t left = size;
        const int error = writeEndingAt(got.data + size, left);
        in.uncountedTo += size - left;
        if (error != 0) return {"write", error};
    }
    return {};
}

int leaveInput(std::size_t unread) {
    if (!in.seekable) return 0;
    // Bytes sent uncounted are in the output, even where a failure stopped
    // counting before it reached them. (They cannot end the range, so
    // counting that has reached them has passed them too.)
    const off_t used = std::max(in.offset - static_cast<off_t>(unread), in.uncountedTo);
    if (::lseek(inputFd, used, SEEK_SET) < 0) return errno;
    return 0;
}

int closeOutput() {
    if (::close(outputFd) == 0) return 0;
    // Only an output closed from the start fails with EBADF. Nothing can
    // have reached it: a write would have failed, and been reported, first.
    // With nothing written there is nothing to report.
    return errno == EBADF ? 0 : errno;
}

// SIGPIPE ends the program on a broken pipe before the write returns; one
// that is ignored leaves an error worth reporting.
bool isQuietWriteFailure(int) {
    return false;
}
