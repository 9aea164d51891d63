// SPDX-License-Identifier: MIT
// Kernel copies where the system has none, so every byte goes through the buffer.

#include "kernel_copy.h"

#include <cerrno>

long long copyToFile(std::int64_t *, std::size_t) {
    errno = ENOSYS;
    return -1;
}
