// SPDX-License-Identifier: MIT
// Benchmark reference: a plain form feed count with pagerange's reads.
// The compiler's vectoriser is off: this is the loop a processor without
// vectors runs, built only to be measured against the vector count.

#include <cstdio>
#include <unistd.h>

namespace {
unsigned char buffer[128 * 1024];
}

int main() {
    unsigned long long count = 0;
    for (ssize_t got; (got = read(0, buffer, sizeof buffer)) > 0;)
        for (ssize_t i = 0; i < got; ++i)
            count += buffer[i] == '\f';
    std::printf("%llu\n", count);
    return 0;
}
