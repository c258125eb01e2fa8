// TEncoding: the encodings a file is read in. Files in Shift JIS (CP932) and pure ASCII
// are searched as they are; every other encoding is decoded to the engine's Shift JIS
// bytes first (search/decoder.h).
#pragma once

#include <string_view>

namespace varsik {

enum class TEncoding {
  Ascii,     // no byte above 7F: read as Shift JIS, no decoding needed
  ShiftJis,  // CP932, the default and the fallback
  Utf8,
  Utf8Bom,  // UTF-8 that begins with its byte-order mark
  Utf16Le,
  Utf16Be,
  EucJp,     // eucJP-ms, EUC-JP with the Windows extensions
  Iso2022Jp  // JIS: 7-bit, with escape sequences
};

// A short name for messages and tests: "ascii", "cp932", "utf-8", "utf-8-bom", "utf-16le",
// "utf-16be", "euc-jp", "iso-2022-jp".
constexpr std::string_view EncodingName(TEncoding encoding) {
  switch (encoding) {
    case TEncoding::Ascii:
      return "ascii";
    case TEncoding::ShiftJis:
      return "cp932";
    case TEncoding::Utf8:
      return "utf-8";
    case TEncoding::Utf8Bom:
      return "utf-8-bom";
    case TEncoding::Utf16Le:
      return "utf-16le";
    case TEncoding::Utf16Be:
      return "utf-16be";
    case TEncoding::EucJp:
      return "euc-jp";
    case TEncoding::Iso2022Jp:
      return "iso-2022-jp";
  }
  return "";
}

// Whether files in the encoding are searched as they are, without decoding.
constexpr bool ReadsAsShiftJis(TEncoding encoding) {
  return encoding == TEncoding::Ascii || encoding == TEncoding::ShiftJis;
}

}  // namespace varsik
