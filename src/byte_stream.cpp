#include "byte_stream.h"

#include <algorithm>
#include <cerrno>

#ifdef _WIN32
#include <io.h>
#else
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

constexpr int inputFd = 0;
constexpr int outputFd = 1;

// One call moves at most this much, which every platform's count type holds.
constexpr std::size_t maxTransfer = std::size_t{1} << 30;

#ifdef _WIN32

// The runtime's text mode does the line-end and Ctrl-Z translation, so the
// descriptors are left in the mode they start in.
long long readSome(unsigned char *buffer, std::size_t size) {
    return _read(inputFd, buffer, static_cast<unsigned>(size));
}

long long writeSome(const unsigned char *data, std::size_t size) {
    return _write(outputFd, data, static_cast<unsigned>(size));
}

// The standard descriptors of a console program block; there is no waiting
// to do.
bool waitUntilReady(int, bool) {
    return false;
}

#else

long long readSome(unsigned char *buffer, std::size_t size) {
    return ::read(inputFd, buffer, size);
}

long long writeSome(const unsigned char *data, std::size_t size) {
    return ::write(outputFd, data, size);
}

// A caller may hand us a non-blocking descriptor; waiting in poll makes it
// behave like a blocking one. False when there is nothing to wait for.
bool waitUntilReady(int fd, bool forWrite) {
    if (errno != EAGAIN && errno != EWOULDBLOCK) return false;
    pollfd want{fd, static_cast<short>(forWrite ? POLLOUT : POLLIN), 0};
    while (::poll(&want, 1, -1) < 0)
        if (errno != EINTR) return false;
    return true;
}

#endif

} // namespace

ReadResult readInput(unsigned char *buffer, std::size_t capacity) {
    for (;;) {
        const long long got = readSome(buffer, std::min(capacity, maxTransfer));
        if (got >= 0) return {static_cast<std::size_t>(got), 0};
        if (errno != EINTR && !waitUntilReady(inputFd, false)) return {0, errno};
    }
}

int writeOutput(const unsigned char *data, std::size_t size) {
    while (size > 0) {
        const long long put = writeSome(data, std::min(size, maxTransfer));
        if (put > 0) {
            data += put;
            size -= static_cast<std::size_t>(put);
        } else if (put == 0) {
            // Nothing taken and no reason given: the device is full.
            return ENOSPC;
        } else if (errno != EINTR && !waitUntilReady(outputFd, true)) {
            return errno;
        }
    }
    return 0;
}

#ifdef _WIN32

// Text mode makes the bytes seen differ from the file offset, so there is
// no offset to give back.
int giveBackInput(std::size_t) {
    return 0;
}

// The runtime reports a pipe with no reader as EINVAL or EPIPE.
bool isQuietWriteFailure(int error) {
    return error == EINVAL || error == EPIPE;
}

#else

// Pipes and terminals cannot take bytes back; only a regular file can.
int giveBackInput(std::size_t unread) {
    struct stat info {};
    if (unread == 0 || ::fstat(inputFd, &info) != 0 || !S_ISREG(info.st_mode)) return 0;
    if (::lseek(inputFd, -static_cast<off_t>(unread), SEEK_CUR) < 0) return errno;
    return 0;
}

bool isQuietWriteFailure(int) {
    return false;
}

#endif
