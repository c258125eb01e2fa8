// The NEON form of ByteScan's scans, for AArch64, where every processor has NEON.
#include "search/byte_scan.h"

#if VARSIK_SCAN_NEON

#include <arm_neon.h>

#include "search/byte_scan_kernel_table.h"

namespace varsik {

namespace ByteScan {

namespace {

namespace Neon {

struct TVec {
  using T = uint8x16_t;
  static constexpr size_t kWidth = 16;
  static T Load(const uint8_t* p) { return vld1q_u8(p); }
  static T Splat(uint8_t b) { return vdupq_n_u8(b); }
  static T Eq(T a, T b) { return vceqq_u8(a, b); }
  static T And(T a, T b) { return vandq_u8(a, b); }
  // ~a & b, as SSE2 has it.
  static T AndNot(T a, T b) { return vbicq_u8(b, a); }
  static T Or(T a, T b) { return vorrq_u8(a, b); }
  static T Xor(T a, T b) { return veorq_u8(a, b); }
  static T Sub(T a, T b) { return vsubq_u8(a, b); }
  static T Min(T a, T b) { return vminq_u8(a, b); }
  // Signed bytes.
  static T Greater(T a, T b) { return vcgtq_s8(vreinterpretq_s8_u8(a), vreinterpretq_s8_u8(b)); }
  static uint64_t Mask(T a) {
    // NEON has no move-mask: the sign bit of lane i of either half is shifted to bit i,
    // and the lanes of each half are added up.
    const int8x8_t shifts = vcreate_s8(0x0706050403020100);
    const T bits = vshlq_u8(vshrq_n_u8(a, 7), vcombine_s8(shifts, shifts));
    return vaddv_u8(vget_low_u8(bits)) | static_cast<uint64_t>(vaddv_u8(vget_high_u8(bits))) << 8;
  }
  static uint64_t SumBytes(T a) { return vaddlvq_u8(a); }
};

#include "search/byte_scan_kernels.inc"

}  // namespace Neon

}  // namespace

constinit const TKernels kNeonKernels = Neon::kKernels;

}  // namespace ByteScan

}  // namespace varsik

#endif  // VARSIK_SCAN_NEON
