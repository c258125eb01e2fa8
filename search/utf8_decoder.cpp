#include "search/utf8_decoder.h"

#include <cstring>

#include "search/ascii_run.h"
#include "search/char_sequence.h"

namespace varsik {

const uint8_t* TUtf8Decoder::Run(const uint8_t* p, const uint8_t* end, uint8_t*& out, bool final) {
  const uint16_t* const table = Codes.PackedTable();
  uint8_t* o = out;
  // A byte-order mark cut by the end of the piece waits below like any cut character.
  if (StartsFile && end - p >= 3 && p[0] == 0xEF && p[1] == 0xBB && p[2] == 0xBF) p += 3;
  while (p < end) {
    // ASCII sixteen bytes at a time (the output has room: two bytes for each byte to come).
    AsciiRun::Copy(p, end, o);
    // Japanese text: three-byte sequences one after the other.
    while (end - p >= 4) {
      const char32_t cp = Utf8ThreeByteCodePoint(p);
      if (cp == 0) break;
      o = TEngineCodes::Put(o, table[cp]);
      p += 3;
    }
    if (p == end) break;
    if (*p < 0x80) {
      *o++ = *p++;
      continue;
    }
    const TCharSequence c = ReadUtf8Sequence(p, end);
    if (c.Status == TCharSequence::TStatus::Cut && !final) break;
    if (c.Status == TCharSequence::TStatus::Char) {
      o = TEngineCodes::Put(o, c.CodePoint < 0x10000
                                   ? Codes.Packed(static_cast<char16_t>(c.CodePoint))
                                   : Codes.PackedAstral(c.CodePoint));
      p += c.Length;
    } else {
      // Each byte that does not decode is a character of its own.
      o = PutUndecodable(o);
      ++p;
    }
  }
  out = o;
  return p;
}

}  // namespace varsik
