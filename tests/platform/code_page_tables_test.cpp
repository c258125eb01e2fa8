// TCodePageTables against iconv itself, entry by entry: CP932 both ways (one-way fallbacks
// included, no control byte made of another character), and the EUC-JP (eucJP-ms) sets,
// whose JIS X 0208 rows are those of the arithmetic that takes JIS to Shift JIS except
// where CP932 writes a character of NEC row 13 in row 2, and in the user-defined rows.
#include "platform/code_page_tables.h"

#include <string>

#include <gtest/gtest.h>

#include "platform/iconv_converter.h"
#include "platform/utf8.h"

using namespace varsik;

namespace {

using Platform::TCodePageTables;

// The one code point that iconv reads `bytes` as, or kNone.
uint16_t Read(const char* from, std::string_view bytes) {
  Platform::TIconv conv("UTF-8", from);
  std::string utf8;
  if (!conv.Convert(bytes, utf8) || !bytes.empty() || utf8.empty()) return TCodePageTables::kNone;
  const size_t length = Platform::Utf8CharLength(utf8, 0);
  if (length != utf8.size()) return TCodePageTables::kNone;
  const char32_t cp = Platform::Utf8CodePoint(utf8, 0, length);
  return cp < 0xFFFF ? static_cast<uint16_t>(cp) : TCodePageTables::kNone;
}

std::string Cp932Bytes(uint16_t code) {
  std::string s;
  if (code > 0xFF) s += static_cast<char>(code >> 8);
  s += static_cast<char>(code & 0xFF);
  return s;
}

// The tables are kept in the sources, written by generate-code-page-data: they are still
// what iconv gives on this machine, every entry of every table.
TEST(CodePageTables, CommittedDataIsWhatIconvGives) {
  EXPECT_TRUE(*TCodePageTables::AskIconv() == TCodePageTables::Get())
      << "platform/code_page_data.inc differs from iconv: "
         "cmake --build build --target update-code-page-data";
}

TEST(CodePageTables, Cp932AsIconvHasIt) {
  const TCodePageTables& t = TCodePageTables::Get();
  // One-way fallbacks.
  EXPECT_EQ(t.Cp932FromUnicode(0x301C), 0x8160);  // WAVE DASH
  EXPECT_EQ(t.Cp932FromUnicode(0xFF5E), 0x8160);
  EXPECT_EQ(t.UnicodeFromCp932(0x8160), 0xFF5E);
  EXPECT_EQ(t.Cp932FromUnicode(0x00A5), 0x5C);
  EXPECT_EQ(t.Cp932FromUnicode(0x203E), 0x7E);
  // NEC-selected IBM extensions are written as the IBM ones.
  EXPECT_EQ(t.UnicodeFromCp932(0xED40), 0x7E8A);
  EXPECT_EQ(t.Cp932FromUnicode(0x7E8A), 0xFA5C);
  // None, and nothing past the BMP.
  EXPECT_EQ(t.Cp932FromUnicode(0x00E9), TCodePageTables::kNone);
  EXPECT_EQ(t.Cp932FromUnicode(0x1F600), TCodePageTables::kNone);
  for (uint16_t undefined : {0x80, 0xA0, 0xFD, 0xFE, 0xFF, 0x81, 0x8100, 0x817F, 0x85A0})
    EXPECT_EQ(t.UnicodeFromCp932(undefined), TCodePageTables::kNone) << std::hex << undefined;

  // Every entry that decodes, read back through iconv; every code point above 7F that
  // becomes a byte becomes a printable one.
  int decoded = 0;
  for (uint32_t code = 0; code < 0x10000; ++code) {
    const uint16_t cp = t.UnicodeFromCp932(static_cast<uint16_t>(code));
    if (cp == TCodePageTables::kNone) continue;
    ++decoded;
    ASSERT_EQ(Read("CP932", Cp932Bytes(static_cast<uint16_t>(code))), cp) << std::hex << code;
  }
  // 128 ASCII and control bytes, 63 half-width katakana and 9604 pairs: JIS X 0208, NEC
  // row 13, the NEC-selected and the IBM extensions, 1880 user-defined.
  EXPECT_EQ(decoded, 128 + 63 + 6879 + 83 + 374 + 388 + 1880);
  for (char32_t cp = 0x80; cp < 0x10000; ++cp) {
    const uint16_t code = t.Cp932FromUnicode(cp);
    if (code == TCodePageTables::kNone) continue;
    ASSERT_TRUE(code > 0xFF || (code >= 0x20 && code != 0x7F))
        << std::hex << static_cast<uint32_t>(cp);
    ASSERT_NE(t.UnicodeFromCp932(code), TCodePageTables::kNone)
        << std::hex << static_cast<uint32_t>(cp);
  }
  for (char32_t cp = 0; cp < 0x80; ++cp) ASSERT_EQ(t.Cp932FromUnicode(cp), cp);
}

// JIS X 0208 to Shift JIS by arithmetic.
uint16_t JisToShiftJis(uint8_t row, uint8_t cell) {
  const uint8_t lead = static_cast<uint8_t>(((row + 1) >> 1) + (row <= 0x5E ? 0x70 : 0xB0));
  const uint8_t trail =
      static_cast<uint8_t>(cell + ((row & 1) ? (cell >= 0x60 ? 0x20 : 0x1F) : 0x7E));
  return static_cast<uint16_t>(lead << 8 | trail);
}

TEST(CodePageTables, EucJpAsIconvHasIt) {
  const TCodePageTables& t = TCodePageTables::Get();
  int differ = 0;
  for (uint8_t row = 0x21; row <= 0x7E; ++row) {
    for (uint8_t cell = 0x21; cell <= 0x7E; ++cell) {
      const char g1[2] = {static_cast<char>(row | 0x80), static_cast<char>(cell | 0x80)};
      const char g3[3] = {'\x8F', g1[0], g1[1]};
      ASSERT_EQ(t.UnicodeFromJis0208(row, cell), Read("EUC-JP-MS", std::string_view(g1, 2)));
      ASSERT_EQ(t.UnicodeFromJis0212(row, cell), Read("EUC-JP-MS", std::string_view(g3, 3)));
      // The rows of JIS X 0208 and NEC row 13 are CP932's by arithmetic, but for the NEC
      // characters that CP932 writes in row 2.
      const uint16_t cp = t.UnicodeFromJis0208(row, cell);
      if (cp == TCodePageTables::kNone || row > 0x74) continue;
      if (t.Cp932FromUnicode(cp) != JisToShiftJis(row, cell)) {
        ++differ;
        EXPECT_EQ(row, 0x2D) << std::hex << int(row) << " " << int(cell);
      }
    }
  }
  EXPECT_EQ(differ, 9);
  // The WAVE DASH as eucJP-ms has it, and a JIS X 0212 letter.
  EXPECT_EQ(t.UnicodeFromJis0208(0x21, 0x41), 0xFF5E);
  EXPECT_EQ(t.UnicodeFromJis0212(0x2B, 0x31), 0x00E9);
}

}  // namespace
