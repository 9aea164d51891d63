#include "byte_stream.h"

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

// Only a regular file can take unread bytes back.
bool inputIsFile = false;

// A caller may hand us a non-blocking descriptor; waiting in poll makes it
// behave like a blocking one. False when there is nothing to wait for.
bool waitUntilReady(int fd, short events) {
    if (errno != EAGAIN && errno != EWOULDBLOCK) return false;
    pollfd want{fd, events, 0};
    while (::poll(&want, 1, -1) < 0)
        if (errno != EINTR) return false;
    return true;
}

} // namespace

int openStreams() {
    struct stat input {};
    if (::fstat(inputFd, &input) != 0) return errno;
    inputIsFile = S_ISREG(input.st_mode);
    return 0;
}

ReadResult readInput(unsigned char *buffer, std::size_t capacity) {
    for (;;) {
        const ssize_t got = ::read(inputFd, buffer, std::min(capacity, maxTransfer));
        if (got >= 0) return {static_cast<std::size_t>(got), 0};
        if (errno != EINTR && !waitUntilReady(inputFd, POLLIN)) return {0, errno};
    }
}

int writeOutput(const unsigned char *block, std::size_t begin, std::size_t end) {
    while (begin < end) {
        const ssize_t put = ::write(outputFd, block + begin, std::min(end - begin, maxTransfer));
        if (put > 0) {
            begin += static_cast<std::size_t>(put);
        } else if (put == 0) {
            // Nothing taken and no reason given: the device is full.
            return ENOSPC;
        } else if (errno != EINTR && !waitUntilReady(outputFd, POLLOUT)) {
            return errno;
        }
    }
    return 0;
}

int giveBackInput(std::size_t unread) {
    if (unread == 0 || !inputIsFile) return 0;
    if (::lseek(inputFd, -static_cast<off_t>(unread), SEEK_CUR) < 0) return errno;
    return 0;
}

// SIGPIPE ends the program on a broken pipe before the write returns; one
// that is ignored leaves an error worth reporting.
bool isQuietWriteFailure(int) {
    return false;
}
