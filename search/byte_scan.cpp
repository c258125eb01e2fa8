#include "search/byte_scan.h"

#include <immintrin.h>

namespace ByteScan {

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
  const uint8_t* (*FindLineSpecial)(const uint8_t*, const uint8_t*, size_t&);
  const uint8_t* (*FindPair)(const TBytePair&, const uint8_t*, size_t);
  const uint8_t* (*FindSingleByteKana)(const uint8_t*, const uint8_t*);
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
  static uint64_t Mask(T a) { return static_cast<uint32_t>(_mm_movemask_epi8(a)); }
};

#include "search/byte_scan_kernels.inc"

constexpr TKernels kKernels{CountLf, FindLineSpecial, FindPair, FindSingleByteKana};

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
  static uint64_t Mask(T a) { return static_cast<uint32_t>(_mm256_movemask_epi8(a)); }
};

#include "search/byte_scan_kernels.inc"

constexpr TKernels kKernels{CountLf, FindLineSpecial, FindPair, FindSingleByteKana};

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

const uint8_t* FindLineSpecial(const uint8_t* begin, const uint8_t* end, size_t& lfCount) {
  return Kernels().FindLineSpecial(begin, end, lfCount);
}

const uint8_t* FindPair(const TBytePair& pair, const uint8_t* begin, size_t count) {
  return Kernels().FindPair(pair, begin, count);
}

const uint8_t* FindSingleByteKana(const uint8_t* begin, const uint8_t* end) {
  return Kernels().FindSingleByteKana(begin, end);
}

}  // namespace ByteScan
