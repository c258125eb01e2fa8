#include "search/euc_jp_decoder.h"

#include <cstring>

#include "search/ascii_run.h"
#include "search/char_sequence.h"

namespace varsik {

const uint8_t* TEucJpDecoder::Run(const uint8_t* p, const uint8_t* end, uint8_t*& out, bool final) {
  const Platform::TCodePageTables& tables = Platform::TCodePageTables::Get();
  const uint16_t* const table = Codes.PackedTable();
  uint8_t* o = out;
  while (p < end) {
    // ASCII sixteen bytes at a time (the output has room: two bytes for each byte to come).
    AsciiRun::Copy(p, end, o);
    // Japanese text: two-byte JIS X 0208 codes one after the other.
    while (end - p >= 2 && IsEucJpByte(p[0]) && IsEucJpByte(p[1])) {
      const uint16_t cp = tables.UnicodeFromJis0208(p[0] & 0x7F, p[1] & 0x7F);
      if (cp == Platform::TCodePageTables::kNone) break;
      o = TEngineCodes::Put(o, table[cp]);
      p += 2;
    }
    if (p == end) break;
    if (*p < 0x80) {
      *o++ = *p++;
      continue;
    }
    const TCharSequence c = ReadEucJpSequence(p, end, tables);
    if (c.Status == TCharSequence::TStatus::Cut) {
      if (!final) break;
      // The lead byte of a code that the file's end cut; what follows gets its own turn.
      o = PutUndecodable(o);
      ++p;
    } else if (c.Status == TCharSequence::TStatus::Char) {
      // Every EUC-JP character lies in the Basic Multilingual Plane.
      o = TEngineCodes::Put(o, table[c.CodePoint]);
      p += c.Length;
    } else {
      o = PutUndecodable(o, c.Length);
      p += c.Length;
    }
  }
  out = o;
  return p;
}

}  // namespace varsik
