#include "search/utf8_valid.h"

#include "search/ascii_run.h"
#include "search/byte_scan.h"
#include "search/char_sequence.h"

#if VARSIK_SCAN_X86
#include <immintrin.h>
#endif

namespace varsik {

namespace Utf8Valid {

namespace {

// The start of the character that q cuts, if any, else q; [p, q) is well-formed.
const uint8_t* CutCharacterStart(const uint8_t* p, const uint8_t* q) {
  for (int back = 1; back <= 3 && q - back >= p; ++back) {
    const uint8_t b = q[-back];
    if (b < 0x80) break;
    if (b >= 0xC0) return (b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : 2) > back ? q - back : q;
  }
  return q;
}

#if VARSIK_SCAN_X86

#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2")
#endif

// What each pair of neighbouring bytes may be wrong in, one bit for each fault: the
// three tables are looked up by the high and low nibble of the first byte and the high
// nibble of the second, and a fault is a bit that all three set.
constexpr uint8_t kTooShort = 1 << 0;      // a lead byte, then no continuation
constexpr uint8_t kTooLong = 1 << 1;       // ASCII, then a continuation
constexpr uint8_t kOverlong3 = 1 << 2;     // E0 80-9F
constexpr uint8_t kTooLarge = 1 << 3;      // F4 90-BF, F5-FF 90-BF
constexpr uint8_t kSurrogate = 1 << 4;     // ED A0-BF
constexpr uint8_t kOverlong2 = 1 << 5;     // C0-C1 80-BF
constexpr uint8_t kTooLarge1000 = 1 << 6;  // F5-FF 80-8F
constexpr uint8_t kOverlong4 = 1 << 6;     // F0 80-8F
constexpr uint8_t kTwoConts = 1 << 7;      // a continuation, then another
constexpr uint8_t kCarry = kTooShort | kTooLong | kTwoConts;

__m256i Table(const uint8_t (&t)[16]) {
  return _mm256_setr_epi8(
      static_cast<char>(t[0]), static_cast<char>(t[1]), static_cast<char>(t[2]),
      static_cast<char>(t[3]), static_cast<char>(t[4]), static_cast<char>(t[5]),
      static_cast<char>(t[6]), static_cast<char>(t[7]), static_cast<char>(t[8]),
      static_cast<char>(t[9]), static_cast<char>(t[10]), static_cast<char>(t[11]),
      static_cast<char>(t[12]), static_cast<char>(t[13]), static_cast<char>(t[14]),
      static_cast<char>(t[15]), static_cast<char>(t[0]), static_cast<char>(t[1]),
      static_cast<char>(t[2]), static_cast<char>(t[3]), static_cast<char>(t[4]),
      static_cast<char>(t[5]), static_cast<char>(t[6]), static_cast<char>(t[7]),
      static_cast<char>(t[8]), static_cast<char>(t[9]), static_cast<char>(t[10]),
      static_cast<char>(t[11]), static_cast<char>(t[12]), static_cast<char>(t[13]),
      static_cast<char>(t[14]), static_cast<char>(t[15]));
}

constexpr uint8_t kFirstHigh[16] = {kTooLong,
                                    kTooLong,
                                    kTooLong,
                                    kTooLong,
                                    kTooLong,
                                    kTooLong,
                                    kTooLong,
                                    kTooLong,
                                    kTwoConts,
                                    kTwoConts,
                                    kTwoConts,
                                    kTwoConts,
                                    kTooShort | kOverlong2,
                                    kTooShort,
                                    kTooShort | kOverlong3 | kSurrogate,
                                    kTooShort | kTooLarge | kTooLarge1000 | kOverlong4};
constexpr uint8_t kFirstLow[16] = {kCarry | kOverlong3 | kOverlong2 | kOverlong4,
                                   kCarry | kOverlong2,
                                   kCarry,
                                   kCarry,
                                   kCarry | kTooLarge,
                                   kCarry | kTooLarge | kTooLarge1000,
                                   kCarry | kTooLarge | kTooLarge1000,
                                   kCarry | kTooLarge | kTooLarge1000,
                                   kCarry | kTooLarge | kTooLarge1000,
                                   kCarry | kTooLarge | kTooLarge1000,
                                   kCarry | kTooLarge | kTooLarge1000,
                                   kCarry | kTooLarge | kTooLarge1000,
                                   kCarry | kTooLarge | kTooLarge1000,
                                   kCarry | kTooLarge | kTooLarge1000 | kSurrogate,
                                   kCarry | kTooLarge | kTooLarge1000,
                                   kCarry | kTooLarge | kTooLarge1000};
constexpr uint8_t kSecondHigh[16] = {
    kTooShort,
    kTooShort,
    kTooShort,
    kTooShort,
    kTooShort,
    kTooShort,
    kTooShort,
    kTooShort,
    kTooLong | kOverlong2 | kTwoConts | kOverlong3 | kTooLarge1000 | kOverlong4,
    kTooLong | kOverlong2 | kTwoConts | kOverlong3 | kTooLarge,
    kTooLong | kOverlong2 | kTwoConts | kSurrogate | kTooLarge,
    kTooLong | kOverlong2 | kTwoConts | kSurrogate | kTooLarge,
    kTooShort,
    kTooShort,
    kTooShort,
    kTooShort};

// The 32 bytes that end `n` bytes before those of `input`, `previous` holding the 32
// before them.
template <int N>
__m256i Before(__m256i input, __m256i previous) {
  return _mm256_alignr_epi8(input, _mm256_permute2x128_si256(previous, input, 0x21), 16 - N);
}

// Non-zero where a byte of `input` breaks the UTF-8 of the bytes before it.
__m256i Faults(__m256i input, __m256i previous, __m256i firstHigh, __m256i firstLow,
               __m256i secondHigh) {
  const __m256i nibble = _mm256_set1_epi8(0x0F);
  const __m256i prev1 = Before<1>(input, previous);
  const __m256i pairs = _mm256_and_si256(
      _mm256_and_si256(
          _mm256_shuffle_epi8(firstHigh, _mm256_and_si256(_mm256_srli_epi16(prev1, 4), nibble)),
          _mm256_shuffle_epi8(firstLow, _mm256_and_si256(prev1, nibble))),
      _mm256_shuffle_epi8(secondHigh, _mm256_and_si256(_mm256_srli_epi16(input, 4), nibble)));
  // The third byte of a sequence from E0 up, and the fourth from F0 up, must continue it:
  // exactly where the pairs' table says "a continuation after a continuation".
  const __m256i third = _mm256_subs_epu8(Before<2>(input, previous), _mm256_set1_epi8(0x60));
  const __m256i fourth = _mm256_subs_epu8(Before<3>(input, previous), _mm256_set1_epi8(0x70));
  const __m256i must =
      _mm256_and_si256(_mm256_or_si256(third, fourth), _mm256_set1_epi8(static_cast<char>(0x80)));
  return _mm256_xor_si256(must, pairs);
}

const uint8_t* WellFormedEndAvx2(const uint8_t* p, const uint8_t* end) {
  const __m256i firstHigh = Table(kFirstHigh);
  const __m256i firstLow = Table(kFirstLow);
  const __m256i secondHigh = Table(kSecondHigh);
  __m256i previous = _mm256_setzero_si256();
  const uint8_t* q = p;
  for (; end - q >= 32; q += 32) {
    const __m256i input = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(q));
    const __m256i faults = Faults(input, previous, firstHigh, firstLow, secondHigh);
    if (_mm256_testz_si256(faults, faults) == 0) break;
    previous = input;
  }
  return CutCharacterStart(p, q);
}

#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

#endif  // VARSIK_SCAN_X86

}  // namespace

const uint8_t* WellFormedEnd(const uint8_t* p, const uint8_t* end) {
#if VARSIK_SCAN_X86
  static const bool avx2 = ByteScan::BestIsa() == ByteScan::TIsa::Avx2;
  if (avx2) return WellFormedEndAvx2(p, end);
#endif
  (void)end;
  return p;
}

uint64_t UndecodableBytes(const uint8_t* p, const uint8_t* end) {
  uint64_t count = 0;
  while ((p = WellFormedEnd(p, end)) < end) {
    if (*p < 0x80) {
      p = AsciiRun::End(p + 1, end);
      continue;
    }
    // Japanese text, where the processor passes over no run at once.
    if (end - p >= 4 && Utf8ThreeByteCodePoint(p) != 0) {
      p += 3;
      continue;
    }
    const TCharSequence c = ReadUtf8Sequence(p, end);
    if (c.Status == TCharSequence::TStatus::Char) {
      p += c.Length;
    } else {
      ++count;
      ++p;
    }
  }
  return count;
}

}  // namespace Utf8Valid

}  // namespace varsik
