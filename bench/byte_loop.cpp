// SPDX-License-Identifier: MIT
// Benchmark reference: the byte-at-a-time stdio loop.
// pagerange replaces it; it is built only to be measured against.

#include <cstdio>
#include <cstdlib>

int main(int argc, char *argv[]) {
    if (argc != 3) return 2;
    const long long startPg = std::atoi(argv[1]);
    const long long endPg = std::atoi(argv[2]);
    long long curPg = 1;
    for (int c; (c = std::getc(stdin)) != EOF;) {
        if (curPg >= startPg) std::putc(c, stdout);
        if (c == '\f') ++curPg;
        if (curPg > endPg) break;
    }
    return 0;
}
