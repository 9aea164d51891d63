// SPDX-License-Identifier: MIT
// Kernel copies on Linux: splice, copy_file_range and the pipe's size.

#include "kernel_copy.h"

#include <cstdio>
#include <fcntl.h>
#include <sys/types.h>
#include <unistd.h>

namespace {

constexpr int inputFd = 0;
constexpr int outputFd = 1;

} // namespace

long long spliceToPipe(std::int64_t *offset, std::size_t size) {
    loff_t at = offset != nullptr ? *offset : 0;
    const ssize_t moved = ::splice(inputFd, offset != nullptr ? &at : nullptr, outputFd, nullptr,
                                   size, SPLICE_F_MOVE);
    if (offset != nullptr) *offset = at;
    return moved;
}

long long copyToFile(std::size_t size) {
    return ::copy_file_range(inputFd, nullptr, outputFd, nullptr, size, 0);
}

void growOutputPipe() {
    // 1 MiB is the most an unprivileged process may ask for by default; an
    // administrator may have set the limit lower, and then that is the most.
    constexpr int wanted = 1 << 20;
    const int now = ::fcntl(outputFd, F_GETPIPE_SZ);
    if (now < 0 || now >= wanted || ::fcntl(outputFd, F_SETPIPE_SZ, wanted) >= 0) return;
    int most = 0;
    if (std::FILE *limit = std::fopen("/proc/sys/fs/pipe-max-size", "r")) {
        if (std::fscanf(limit, "%d", &most) != 1) most = 0;
        std::fclose(limit);
    }
    if (most > now) ::fcntl(outputFd, F_SETPIPE_SZ, most);
}
