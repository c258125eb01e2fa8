// The escape sequences of ISO-2022-JP (JIS) and the character sets they switch to, shared
// by its decoder, the encoding detector and the conversion of its lines for output.
#pragma once

#include <cstddef>
#include <cstdint>

namespace varsik {

// The character set that the bytes 21-7E stand for.
enum class TJisShift : uint8_t {
  Ascii,    // ESC ( B
  Roman,    // ESC ( J: JIS X 0201 Roman, read as ASCII (its yen and overline are CP932's 5C, 7E)
  Kana,     // ESC ( I: JIS X 0201 katakana, one byte each
  Jis0208,  // ESC $ @, ESC $ B: two bytes each
  Jis0212   // ESC $ ( D: two bytes each
};

// What stands at an ESC byte.
struct TJisEscape {
  enum class TKind {
    None,     // no escape sequence that ISO-2022-JP knows: the ESC is a byte like any other
    Cut,      // the start of one, cut by the end of the bytes
    Shift,    // a change to Shift
    NoChange  // ESC & @, which only announces that ESC $ B follows
  };
  TKind Kind = TKind::None;
  size_t Length = 0;
  TJisShift Shift = TJisShift::Ascii;
};

// The escape sequence that starts at p (an ESC byte), reading no further than end.
inline TJisEscape ReadJisEscape(const uint8_t* p, const uint8_t* end) {
  struct TSequence {
    const char* Bytes;
    size_t Length;
    TJisEscape::TKind Kind;
    TJisShift Shift;
  };
  static constexpr TSequence kSequences[] = {
      {"\x1B(B", 3, TJisEscape::TKind::Shift, TJisShift::Ascii},
      {"\x1B(J", 3, TJisEscape::TKind::Shift, TJisShift::Roman},
      {"\x1B(I", 3, TJisEscape::TKind::Shift, TJisShift::Kana},
      {"\x1B$@", 3, TJisEscape::TKind::Shift, TJisShift::Jis0208},
      {"\x1B$B", 3, TJisEscape::TKind::Shift, TJisShift::Jis0208},
      {"\x1B$(D", 4, TJisEscape::TKind::Shift, TJisShift::Jis0212},
      {"\x1B&@", 3, TJisEscape::TKind::NoChange, TJisShift::Ascii},
  };
  const auto left = static_cast<size_t>(end - p);
  bool cut = false;
  for (const TSequence& s : kSequences) {
    size_t k = 1;
    while (k < s.Length && k < left && p[k] == static_cast<uint8_t>(s.Bytes[k])) ++k;
    if (k == s.Length) return {s.Kind, s.Length, s.Shift};
    if (k == left) cut = true;
  }
  return {cut ? TJisEscape::TKind::Cut : TJisEscape::TKind::None, 0, TJisShift::Ascii};
}

}  // namespace varsik
