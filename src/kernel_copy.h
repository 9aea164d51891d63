// SPDX-License-Identifier: MIT
// Copying bytes of a file to another file inside the kernel.

#pragma once

#include <cstddef>
#include <cstdint>

// Copies up to size bytes of standard input, a regular file, from *offset
// to standard output, another regular file, at the output's own offset,
// without passing them through our buffer. The copy is made when called
// (or the blocks are shared copy-on-write), so the output holds the bytes
// as they were then. Advances *offset and the output's offset; the input's
// own offset stays where it was. Returns the bytes copied, 0 at the end of
// the file, or -1 with errno set (ENOSYS where the kernel has no such call).
long long copyToFile(std::int64_t *offset, std::size_t size);
