#include "search/original_text.h"

#include <cstdint>
#include <cstring>

#include "platform/code_page_tables.h"
#include "platform/cp932.h"
#include "platform/utf8.h"
#include "search/char_sequence.h"
#include "search/utf8_valid.h"

namespace varsik {

namespace {

using Platform::AppendUtf8;
using Platform::TCodePageTables;

constexpr char32_t kReplacement = 0xFFFD;

const uint8_t* Bytes(std::string_view s) {
  return reinterpret_cast<const uint8_t*>(s.data());
}

void AppendReplacements(std::string& out, size_t count) {
  for (size_t k = 0; k < count; ++k) AppendUtf8(out, kReplacement);
}

// The line converted unit by unit: `step` appends what the unit at p (p < end) stands for
// and returns where the next one begins.
template <typename TStep>
std::string EachUnit(std::string_view bytes, TStep step) {
  const uint8_t* p = Bytes(bytes);
  const uint8_t* const end = p + bytes.size();
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 2);
  while (p < end) p = step(p, end, out);
  return out;
}

std::string Utf8ToUtf8(std::string_view bytes) {
  // The long well-formed runs vector by vector, the rest from the character where that
  // stopped.
  const uint8_t* const wellFormed =
      Utf8Valid::WellFormedEnd(Bytes(bytes), Bytes(bytes) + bytes.size());
  if (Platform::IsValidUtf8(bytes.substr(static_cast<size_t>(wellFormed - Bytes(bytes)))))
    return std::string(bytes);
  return EachUnit(bytes, [bytes](const uint8_t* p, const uint8_t*, std::string& out) {
    const auto i = static_cast<size_t>(p - Bytes(bytes));
    const size_t length = Platform::Utf8CharLength(bytes, i);
    if (length == 0) {
      AppendUtf8(out, kReplacement);
      return p + 1;
    }
    out.append(bytes, i, length);
    return p + length;
  });
}

std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian) {
  const auto unitAt = [bigEndian](const uint8_t* p) {
    return static_cast<char32_t>(bigEndian ? p[0] << 8 | p[1] : p[1] << 8 | p[0]);
  };
  return EachUnit(bytes, [unitAt](const uint8_t* p, const uint8_t* end, std::string& out) {
    if (end - p < 2) {
      AppendUtf8(out, kReplacement);  // an odd byte at the end
      return end;
    }
    const char32_t unit = unitAt(p);
    if (unit >= 0xD800 && unit < 0xDC00 && end - p >= 4) {
      const char32_t low = unitAt(p + 2);
      if (low >= 0xDC00 && low < 0xE000) {
        AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10 | (low - 0xDC00)));
        return p + 4;
      }
    }
    AppendUtf8(out, unit >= 0xD800 && unit < 0xE000 ? kReplacement : unit);
    return p + 2;
  });
}

std::string EucJpToUtf8(std::string_view bytes) {
  const TCodePageTables& tables = TCodePageTables::Get();
  return EachUnit(bytes, [&tables](const uint8_t* p, const uint8_t* end, std::string& out) {
    if (*p < 0x80) {
      out += static_cast<char>(*p);
      return p + 1;
    }
    const TCharSequence c = ReadEucJpSequence(p, end, tables);
    if (c.Status == TCharSequence::TStatus::Char) {
      AppendUtf8(out, c.CodePoint);
      return p + c.Length;
    }
    const size_t bad = c.Status == TCharSequence::TStatus::Cut ? 1 : c.Length;
    AppendReplacements(out, bad);
    return p + bad;
  });
}

std::string Iso2022JpToUtf8(std::string_view bytes, TJisShift shift) {
  const TCodePageTables& tables = TCodePageTables::Get();
  return EachUnit(bytes, [&tables, &shift](const uint8_t* p, const uint8_t* end, std::string& out) {
    const uint8_t b = *p;
    if (b == 0x1B) {
      const TJisEscape escape = ReadJisEscape(p, end);
      if (escape.Length > 0) {
        if (escape.Kind == TJisEscape::TKind::Shift) shift = escape.Shift;
        return p + escape.Length;
      }
    }
    ++p;
    if (b >= 0x80) {
      AppendUtf8(out, kReplacement);
    } else if (b < 0x21 || b > 0x7E || shift == TJisShift::Ascii) {
      out += static_cast<char>(b);
    } else if (shift == TJisShift::Roman) {
      // JIS X 0201 Roman has the yen sign and the overline where ASCII has the backslash
      // and the tilde.
      AppendUtf8(out, b == 0x5C ? 0xA5 : b == 0x7E ? 0x203E : b);
    } else if (shift == TJisShift::Kana) {
      AppendUtf8(out, b <= 0x5F ? 0xFF61 + (b - 0x21) : kReplacement);
    } else if (p == end || *p < 0x21 || *p > 0x7E) {
      AppendUtf8(out, kReplacement);
    } else {
      const uint16_t cp = shift == TJisShift::Jis0212 ? tables.UnicodeFromJis0212(b, *p)
                                                      : tables.UnicodeFromJis0208(b, *p);
      if (cp == TCodePageTables::kNone)
        AppendReplacements(out, 2);
      else
        AppendUtf8(out, cp);
      ++p;
    }
    return p;
  });
}

}  // namespace

std::string OriginalToUtf8(std::string_view bytes, TEncoding encoding, TJisShift shift) {
  switch (encoding) {
    case TEncoding::Ascii:
    case TEncoding::ShiftJis:
      return Platform::Cp932ToUtf8(bytes);
    case TEncoding::Utf8:
    case TEncoding::Utf8Bom:
      return Utf8ToUtf8(bytes);
    case TEncoding::Utf16Le:
      return Utf16ToUtf8(bytes, false);
    case TEncoding::Utf16Be:
      return Utf16ToUtf8(bytes, true);
    case TEncoding::EucJp:
      return EucJpToUtf8(bytes);
    case TEncoding::Iso2022Jp:
      return Iso2022JpToUtf8(bytes, shift);
  }
  return std::string(bytes);
}

TJisShift JisShiftAfter(std::string_view bytes, TJisShift shift) {
  const uint8_t* p = Bytes(bytes);
  const uint8_t* const end = p + bytes.size();
  while (const void* esc = std::memchr(p, 0x1B, static_cast<size_t>(end - p))) {
    p = static_cast<const uint8_t*>(esc);
    const TJisEscape escape = ReadJisEscape(p, end);
    if (escape.Kind == TJisEscape::TKind::Shift) shift = escape.Shift;
    p += escape.Length > 0 ? escape.Length : 1;
  }
  return shift;
}

size_t ByteOrderMarkLength(std::string_view fileStart, TEncoding encoding) {
  switch (encoding) {
    case TEncoding::Utf8:
    case TEncoding::Utf8Bom:
      return fileStart.starts_with("\xEF\xBB\xBF") ? 3 : 0;
    case TEncoding::Utf16Le:
      return fileStart.starts_with("\xFF\xFE") ? 2 : 0;
    case TEncoding::Utf16Be:
      return fileStart.starts_with("\xFE\xFF") ? 2 : 0;
    default:
      return 0;
  }
}

}  // namespace varsik
