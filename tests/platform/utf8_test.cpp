// What counts as UTF-8: a name that does not is shown decoded as Shift JIS, a settings
// file that does not is read as Shift JIS, a word argument that does not is refused.
#include "platform/utf8.h"

#include <string>

#include <gtest/gtest.h>

using namespace varsik;

namespace {

using namespace std::string_literals;

TEST(Utf8, WellFormedSequencesOnly) {
  struct TRow {
    std::string Bytes;
    bool Expected;
  };
  const TRow rows[] = {
      {"", true},
      {"[Window]\nLeft=1\n", true},
      {"a\0b"s, true},
      {"日本語ｶﾀｶﾅ", true},
      {"\xC2\x80\xDF\xBF", true},
      {"\xE0\xA0\x80\xEF\xBF\xBF", true},
      {"\xF0\x90\x80\x80\xF4\x8F\xBF\xBF", true},
      {"ascii \xf0\x9f\x98\x80 \xc2\xa0", true},
      {"\x80", false},              // a continuation byte alone
      {"\xC0\x80", false},          // over-long NUL
      {"\xC1\xBF", false},          // over-long
      {"\xE0\x9F\xBF", false},      // over-long
      {"\xF0\x8F\xBF\xBF", false},  // over-long
      {"\xED\xA0\x80", false},      // a surrogate
      {"\xF4\x90\x80\x80", false},  // beyond U+10FFFF
      {"\xF5\x80\x80\x80", false},
      {"\xFF", false},
      {"\xE3\x81", false},  // cut at the end
      {"\xE3\x41\x82", false},
      {"\x82\xA0\x95\x5C", false},  // Shift JIS
      {"\xB1\xB2", false},          // half-width katakana in Shift JIS
  };
  for (const TRow& row : rows)
    EXPECT_EQ(Platform::IsValidUtf8(row.Bytes), row.Expected) << testing::PrintToString(row.Bytes);
}

}  // namespace

namespace {

TEST(Utf8, CodePointsBothWays) {
  for (char32_t cp : {U'\0', U'a', U'\x7F', U'\x80', U'é', U'\x7FF', U'\x800', U'あ', U'\xFFFD',
                      U'\xFFFF', U'\x10000', U'😀', U'\x10FFFF'}) {
    std::string utf8;
    Platform::AppendUtf8(utf8, cp);
    ASSERT_EQ(Platform::Utf8CharLength(utf8, 0), utf8.size())
        << std::hex << static_cast<uint32_t>(cp);
    EXPECT_EQ(Platform::Utf8CodePoint(utf8, 0, utf8.size()), cp);
  }
  std::string s;
  Platform::AppendUtf8(s, U'あ');
  EXPECT_EQ(s, "あ");
}

}  // namespace
