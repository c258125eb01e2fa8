// ByteScan's table of byte rarity, and the choice, made once, among the forms of the scans
// that the build holds (the forms themselves are in byte_scan_<set>.cpp).
#include "search/byte_scan.h"

#include <algorithm>
#include <atomic>

#include "search/byte_scan_kernel_table.h"

namespace varsik {

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

namespace {

// Read by the scans of every thread, set by the first of them (or a test). The kernels
// are constants, so the pointer alone needs to be atomic.
std::atomic<const TKernels*> Chosen{nullptr};

const TKernels& Kernels() {
  const TKernels* chosen = Chosen.load(std::memory_order_relaxed);
  if (chosen == nullptr) [[unlikely]] {
    SelectIsa(BestIsa());
    chosen = Chosen.load(std::memory_order_relaxed);
  }
  return *chosen;
}

}  // namespace

TIsa BestIsa() {
#if VARSIK_SCAN_X86
  static const bool avx2 = HasAvx2();
  return avx2 ? TIsa::Avx2 : TIsa::Sse2;
#elif VARSIK_SCAN_NEON
  return TIsa::Neon;
#else
  return TIsa::Portable;
#endif
}

std::vector<TIsa> UsableIsas() {
#if VARSIK_SCAN_X86
  if (BestIsa() == TIsa::Avx2) return {TIsa::Sse2, TIsa::Avx2};
#endif
  return {BestIsa()};
}

bool Runs(TIsa isa) {
  const std::vector<TIsa> usable = UsableIsas();
  return std::find(usable.begin(), usable.end(), isa) != usable.end();
}

void SelectIsa([[maybe_unused]] TIsa isa) {
#if VARSIK_SCAN_X86
  Chosen.store(isa == TIsa::Avx2 && BestIsa() == TIsa::Avx2 ? &kAvx2Kernels : &kSse2Kernels,
               std::memory_order_relaxed);
#elif VARSIK_SCAN_NEON
  Chosen.store(&kNeonKernels, std::memory_order_relaxed);
#else
  Chosen.store(&kPortableKernels, std::memory_order_relaxed);
#endif
}

size_t CountLf(const uint8_t* begin, const uint8_t* end) {
  return Kernels().CountLf(begin, end);
}

const uint8_t* FindLineSpecial(const uint8_t* begin, const uint8_t* end) {
  return Kernels().FindLineSpecial(begin, end);
}

const uint8_t* FindLineSpecialCountingLf(const uint8_t* begin, const uint8_t* end, size_t& lfs) {
  return Kernels().FindLineSpecialCountingLf(begin, end, lfs);
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

const uint8_t* FindLoneCrCountingLf(const uint8_t* begin, const uint8_t* end, size_t& lfs) {
  return Kernels().FindLoneCrCountingLf(begin, end, lfs);
}

const uint8_t* FindCodeBytes(const TCodeBytes* codes, size_t n, const uint8_t* begin,
                             size_t count) {
  return Kernels().FindCodeBytes(codes, n, begin, count);
}

}  // namespace ByteScan

}  // namespace varsik
