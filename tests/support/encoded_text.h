// Test helper: Shift JIS text written in the other encodings that files come in, through
// iconv (and, for ISO-2022-JP, from iconv's EUC-JP with the escape sequences put in here,
// as glibc's own ISO-2022-JP lacks half-width katakana and the Windows extensions that
// Japanese mail from Windows carries).
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/iconv_converter.h"
#include "search/encoding.h"

namespace EncodedText {

// `text` converted by iconv; throws when iconv refuses any of it.
inline std::string Iconv(const char* to, const char* from, std::string_view text) {
  Platform::TIconv conv(to, from);
  std::string out;
  std::string_view in = text;
  if (!conv.Convert(in, out)) throw std::invalid_argument(std::string("iconv refuses ") + from);
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

// Shift JIS (CP932) text in `encoding`; a byte-order mark for Utf8Bom, Utf16Le and
// Utf16Be. Throws when `sjis` is no CP932 text.
inline std::string FromShiftJis(std::string_view sjis, TEncoding encoding) {
  switch (encoding) {
    case TEncoding::Ascii:
    case TEncoding::ShiftJis:
      return std::string(sjis);
    case TEncoding::Utf8:
      return Iconv("UTF-8", "CP932", sjis);
    case TEncoding::Utf8Bom:
      return "\xEF\xBB\xBF" + Iconv("UTF-8", "CP932", sjis);
    case TEncoding::Utf16Le:
      return "\xFF\xFE" + Iconv("UTF-16LE", "CP932", sjis);
    case TEncoding::Utf16Be:
      return "\xFE\xFF" + Iconv("UTF-16BE", "CP932", sjis);
    case TEncoding::EucJp:
      return Iconv("EUC-JP-MS", "UTF-8", Iconv("UTF-8", "CP932", sjis));
    case TEncoding::Iso2022Jp:
      return EucJpToIso2022Jp(FromShiftJis(sjis, TEncoding::EucJp));
  }
  return std::string(sjis);
}

// The engine bytes that decoding text made by FromShiftJis gives: the text's characters
// in CP932, each written as CP932 writes it (the NEC-selected IBM extensions, for one,
// as the IBM extensions).
inline std::string CanonicalShiftJis(std::string_view sjis) {
  return Iconv("CP932", "UTF-8", Iconv("UTF-8", "CP932", sjis));
}

}  // namespace EncodedText
