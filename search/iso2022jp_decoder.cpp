#include "search/iso2022jp_decoder.h"

#include <cstring>

#include "platform/code_page_tables.h"
#include "search/ascii_run.h"
#include "search/jis_escape.h"

namespace varsik {

namespace {

constexpr uint8_t kEsc = 0x1B;

bool IsJisByte(uint8_t b) {
  return b >= 0x21 && b <= 0x7E;
}

}  // namespace

const uint8_t* TIso2022JpDecoder::Run(const uint8_t* p, const uint8_t* end, uint8_t*& out,
                                      bool final) {
  const Platform::TCodePageTables& tables = Platform::TCodePageTables::Get();
  const uint16_t* const table = Codes.PackedTable();
  auto shift = static_cast<TJisShift>(Shift);
  uint8_t* o = out;
  while (p < end) {
    if (shift == TJisShift::Ascii || shift == TJisShift::Roman) {
      // Text up to the next escape sequence (or byte above 7F) as it is.
      const void* esc = std::memchr(p, kEsc, static_cast<size_t>(end - p));
      const uint8_t* stop = AsciiRun::End(p, esc ? static_cast<const uint8_t*>(esc) : end);
      std::memcpy(o, p, static_cast<size_t>(stop - p));
      o += stop - p;
      p = stop;
      if (p == end) break;
    } else if (shift != TJisShift::Kana) {
      // Two-byte codes one after the other.
      while (end - p >= 2 && IsJisByte(p[0]) && IsJisByte(p[1])) {
        const uint16_t cp = shift == TJisShift::Jis0212 ? tables.UnicodeFromJis0212(p[0], p[1])
                                                        : tables.UnicodeFromJis0208(p[0], p[1]);
        if (cp == Platform::TCodePageTables::kNone) break;
        o = TEngineCodes::Put(o, table[cp]);
        p += 2;
      }
      if (p == end) break;
    }
    const uint8_t b = *p;
    if (b == kEsc) {
      const TJisEscape escape = ReadJisEscape(p, end);
      if (escape.Kind == TJisEscape::TKind::Cut && !final) break;
      if (escape.Kind == TJisEscape::TKind::Shift || escape.Kind == TJisEscape::TKind::NoChange) {
        if (escape.Kind == TJisEscape::TKind::Shift) shift = escape.Shift;
        p += escape.Length;
        continue;
      }
    }
    if (b >= 0x80) {
      o = PutUndecodable(o);
      ++p;
      continue;
    }
    if (!IsJisByte(b) || shift == TJisShift::Ascii || shift == TJisShift::Roman) {
      *o++ = b;
      ++p;
      continue;
    }
    if (shift == TJisShift::Kana) {
      if (b <= 0x5F)
        *o++ = static_cast<uint8_t>(b + 0x80);
      else
        o = PutUndecodable(o);
      ++p;
      continue;
    }
    if (end - p < 2) {
      if (!final) break;
      o = PutUndecodable(o);
      ++p;
      continue;
    }
    if (!IsJisByte(p[1])) {
      o = PutUndecodable(o);
      ++p;
      continue;
    }
    const uint16_t cp = shift == TJisShift::Jis0212 ? tables.UnicodeFromJis0212(b, p[1])
                                                    : tables.UnicodeFromJis0208(b, p[1]);
    if (cp == Platform::TCodePageTables::kNone) {
      o = PutUndecodable(o, 2);
    } else {
      o = TEngineCodes::Put(o, table[cp]);
    }
    p += 2;
  }
  Shift = static_cast<uint8_t>(shift);
  out = o;
  return p;
}

}  // namespace varsik
