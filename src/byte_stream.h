#pragma once

#include <cstddef>

// The standard descriptors, read and written directly in large blocks.
// This is the only place that knows which platform it runs on.

// What one read gave: bytes (0 at the end of the input), or an errno code.
struct ReadResult {
    std::size_t bytes;
    int error;
};

// Reads what standard input has available, up to capacity bytes; waits only
// while nothing at all is available.
ReadResult readInput(unsigned char *buffer, std::size_t capacity);

// Writes all of data to standard output. Returns 0, or the errno code of the
// failure that stopped it.
int writeOutput(const unsigned char *data, std::size_t size);

// Leaves a regular file on standard input positioned as if its last unread
// bytes had never been read, for the next program that reads it. Returns 0,
// or the errno code of a failed seek.
int giveBackInput(std::size_t unread);

// A write failure that ends the program quietly, the way a broken pipe ends a
// filter by its signal on POSIX.
bool isQuietWriteFailure(int error);
