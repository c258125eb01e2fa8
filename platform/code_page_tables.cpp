#include "platform/code_page_tables.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "base/shift_jis.h"
#include "platform/iconv_converter.h"

namespace varsik {

namespace Platform {
namespace {

// The one code point that iconv makes of `bytes`, or kNone when it refuses them or
// makes more or fewer than one.
uint16_t AskCodePoint(TIconv& conv, std::string_view bytes) {
  std::string utf32;
  if (!conv.Convert(bytes, utf32) || !bytes.empty() || utf32.size() != 4)
    return TCodePageTables::kNone;
  const auto byte = [&](size_t i) { return static_cast<uint32_t>(static_cast<uint8_t>(utf32[i])); };
  const uint32_t cp = byte(0) | byte(1) << 8 | byte(2) << 16 | byte(3) << 24;
  return cp < 0x10000 && cp != TCodePageTables::kNone ? static_cast<uint16_t>(cp)
                                                      : TCodePageTables::kNone;
}

// The CP932 code that iconv makes of one code point, or kNone.
uint16_t AskCp932(TIconv& conv, char32_t cp) {
  const char utf32[4] = {static_cast<char>(cp & 0xFF), static_cast<char>(cp >> 8 & 0xFF), 0, 0};
  std::string_view in(utf32, 4);
  std::string bytes;
  if (!conv.Convert(in, bytes) || !in.empty()) return TCodePageTables::kNone;
  const auto b0 = static_cast<uint8_t>(bytes.empty() ? 0 : bytes[0]);
  if (bytes.size() == 1 && !ShiftJis::IsLeadByte(b0)) {
    // A control byte stands only for itself: line ends and the text's end marks are
    // never made of other characters.
    if (cp >= 0x80 && (b0 < 0x20 || b0 == 0x7F)) return TCodePageTables::kNone;
    return b0;
  }
  if (bytes.size() == 2 && ShiftJis::IsLeadByte(b0))
    return static_cast<uint16_t>(b0 << 8 | static_cast<uint8_t>(bytes[1]));
  return TCodePageTables::kNone;
}

// The CP932 pair that JIS X 0208 row and cell (21-7E) are by the arithmetic of Shift JIS.
uint16_t ShiftJisOfJis(uint8_t row, uint8_t cell) {
  // Rows 75-7E, user-defined, are CP932's F0-F9 (its own user-defined area).
  const int lead = ((row + 1) >> 1) + (row <= 0x5E ? 0x70 : row < 0x75 ? 0xB0 : 0xB5);
  const int trail = (row & 1) != 0 ? cell + (cell <= 0x5F ? 0x1F : 0x20) : cell + 0x7E;
  return static_cast<uint16_t>(lead << 8 | trail);
}

template <size_t N>
void ExpandRuns(std::span<const TCodePageData::TRun> runs, std::span<const uint16_t> values,
                std::array<uint16_t, N>& table) {
  table.fill(TCodePageTables::kNone);
  auto value = values.begin();
  for (const TCodePageData::TRun& run : runs) {
    std::copy_n(value, run.Count, table.begin() + run.Begin);
    value += run.Count;
  }
}

template <size_t N>
void Apply(std::span<const TCodePageData::TEntry> entries, std::array<uint16_t, N>& table) {
  for (const TCodePageData::TEntry& entry : entries) table[entry.Index] = entry.Value;
}

#include "platform/code_page_data.inc"

}  // namespace

const TCodePageTables& TCodePageTables::Get() {
  static const std::unique_ptr<TCodePageTables> tables =
      Expand({kCp932Runs, kCp932Values, kFromUnicodeExceptions, kJis0208Exceptions, kJis0212Runs,
              kJis0212Values});
  return *tables;
}

std::unique_ptr<TCodePageTables> TCodePageTables::Expand(const TCodePageData& data) {
  std::unique_ptr<TCodePageTables> t(new TCodePageTables);
  ExpandRuns(data.Cp932Runs, data.Cp932Values, t->UnicodeFromCp932Table);
  t->Cp932FromUnicodeTable.fill(kNone);
  for (size_t code = 0; code < t->UnicodeFromCp932Table.size(); ++code) {
    const uint16_t cp = t->UnicodeFromCp932Table[code];
    if (cp != kNone && t->Cp932FromUnicodeTable[cp] == kNone)
      t->Cp932FromUnicodeTable[cp] = static_cast<uint16_t>(code);
  }
  Apply(data.FromUnicodeExceptions, t->Cp932FromUnicodeTable);
  for (int row = 0x21; row <= 0x7E; ++row)
    for (int cell = 0x21; cell <= 0x7E; ++cell) {
      const auto r = static_cast<uint8_t>(row), c = static_cast<uint8_t>(cell);
      t->Jis0208Table[JisIndex(r, c)] = t->UnicodeFromCp932Table[ShiftJisOfJis(r, c)];
    }
  Apply(data.Jis0208Exceptions, t->Jis0208Table);
  ExpandRuns(data.Jis0212Runs, data.Jis0212Values, t->Jis0212Table);
  return t;
}

std::unique_ptr<TCodePageTables> TCodePageTables::AskIconv() {
  std::unique_ptr<TCodePageTables> t(new TCodePageTables);
  TIconv toCp932("CP932", "UTF-32LE");
  for (char32_t cp = 0; cp < 0x10000; ++cp)
    t->Cp932FromUnicodeTable[cp] = cp >= 0xD800 && cp < 0xE000 ? kNone : AskCp932(toCp932, cp);

  TIconv fromCp932("UTF-32LE", "CP932");
  t->UnicodeFromCp932Table.fill(kNone);
  for (int b = 0; b < 0x100; ++b) {
    if (ShiftJis::IsLeadByte(static_cast<uint8_t>(b))) {
      for (int trail = 0; trail < 0x100; ++trail) {
        const char pair[2] = {static_cast<char>(b), static_cast<char>(trail)};
        t->UnicodeFromCp932Table[b << 8 | trail] =
            AskCodePoint(fromCp932, std::string_view(pair, 2));
      }
    } else {
      const char single = static_cast<char>(b);
      t->UnicodeFromCp932Table[b] = AskCodePoint(fromCp932, std::string_view(&single, 1));
    }
  }

  // glibc's EUC-JP-MS is eucJP-ms: JIS X 0208 and NEC row 13 in code set 1, JIS X 0212
  // and the IBM extensions in code set 3, the user-defined rows of both as private use.
  TIconv fromEuc("UTF-32LE", "EUC-JP-MS");
  for (int row = 0x21; row <= 0x7E; ++row)
    for (int cell = 0x21; cell <= 0x7E; ++cell) {
      const char g1[2] = {static_cast<char>(row | 0x80), static_cast<char>(cell | 0x80)};
      const char g3[3] = {static_cast<char>(0x8F), g1[0], g1[1]};
      const size_t i = JisIndex(static_cast<uint8_t>(row), static_cast<uint8_t>(cell));
      t->Jis0208Table[i] = AskCodePoint(fromEuc, std::string_view(g1, 2));
      t->Jis0212Table[i] = AskCodePoint(fromEuc, std::string_view(g3, 3));
    }
  return t;
}

}  // namespace Platform

}  // namespace varsik
