// SPDX-License-Identifier: MIT
// Faults for the end-to-end tests, preloaded into pagerange.
//
// Makes standard input and output misbehave the way real descriptors can.
// Output calls are writes, splices and file copies to standard output.
// FAULT_SHIM chooses:
//   short     the first 1000 output calls move one byte each
//   eintr     every other read and output call is interrupted before moving a byte
//   enospc    the disk is full from the third output call on
//   eio       the third read fails
//   lseek     giving unread input back to a file fails
//   zero      every write takes nothing and gives no reason
//   close     closing standard output fails, as NFS does for a write it lost
//   nosplice  the kernel refuses splice and copy_file_range, as some file systems do
//   shrink    the input file is emptied just before the first splice from it
//   grow      100 form feeds are appended to the input file after the first
//             move from the file's own offset
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/syscall.h>
#include <sys/types.h>
#include <unistd.h>

namespace {

std::atomic<long> reads, outputs;

const char *chosen() {
    static const char *const mode = std::getenv("FAULT_SHIM");
    return mode == nullptr ? "" : mode;
}

bool mode(const char *name) {
    return std::strcmp(chosen(), name) == 0;
}

ssize_t failWith(int error) {
    errno = error;
    return -1;
}

template <class Function> Function *next(const char *name) {
    return reinterpret_cast<Function *>(dlsym(RTLD_NEXT, name));
}

// The fault, if any, for an output call of size bytes; shortens size for "short".
ssize_t outputFault(size_t &size) {
    const long call = ++outputs;
    if (mode("eintr") && call % 2 == 1) return failWith(EINTR);
    if (mode("enospc") && call >= 3) return failWith(ENOSPC);
    if (mode("short") && call <= 1000 && size > 1) size = 1;
    return 0;
}

void changeInputFile(bool grow) {
    const int fd = open("/proc/self/fd/0", O_WRONLY | (grow ? O_APPEND : O_TRUNC));
    if (grow) {
        char formFeeds[100];
        std::memset(formFeeds, '\f', sizeof formFeeds);
        syscall(SYS_write, fd, formFeeds, sizeof formFeeds);
    }
    close(fd);
}

// A splice or file copy from standard input to standard output.
template <class Move>
ssize_t moveFault(Move *move, int in, loff_t *inAt, int out, loff_t *outAt, size_t size,
                  unsigned flags) {
    if (out != 1) return move(in, inAt, out, outAt, size, flags);
    if (const ssize_t fault = outputFault(size)) return fault;
    if (mode("nosplice")) return failWith(EINVAL);
    static bool changed = false;
    if (mode("shrink") && inAt != nullptr && !changed) {
        changeInputFile(false);
        changed = true;
    }
    const ssize_t moved = move(in, inAt, out, outAt, size, flags);
    if (mode("grow") && inAt == nullptr && moved > 0 && !changed) {
        changeInputFile(true);
        changed = true;
    }
    return moved;
}

} // namespace

extern "C" ssize_t read(int fd, void *buffer, size_t size) {
    const long call = fd == 0 ? ++reads : 0;
    if (mode("eintr") && call % 2 == 1) return failWith(EINTR);
    if (mode("eio") && call == 3) return failWith(EIO);
    return syscall(SYS_read, fd, buffer, size);
}

extern "C" ssize_t write(int fd, const void *data, size_t size) {
    if (fd != 1) return syscall(SYS_write, fd, data, size);
    if (const ssize_t fault = outputFault(size)) return fault;
    if (mode("zero")) return 0;
    return syscall(SYS_write, fd, data, size);
}

extern "C" ssize_t splice(int in, loff_t *inAt, int out, loff_t *outAt, size_t size,
                          unsigned flags) {
    static const auto real = next<decltype(splice)>("splice");
    return moveFault(real, in, inAt, out, outAt, size, flags);
}

extern "C" ssize_t copy_file_range(int in, loff_t *inAt, int out, loff_t *outAt, size_t size,
                                   unsigned flags) {
    static const auto real = next<decltype(copy_file_range)>("copy_file_range");
    return moveFault(real, in, inAt, out, outAt, size, flags);
}

// The program asks for 64-bit offsets, so it calls lseek64 where the C
// library tells the two apart; both forward to the library's own.
extern "C" off64_t lseek64(int fd, off64_t offset, int whence) {
    if (mode("lseek") && offset != 0) return failWith(EIO);
    static const auto real = next<decltype(lseek64)>("lseek64");
    return real(fd, offset, whence);
}

extern "C" off_t lseek(int fd, off_t offset, int whence) {
    return static_cast<off_t>(lseek64(fd, offset, whence));
}

extern "C" int close(int fd) {
    static const auto real = next<decltype(close)>("close");
    const int closed = real(fd);
    if (fd == 1 && mode("close") && closed == 0) return static_cast<int>(failWith(EIO));
    return closed;
}
