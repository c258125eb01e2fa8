// TCodePageTables: the code tables that decoding Japanese text in other encodings than
// Shift JIS needs, asked of the C library's iconv once, on first use, for the whole of
// each code page: CP932 and Unicode both ways, and EUC-JP (as eucJP-ms, the form of
// EUC-JP with the Windows extensions that glibc knows) to Unicode. Lookups then cost
// nothing per character beyond an index.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace varsik {

namespace Platform {

class TCodePageTables {
 public:
  // Where a table has no entry.
  static constexpr uint16_t kNone = 0xFFFF;

  // The tables, built by the first call (on any thread).
  static const TCodePageTables& Get();

  // The CP932 code (a byte, or lead byte x 256 + trail byte) that iconv converts the code
  // point to, one-way fallbacks included (U+301C WAVE DASH to 8160, U+00A5 to 5C); kNone
  // for code points past U+FFFF and where CP932 has none. No code point but an ASCII one
  // gives a control byte.
  uint16_t Cp932FromUnicode(char32_t cp) const {
    return cp < 0x10000 ? Cp932FromUnicodeTable[cp] : kNone;
  }

  // The code point of a CP932 code (a byte, or lead byte x 256 + trail byte), or kNone
  // where CP932 defines none (80, A0, FD-FF, a lead byte alone, an undefined pair).
  uint16_t UnicodeFromCp932(uint16_t code) const { return UnicodeFromCp932Table[code]; }

  // The code point of an EUC-JP code of code set 1 (two bytes A1-FE: JIS X 0208 with the
  // NEC row 13 and the user-defined rows) or of code set 3 (8F and two bytes A1-FE: JIS X
  // 0212 with the IBM extensions and user-defined rows), given as the two bytes less 80
  // hex each (row and cell 21-7E, as ISO-2022-JP writes them); kNone where it has none.
  uint16_t UnicodeFromJis0208(uint8_t row, uint8_t cell) const {
    return Jis0208Table[JisIndex(row, cell)];
  }
  uint16_t UnicodeFromJis0212(uint8_t row, uint8_t cell) const {
    return Jis0212Table[JisIndex(row, cell)];
  }

 private:
  TCodePageTables();
  static constexpr size_t kJisSize = 94 * 94;
  static size_t JisIndex(uint8_t row, uint8_t cell) {
    return static_cast<size_t>(row - 0x21) * 94 + static_cast<size_t>(cell - 0x21);
  }

  std::array<uint16_t, 0x10000> Cp932FromUnicodeTable;
  std::array<uint16_t, 0x10000> UnicodeFromCp932Table;
  std::array<uint16_t, kJisSize> Jis0208Table;
  std::array<uint16_t, kJisSize> Jis0212Table;
};

}  // namespace Platform

}  // namespace varsik
