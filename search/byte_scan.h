// ByteScan: vectorised scans over Shift JIS text held in one buffer, shared by the fast
// paths of plain mode and regular-expression mode. The build target decides which forms
// of the scans exist (TIsa); among them the best one the processor has is chosen once, at
// the first call.
//
// Every scan may read up to kPadding bytes behind the end it is given and one byte in
// front of the begin, so callers keep that much readable memory around their text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "base/shift_jis.h"

namespace varsik {

namespace ByteScan {

constexpr size_t kPadding = 64;

using ShiftJis::IsLeadByte;

// The start of the line that holds p, not before begin.
inline const uint8_t* LineStart(const uint8_t* p, const uint8_t* begin) {
  const void* lf = ::memrchr(begin, '\n', static_cast<size_t>(p - begin));
  return lf == nullptr ? begin : static_cast<const uint8_t*>(lf) + 1;
}

// The LF that ends the line holding p, or end.
inline const uint8_t* LineEnd(const uint8_t* p, const uint8_t* end) {
  const void* lf = std::memchr(p, '\n', static_cast<size_t>(end - p));
  return lf == nullptr ? end : static_cast<const uint8_t*>(lf);
}

// How rare the byte is in Japanese Shift JIS text, documents and sources alike: twice
// the negative binary logarithm of its share (7 for the most common bytes, 40 for those
// never seen). Filters test the rarest bytes of what they look for.
uint8_t Rarity(uint8_t b);

// The number of LF bytes in [begin, end).
size_t CountLf(const uint8_t* begin, const uint8_t* end);

// The first byte in [begin, end) that a line scan cannot pass over as ordinary text: a
// NUL, a CR that is not followed by LF, or a 1A that follows an LF. Returns end when
// there is none. Reads the byte before begin and the byte at end.
const uint8_t* FindLineSpecial(const uint8_t* begin, const uint8_t* end);
// FindLineSpecial, and the number of LF bytes in front of what it returns in `lfs`.
const uint8_t* FindLineSpecialCountingLf(const uint8_t* begin, const uint8_t* end, size_t& lfs);

// Two bytes of a word, each tested as (byte & Mask) == Value at its offset from a
// candidate start: a cheap filter whose candidates are then compared in full.
struct TBytePair {
  size_t Offset1 = 0;
  uint8_t Mask1 = 0xFF;
  uint8_t Value1 = 0;
  size_t Offset2 = 0;
  uint8_t Mask2 = 0xFF;
  uint8_t Value2 = 0;
};

// The first of the `count` positions from begin at which both bytes of `pair` pass;
// nullptr when none does. Reads up to begin + count + the larger offset + kPadding.
const uint8_t* FindPair(const TBytePair& pair, const uint8_t* begin, size_t count);

// The first byte in [begin, end) that lies in A0 to DF hex and stands as a character of
// its own (not as the trail byte of a double-byte character), reading characters from
// begin, which must be a character start. Returns end when there is none.
const uint8_t* FindSingleByteKana(const uint8_t* begin, const uint8_t* end);

// The number of line ends in [begin, end) when a lone CR ends a line as LF and CR LF
// do: LF bytes and CR bytes not followed by LF. Reads the byte at end.
size_t CountLineEnds(const uint8_t* begin, const uint8_t* end);

// The first CR in [begin, end) that is not followed by LF, or end. Reads the byte at end.
const uint8_t* FindLoneCr(const uint8_t* begin, const uint8_t* end);
// FindLoneCr, and the number of LF bytes in front of what it returns in `lfs`.
const uint8_t* FindLoneCrCountingLf(const uint8_t* begin, const uint8_t* end, size_t& lfs);

// The bytes of a character code, or a set of them: the byte at a position lies in
// [Lo0, Hi0] and, unless OneByte, the byte behind it in [Lo1, Hi1].
struct TCodeBytes {
  uint8_t Lo0 = 0;
  uint8_t Hi0 = 0;
  uint8_t Lo1 = 0;
  uint8_t Hi1 = 0xFF;
  bool OneByte = true;
};
constexpr size_t kMaxCodeBytes = 8;

// The first of the `count` positions from begin where one of the `n` (at most
// kMaxCodeBytes) entries of `codes` passes; nullptr when none does. Reads up to
// begin + count + kPadding.
const uint8_t* FindCodeBytes(const TCodeBytes* codes, size_t n, const uint8_t* begin, size_t count);

// The trail bytes among 64 bytes whose lead-byte mask is `leads` (bit i for byte i),
// given whether byte 0 is a trail (`carry`); `carry` becomes whether the byte after the
// 64 is one. Inline, as every form of FindSingleByteKana calls it once per 64 bytes.
inline uint64_t TrailMask(uint64_t leads, bool& carry) {
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

// The forms of the scans that the build holds, by instruction set: SSE2 and AVX2 on
// x86-64, NEON on little-endian AArch64, and elsewhere, or when the build asks for it
// with VARSIK_PORTABLE_SCAN, one on 64-bit words that any processor runs.
#if !defined(VARSIK_PORTABLE_SCAN) && defined(__x86_64__)
#define VARSIK_SCAN_X86 1
enum class TIsa { Sse2, Avx2 };
#elif !defined(VARSIK_PORTABLE_SCAN) && defined(__aarch64__) && defined(__AARCH64EL__)
#define VARSIK_SCAN_NEON 1
enum class TIsa { Neon };
#else
#define VARSIK_SCAN_PORTABLE 1
enum class TIsa { Portable };
#endif

// The form the scans use: the best one the processor has, unless a test has chosen
// another to cover them all. A form the processor lacks is never chosen.
TIsa BestIsa();
void SelectIsa(TIsa isa);
// The forms that this processor runs, the baseline first.
std::vector<TIsa> UsableIsas();
// Whether this processor runs `isa`: what other vector routines ask before they use
// their own form of the same instruction set.
bool Runs(TIsa isa);

}  // namespace ByteScan

}  // namespace varsik
