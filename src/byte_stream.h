// SPDX-License-Identifier: MIT
// Reading and writing the standard descriptors: what every platform provides.

#pragma once

#include <cstddef>
#include <cstdint>

// The standard descriptors, read and written directly in large blocks.
// byte_stream_posix.cpp and byte_stream_windows.cpp are the only places that
// know which platform they run on. A call that can fail returns 0 or the
// errno code of the failure.

// The read buffer's alignment, and the size of the blocks in which an input
// opened for direct I/O is read: a multiple of every disk's logical block
// size (512 or 4096 bytes). The buffer's capacity is a multiple of it.
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
// it but what copyRest has already copied there.
WriteResult writeOutput(const unsigned char *block, std::size_t begin, std::size_t end);

// When what is left of standard input is at most `most` bytes and the
// platform can copy it to standard output without reading it, copies it
// there; the caller knows that so few bytes cannot end the range. Copies
// nothing when it cannot, and the next read goes on as before. Should more
// input follow what was copied, the next reads read the copied bytes to
// count them, and writeOutput leaves them out.
void copyRest(std::int64_t most);

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
