// Reading one character of UTF-8 or EUC-JP text at a byte above 7F: whether the bytes
// there form a character, which, and how many bytes it takes. Shared by the decoders and
// the encoding detector, so that what decodes and what counts as an error are one thing.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "platform/code_page_tables.h"

namespace varsik {

struct TCharSequence {
  enum class TStatus {
    Char,  // a character: CodePoint, Length bytes
    Cut,   // the start of one, cut by the end of the bytes
    Bad    // Length bytes that decode to no character, each an error of its own
  };
  TStatus Status = TStatus::Bad;
  size_t Length = 1;
  char32_t CodePoint = 0;
};

inline bool IsUtf8Trail(uint8_t b) {
  return (b & 0xC0) == 0x80;
}

// The code point of the three-byte UTF-8 sequence at p, the form of Japanese text, or 0
// when the bytes there are no well-formed one (an overlong form or a surrogate among
// them). Reads p[3] too: the fast path of the readers that ReadUtf8Sequence backs.
inline char32_t Utf8ThreeByteCodePoint(const uint8_t* p) {
  char32_t cp;
  if constexpr (std::endian::native == std::endian::little) {
    // One load and one test of the three bytes' marks.
    uint32_t v;
    std::memcpy(&v, p, sizeof v);
    if ((v & 0xC0C0F0) != 0x8080E0) return 0;
    cp = (v & 0x0F) << 12 | (v & 0x3F00) >> 2 | (v & 0x3F0000) >> 16;
  } else {
    if ((p[0] & 0xF0) != 0xE0 || !IsUtf8Trail(p[1]) || !IsUtf8Trail(p[2])) return 0;
    cp = (p[0] & 0x0F) << 12 | (p[1] & 0x3F) << 6 | (p[2] & 0x3F);
  }
  return cp >= 0x800 && (cp & 0xF800) != 0xD800 ? cp : 0;
}

// The well-formed UTF-8 sequence at p (p < end, *p above 7F). Its second byte's range
// rules out overlong forms, surrogates and code points past U+10FFFF; where the sequence
// is broken, its lead byte alone is bad, and the bytes behind it get their own turn.
inline TCharSequence ReadUtf8Sequence(const uint8_t* p, const uint8_t* end) {
  const uint8_t b = *p;
  size_t length = 0;
  uint8_t low = 0x80;
  uint8_t high = 0xBF;
  if (b >= 0xC2 && b < 0xE0) {
    length = 2;
  } else if (b >= 0xE0 && b < 0xF0) {
    length = 3;
    if (b == 0xE0) low = 0xA0;
    if (b == 0xED) high = 0x9F;
  } else if (b >= 0xF0 && b < 0xF5) {
    length = 4;
    if (b == 0xF0) low = 0x90;
    if (b == 0xF4) high = 0x8F;
  } else {
    return {};
  }
  const auto have = static_cast<size_t>(end - p);
  size_t ok = 1;
  if (have > 1 && p[1] >= low && p[1] <= high) {
    ok = 2;
    while (ok < length && ok < have && IsUtf8Trail(p[ok])) ++ok;
  }
  if (ok < length) return {ok == have ? TCharSequence::TStatus::Cut : TCharSequence::TStatus::Bad};
  char32_t cp = b & (0x7F >> length);
  for (size_t k = 1; k < length; ++k) cp = cp << 6 | (p[k] & 0x3F);
  return {TCharSequence::TStatus::Char, length, cp};
}

// A byte of a two-byte EUC-JP code, A1-FE.
inline bool IsEucJpByte(uint8_t b) {
  return static_cast<uint8_t>(b - 0xA1) <= 0xFE - 0xA1;
}

// The EUC-JP (eucJP-ms) code at p (p < end, *p above 7F): two bytes A1-FE of JIS X 0208,
// 8E and a half-width katakana A1-DF, or 8F and two bytes A1-FE of JIS X 0212. A byte that
// begins none, or a code broken off, is one bad byte; a code of the right bytes that the
// table does not define is as many bad bytes as it has.
inline TCharSequence ReadEucJpSequence(const uint8_t* p, const uint8_t* end,
                                       const Platform::TCodePageTables& tables) {
  const uint8_t b = *p;
  if (b != 0x8E && b != 0x8F && !IsEucJpByte(b)) return {};
  const size_t length = b == 0x8F ? 3 : 2;
  const auto have = static_cast<size_t>(end - p);
  for (size_t k = 1; k < length; ++k) {
    if (k == have) return {TCharSequence::TStatus::Cut};
    if (b == 0x8E ? p[k] < 0xA1 || p[k] > 0xDF : !IsEucJpByte(p[k])) return {};
  }
  if (b == 0x8E) return {TCharSequence::TStatus::Char, 2, char32_t{0xFF61} + (p[1] - 0xA1)};
  const uint16_t cp = b == 0x8F ? tables.UnicodeFromJis0212(p[1] & 0x7F, p[2] & 0x7F)
                                : tables.UnicodeFromJis0208(p[0] & 0x7F, p[1] & 0x7F);
  if (cp == Platform::TCodePageTables::kNone) return {TCharSequence::TStatus::Bad, length};
  return {TCharSequence::TStatus::Char, length, cp};
}

}  // namespace varsik
