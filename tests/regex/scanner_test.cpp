// Token streams and token-level errors of the pattern scanner, and the character-code
// functions it is built on.
#include <gtest/gtest.h>

#include "regex/errors.h"
#include "regex/re_char_code.h"
#include "regex/re_scanner.h"
#include "tests/regex/regex_test_support.h"

using namespace varsik;

namespace {

using RegexTest::Sjis;

const char* KindName(RE_TokenKind_t kind) {
  static const char* const names[] = {"Char", "Range", "Union", "LPar",  "RPar",
                                      "Star", "Plus",  "QMark", "LBra",  "LBraNeg",
                                      "RBra", "Dot",   "LHead", "LTail", "End"};
  return names[kind];
}

// The token stream as "Kind:code" items (a range as "Range:lo-hi"), codes in hex.
std::string Tokens(const std::string& pattern) {
  TREScanner scanner(pattern);
  std::string out;
  for (;;) {
    RE_TokenKind_t kind = scanner.NextToken();
    char buf[40];
    if (kind == tkRange)
      std::snprintf(buf, sizeof buf, "Range:%X-%X", scanner.Code(), scanner.CodeEnd());
    else
      std::snprintf(buf, sizeof buf, "%s:%X", KindName(kind), scanner.Code());
    if (!out.empty()) out += ' ';
    out += buf;
    if (kind == tkEnd) return out;
  }
}

struct TTokenCase {
  friend void PrintTo(const TTokenCase& c, std::ostream* os) {
    RegexTest::PrintPattern(c.Pattern, os);
  }
  std::string Pattern;
  std::string Expected;
};

class ScannerTokens : public testing::TestWithParam<TTokenCase> {};

TEST_P(ScannerTokens, YieldsStream) {
  EXPECT_EQ(Tokens(GetParam().Pattern), GetParam().Expected) << GetParam().Pattern;
}

INSTANTIATE_TEST_SUITE_P(
    Table, ScannerTokens,
    testing::Values(
        TTokenCase{"", "End:0"}, TTokenCase{"a|b", "Char:61 Union:7C Char:62 End:0"},
        TTokenCase{"()*+?.^$]",
                   "LPar:28 RPar:29 Star:2A Plus:2B QMark:3F Dot:2E LHead:5E "
                   "LTail:24 RBra:5D End:0"},
        TTokenCase{"-{},", "Char:2D Char:7B Char:7D Char:2C End:0"},
        // Trail bytes equal to "\" and "|" belong to their characters.
        TTokenCase{Sjis("表ソポ"), "Char:955C Char:835C Char:837C End:0"},
        TTokenCase{Sjis("表|ポ"), "Char:955C Union:7C Char:837C End:0"},
        TTokenCase{"\xB1\xDF", "Char:B1 Char:DF End:0"},  // halfwidth kana: single bytes
        TTokenCase{"\\x41", "Char:41 End:0"}, TTokenCase{"\\x12345", "Char:1234 Char:35 End:0"},
        TTokenCase{"\\X41", "Char:58 Char:34 Char:31 End:0"},
        TTokenCase{"\\xFCFC", "Char:FCFC End:0"},
        TTokenCase{Sjis("\\x4表"), "Char:4 Char:955C End:0"}, TTokenCase{"\\101", "Char:41 End:0"},
        TTokenCase{"\\0", "Char:0 End:0"}, TTokenCase{"\\177777", "Char:FFFF End:0"},
        TTokenCase{"\\1777777", "Char:FFFF Char:37 End:0"},
        TTokenCase{"\\18", "Char:1 Char:38 End:0"}, TTokenCase{"\\8", "Char:38 End:0"},
        TTokenCase{"\\n\\t\\r\\b", "Char:A Char:9 Char:D Char:8 End:0"},
        TTokenCase{Sjis("\\N\\(\\[\\\\\\表"), "Char:4E Char:28 Char:5B Char:5C Char:955C End:0"},
        TTokenCase{"[^a]", "LBraNeg:5B Char:61 RBra:5D End:0"},
        TTokenCase{"[^]", "LBraNeg:5B RBra:5D End:0"},
        TTokenCase{"[a^]", "LBra:5B Char:61 Char:5E RBra:5D End:0"},
        TTokenCase{"[a-]", "LBra:5B Char:61 Char:2D RBra:5D End:0"},
        TTokenCase{"[-a]", "LBra:5B Char:2D Char:61 RBra:5D End:0"},
        TTokenCase{"[a-z0]", "LBra:5B Range:61-7A Char:30 RBra:5D End:0"},
        TTokenCase{"[!--]", "LBra:5B Range:21-2D RBra:5D End:0"},
        TTokenCase{"[\\x20-\\x7e]", "LBra:5B Range:20-7E RBra:5D End:0"},
        TTokenCase{"[\\]\\-\\\\]", "LBra:5B Char:5D Char:2D Char:5C RBra:5D End:0"},
        TTokenCase{"[.*(|$[]",
                   "LBra:5B Char:2E Char:2A Char:28 Char:7C Char:24 Char:5B RBra:5D "
                   "End:0"},
        TTokenCase{Sjis("[ソ-表]"), "LBra:5B Range:835C-955C RBra:5D End:0"},
        TTokenCase{Sjis("[＝＝-]"), "LBra:5B Char:8181 Char:8181 Char:2D RBra:5D End:0"},
        TTokenCase{Sjis("[表]x"), "LBra:5B Char:955C RBra:5D Char:78 End:0"},
        TTokenCase{"a]", "Char:61 RBra:5D End:0"},
        // A zero byte ends the pattern, also behind an escape.
        TTokenCase{std::string("a\0b", 3), "Char:61 End:0"},
        TTokenCase{std::string("\\x41\0"
                               "b",
                               6),
                   "Char:41 End:0"},
        TTokenCase{std::string("\\1\0"
                               "2",
                               4),
                   "Char:1 End:0"}),
    RegexTest::CaseName<TTokenCase>);

using RegexTest::TErrorCase;

class ScannerErrors : public testing::TestWithParam<TErrorCase> {};

TEST_P(ScannerErrors, RaisesAtPosition) {
  RegexTest::ExpectPatternError(GetParam(), [](const std::string& pattern) {
    TREScanner scanner(pattern);
    while (scanner.NextToken() != tkEnd) {
    }
  });
}

INSTANTIATE_TEST_SUITE_P(
    Table, ScannerErrors,
    testing::Values(
        TErrorCase{"ab\x95", kMsgBadDoubleByte, 3}, TErrorCase{"[\x95", kMsgBadDoubleByte, 2},
        TErrorCase{"a\\", kMsgCharAfterBackslash, 3}, TErrorCase{"[a\\", kMsgCharAfterBackslash, 4},
        TErrorCase{"\\xg", kMsgBadHexCode, 4}, TErrorCase{"\\x", kMsgBadHexCode, 3},
        TErrorCase{"[\\x]", kMsgBadHexCode, 5}, TErrorCase{"\\200000", kMsgBadOctCode, 8},
        TErrorCase{"\\777777", kMsgBadOctCode, 8}, TErrorCase{"[", kMsgNeedRightBracket, 2},
        TErrorCase{"[^", kMsgNeedRightBracket, 3}, TErrorCase{"[a", kMsgNeedRightBracket, 3},
        TErrorCase{"[a-", kMsgNeedRightBracket, 4}, TErrorCase{"[ab", kMsgNeedRightBracket, 4},
        TErrorCase{"[z-a]", kMsgBadCharRange, 5}, TErrorCase{"[\\x42-\\x41]", kMsgBadCharRange, 11},
        TErrorCase{Sjis("[表-ソ]"), kMsgBadCharRange, 7}),
    RegexTest::CaseName<TErrorCase>);

TEST(ScannerState, EndRepeatsWithoutAdvancing) {
  TREScanner scanner("a");
  EXPECT_EQ(scanner.NextToken(), tkChar);
  EXPECT_EQ(scanner.NextToken(), tkEnd);
  EXPECT_EQ(scanner.Position(), 2);
  EXPECT_EQ(scanner.NextToken(), tkEnd);
  EXPECT_EQ(scanner.Position(), 2);
}

TEST(ScannerState, SetPatternAfterFailureInClassStartsOutside) {
  TREScanner scanner("[ab");
  EXPECT_EQ(scanner.NextToken(), tkLBra);
  EXPECT_EQ(scanner.NextToken(), tkChar);
  EXPECT_THROW(scanner.NextToken(), ERegExpParser);
  EXPECT_TRUE(scanner.InClass());
  scanner.SetPattern("]a");
  EXPECT_EQ(scanner.NextToken(), tkRBra);  // outside a class "]" is its own token
  EXPECT_EQ(scanner.NextToken(), tkChar);
  EXPECT_FALSE(scanner.InClass());
}

TEST(ScannerState, InClassFollowsBrackets) {
  TREScanner scanner("[a]b");
  scanner.NextToken();
  EXPECT_TRUE(scanner.InClass());
  scanner.NextToken();
  EXPECT_TRUE(scanner.InClass());
  scanner.NextToken();
  EXPECT_FALSE(scanner.InClass());
}

TEST(CharCode, ReadCharCodeOutsideTheStringGivesZero) {
  std::string s = "ab";
  for (int32_t start : {0, -3, 3, 10}) {
    int32_t p = start;
    EXPECT_EQ(ReadCharCode(s, p), 0);
    EXPECT_EQ(p, start);
  }
}

TEST(CharCode, ReadCharCodeReadsWholeCharacters) {
  std::string s = Sjis("あA") + "\xB1";
  int32_t p = 1;
  EXPECT_EQ(ReadCharCode(s, p), 0x82A0);
  EXPECT_EQ(p, 3);
  EXPECT_EQ(ReadCharCode(s, p), 0x41);
  EXPECT_EQ(ReadCharCode(s, p), 0xB1);
  EXPECT_EQ(p, 5);
}

TEST(CharCode, IsTrailByteFindsBoundaries) {
  struct {
    std::string Text;
    int32_t Q;
    bool Trail;
  } cases[] = {
      {"ab", 1, false},
      {"ab", 2, false},
      {Sjis("表"), 2, true},  // a double-byte character at the very start
      {Sjis("x表"), 3, true},
      {Sjis("x表"), 2, false},
      {Sjis("[＝＝"), 5, true},  // trail bytes in the lead-byte range
      {Sjis("[＝＝"), 4, false},
      {Sjis("[＝＝-"), 6, false},
      {Sjis("＝＝") + "-", 5, false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsTrailByte(c.Text, c.Q), c.Trail) << c.Text << " " << c.Q;
}

TEST(CharCode, UnreadCharStepsBackOverOneCharacter) {
  struct {
    std::string Text;
    int32_t From;
    int32_t To;
  } cases[] = {
      {"ab", 1, 1}, {"ab", 2, 1}, {"ab", 3, 2}, {Sjis("[表"), 4, 2}, {Sjis("\\1表"), 5, 3},
  };
  for (const auto& c : cases) {
    int32_t p = c.From;
    UnreadChar(c.Text, p);
    EXPECT_EQ(p, c.To) << c.Text << " " << c.From;
  }
}

TEST(CharCode, CharCodeToStr) {
  EXPECT_EQ(CharCodeToStr(0x82A0), Sjis("あ"));
  EXPECT_EQ(CharCodeToStr(0x41), "A");
  EXPECT_EQ(CharCodeToStr(0xB1), "\xB1");
  EXPECT_EQ(CharCodeToStr(0x0A), "\n");
  EXPECT_EQ(CharCodeToStr(0xFFFD), "\xFD");  // a high byte that is not a lead byte is dropped
  EXPECT_EQ(CharCodeToStr(0x2041), "A");
}

TEST(CharCode, DigitValues) {
  EXPECT_EQ(HexDigitValue('0'), 0);
  EXPECT_EQ(HexDigitValue('9'), 9);
  EXPECT_EQ(HexDigitValue('a'), 10);
  EXPECT_EQ(HexDigitValue('F'), 15);
  EXPECT_EQ(HexDigitValue('g'), -1);
  EXPECT_EQ(HexDigitValue(0x8250), -1);  // fullwidth digits are ordinary characters
  EXPECT_EQ(OctDigitValue('7'), 7);
  EXPECT_EQ(OctDigitValue('8'), -1);
}

TEST(CharCode, QuoteMetaChars) {
  EXPECT_EQ(QuoteMetaChars("a.b"), "a\\.b");
  EXPECT_EQ(QuoteMetaChars("("), "\\(");
  EXPECT_EQ(QuoteMetaChars("^()|+*?.[]$\\-"), "\\^\\(\\)\\|\\+\\*\\?\\.\\[\\]\\$\\\\-");
  EXPECT_EQ(QuoteMetaChars(Sjis("ソ表ポ")), Sjis("ソ表ポ"));
  EXPECT_EQ(QuoteMetaChars(""), "");
}

}  // namespace
