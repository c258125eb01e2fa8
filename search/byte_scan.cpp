#include "search/byte_scan.h"

#include <immintrin.h>

namespace ByteScan {

namespace {

// How rare each byte is in Japanese Shift JIS text, documents and sources alike: twice
// the negative binary logarithm of its share, measured on such text. The two rarest
// bytes of the word make the fewest false candidates.
constexpr uint8_t kRarity[256] = {
    40, 40, 40, 40, 40, 40, 40, 40, 40, 18, 11, 40, 40, 17, 40, 40,  //
    40, 40, 40, 40, 40, 40, 40, 40, 40, 40, 40, 40, 40, 40, 40, 40,  //
    7,  27, 15, 24, 26, 21, 23, 21, 15, 15, 12, 24, 15, 16, 12, 17,  //
    16, 16, 16, 18, 19, 20, 20, 20, 20, 19, 19, 19, 21, 21, 20, 24,  //
    18, 14, 12, 15, 18, 15, 18, 19, 18, 13, 21, 20, 16, 18, 15, 15,  //
    12, 22, 15, 15, 15, 18, 18, 18, 16, 21, 20, 14, 10, 22, 19, 15,  //
    21, 12, 15, 13, 13, 10, 10, 13, 13, 11, 21, 17, 13, 14, 12, 12,  //
    13, 21, 12, 12, 11, 14, 15, 16, 17, 16, 20, 22, 21, 19, 23, 40,  //
    19, 12, 7,  9,  24, 24, 22, 18, 18, 17, 16, 15, 16, 15, 15, 15,  //
    16, 16, 16, 15, 17, 16, 18, 16, 22, 29, 21, 33, 26, 23, 21, 24,  //
    19, 25, 16, 27, 20, 33, 21, 25, 24, 19, 16, 19, 22, 21, 20, 20,  //
    31, 17, 27, 17, 29, 17, 19, 15, 22, 22, 23, 20, 20, 17, 20, 24,  //
    21, 20, 20, 26, 16, 16, 17, 22, 16, 15, 21, 29, 14, 15, 21, 22,  //
    31, 22, 25, 24, 19, 33, 20, 24, 24, 26, 22, 23, 18, 20, 26, 21,  //
    19, 24, 23, 22, 27, 24, 19, 19, 17, 14, 15, 27, 23, 21, 23, 30,  //
    15, 20, 33, 23, 35, 27, 28, 26, 22, 30, 25, 25, 23, 40, 40, 40,  //
};

}  // namespace

uint8_t Rarity(uint8_t b) {
  return kRarity[b];
}

uint64_t TrailMask(uint64_t leads, bool& carry) {
  // A run of lead-range bytes that starts on a character start holds, from its start,
  // lead, trail, lead, trail...; the byte after the run is a trail when the run's
  // length is odd. A trail byte at bit 0 leads nothing, so it leaves the runs.
  constexpr uint64_t kEven = 0x5555555555555555;
  constexpr uint64_t kOdd = ~kEven;
  const uint64_t carryIn = carry ? 1 : 0;
  const uint64_t l = leads & ~carryIn;
  const uint64_t starts = l & ~(l << 1);
  // Adding a run's start bit clears the run: so the runs that start on even bits are
  // the bits that the sum loses, and those that start on odd bits the ones it keeps.
  const uint64_t sum = l + (starts & kEven);
  const uint64_t evenRuns = l & ~sum;
  const uint64_t oddRuns = l & sum;
  carry = (oddRuns >> 63) != 0;
  return ((evenRuns << 1) & kOdd) | ((oddRuns << 1) & kEven) | carryIn;
}

namespace {

struct TKernels {
  size_t (*CountLf)(const uint8_t*, const uint8_t*);
  const uint8_t* (*FindLineSpecial)(const uint8_t*, const uint8_t*);
  const uint8_t* (*FindPair)(const TBytePair&, const uint8_t*, size_t);
  const uint8_t* (*FindSingleByteKana)(const uint8_t*, const uint8_t*);
  size_t (*CountLineEnds)(const uint8_t*, const uint8_t*);
  const uint8_t* (*FindLoneCr)(const uint8_t*, const uint8_t*);
  const uint8_t* (*FindCodeBytes)(const TCodeBytes*, size_t, const uint8_t*, size_t);
};

namespace Sse2 {

struct TVec {
  using T = __m128i;
  static constexpr size_t kWidth = 16;
  static T Load(const uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
  static T Splat(uint8_t b) { return _mm_set1_epi8(static_cast<char>(b)); }
  static T Eq(T a, T b) { return _mm_cmpeq_epi8(a, b); }
  static T And(T a, T b) { return _mm_and_si128(a, b); }
  static T AndNot(T a, T b) { return _mm_andnot_si128(a, b); }
  static T Or(T a, T b) { return _mm_or_si128(a, b); }
  static T Xor(T a, T b) { return _mm_xor_si128(a, b); }
  static T Sub(T a, T b) { return _mm_sub_epi8(a, b); }
  static T Min(T a, T b) { return _mm_min_epu8(a, b); }
  // Signed bytes.
  static T Greater(T a, T b) { return _mm_cmpgt_epi8(a, b); }
  static uint64_t Mask(T a) { return static_cast<uint32_t>(_mm_movemask_epi8(a)); }
  static uint64_t SumBytes(T a) {
    const T s = _mm_sad_epu8(a, _mm_setzero_si128());
    return static_cast<uint64_t>(_mm_cvtsi128_si64(s)) +
           static_cast<uint64_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(s, s)));
  }
};

#include "search/byte_scan_kernels.inc"

}  // namespace Sse2

#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2,popcnt,bmi"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2,popcnt,bmi")
#endif

namespace Avx2 {

struct TVec {
  using T = __m256i;
  static constexpr size_t kWidth = 32;
  static T Load(const uint8_t* p) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
  }
  static T Splat(uint8_t b) { return _mm256_set1_epi8(static_cast<char>(b)); }
  static T Eq(T a, T b) { return _mm256_cmpeq_epi8(a, b); }
  static T And(T a, T b) { return _mm256_and_si256(a, b); }
  static T AndNot(T a, T b) { return _mm256_andnot_si256(a, b); }
  static T Or(T a, T b) { return _mm256_or_si256(a, b); }
  static T Xor(T a, T b) { return _mm256_xor_si256(a, b); }
  static T Sub(T a, T b) { return _mm256_sub_epi8(a, b); }
  static T Min(T a, T b) { return _mm256_min_epu8(a, b); }
  // Signed bytes.
  static T Greater(T a, T b) { return _mm256_cmpgt_epi8(a, b); }
  static uint64_t Mask(T a) { return static_cast<uint32_t>(_mm256_movemask_epi8(a)); }
  static uint64_t SumBytes(T a) {
    const T s = _mm256_sad_epu8(a, _mm256_setzero_si256());
    const __m128i t = _mm_add_epi64(_mm256_castsi256_si128(s), _mm256_extracti128_si256(s, 1));
    return static_cast<uint64_t>(_mm_cvtsi128_si64(t)) +
           static_cast<uint64_t>(_mm_extract_epi64(t, 1));
  }
};

#include "search/byte_scan_kernels.inc"

}  // namespace Avx2

#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

bool HasAvx2() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("popcnt") &&
         __builtin_cpu_supports("bmi");
}

const TKernels* Chosen = nullptr;

const TKernels& Kernels() {
  if (Chosen == nullptr) [[unlikely]]
    SelectIsa(BestIsa());
  return *Chosen;
}

}  // namespace

TIsa BestIsa() {
  static const bool avx2 = HasAvx2();
  return avx2 ? TIsa::Avx2 : TIsa::Sse2;
}

void SelectIsa(TIsa isa) {
  Chosen = isa == TIsa::Avx2 && BestIsa() == TIsa::Avx2 ? &Avx2::kKernels : &Sse2::kKernels;
}

size_t CountLf(const uint8_t* begin, const uint8_t* end) {
  return Kernels().CountLf(begin, end);
}

const uint8_t* FindLineSpecial(const uint8_t* begin, const uint8_t* end) {
  return Kernels().FindLineSpecial(begin, end);
}

const uint8_t* FindPair(const TBytePair& pair, const uint8_t* begin, size_t count) {
  return Kernels().FindPair(pair, begin, count);
}

const uint8_t* FindSingleByteKana(const uint8_t* begin, const uint8_t* end) {
  return Kernels().FindSingleByteKana(begin, end);
}

size_t CountLineEnds(const uint8_t* begin, const uint8_t* end) {
  return Kernels().CountLineEnds(begin, end);
}

const uint8_t* FindLoneCr(const uint8_t* begin, const uint8_t* end) {
  return Kernels().FindLoneCr(begin, end);
}

const uint8_t* FindCodeBytes(const TCodeBytes* codes, size_t n, const uint8_t* begin,
                             size_t count) {
  return Kernels().FindCodeBytes(codes, n, begin, count);
}

}  // namespace ByteScan
