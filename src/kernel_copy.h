// SPDX-License-Identifier: MIT
// Moving bytes of a file to standard output inside the kernel.

#pragma once

#include <cstddef>
#include <cstdint>

// Moves bytes from standard input, a regular file, to standard output in
// the kernel, without passing them through our buffer. Each returns the
// bytes moved, 0 at the end of the file, or -1 with errno set (ENOSYS where
// the kernel has no such call).

// Into a pipe. From *offset when offset is given, which the call advances
// and the file's own offset does not follow; otherwise from the file's own
// offset, which advances.
long long spliceToPipe(std::int64_t *offset, std::size_t size);

// Into a regular file, from the input's own offset to the output's, both of
// which advance.
long long copyToFile(std::size_t size);

// Grows the output pipe, so that a large transfer wakes its reader less often.
void growOutputPipe();
