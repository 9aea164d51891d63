// SPDX-License-Identifier: MIT
// Unit tests: the kernel copy of systems that have none, which Linux builds
// do not run otherwise.

#include "kernel_copy.h"

#include <gtest/gtest.h>

#include <cerrno>

// The copy must fail for good whatever errno held before: a stale EINTR or
// EAGAIN would have the caller try again for ever.
TEST(KernelCopyNone, FailsForGoodWithoutMovingTheOffset) {
    for (const int before : {0, EINTR, EAGAIN}) {
        errno = before;
        std::int64_t offset = 4096;
        EXPECT_EQ(copyToFile(&offset, 1000), -1);
        EXPECT_EQ(errno, ENOSYS) << "errno was " << before;
        EXPECT_EQ(offset, 4096);
    }
}
