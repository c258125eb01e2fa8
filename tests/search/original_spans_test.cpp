// OriginalSpans: spans on a line's engine bytes move onto the same characters of the
// line's own bytes, in every encoding; Shift JIS lines keep them as they are.
#include "search/original_spans.h"

#include <gtest/gtest.h>

#include "search/original_text.h"

using namespace varsik;

namespace {

using TSpans = std::vector<TMatchSpan>;

TEST(OriginalSpans, SpansMoveCharacterByCharacter) {
  TEngineCodes codes;
  codes.AddWord("😀");
  struct TCase {
    const char* Name;
    std::string Original;
    TEncoding Encoding;
    TSpans Engine;
    TSpans Moved;
  };
  // Engine bytes of "a😀bé日本": a, 😀's reserved code, b, é as kOther, 日, 本.
  const TCase cases[] = {
      {"UTF-8", "a😀bé日本", TEncoding::Utf8, {{1, 4}, {4, 6}, {6, 10}}, {{1, 6}, {6, 8}, {8, 14}}},
      {"UTF-8, a whole line and an empty span",
       "a😀bé日本",
       TEncoding::Utf8,
       {{0, 10}, {3, 3}},
       {{0, 14}, {5, 5}}},
      {"UTF-8, a stray byte is one character",
       "a\xFF"
       "b",
       TEncoding::Utf8,
       {{1, 3}},
       {{1, 2}}},
      {"UTF-16 LE", std::string("a\0\xE5\x65", 4), TEncoding::Utf16Le, {{1, 3}}, {{2, 4}}},
      {"UTF-16 BE, a surrogate pair",
       std::string("\xD8\x3D\xDE\x00\0x", 6),
       TEncoding::Utf16Be,
       {{0, 2}, {2, 3}},
       {{0, 4}, {4, 6}}},
      {"EUC-JP", "x\xC6\xFC\xCB\xDC", TEncoding::EucJp, {{3, 5}}, {{3, 5}}},
      // An escape sequence belongs to the character behind it.
      {"ISO-2022-JP",
       "\x1B$BF|K\\\x1B(Bz",
       TEncoding::Iso2022Jp,
       {{0, 2}, {2, 5}},
       {{0, 5}, {5, 11}}},
      {"Shift JIS", "\x93\xFA\x96\x7B", TEncoding::ShiftJis, {{2, 4}}, {{2, 4}}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(OriginalSpans(c.Original, c.Encoding, c.Engine, codes), c.Moved);
  }
}

}  // namespace
