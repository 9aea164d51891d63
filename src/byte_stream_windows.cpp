// SPDX-License-Identifier: MIT
// The byte streams on Windows, through the C runtime's text-mode descriptors.

#include "byte_stream.h"

#include "windows_pipe.h"

#include <algorithm>
#include <cerrno>
#include <io.h>
#include <windows.h>

// The runtime's text mode does the line-end and Ctrl-Z translation, so the
// descriptors are left in the mode they start in. The standard descriptors
// of a console program block, so there is never anything to wait for.

static_assert(windowsError::brokenPipe == ERROR_BROKEN_PIPE);
static_assert(windowsError::noData == ERROR_NO_DATA);
static_assert(windowsError::pipeNotConnected == ERROR_PIPE_NOT_CONNECTED);

namespace {

constexpr int inputFd = 0;
constexpr int outputFd = 1;

// One call moves at most this much, which the runtime's unsigned count holds.
constexpr std::size_t maxTransfer = std::size_t{1} << 30;

} // namespace

// Text mode makes the bytes seen differ from the file offset, so there is
// nothing about the input worth knowing in advance.
int openStreams() {
    return 0;
}

ReadResult readInput(unsigned char *buffer, std::size_t capacity) {
    const int got = _read(inputFd, buffer, static_cast<unsigned>(std::min(capacity, maxTransfer)));
    if (got < 0) return {buffer, 0, errno};
    return {buffer, static_cast<std::size_t>(got), 0};
}

WriteResult writeOutput(const unsigned char *block, std::size_t begin, std::size_t end) {
    while (begin < end) {
        const int put = _write(outputFd, block + begin,
                               static_cast<unsigned>(std::min(end - begin, maxTransfer)));
        if (put > 0) {
            begin += static_cast<std::size_t>(put);
        } else if (put == 0) {
            return {begin, ENOSPC};
        } else {
            return {begin, readerHasGone(_doserrno) ? EPIPE : errno};
        }
    }
    return {end, 0};
}

// Text mode makes the bytes seen differ from the file's, so no size says how
// many are left: every byte is counted.
Failure sendRest(std::int64_t, unsigned char *, std::size_t) {
    return {};
}

// Text mode leaves no offset that matches the bytes seen to give back.
int leaveInput(std::size_t) {
    return 0;
}

// The runtime keeps descriptor 1 open even when the program was started
// without an output handle: writes to it fail, and closing it works. Closing
// fails with EBADF only for a handle protected from closing, through which
// every write worked: nothing was lost, and there is nothing to report.
int closeOutput() {
    if (_close(outputFd) == 0) return 0;
    return errno == EBADF ? 0 : errno;
}

// A console program whose reader has gone ends quietly, as a POSIX filter
// ends by SIGPIPE; there is no signal to do it.
bool isQuietWriteFailure(int error) {
    return error == EPIPE;
}
