// SPDX-License-Identifier: MIT
// Counting and finding form feeds in a block, with vectors where the processor has them.

#include "form_feed.h"

#include <algorithm>
#include <cstring>
#include <iterator>

// GCC and Clang compile one vector source to SSE2, AVX2, NEON or VSX; a
// compiler without vector extensions counts with the plain loop.
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define PAGERANGE_X86_VECTORS 1
#elif defined(__GNUC__) && defined(__ARM_NEON)
#define PAGERANGE_NEON 1
#elif defined(__clang__) && defined(__arm__) && defined(__linux__)
// 32-bit ARM built for a baseline without NEON, as Debian's armhf (ARMv7
// with VFPv3-D16): NEON is compiled in for the count alone, and chosen when
// the kernel says the processor has it.
#define PAGERANGE_NEON_PROBED 1
#include <asm/hwcap.h>
#include <sys/auxv.h>
#elif defined(__GNUC__) && defined(__VSX__)
#define PAGERANGE_VSX 1
#endif

namespace {

std::size_t countPlain(const unsigned char *data, std::size_t size) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < size; ++i)
        count += data[i] == formFeed;
    return count;
}

bool always() {
    return true;
}

#if defined(PAGERANGE_X86_VECTORS) || defined(PAGERANGE_NEON) || defined(PAGERANGE_NEON_PROBED) || \
    defined(PAGERANGE_VSX)

using Bytes16 = unsigned char __attribute__((vector_size(16)));
using Bytes32 = unsigned char __attribute__((vector_size(32)));
// The same number of lanes, each wide enough to add up several byte lanes.
using Shorts16 = unsigned short __attribute__((vector_size(32)));
using Shorts32 = unsigned short __attribute__((vector_size(64)));

// Xored with a form feed, a lane that held one is zero, and its logical not
// is -1 (0 in every other lane): a compare gives the same, but clang warns
// on POWER that what comparing vectors gives there is to change. Adding the
// -1s counts down in byte lanes, which hold at most 255 hits before they
// must be negated and summed; it is also one instruction fewer than
// subtracting, which compilers turn into a mask and an add. Each of Loads
// vectors a round has its own lanes, to keep that many loads in flight;
// they are widened and added as whole vectors, never indexed, so that they
// stay in registers (a lane array summed in a loop went to the stack on
// every round under clang). Always inlined, so each caller compiles it for
// its own instruction set.
template <class Bytes, class Shorts, std::size_t Loads>
[[gnu::always_inline]] inline std::size_t countVectors(const unsigned char *data,
                                                       std::size_t size) {
    constexpr std::size_t width = sizeof(Bytes);
    constexpr std::size_t step = width * Loads;
    constexpr std::size_t laneCap = 255;
    static_assert(Loads * laneCap <= 0xffff, "the widened lanes must not overflow");
    std::size_t count = 0;
    while (size >= step) {
        const std::size_t rounds = std::min(size / step, laneCap);
        Bytes lanes[Loads] = {};
        for (std::size_t i = 0; i < rounds; ++i, data += step)
            for (std::size_t j = 0; j < Loads; ++j) {
                Bytes v;
                std::memcpy(&v, data + width * j, width);
                lanes[j] += Bytes(!(v ^ formFeed));
            }
        Shorts total{};
        for (const Bytes &lane : lanes)
            total += __builtin_convertvector(Bytes{} - lane, Shorts);
        unsigned short hits[width];
        std::memcpy(hits, &total, sizeof hits);
        for (const unsigned short h : hits)
            count += h;
        size -= step * rounds;
    }
    return count + countPlain(data, size);
}

#endif

#ifdef PAGERANGE_X86_VECTORS

// 32-bit x86 may lack SSE2, so both sets are compiled in and chosen at run
// time. These run among the static constructors, possibly before the
// runtime has probed the processor, so probe first.
bool hasSse2() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("sse2") != 0;
}

bool hasAvx2() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") != 0;
}

[[gnu::target("sse2")]] std::size_t countSse2(const unsigned char *data, std::size_t size) {
    return countVectors<Bytes16, Shorts16, 2>(data, size);
}

[[gnu::target("avx2")]] std::size_t countAvx2(const unsigned char *data, std::size_t size) {
    return countVectors<Bytes32, Shorts32, 2>(data, size);
}

#endif

#ifdef PAGERANGE_NEON

// Every AArch64 processor has NEON; 32-bit ARM builds have it only when
// the compiler was told so. Four loads a round measured fastest under qemu.
std::size_t countNeon(const unsigned char *data, std::size_t size) {
    return countVectors<Bytes16, Shorts16, 4>(data, size);
}

constexpr auto hasNeon = always;

#endif

#ifdef PAGERANGE_NEON_PROBED

bool hasNeon() {
    return (getauxval(AT_HWCAP) & HWCAP_NEON) != 0;
}

// NEON works on VFPv3 with 32 double registers; clang drops back to scalar
// code unless each of these features is named.
[[gnu::target("neon,vfp3,vfp3sp,d32")]] std::size_t countNeon(const unsigned char *data,
                                                              std::size_t size) {
    return countVectors<Bytes16, Shorts16, 4>(data, size);
}

#endif

#ifdef PAGERANGE_VSX

// Every POWER8, the ppc64el baseline, has VSX. Pairs of its 16-byte
// vectors, eight loads a round, measured fastest under qemu.
std::size_t countVsx(const unsigned char *data, std::size_t size) {
    return countVectors<Bytes32, Shorts32, 4>(data, size);
}

#endif

constexpr CountPath paths[] = {
    {"plain", countPlain, always},
#ifdef PAGERANGE_X86_VECTORS
    {"sse2", countSse2, hasSse2}, // x86-64 baseline, not every 32-bit x86
    {"avx2", countAvx2, hasAvx2},
#endif
#if defined(PAGERANGE_NEON) || defined(PAGERANGE_NEON_PROBED)
    {"neon", countNeon, hasNeon},
#endif
#ifdef PAGERANGE_VSX
    {"vsx", countVsx, always},
#endif
};

const CountPath &fastest = []() -> const CountPath & {
    auto path = std::rbegin(paths);
    while (!path->runsHere())
        ++path;
    return *path;
}();
const auto fastestCount = fastest.count;

} // namespace

std::span<const CountPath> countPaths() {
    return paths;
}

const CountPath &chosenCountPath() {
    return fastest;
}

std::size_t countFormFeeds(const unsigned char *data, std::size_t size) {
    return fastestCount(data, size);
}

std::size_t passFormFeeds(const unsigned char *data, std::size_t size, std::size_t &n) {
    // Count, rather than search, every chunk before the one that holds the
    // nth form feed: a block dense with form feeds is never searched one hit
    // at a time, and only that one chunk is read twice.
    constexpr std::size_t chunk = 4096;
    if (n == 0) return 0;
    for (std::size_t at = 0; at < size;) {
        if (n > size - at) {
            n -= countFormFeeds(data + at, size - at);
            return size;
        }
        const std::size_t end = at + std::min(chunk, size - at);
        const std::size_t inChunk = countFormFeeds(data + at, end - at);
        if (inChunk < n) {
            n -= inChunk;
            at = end;
            continue;
        }
        // The nth form feed is in this chunk, so every search finds one.
        for (;;) {
            const void *hit = std::memchr(data + at, formFeed, end - at);
            at = static_cast<std::size_t>(static_cast<const unsigned char *>(hit) - data) + 1;
            if (--n == 0) return at;
        }
    }
    return size;
}
