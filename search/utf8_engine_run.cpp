#include "search/utf8_engine_run.h"

#include <bit>

#include "search/byte_scan.h"
#include "search/form_choice.h"
#include "search/vector_target.h"

#if VARSIK_SCAN_X86
#include <immintrin.h>
#endif

namespace varsik {

namespace Utf8EngineRun {

namespace {

#if VARSIK_SCAN_X86

VARSIK_TARGET_BEGIN("avx2,popcnt,bmi")

// A byte of 0xFF for each lead E0 + n in `leads`, looked up by the low nibble.
__m256i LeadTable(uint16_t leads) {
  const __m128i bits = _mm_setr_epi8(1, 2, 4, 8, 16, 32, 64, -128, 1, 2, 4, 8, 16, 32, 64, -128);
  const __m128i halves = _mm_shuffle_epi8(
      _mm_cvtsi32_si128(leads), _mm_setr_epi8(0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1));
  return _mm256_broadcastsi128_si256(_mm_cmpeq_epi8(_mm_and_si128(halves, bits), bits));
}

TRun PlainAvx2(const uint8_t* p, const uint8_t* end, size_t maxEngine, uint16_t twoByteLeads) {
  const __m256i leadTable = LeadTable(twoByteLeads);
  TRun run;
  while (end - p >= static_cast<ptrdiff_t>(kStep)) {
    const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    const auto mask = [](__m256i m) { return static_cast<uint32_t>(_mm256_movemask_epi8(m)); };
    const uint32_t high = mask(v);
    // 80-BF, below C0 as signed bytes.
    const uint32_t trail = mask(_mm256_cmpgt_epi8(_mm256_set1_epi8(-64), v));
    const __m256i threeByteLead =
        _mm256_cmpeq_epi8(_mm256_and_si256(v, _mm256_set1_epi8(-16)), _mm256_set1_epi8(-32));
    const uint32_t lead = mask(_mm256_and_si256(
        threeByteLead, _mm256_shuffle_epi8(leadTable, _mm256_and_si256(v, _mm256_set1_epi8(15)))));
    const uint32_t special =
        mask(_mm256_or_si256(_mm256_or_si256(_mm256_cmpeq_epi8(v, _mm256_setzero_si256()),
                                             _mm256_cmpeq_epi8(v, _mm256_set1_epi8('\n'))),
                             _mm256_cmpeq_epi8(v, _mm256_set1_epi8('\r'))));
    // Not plain: the control bytes, other bytes above 7F, a continuation that no lead in
    // front of it asks for, a lead that two continuations do not follow (or not within the
    // step: the character is left to the next one).
    const uint32_t stops = special | (high & ~trail & ~lead) | (trail & ~(lead << 1 | lead << 2)) |
                           (lead & ~(trail >> 1 & trail >> 2));
    const size_t n = stops == 0 ? kStep : static_cast<size_t>(std::countr_zero(stops));
    const uint32_t taken = n == kStep ? ~0u : (1u << n) - 1;
    const size_t engine =
        static_cast<size_t>(std::popcount(~high & taken) + 2 * std::popcount(lead & taken));
    if (run.EngineBytes + engine > maxEngine) {
      run.AtLimit = true;
      break;
    }
    run.Bytes += n;
    run.EngineBytes += engine;
    p += n;
    // A character that the step's end cuts is read by the next step.
    if (n < kStep && (n < kStep - 2 || (lead >> n & 1) == 0)) break;
  }
  return run;
}

VARSIK_TARGET_END

#endif  // VARSIK_SCAN_X86

bool Runs([[maybe_unused]] TForm form) {
#if VARSIK_SCAN_X86
  static const bool avx2 = ByteScan::Runs(ByteScan::TIsa::Avx2);
  return form == TForm::Scalar || (form == TForm::Avx2 && avx2);
#else
  return form == TForm::Scalar;
#endif
}

// Inline: the counts ask it for every run of a hit line.
[[gnu::always_inline]] inline TFormChoice<TForm>& Choice() {
  static TFormChoice<TForm> choice({TForm::Scalar, TForm::Avx2}, Runs);
  return choice;
}

}  // namespace

std::vector<TForm> UsableForms() {
  return Choice().UsableForms();
}

void SelectForm(TForm form) {
  Choice().Select(form);
}

TRun Plain(const uint8_t* p, const uint8_t* end, size_t maxEngine, uint16_t twoByteLeads) {
#if VARSIK_SCAN_X86
  if (Choice().Current() == TForm::Avx2) return PlainAvx2(p, end, maxEngine, twoByteLeads);
#endif
  (void)p, (void)end, (void)maxEngine, (void)twoByteLeads;
  return {};
}

}  // namespace Utf8EngineRun

}  // namespace varsik
