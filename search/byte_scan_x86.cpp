// The SSE2 and AVX2 forms of ByteScan's scans, for x86-64. Every x86-64 processor has
// SSE2; the AVX2 form is compiled for its own target, in its own region, and used only
// where the processor has it.
#include "search/byte_scan.h"

#if VARSIK_SCAN_X86

#include <immintrin.h>

#include "search/byte_scan_kernel_table.h"
#include "search/vector_target.h"

namespace varsik {

namespace ByteScan {

namespace {

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

VARSIK_TARGET_BEGIN("avx2,popcnt,bmi")

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

VARSIK_TARGET_END

}  // namespace

bool HasAvx2() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("popcnt") &&
         __builtin_cpu_supports("bmi");
}

constinit const TKernels kSse2Kernels = Sse2::kKernels;
constinit const TKernels kAvx2Kernels = Avx2::kKernels;

}  // namespace ByteScan

}  // namespace varsik

#endif  // VARSIK_SCAN_X86
