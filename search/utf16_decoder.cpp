#include "search/utf16_decoder.h"

namespace varsik {

namespace {

template <bool kBigEndian>
char16_t UnitAt(const uint8_t* p) {
  return static_cast<char16_t>(kBigEndian ? p[0] << 8 | p[1] : p[1] << 8 | p[0]);
}

}  // namespace

const uint8_t* TUtf16Decoder::Run(const uint8_t* p, const uint8_t* end, uint8_t*& out, bool final) {
  // The byte order is a template argument, so that the loop holds no test of it.
  return BigEndian ? RunAs<true>(p, end, out, final) : RunAs<false>(p, end, out, final);
}

template <bool kBigEndian>
const uint8_t* TUtf16Decoder::RunAs(const uint8_t* p, const uint8_t* end, uint8_t*& out,
                                    bool final) {
  uint8_t* o = out;
  if (StartsFile && end - p >= 2 && UnitAt<kBigEndian>(p) == 0xFEFF) p += 2;
  while (end - p >= 2) {
    const char16_t unit = UnitAt<kBigEndian>(p);
    if (unit < 0xD800 || unit >= 0xE000) {
      o = TEngineCodes::Put(o, Codes.Packed(unit));
      p += 2;
      continue;
    }
    if (unit < 0xDC00) {
      if (end - p < 4) {
        if (!final) break;
      } else if (const char16_t low = UnitAt<kBigEndian>(p + 2); low >= 0xDC00 && low < 0xE000) {
        const char32_t cp = 0x10000 + ((unit - 0xD800) << 10 | (low - 0xDC00));
        o = TEngineCodes::Put(o, Codes.PackedAstral(cp));
        p += 4;
        continue;
      }
    }
    // A lone surrogate.
    o = PutUndecodable(o);
    p += 2;
  }
  if (end - p == 1 && final) {
    o = PutUndecodable(o);
    ++p;
  }
  out = o;
  return p;
}

}  // namespace varsik
