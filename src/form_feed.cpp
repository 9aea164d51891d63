#include "form_feed.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__) || defined(_M_X64)
#include <immintrin.h>
#define PAGERANGE_SSE2 1
#endif
#if defined(PAGERANGE_SSE2) && defined(__GNUC__) && defined(__x86_64__)
#define PAGERANGE_AVX2 1
#endif

namespace {

std::size_t countTail(const unsigned char *data, std::size_t size) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < size; ++i)
        count += data[i] == formFeed;
    return count;
}

#ifdef PAGERANGE_SSE2
// Each compare gives -1 per form feed; subtracting it counts in byte lanes,
// which hold at most 255 before the lanes are summed with SAD.
std::size_t countSse2(const unsigned char *data, std::size_t size) {
    const __m128i ff = _mm_set1_epi8(static_cast<char>(formFeed));
    const __m128i zero = _mm_setzero_si128();
    std::size_t count = 0;
    while (size >= 16) {
        const std::size_t rounds = std::min<std::size_t>(size / 16, 255);
        __m128i lanes = zero;
        for (std::size_t i = 0; i < rounds; ++i) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(data + 16 * i));
            lanes = _mm_sub_epi8(lanes, _mm_cmpeq_epi8(v, ff));
        }
        const __m128i sums = _mm_sad_epu8(lanes, zero);
        count += static_cast<std::size_t>(_mm_cvtsi128_si32(sums) + _mm_extract_epi16(sums, 4));
        data += 16 * rounds;
        size -= 16 * rounds;
    }
    return count + countTail(data, size);
}
#endif

#ifdef PAGERANGE_AVX2
// The same with 32-byte lanes, two loads a round to keep both load ports busy.
__attribute__((target("avx2"))) std::size_t countAvx2(const unsigned char *data, std::size_t size) {
    const __m256i ff = _mm256_set1_epi8(static_cast<char>(formFeed));
    const __m256i zero = _mm256_setzero_si256();
    std::size_t count = 0;
    while (size >= 64) {
        const std::size_t rounds = std::min<std::size_t>(size / 64, 255);
        __m256i lanesA = zero, lanesB = zero;
        for (std::size_t i = 0; i < rounds; ++i) {
            const auto *p = reinterpret_cast<const __m256i *>(data + 64 * i);
            lanesA = _mm256_sub_epi8(lanesA, _mm256_cmpeq_epi8(_mm256_loadu_si256(p), ff));
            lanesB = _mm256_sub_epi8(lanesB, _mm256_cmpeq_epi8(_mm256_loadu_si256(p + 1), ff));
        }
        const __m256i sums =
            _mm256_add_epi64(_mm256_sad_epu8(lanesA, zero), _mm256_sad_epu8(lanesB, zero));
        count +=
            static_cast<std::size_t>(_mm256_extract_epi64(sums, 0) + _mm256_extract_epi64(sums, 1) +
                                     _mm256_extract_epi64(sums, 2) + _mm256_extract_epi64(sums, 3));
        data += 64 * rounds;
        size -= 64 * rounds;
    }
    return count + countSse2(data, size);
}

// Runs among the static constructors, possibly before the runtime has
// probed the processor, so probe first.
const bool haveAvx2 = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") != 0;
}();
#endif

} // namespace

std::size_t countFormFeeds(const unsigned char *data, std::size_t size) {
#ifdef PAGERANGE_AVX2
    if (haveAvx2) return countAvx2(data, size);
#endif
#ifdef PAGERANGE_SSE2
    return countSse2(data, size);
#else
    return countTail(data, size);
#endif
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
