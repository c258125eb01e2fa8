// Test helper: Shift JIS text written in the other encodings that files come in, through
// iconv (and, for ISO-2022-JP, from iconv's EUC-JP with the escape sequences put in here,
// as glibc's own ISO-2022-JP lacks half-width katakana and the Windows extensions that
// Japanese mail from Windows carries).
#pragma once

#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

#include "platform/iconv_converter.h"
#include "search/encoding.h"

namespace varsik {

namespace EncodedText {

// `text` converted by iconv; throws when iconv refuses any of it. The converters are kept
// (tests convert thousands of files; opening one each time would cost more than its use).
inline std::string Iconv(const char* to, const char* from, std::string_view text) {
  static std::map<std::pair<std::string, std::string>, std::unique_ptr<Platform::TIconv>> kept;
  std::unique_ptr<Platform::TIconv>& conv = kept[{to, from}];
  if (!conv) conv = std::make_unique<Platform::TIconv>(to, from);
  std::string out;
  out.reserve(text.size() * 2);
  std::string_view in = text;
  if (!conv->Convert(in, out)) throw std::invalid_argument(std::string("iconv refuses ") + from);
  return out;
}

// EUC-JP as ISO-2022-JP: each run of code set 1 after ESC $ B, of code set 3 after
// ESC $ ( D and of half-width katakana after ESC ( I, with the bytes less 80 hex; back to
// ASCII (ESC ( B) before each ASCII character and at the end.
inline std::string EucJpToIso2022Jp(std::string_view euc) {
  enum { kAscii, kJis0208, kJis0212, kKana } shift = kAscii;
  std::string out;
  const auto to = [&](decltype(shift) s, const char* escape) {
    if (shift != s) out += escape;
    shift = s;
  };
  for (size_t i = 0; i < euc.size();) {
    const auto b = static_cast<uint8_t>(euc[i]);
    if (b < 0x80) {
      to(kAscii, "\x1B(B");
      out += euc[i++];
    } else if (b == 0x8E) {
      to(kKana, "\x1B(I");
      out += static_cast<char>(euc[i + 1] & 0x7F);
      i += 2;
    } else if (b == 0x8F) {
      to(kJis0212, "\x1B$(D");
      out += static_cast<char>(euc[i + 1] & 0x7F);
      out += static_cast<char>(euc[i + 2] & 0x7F);
      i += 3;
    } else {
      to(kJis0208, "\x1B$B");
      out += static_cast<char>(euc[i] & 0x7F);
      out += static_cast<char>(euc[i + 1] & 0x7F);
      i += 2;
    }
  }
  to(kAscii, "\x1B(B");
  return out;
}

// UTF-8 text in `encoding` (CP932 for Ascii and ShiftJis); a byte-order mark for Utf8Bom,
// Utf16Le and Utf16Be. Throws when the encoding cannot hold a character of it.
inline std::string FromUtf8(std::string_view utf8, TEncoding encoding) {
  switch (encoding) {
    case TEncoding::Ascii:
    case TEncoding::ShiftJis:
      return Iconv("CP932", "UTF-8", utf8);
    case TEncoding::Utf8:
      return std::string(utf8);
    case TEncoding::Utf8Bom:
      return "\xEF\xBB\xBF" + std::string(utf8);
    case TEncoding::Utf16Le:
      return "\xFF\xFE" + Iconv("UTF-16LE", "UTF-8", utf8);
    case TEncoding::Utf16Be:
      return "\xFE\xFF" + Iconv("UTF-16BE", "UTF-8", utf8);
    case TEncoding::EucJp:
      return Iconv("EUC-JP-MS", "UTF-8", utf8);
    case TEncoding::Iso2022Jp:
      return EucJpToIso2022Jp(Iconv("EUC-JP-MS", "UTF-8", utf8));
  }
  return std::string(utf8);
}

// Shift JIS (CP932) text in `encoding`, as FromUtf8 writes it; Shift JIS as it is. Throws
// when `sjis` is no CP932 text.
inline std::string FromShiftJis(std::string_view sjis, TEncoding encoding) {
  if (ReadsAsShiftJis(encoding)) return std::string(sjis);
  return FromUtf8(Iconv("UTF-8", "CP932", sjis), encoding);
}

}  // namespace EncodedText

}  // namespace varsik
