// TKernels: the scans of ByteScan in one form, as byte_scan_kernels.inc makes them. Each
// instruction set's source file defines the tables of its forms; byte_scan.cpp picks one
// at run time. Internal to ByteScan.
#pragma once

#include <cstddef>
#include <cstdint>

#include "search/byte_scan.h"

namespace varsik {

namespace ByteScan {

struct TKernels {
  size_t (*CountLf)(const uint8_t*, const uint8_t*);
  const uint8_t* (*FindLineSpecial)(const uint8_t*, const uint8_t*);
  const uint8_t* (*FindLineSpecialCountingLf)(const uint8_t*, const uint8_t*, size_t&);
  const uint8_t* (*FindPair)(const TBytePair&, const uint8_t*, size_t);
  const uint8_t* (*FindSingleByteKana)(const uint8_t*, const uint8_t*);
  size_t (*CountLineEnds)(const uint8_t*, const uint8_t*);
  const uint8_t* (*FindLoneCr)(const uint8_t*, const uint8_t*);
  const uint8_t* (*FindLoneCrCountingLf)(const uint8_t*, const uint8_t*, size_t&);
  const uint8_t* (*FindCodeBytes)(const TCodeBytes*, size_t, const uint8_t*, size_t);
};

#if VARSIK_SCAN_X86
extern const TKernels kSse2Kernels;
extern const TKernels kAvx2Kernels;
// Whether the processor runs the AVX2 form.
bool HasAvx2();
#elif VARSIK_SCAN_NEON
extern const TKernels kNeonKernels;
#else
extern const TKernels kPortableKernels;
#endif

}  // namespace ByteScan

}  // namespace varsik
