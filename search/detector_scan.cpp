#include "search/detector_scan.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstring>

#include "search/ascii_run.h"
#include "search/byte_scan.h"
#include "search/vector_target.h"

#if VARSIK_SCAN_X86
#include <immintrin.h>
#endif

namespace varsik {

namespace DetectorScan {

namespace {

using ByteScan::TIsa;

constexpr size_t kStep = 64;

// The bytes of one step, a bit each: above 7F, UTF-8 trail, UTF-8 lead, never in EUC-JP.
struct TMasks {
  uint64_t High = 0;
  uint64_t Trail = 0;
  uint64_t Lead = 0;
  uint64_t NotEuc = 0;
};

// Adds the bytes of a step of `n` bytes to the counts; `leadBefore` holds the lead bytes
// of the step before and then those of this one.
inline void AddStep(const TMasks& m, size_t n, uint64_t& leadBefore, TCounts& counts) {
  const uint64_t leadNear = (m.Lead << 1 | leadBefore >> 63) | (m.Lead << 2 | leadBefore >> 62) |
                            (m.Lead << 3 | leadBefore >> 61);
  // The byte after the step is not known here: a lead byte in its last place is let be.
  const uint64_t followed = (n == kStep ? ~uint64_t{0} : (uint64_t{1} << n) - 1) >> 1;
  const uint64_t utf8 =
      (m.High & ~m.Trail & ~m.Lead) | (m.Trail & ~leadNear) | (m.Lead & ~(m.Trail >> 1) & followed);
  counts.Utf8 += static_cast<uint32_t>(std::popcount(utf8));
  counts.EucJp += static_cast<uint32_t>(std::popcount(m.NotEuc));
  leadBefore = m.Lead;
}

struct TPortable {
  static void Step(const uint8_t* p, size_t n, uint64_t& leadBefore, TCounts& counts) {
    TMasks m;
    for (size_t i = 0; i < kStep; ++i) {
      const uint8_t b = p[i];
      const uint64_t bit = uint64_t{1} << i;
      if (b < 0x80) continue;
      m.High |= bit;
      if (b < 0xC0) m.Trail |= bit;
      if (b >= 0xC2 && b <= 0xF4) m.Lead |= bit;
      if ((b <= 0xA0 && b != 0x8E && b != 0x8F) || b == 0xFF) m.NotEuc |= bit;
    }
    AddStep(m, n, leadBefore, counts);
  }
};

// Inlined into each form's own function, so that the vector form's steps are inlined in
// turn, in its target region.
template <typename TForm>
[[gnu::always_inline]] inline TCounts CountWith(std::span<const uint8_t> bytes, uint32_t utf8Enough,
                                                uint32_t eucEnough) {
  TCounts counts;
  // The lead bytes of the step before: none known in front of the bytes, so all taken.
  uint64_t leadBefore = ~uint64_t{0};
  const uint8_t* const end = bytes.data() + bytes.size();
  for (size_t at = 0; at < bytes.size();) {
    if (counts.Utf8 >= utf8Enough && counts.EucJp >= eucEnough) break;
    const size_t n = std::min(kStep, bytes.size() - at);
    const uint8_t* p = bytes.data() + at;
    uint8_t last[kStep];
    if (n < kStep) {
      // The last step's missing bytes as ASCII, which counts for neither.
      std::memset(last, 0, kStep);
      std::memcpy(last, p, n);
      p = last;
    }
    uint64_t high = 0;
    for (size_t k = 0; k < kStep; k += 8) high |= AsciiRun::Load64(p + k);
    if ((high & AsciiRun::kHighBits) == 0) {
      // ASCII counts for neither, and the step is taken on from the next byte above 7F,
      // behind which no lead byte stands.
      at = static_cast<size_t>(AsciiRun::End(bytes.data() + at + n, end) - bytes.data());
      leadBefore = 0;
      continue;
    }
    TForm::Step(p, n, leadBefore, counts);
    at += n;
  }
  return counts;
}

#if VARSIK_SCAN_X86

// A movemask's bits, for the bytes at `k` of the step.
inline uint64_t Bits(int movemask, size_t k) {
  return static_cast<uint64_t>(static_cast<uint32_t>(movemask)) << k;
}

// The vector form compares the bytes with their high bit flipped (x), signed: ASCII falls
// below every range then. Processors without AVX2 (older than about 2013) take the
// portable form: it costs them a few hundred instructions a file more.

VARSIK_TARGET_BEGIN("avx2,popcnt,bmi")

struct TAvx2 {
  static void Step(const uint8_t* p, size_t n, uint64_t& leadBefore, TCounts& counts) {
    TMasks m;
    for (size_t k = 0; k < kStep; k += 32) {
      const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + k));
      const __m256i x = _mm256_xor_si256(v, _mm256_set1_epi8(static_cast<char>(0x80)));
      const __m256i trailEnd = _mm256_set1_epi8(0x3F);
      const __m256i leadFrom = _mm256_set1_epi8(0x41);
      const __m256i leadEnd = _mm256_set1_epi8(0x75);
      const __m256i eucEnd = _mm256_set1_epi8(0x20);
      const uint64_t high = Bits(_mm256_movemask_epi8(v), k);
      m.High |= high;
      m.Trail |= ~Bits(_mm256_movemask_epi8(_mm256_cmpgt_epi8(x, trailEnd)), k) & high;
      m.Lead |= Bits(_mm256_movemask_epi8(_mm256_and_si256(_mm256_cmpgt_epi8(x, leadFrom),
                                                           _mm256_cmpgt_epi8(leadEnd, x))),
                     k);
      const __m256i kanaOrExtra = _mm256_or_si256(_mm256_cmpeq_epi8(x, _mm256_set1_epi8(0x0E)),
                                                  _mm256_cmpeq_epi8(x, _mm256_set1_epi8(0x0F)));
      m.NotEuc |= (~Bits(_mm256_movemask_epi8(_mm256_cmpgt_epi8(x, eucEnd)), k) & high &
                   ~Bits(_mm256_movemask_epi8(kanaOrExtra), k)) |
                  Bits(_mm256_movemask_epi8(_mm256_cmpeq_epi8(x, _mm256_set1_epi8(0x7F))), k);
    }
    AddStep(m, n, leadBefore, counts);
  }
};

TCounts CountAvx2(std::span<const uint8_t> bytes, uint32_t utf8Enough, uint32_t eucEnough) {
  return CountWith<TAvx2>(bytes, utf8Enough, eucEnough);
}

const uint8_t* FindHighOrEscapeAvx2(const uint8_t* p, const uint8_t* end) {
  const __m256i escape = _mm256_set1_epi8(0x1B);
  for (; end - p >= 32; p += 32) {
    const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    const auto stops = static_cast<uint32_t>(
        _mm256_movemask_epi8(_mm256_or_si256(v, _mm256_cmpeq_epi8(v, escape))));
    if (stops != 0) return p + std::countr_zero(stops);
  }
  return p;
}

VARSIK_TARGET_END

#endif

}  // namespace

TCounts CountUndecodable(std::span<const uint8_t> bytes, uint32_t utf8Enough, uint32_t eucEnough) {
  return CountUndecodableAs(ByteScan::BestIsa(), bytes, utf8Enough, eucEnough);
}

TCounts CountUndecodableAs(TIsa isa, std::span<const uint8_t> bytes, uint32_t utf8Enough,
                           uint32_t eucEnough) {
#if VARSIK_SCAN_X86
  if (isa == TIsa::Avx2) return CountAvx2(bytes, utf8Enough, eucEnough);
#else
  (void)isa;
#endif
  return CountWith<TPortable>(bytes, utf8Enough, eucEnough);
}

TCounts CountUndecodablePortable(std::span<const uint8_t> bytes, uint32_t utf8Enough,
                                 uint32_t eucEnough) {
  return CountWith<TPortable>(bytes, utf8Enough, eucEnough);
}

const uint8_t* FindHighOrEscape(const uint8_t* begin, const uint8_t* end) {
  return FindHighOrEscapeAs(ByteScan::BestIsa(), begin, end);
}

const uint8_t* FindHighOrEscapeAs(TIsa isa, const uint8_t* begin, const uint8_t* end) {
  const uint8_t* p = begin;
#if VARSIK_SCAN_X86
  if (isa == TIsa::Avx2) p = FindHighOrEscapeAvx2(p, end);
#else
  (void)isa;
#endif
  constexpr uint64_t kLow7 = 0x7F7F7F7F7F7F7F7F;
  constexpr uint64_t kEscapes = 0x1B1B1B1B1B1B1B1B;
  for (; end - p >= 8; p += 8) {
    const uint64_t word = AsciiRun::Load64(p);
    // The high bit of each escape: x has a zero byte there, and adding 7F to the low
    // bits of every other byte carries into its high bit.
    const uint64_t x = word ^ kEscapes;
    const uint64_t escapes = ~(((x & kLow7) + kLow7) | x) & AsciiRun::kHighBits;
    const uint64_t stops = (word & AsciiRun::kHighBits) | escapes;
    if (stops != 0) return p + AsciiRun::FirstHighByte(stops);
  }
  while (p < end && *p < 0x80 && *p != 0x1B) ++p;
  return p;
}

}  // namespace DetectorScan

}  // namespace varsik
