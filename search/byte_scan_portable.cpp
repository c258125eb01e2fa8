// The portable form of ByteScan's scans, on eight bytes at a time in a 64-bit word
// (byte_scan_swar.h): for processors that have no vector form here, and for builds that
// ask for it (VARSIK_PORTABLE_SCAN) so that it is tested on any machine.
#include "search/byte_scan.h"

#if VARSIK_SCAN_PORTABLE

#include "search/byte_scan_kernel_table.h"
#include "search/byte_scan_swar.h"

namespace varsik {

namespace ByteScan {

namespace {

namespace Portable {

using Swar::TVec;

#include "search/byte_scan_kernels.inc"

}  // namespace Portable

}  // namespace

constinit const TKernels kPortableKernels = Portable::kKernels;

}  // namespace ByteScan

}  // namespace varsik

#endif  // VARSIK_SCAN_PORTABLE
