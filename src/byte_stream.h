// SPDX-License-Identifier: MIT
// Reading and writing the standard descriptors: what every platform provides.

#pragma once

#include <cstddef>
#include <cstdint>

// The standard descriptors, read and written directly in large blocks.
// byte_stream_posix.cpp and byte_stream_windows.cpp are the only places that
// know which platform they run on. A call that can fail returns 0 or the
// errno code of the failure.

// Looks once at what standard input and output are, before anything is
// read: whether the input can seek, whether it is a regular file and its
// size, and whether the output is another regular file or that same one.
int openStreams();

// What one read gave: bytes (0 at the end of the input), or an errno code.
struct ReadResult {
    std::size_t bytes;
    int error;
};

// Reads what standard input has available, up to capacity bytes; waits only
// while nothing at all is available.
ReadResult readInput(unsigned char *buffer, std::size_t capacity);

// Writes block[begin, end) of the block last read to standard output, all of
// it but what copyRest has already copied there.
int writeOutput(const unsigned char *block, std::size_t begin, std::size_t end);

// When what is left of standard input is at most `most` bytes and the
// platform can copy it to standard output without reading it, copies it
// there; the caller knows that so few bytes cannot end the range. Copies
// nothing when it cannot, and the next read goes on as before. Should more
// input follow what was copied, the next reads read the copied bytes to
// count them, and writeOutput leaves them out.
void copyRest(std::int64_t most);

// Called once, after the last block: leaves an input that can seek
// positioned just past the bytes used, `unread` bytes before the end of the
// block last read, for the next program that reads it.
int leaveInput(std::size_t unread);

// Closes standard output, so that a file system that reports a failed
// write only then is heard.
int closeOutput();

// A write failure that ends the program quietly, the way a broken pipe ends a
// filter by its signal on POSIX.
bool isQuietWriteFailure(int error);
