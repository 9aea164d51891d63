// SPDX-License-Identifier: MIT
// Benchmark reference: reads standard input in pagerange's block size and
// counts its form feeds with the widest vector instructions this processor
// has, and does nothing else: the floor of every case in which pagerange
// counts each byte. It is written apart from pagerange's own count, with
// the compilers' intrinsics rather than vector extensions, so that a
// slower count there shows against it instead of slowing both.

#include <cstddef>
#include <cstdio>
#include <unistd.h>

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#include <immintrin.h>
#define FLOOR_X86 1
#elif defined(__GNUC__) && defined(__aarch64__)
#include <arm_neon.h>
#define FLOOR_NEON 1
#endif

namespace {

// pagerange's read buffer: the same size, aligned as it is.
alignas(4096) unsigned char block[std::size_t{PAGERANGE_BUFFER_KIB} * 1024];

// Out of line: it counts the few bytes after the last whole vector, and
// inlined into a vector count it would be vectorised again for nothing.
[[gnu::noinline]] std::size_t countBytes(const unsigned char *data, std::size_t size) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < size; ++i)
        count += data[i] == '\f';
    return count;
}

#ifdef FLOOR_X86

// One compare gives a bit per byte; counting the bits of 64 bytes is one
// instruction.
[[gnu::target("avx512bw,popcnt")]] std::size_t countAvx512(const unsigned char *data,
                                                           std::size_t size) {
    const __m512i formFeeds = _mm512_set1_epi8('\f');
    std::size_t count = 0, i = 0;
    for (; i + 64 <= size; i += 64) {
        const __mmask64 hits = _mm512_cmpeq_epi8_mask(_mm512_loadu_si512(data + i), formFeeds);
        count += static_cast<std::size_t>(__builtin_popcountll(hits));
    }
    return count + countBytes(data + i, size - i);
}

[[gnu::target("avx2,popcnt")]] std::size_t countAvx2(const unsigned char *data, std::size_t size) {
    const __m256i formFeeds = _mm256_set1_epi8('\f');
    std::size_t count = 0, i = 0;
    for (; i + 32 <= size; i += 32) {
        const __m256i bytes = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(data + i));
        const auto hits =
            static_cast<unsigned>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(bytes, formFeeds)));
        count += static_cast<std::size_t>(__builtin_popcount(hits));
    }
    return count + countBytes(data + i, size - i);
}

// Not every processor with SSE2 counts bits in one instruction: a compare
// leaves -1 in each byte that matched, and subtracting it adds one to that
// byte's tally, which holds 255 before psadbw sums the tallies.
[[gnu::target("sse2")]] std::size_t countSse2(const unsigned char *data, std::size_t size) {
    const __m128i formFeeds = _mm_set1_epi8('\f');
    const __m128i zero = _mm_setzero_si128();
    std::size_t count = 0, i = 0;
    while (i + 16 <= size) {
        __m128i tally = zero;
        for (int round = 0; round < 255 && i + 16 <= size; ++round, i += 16) {
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i *>(data + i));
            tally = _mm_sub_epi8(tally, _mm_cmpeq_epi8(bytes, formFeeds));
        }
        const __m128i sums = _mm_sad_epu8(tally, zero);
        count += static_cast<std::size_t>(_mm_cvtsi128_si32(sums) +
                                          _mm_cvtsi128_si32(_mm_srli_si128(sums, 8)));
    }
    return count + countBytes(data + i, size - i);
}

auto widestCount() {
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("popcnt")) return countAvx512;
    if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("popcnt")) return countAvx2;
    if (__builtin_cpu_supports("sse2")) return countSse2;
    return countBytes;
}

#elif defined(FLOOR_NEON)

std::size_t countNeon(const unsigned char *data, std::size_t size) {
    const uint8x16_t formFeeds = vdupq_n_u8('\f');
    std::size_t count = 0, i = 0;
    while (i + 16 <= size) {
        uint8x16_t tally = vdupq_n_u8(0);
        for (int round = 0; round < 255 && i + 16 <= size; ++round, i += 16)
            tally = vsubq_u8(tally, vceqq_u8(vld1q_u8(data + i), formFeeds));
        count += vaddlvq_u8(tally);
    }
    return count + countBytes(data + i, size - i);
}

auto widestCount() {
    return countNeon;
}

#else

// Elsewhere the compiler vectorises the plain loop where it can.
auto widestCount() {
    return countBytes;
}

#endif

} // namespace

int main() {
    const auto count = widestCount();
    std::size_t total = 0;
    ssize_t got;
    while ((got = read(0, block, sizeof block)) > 0)
        total += count(block, static_cast<std::size_t>(got));
    // A floor that failed to read would look fast.
    if (got < 0) {
        std::perror("count_floor: read");
        return 1;
    }
    std::printf("%zu\n", total);
    return 0;
}
