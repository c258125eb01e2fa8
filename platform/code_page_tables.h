// TCodePageTables: the code tables that decoding Japanese text in other encodings than
// Shift JIS needs: CP932 and Unicode both ways, and EUC-JP (as eucJP-ms, the form of
// EUC-JP with the Windows extensions that glibc knows) to Unicode. They are what the C
// library's iconv gives for the whole of each code page, asked once, by a generator, and
// kept compact in code_page_data.inc (the update-code-page-data target writes it again);
// a process expands them on first use, in microseconds. Lookups then cost nothing per
// character beyond an index.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

namespace varsik {

namespace Platform {

// The tables in the compact form that the generator writes (code_page_data.inc).
struct TCodePageData {
  // Entries [Begin, Begin + Count) of a table, whose values follow one another in a
  // values array; the entries between runs have none.
  struct TRun {
    uint16_t Begin;
    uint16_t Count;
  };
  struct TEntry {
    uint16_t Index;
    uint16_t Value;
  };
  // CP932 to Unicode.
  std::span<const TRun> Cp932Runs;
  std::span<const uint16_t> Cp932Values;
  // Unicode to CP932 where it is not the inverse of CP932 to Unicode (the lowest code of
  // each code point): the one-way fallbacks, the IBM extensions written in place of the
  // NEC-selected ones.
  std::span<const TEntry> FromUnicodeExceptions;
  // JIS X 0208 where it is not the CP932 pair that arithmetic takes it to.
  std::span<const TEntry> Jis0208Exceptions;
  // JIS X 0212 (with the IBM extensions) to Unicode.
  std::span<const TRun> Jis0212Runs;
  std::span<const uint16_t> Jis0212Values;
};

class TCodePageTables {
 public:
  // Where a table has no entry.
  static constexpr uint16_t kNone = 0xFFFF;

  // The tables, expanded by the first call (on any thread).
  static const TCodePageTables& Get();
  // The tables as this machine's iconv gives them, entry by entry (some 100,000 calls,
  // milliseconds): for the generator of the data and the test that checks it.
  static std::unique_ptr<TCodePageTables> AskIconv();
  // The tables that `data` describes.
  static std::unique_ptr<TCodePageTables> Expand(const TCodePageData& data);

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

  bool operator==(const TCodePageTables&) const = default;

 private:
  TCodePageTables() = default;
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
