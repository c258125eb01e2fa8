#include "search/utf8_valid.h"

#include "search/ascii_run.h"
#include "search/byte_scan.h"
#include "search/char_sequence.h"
#include "search/form_choice.h"
#include "search/vector_target.h"

#if VARSIK_SCAN_X86
#include <immintrin.h>
#endif

namespace varsik {

namespace Utf8Valid {

namespace {

#if VARSIK_SCAN_X86

// The start of the character that q cuts, if any, else q; [p, q) is well-formed.
const uint8_t* CutCharacterStart(const uint8_t* p, const uint8_t* q) {
  for (int back = 1; back <= 3 && q - back >= p; ++back) {
    const uint8_t b = q[-back];
    if (b < 0x80) break;
    if (b >= 0xC0) return (b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : 2) > back ? q - back : q;
  }
  return q;
}

VARSIK_TARGET_BEGIN("avx2")

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

// From q on (q - p a multiple of 32), 32 bytes a step, the run of [p, q) being
// well-formed already.
const uint8_t* Avx2Steps(const uint8_t* p, const uint8_t* q, const uint8_t* end) {
  const __m256i firstHigh = Table(kFirstHigh);
  const __m256i firstLow = Table(kFirstLow);
  const __m256i secondHigh = Table(kSecondHigh);
  __m256i previous =
      q > p ? _mm256_loadu_si256(reinterpret_cast<const __m256i*>(q - 32)) : _mm256_setzero_si256();
  for (; end - q >= 32; q += 32) {
    const __m256i input = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(q));
    const __m256i faults = Faults(input, previous, firstHigh, firstLow, secondHigh);
    if (_mm256_testz_si256(faults, faults) == 0) break;
    previous = input;
  }
  return CutCharacterStart(p, q);
}

const uint8_t* WellFormedEndAvx2(const uint8_t* p, const uint8_t* end) {
  return Avx2Steps(p, p, end);
}

VARSIK_TARGET_END

VARSIK_TARGET_BEGIN("avx2,avx512f,avx512bw")

// The check of Faults 64 bytes at a time, with fewer of the byte shuffles that bound it:
// the bytes that must continue a three- or four-byte sequence are found as bits of the
// lead bytes, shifted in a general register, not as bytes shifted in the vector.
struct TBlock512 {
  __m512i Input;
  uint64_t Leads3;  // E0-FF
  uint64_t Leads4;  // F0-FF
};

TBlock512 Load512(const uint8_t* q) {
  const __m512i input = _mm512_loadu_si512(q);
  return {input, _mm512_movepi8_mask(_mm512_subs_epu8(input, _mm512_set1_epi8(0x60))),
          _mm512_movepi8_mask(_mm512_subs_epu8(input, _mm512_set1_epi8(0x70)))};
}

__m512i Table512(const uint8_t (&t)[16]) {
  return _mm512_maskz_broadcast_i32x4(0xFFFF, _mm_loadu_si128(reinterpret_cast<const __m128i*>(t)));
}

// Whether a byte of `block` breaks the UTF-8 of the bytes before it, those of `previous`
// among them.
bool Broken(const TBlock512& block, const TBlock512& previous, __m512i firstHigh, __m512i firstLow,
            __m512i secondHigh) {
  const __m512i nibble = _mm512_set1_epi8(0x0F);
  // Each byte's neighbour before it: each 16-byte lane's first from the lane before.
  const __m512i prev1 = _mm512_alignr_epi8(
      block.Input, _mm512_maskz_alignr_epi64(0xFF, block.Input, previous.Input, 6), 15);
  const __m512i pairs = _mm512_and_si512(
      _mm512_and_si512(
          _mm512_shuffle_epi8(firstHigh, _mm512_and_si512(_mm512_srli_epi16(prev1, 4), nibble)),
          _mm512_shuffle_epi8(firstLow, _mm512_and_si512(prev1, nibble))),
      _mm512_shuffle_epi8(secondHigh, _mm512_and_si512(_mm512_srli_epi16(block.Input, 4), nibble)));
  const uint64_t must =
      (block.Leads3 << 2 | previous.Leads3 >> 62) | (block.Leads4 << 3 | previous.Leads4 >> 61);
  // kTwoConts, the top bit, is right exactly where a continuation must stand; any other
  // bit is a fault.
  const uint64_t twoConts = _mm512_movepi8_mask(pairs);
  const uint64_t others = _mm512_test_epi8_mask(pairs, _mm512_set1_epi8(0x7F));
  return (others | (twoConts ^ must)) != 0;
}

// The block of 64 with a fault, and the rest, go 32 bytes a step, so that it stops as
// near the fault as the AVX2 check does.
const uint8_t* WellFormedEndAvx512(const uint8_t* p, const uint8_t* end) {
  const __m512i firstHigh = Table512(kFirstHigh);
  const __m512i firstLow = Table512(kFirstLow);
  const __m512i secondHigh = Table512(kSecondHigh);
  TBlock512 previous{_mm512_setzero_si512(), 0, 0};
  const uint8_t* q = p;
  for (; end - q >= 64; q += 64) {
    const TBlock512 block = Load512(q);
    if (Broken(block, previous, firstHigh, firstLow, secondHigh)) break;
    previous = block;
  }
  return Avx2Steps(p, q, end);
}

VARSIK_TARGET_END

#endif  // VARSIK_SCAN_X86

}  // namespace

namespace {

bool Runs([[maybe_unused]] TCheck check) {
#if VARSIK_SCAN_X86
  static const bool avx2 = ByteScan::Runs(ByteScan::TIsa::Avx2);
  static const bool avx512 = [] {
    __builtin_cpu_init();
    return avx2 && __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw");
  }();
  return check == TCheck::Scalar || (check == TCheck::Avx2 && avx2) ||
         (check == TCheck::Avx512 && avx512);
#else
  return check == TCheck::Scalar;
#endif
}

// Inline: the checks ask it for every run of lines they pass over.
[[gnu::always_inline]] inline TFormChoice<TCheck>& Choice() {
  static TFormChoice<TCheck> choice({TCheck::Scalar, TCheck::Avx2, TCheck::Avx512}, Runs);
  return choice;
}

}  // namespace

std::vector<TCheck> UsableChecks() {
  return Choice().UsableForms();
}

void SelectCheck(TCheck check) {
  Choice().Select(check);
}

namespace {

const uint8_t* WellFormedEndAs([[maybe_unused]] TCheck check, const uint8_t* p,
                               [[maybe_unused]] const uint8_t* end) {
#if VARSIK_SCAN_X86
  switch (check) {
    case TCheck::Avx512:
      return WellFormedEndAvx512(p, end);
    case TCheck::Avx2:
      return WellFormedEndAvx2(p, end);
    case TCheck::Scalar:
      break;
  }
#endif
  return p;
}

}  // namespace

const uint8_t* WellFormedEnd(const uint8_t* p, const uint8_t* end) {
  return WellFormedEndAs(Choice().Current(), p, end);
}

uint64_t UndecodableBytes(const uint8_t* p, const uint8_t* end) {
  const TCheck check = Choice().Current();
  uint64_t count = 0;
  while ((p = WellFormedEndAs(check, p, end)) < end) {
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
