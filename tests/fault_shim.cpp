// SPDX-License-Identifier: MIT
// Faults for the end-to-end tests, preloaded into pagerange.
//
// Makes standard input and output misbehave the way real descriptors and
// file systems can. Reads are reads and preads of standard input; output
// calls are writes and file copies to standard output. FAULT_SHIM chooses
// one or more of these, separated by commas:
//   short     the first 1000 output calls move one byte each
//   eintr     every other read, output call and wait for a descriptor is
//             interrupted before moving a byte
//   enospc    the disk is full from the third output call on
//   glitch    the third output call fails with EIO, and the ones after it work
//   eio       the third read fails
//   lseek     setting the input's offset anywhere but 0 fails
//   zero      every write takes nothing and gives no reason
//   close     closing standard output fails, as NFS does for a write it lost
//   nocopy    the kernel refuses copy_file_range, as across file systems
//   cut       the first file copy stops after 1000 bytes, and every later
//             one copies nothing, as if the file had ended there
//   shrink    the input file is emptied once its size has been asked after
//             the first read
//   grow      the bytes of the file FAULT_GROWTH are appended to the input
//             file after the first file copy or, where nothing is copied,
//             after the second read
//   scribble  with grow, every byte read or copied from the input until it
//             grows is first overwritten with a form feed: bytes that were
//             counted when read are not counted again, bytes that went out
//             uncounted are, and now count as form feeds
//   nosize    the input says it is empty, as the files under /proc do
//   espipe    the input cannot seek, nor be read at an offset, as a file
//             its file system opens non-seekable
//   nopread   the input seeks but cannot be read at an offset, and says it
//             is neither a file nor a device, as an eventfd does
//   blockdev  the input says it is a block device, as a loop device does
//   align4k   the input says it was opened for direct I/O, and a read into
//             memory, from an offset or of a length not aligned to 4096
//             bytes fails, as direct I/O from a disk with 4096-byte
//             sectors does
//   align16k  the same, from an offset or of a length not aligned to
//             16384 bytes, as from a disk with 16 KiB sectors
//   align64k  the same at 65536 bytes, the largest sector a disk has
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/types.h>
#include <unistd.h>

namespace {

std::atomic<long> reads, outputs;
// Just past the last byte of the input read or copied so far.
std::atomic<off64_t> taken;

const char *chosen() {
    static const char *const mode = std::getenv("FAULT_SHIM");
    return mode == nullptr ? "" : mode;
}

bool mode(const char *name) {
    const std::size_t length = std::strlen(name);
    for (const char *at = chosen();; ++at) {
        const char *const end = std::strchr(at, ',');
        const std::size_t size = end == nullptr ? std::strlen(at) : std::size_t(end - at);
        if (size == length && std::strncmp(at, name, length) == 0) return true;
        if (end == nullptr) return false;
        at = end;
    }
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
    if (mode("glitch") && call == 3) return failWith(EIO);
    if (mode("short") && call <= 1000 && size > 1) size = 1;
    return 0;
}

// The sector size of the direct I/O that the align faults make believe
// in, or 0.
off64_t directSector() {
    return mode("align64k") ? 65536 : mode("align16k") ? 16384 : mode("align4k") ? 4096 : 0;
}

// The fault, if any, for a read of size bytes of standard input into
// buffer, from offset `at`.
ssize_t readFault(const void *buffer, size_t size, off64_t at) {
    const long call = ++reads;
    if (mode("eintr") && call % 2 == 1) return failWith(EINTR);
    if (mode("eio") && call == 3) return failWith(EIO);
    const off64_t sector = directSector();
    if (sector != 0 && (reinterpret_cast<std::uintptr_t>(buffer) % 4096 != 0 ||
                        static_cast<off64_t>(size) % sector != 0 || at % sector != 0))
        return failWith(EINVAL);
    return 0;
}

// Overwrites the input's bytes [0, taken) with form feeds.
void scribble() {
    const int fd = open("/proc/self/fd/0", O_WRONLY);
    char formFeeds[65536];
    std::memset(formFeeds, '\f', sizeof formFeeds);
    for (off64_t at = 0; at < taken;)
        at += pwrite64(fd, formFeeds, std::min<off64_t>(sizeof formFeeds, taken - at), at);
    close(fd);
}

// Empties the input file, or appends FAULT_GROWTH's bytes to it; once.
void changeInputFile(bool grow) {
    static bool changed = false;
    if (changed) return;
    changed = true;
    if (grow && mode("scribble")) scribble();
    const int fd = open("/proc/self/fd/0", O_WRONLY | (grow ? O_APPEND : O_TRUNC));
    const char *const growth = std::getenv("FAULT_GROWTH");
    if (grow && growth != nullptr)
        if (std::FILE *from = std::fopen(growth, "rb")) {
            char bytes[65536];
            for (size_t got; (got = std::fread(bytes, 1, sizeof bytes, from)) > 0;)
                syscall(SYS_write, fd, bytes, got);
            std::fclose(from);
        }
    close(fd);
}

void afterRead(ssize_t got) {
    if (mode("grow") && got > 0 && reads >= 2) changeInputFile(true);
}

} // namespace

extern "C" ssize_t read(int fd, void *buffer, size_t size) {
    if (fd != 0) return syscall(SYS_read, fd, buffer, size);
    if (const ssize_t fault = readFault(buffer, size, 0)) return fault;
    const ssize_t got = syscall(SYS_read, fd, buffer, size);
    afterRead(got);
    return got;
}

// The program asks for 64-bit offsets, so it calls pread64, lseek64 and
// fstat64 where the C library tells them apart from the plain calls; both
// names forward to the library's own.
extern "C" ssize_t pread64(int fd, void *buffer, size_t size, off64_t at) {
    static const auto real = next<decltype(pread64)>("pread64");
    if (fd != 0) return real(fd, buffer, size, at);
    if (mode("espipe") || mode("nopread")) return failWith(ESPIPE);
    if (const ssize_t fault = readFault(buffer, size, at)) return fault;
    const ssize_t got = real(fd, buffer, size, at);
    if (got > 0 && at + got > taken) taken = at + got;
    afterRead(got);
    return got;
}

extern "C" ssize_t pread(int fd, void *buffer, size_t size, off_t at) {
    return pread64(fd, buffer, size, at);
}

extern "C" ssize_t write(int fd, const void *data, size_t size) {
    if (fd != 1) return syscall(SYS_write, fd, data, size);
    if (const ssize_t fault = outputFault(size)) return fault;
    if (mode("zero")) return 0;
    return syscall(SYS_write, fd, data, size);
}

extern "C" ssize_t copy_file_range(int in, loff_t *inAt, int out, loff_t *outAt, size_t size,
                                   unsigned flags) {
    static const auto real = next<decltype(copy_file_range)>("copy_file_range");
    static long copies = 0;
    if (in != 0 || out != 1) return real(in, inAt, out, outAt, size, flags);
    if (const ssize_t fault = outputFault(size)) return fault;
    if (mode("nocopy")) return failWith(EXDEV);
    if (mode("cut") && ++copies > 1) return 0;
    if (mode("cut") && size > 1000) size = 1000;
    const ssize_t copied = real(in, inAt, out, outAt, size, flags);
    if (copied > 0 && inAt != nullptr && *inAt > taken) taken = *inAt;
    if (mode("grow") && copied > 0) changeInputFile(true);
    return copied;
}

extern "C" off64_t lseek64(int fd, off64_t offset, int whence) {
    if (fd == 0 && mode("espipe")) return failWith(ESPIPE);
    if (fd == 0 && mode("lseek") && offset != 0) return failWith(EIO);
    static const auto real = next<decltype(lseek64)>("lseek64");
    return real(fd, offset, whence);
}

extern "C" off_t lseek(int fd, off_t offset, int whence) {
    return static_cast<off_t>(lseek64(fd, offset, whence));
}

extern "C" int fstat64(int fd, struct stat64 *status) {
    static const auto real = next<decltype(fstat64)>("fstat64");
    const int result = real(fd, status);
    if (fd != 0 || result != 0) return result;
    if (mode("blockdev")) status->st_mode = S_IFBLK | 0660;
    if (mode("nopread")) status->st_mode = 0600;
    if (mode("blockdev") || mode("nopread") || mode("nosize")) status->st_size = 0;
    if (mode("shrink") && reads >= 1) changeInputFile(false);
    return result;
}

// The program asks for the input's flags by either name, as pread.
extern "C" int fcntl64(int fd, int command, ...) {
    static const auto real = next<decltype(fcntl64)>("fcntl64");
    va_list rest;
    va_start(rest, command);
    void *const argument = va_arg(rest, void *);
    va_end(rest);
    const int result = real(fd, command, argument);
    if (fd == 0 && command == F_GETFL && result >= 0 && directSector() != 0)
        return result | O_DIRECT;
    return result;
}

extern "C" int fcntl(int fd, int command, ...) {
    va_list rest;
    va_start(rest, command);
    void *const argument = va_arg(rest, void *);
    va_end(rest);
    return fcntl64(fd, command, argument);
}

extern "C" int poll(pollfd *descriptors, nfds_t count, int timeout) {
    static const auto real = next<decltype(poll)>("poll");
    static long waits = 0;
    if (mode("eintr") && ++waits % 2 == 1) return static_cast<int>(failWith(EINTR));
    return real(descriptors, count, timeout);
}

extern "C" int close(int fd) {
    static const auto real = next<decltype(close)>("close");
    const int closed = real(fd);
    if (fd == 1 && mode("close") && closed == 0) return static_cast<int>(failWith(EIO));
    return closed;
}
