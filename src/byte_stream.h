// SPDX-License-Identifier: MIT
// Reading and writing the standard descriptors: what every platform provides.

#pragma once

#include <cstddef>
#include <cstdint>

// The standard descriptors, read and written directly in large blocks.
// byte_stream_posix.cpp and byte_stream_windows.cpp are the only places that
// know which platform they run on. A call that can fail returns 0 or the
// errno code of the failure.

// The read buffer's alignment, and the first size of block in which an
// input opened for direct I/O is read: a multiple of most disks' logical
// block size (512 or 4096 bytes). The buffer's capacity is a multiple of it.
inline constexpr std::size_t ioAlignment = 4096;

// Looks once at what standard input and output are, before anything is
// read: whether the input can seek and be read at an offset, whether it was
// opened for direct I/O, whether it is a regular file and its size, and
// whether the output is another regular file or that same one.
int openStreams();

// What one read gave: bytes at data, within the buffer (0 at the end of the
// input), or an errno code.
struct ReadResult {
    const unsigned char *data;
    std::size_t bytes;
    int error;
};

// Reads what standard input has available, up to capacity bytes; waits only
// while nothing at all is available.
ReadResult readInput(unsigned char *buffer, std::size_t capacity);

// How far a write got: `reached` is the index just past the last byte of
// the span that is in the output, its end unless the errno code `error`
// stopped it.
struct WriteResult {
    std::size_t reached;
    int error;
};

// Writes block[begin, end) of the block last read to standard output, all of
// it but what sendRest has already sent there.
WriteResult writeOutput(const unsigned char *block, std::size_t begin, std::size_t end);

// A failure: what failed, "read" or "write", and its errno code; none when
// the code is 0.
struct Failure {
    const char *what = "";
    int error = 0;
};

// When what is left of standard input, a regular file, is at most `most`
// bytes by the size it last gave, sends it to standard output without the
// caller counting it: the caller knows that so few bytes cannot end the
// range. Into another regular file the kernel copies it where it can,
// unread; else it is read into buffer, of capacity bytes, and written from
// there. Sends nothing where the platform or the input cannot, and the next
// read goes on as before. Should more input follow what was sent, the next
// reads read the sent bytes to count them, and writeOutput leaves them out.
Failure sendRest(std::int64_t most, unsigned char *buffer, std::size_t capacity);

// Called once, after the last block or a failure: leaves an input that can
// seek positioned just past the last byte used, for the next program that
// reads it. A byte is used once it is in the output or has been passed over
// before the range; `unread` bytes at the end of the block last read were
// not: they lie past the range, or did not reach the output.
int leaveInput(std::size_t unread);

// Closes standard output, so that a file system that reports a failed
// write only then is heard.
int closeOutput();

// A write failure that ends the program quietly, the way a broken pipe ends a
// filter by its signal on POSIX.
bool isQuietWriteFailure(int error);
