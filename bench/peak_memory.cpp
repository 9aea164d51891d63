// SPDX-License-Identifier: MIT
// Benchmark helper: a command's peak resident memory.
// Runs a command and writes its peak resident memory in KiB to a file.
// A child's peak counts the memory it shared with its parent when forked, so
// the benchmark starts each program from this small process rather than
// from the interpreter that drives it.

#include <cstdio>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

int main(int argc, char *argv[]) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s REPORT COMMAND [ARG...]\n", argv[0]);
        return 2;
    }
    const pid_t child = fork();
    if (child == 0) {
        execvp(argv[2], argv + 2);
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (child < 0 || wait4(child, &status, 0, &usage) < 0) return 2;
    if (std::FILE *report = std::fopen(argv[1], "w")) {
        std::fprintf(report, "%ld\n", usage.ru_maxrss);
        std::fclose(report);
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
