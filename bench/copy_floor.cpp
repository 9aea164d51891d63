// SPDX-License-Identifier: MIT
// Benchmark reference: the kernel's copy of standard input into standard
// output, both files, from an offset and counting nothing. Skipping a first
// page that is not a whole number of memory pages long, it is the floor for
// pagerange's copy of the rest of a file.

#include <cstdlib>
#include <unistd.h>

int main(int argc, char *argv[]) {
    loff_t at = argc > 1 ? std::atoll(argv[1]) : 0;
    while (copy_file_range(0, &at, 1, nullptr, std::size_t{1} << 30, 0) > 0) {
    }
    return 0;
}
