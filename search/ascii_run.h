// Runs of ASCII bytes, found sixteen bytes at a time. The encoding detector and the
// decoders pass over ASCII text with them, as most text of Japanese sources and documents
// is ASCII.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace varsik {

namespace AsciiRun {

constexpr uint64_t kHighBits = 0x8080808080808080;

inline uint64_t Load64(const uint8_t* p) {
  uint64_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

// The index of the first byte, in a word loaded from memory, whose high bit `highBits`
// (not zero) has set.
inline size_t FirstHighByte(uint64_t highBits) {
  if constexpr (std::endian::native == std::endian::little)
    return static_cast<size_t>(std::countr_zero(highBits)) / 8;
  else
    return static_cast<size_t>(std::countl_zero(highBits)) / 8;
}

// The number of ASCII bytes that the sixteen at p begin with (16 when all are).
inline size_t AsciiPrefix16(const uint8_t* p) {
  const uint64_t a = Load64(p) & kHighBits;
  const uint64_t b = Load64(p + 8) & kHighBits;
  if ((a | b) == 0) return 16;
  return a != 0 ? FirstHighByte(a) : 8 + FirstHighByte(b);
}

// Copies the ASCII run at p to o, sixteen bytes at a time while sixteen are left, moving
// both on; stops at the first byte above 7F, or fewer than sixteen bytes before end. Each
// copy is made before the test: what is copied from the byte that stops the run on is
// written over by what follows, so o needs room for sixteen bytes wherever it stops.
inline void Copy(const uint8_t*& p, const uint8_t* end, uint8_t*& o) {
  while (end - p >= 16) {
    std::memcpy(o, p, 16);
    const size_t n = AsciiPrefix16(p);
    p += n;
    o += n;
    if (n < 16) return;
  }
}

// The first byte in [p, end) above 7F, or end. Long runs (the heads of sources and
// pages) go thirty-two bytes a step, with one test for the four words.
inline const uint8_t* End(const uint8_t* p, const uint8_t* end) {
  while (end - p >= 32 &&
         ((Load64(p) | Load64(p + 8) | Load64(p + 16) | Load64(p + 24)) & kHighBits) == 0)
    p += 32;
  while (end - p >= 16) {
    const size_t n = AsciiPrefix16(p);
    p += n;
    if (n < 16) return p;
  }
  while (p < end && *p < 0x80) ++p;
  return p;
}

}  // namespace AsciiRun

}  // namespace varsik
