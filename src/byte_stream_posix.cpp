// SPDX-License-Identifier: MIT
// The byte streams on POSIX: read, write, splice and seek on the standard descriptors.

#include "byte_stream.h"

#include "kernel_copy.h"

#include <algorithm>
#include <cerrno>
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

enum class Sink { other, pipe, file };

// What openStreams found: whether standard input is a regular file, and if
// so what standard output is, and where in the file we are. The offset is
// tracked here rather than asked of the kernel.
struct Input {
    bool isFile = false;
    Sink sink = Sink::other;  // looked at only when isFile
    bool sameFileOut = false; // reading stops at the size it had at start
    off_t sizeAtStart = 0;
    off_t knownSize = 0;   // the size when we last asked
    off_t offset = 0;      // where the next read starts
    off_t blockOffset = 0; // where the block last read began
    bool spliceWorks = true;
    bool movesWork = true;
};
Input in;

// Bytes moveRest sent straight out, uncounted, from movedFrom on. Should
// more input follow them, they are read again and handed out as blocks to
// count, which writeOutput knows are out already.
off_t movedFrom = 0, moved = 0;
off_t replayAt = 0, replayLeft = 0;
bool blockIsReplay = false;

// Whether any byte has reached standard output.
bool wroteAny = false;

// A caller may hand us a non-blocking descriptor; waiting in poll makes it
// behave like a blocking one. False when there is nothing to wait for.
bool waitUntilReady(int fd, short events) {
    if (errno != EAGAIN && errno != EWOULDBLOCK) return false;
    pollfd want{fd, events, 0};
    while (::poll(&want, 1, -1) < 0)
        if (errno != EINTR) return false;
    return true;
}

ReadResult readAt(unsigned char *buffer, std::size_t size, off_t at) {
    for (;;) {
        const ssize_t got = ::pread(inputFd, buffer, size, at);
        if (got >= 0) return {static_cast<std::size_t>(got), 0};
        if (errno != EINTR) return {0, errno};
    }
}

// The next block of bytes that were moved out uncounted.
ReadResult replay(unsigned char *buffer, std::size_t capacity) {
    const auto size = static_cast<std::size_t>(std::min(replayLeft, static_cast<off_t>(capacity)));
    const ReadResult got = readAt(buffer, size, replayAt);
    if (got.error != 0) return got;
    // The file has shrunk since they were moved: their count is lost with them.
    if (got.bytes == 0) replayLeft = 0;
    replayAt += static_cast<off_t>(got.bytes);
    replayLeft -= static_cast<off_t>(got.bytes);
    blockIsReplay = true;
    return got;
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
            wroteAny = true;
        } else if (put == 0) {
            return movedNothing;
        } else if (errno != EINTR && !waitUntilReady(outputFd, POLLOUT)) {
            return errno;
        }
    }
    return 0;
}

// Moves data[begin, end) of the block last read from the file into the
// pipe. Returns where it stopped: end, or where the pipe refused.
std::size_t spliceBlock(std::size_t begin, std::size_t end) {
    std::int64_t from = in.blockOffset + static_cast<off_t>(begin);
    off_t left = static_cast<off_t>(end - begin);
    // Refused, or the file has shrunk since it was read: the buffer still
    // holds what was counted.
    if (transfer(left, [&](std::size_t size) { return spliceToPipe(&from, size); }) != 0)
        in.spliceWorks = false;
    return end - static_cast<std::size_t>(left);
}

} // namespace

int openStreams() {
    struct stat input {};
    if (::fstat(inputFd, &input) != 0) return errno;
    if (!S_ISREG(input.st_mode)) return 0;
    in.isFile = true;
    in.sizeAtStart = in.knownSize = input.st_size;
    in.offset = ::lseek(inputFd, 0, SEEK_CUR);
    if (in.offset < 0) return errno;

    // A closed or unusual output is found out by the first write.
    struct stat output {};
    if (::fstat(outputFd, &output) != 0) return 0;
    if (S_ISFIFO(output.st_mode)) {
        in.sink = Sink::pipe;
        growOutputPipe();
    } else if (S_ISREG(output.st_mode)) {
        in.sink = Sink::file;
        // Appending to the file being read would read back what was just
        // written, for ever.
        in.sameFileOut = output.st_dev == input.st_dev && output.st_ino == input.st_ino;
    }
    return 0;
}

ReadResult readInput(unsigned char *buffer, std::size_t capacity) {
    if (replayLeft > 0) return replay(buffer, capacity);
    blockIsReplay = false;
    if (in.sameFileOut)
        capacity = static_cast<std::size_t>(
            std::clamp<off_t>(in.sizeAtStart - in.offset, 0, static_cast<off_t>(capacity)));
    for (;;) {
        const ssize_t got = ::read(inputFd, buffer, std::min(capacity, maxTransfer));
        if (got < 0) {
            if (errno != EINTR && !waitUntilReady(inputFd, POLLIN)) return {0, errno};
            continue;
        }
        if (got > 0 && moved > 0) {
            // More input after bytes that went out uncounted: count those first.
            if (::lseek(inputFd, -got, SEEK_CUR) < 0) return {0, errno};
            replayAt = movedFrom;
            replayLeft = moved;
            moved = 0;
            return replay(buffer, capacity);
        }
        in.blockOffset = in.offset;
        in.offset += got;
        return {static_cast<std::size_t>(got), 0};
    }
}

int writeOutput(const unsigned char *block, std::size_t begin, std::size_t end) {
    if (blockIsReplay) return 0;
    if (in.sink == Sink::pipe && in.spliceWorks) begin = spliceBlock(begin, end);
    off_t left = static_cast<off_t>(end - begin);
    const int stop = transfer(left, [&](std::size_t size) {
        return ::write(outputFd, block + end - static_cast<std::size_t>(left), size);
    });
    // Nothing taken and no reason given: the device is full.
    return stop == movedNothing ? ENOSPC : stop;
}

void moveRest(std::int64_t most) {
    if (in.sink == Sink::other || in.sameFileOut || !in.movesWork || replayLeft > 0) return;
    // The size last seen rules out most calls without asking the kernel;
    // it is asked again only once reading has passed it.
    const std::int64_t room = most - moved;
    if (in.knownSize - in.offset > room) return;
    struct stat input {};
    if (::fstat(inputFd, &input) != 0) return;
    in.knownSize = input.st_size;
    off_t left = in.knownSize - in.offset;
    if (left <= 0 || left > room) return;

    if (moved == 0) movedFrom = in.offset;
    const off_t wanted = left;
    const int stop = transfer(left, [](std::size_t size) {
        return in.sink == Sink::pipe ? spliceToPipe(nullptr, size) : copyToFile(size);
    });
    in.offset += wanted - left;
    moved += wanted - left;
    // Refused: the ordinary path reads on from where this stopped. A file
    // that has shrunk needs nothing: the next read finds its end.
    if (stop > 0) in.movesWork = false;
}

int giveBackInput(std::size_t unread) {
    if (unread == 0 || !in.isFile || blockIsReplay) return 0;
    if (::lseek(inputFd, -static_cast<off_t>(unread), SEEK_CUR) < 0) return errno;
    in.offset -= static_cast<off_t>(unread);
    return 0;
}

int closeOutput() {
    if (::close(outputFd) == 0) return 0;
    // An output closed from the start is no error when nothing was written.
    if (errno == EBADF && !wroteAny) return 0;
    return errno;
}

// SIGPIPE ends the program on a broken pipe before the write returns; one
// that is ignored leaves an error worth reporting.
bool isQuietWriteFailure(int) {
    return false;
}
