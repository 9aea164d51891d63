// Preloaded into pagerange by the end-to-end tests to make standard input
// and output misbehave the way real descriptors can. FAULT_SHIM chooses:
//   short   the first 1000 writes take one byte each
//   eintr   every other read and write is interrupted before moving a byte
//   enospc  the third write finds the disk full
//   eio     the third read fails
//   lseek   giving unread input back to a file fails
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <sys/syscall.h>
#include <sys/types.h>
#include <unistd.h>

namespace {

std::atomic<long> reads, writes;

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

} // namespace

extern "C" ssize_t read(int fd, void *buffer, size_t size) {
    const long call = fd == 0 ? ++reads : 0;
    if (mode("eintr") && call % 2 == 1) return failWith(EINTR);
    if (mode("eio") && call == 3) return failWith(EIO);
    return syscall(SYS_read, fd, buffer, size);
}

extern "C" ssize_t write(int fd, const void *data, size_t size) {
    const long call = fd == 1 ? ++writes : 0;
    if (mode("eintr") && call % 2 == 1) return failWith(EINTR);
    if (mode("enospc") && call == 3) return failWith(ENOSPC);
    if (mode("short") && call > 0 && call <= 1000 && size > 1) size = 1;
    return syscall(SYS_write, fd, data, size);
}

// The program asks for 64-bit offsets, so it calls lseek64 where the C
// library tells the two apart; both forward to the library's own.
extern "C" off64_t lseek64(int fd, off64_t offset, int whence) {
    if (mode("lseek")) return failWith(EIO);
    static const auto next =
        reinterpret_cast<off64_t (*)(int, off64_t, int)>(dlsym(RTLD_NEXT, "lseek64"));
    return next(fd, offset, whence);
}

extern "C" off_t lseek(int fd, off_t offset, int whence) {
    return static_cast<off_t>(lseek64(fd, offset, whence));
}
