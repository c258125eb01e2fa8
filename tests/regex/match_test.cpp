// Compiled patterns run over texts the way the grep engine runs them, checked against a
// table of expectations and, on generated patterns and texts, against a backtracking
// reference matcher.
#include <gtest/gtest.h>

#include <random>

#include "platform/cp932.h"
#include "regex/errors.h"
#include "regex/re_fuzzy_char_dic.h"
#include "tests/regex/reference_matcher.h"
#include "tests/regex/regex_test_support.h"

using namespace varsik;

namespace {

using RegexTest::Codes;
using RegexTest::GrepCodes;
using RegexTest::GrepLines;
using RegexTest::Sjis;
using RegexTest::TLineRegExp;
using RegexTest::TReferenceMatcher;

struct TMatchCase {
  friend void PrintTo(const TMatchCase& c, std::ostream* os) {
    RegexTest::PrintPattern(c.Pattern, os);
  }
  std::string Pattern;  // UTF-8, converted to CP932
  std::string Text;     // UTF-8 lines separated by "\n"
  std::vector<int32_t> Lines;
  bool Fuzzy = false;
};

class GrepMatching : public testing::TestWithParam<TMatchCase> {};

TEST_P(GrepMatching, ReportsLines) {
  const TMatchCase& c = GetParam();
  TLineRegExp re;
  re.DictionaryList().push_back(&BuiltInFuzzyCharDic());
  re.SetUseFuzzyCharDic(c.Fuzzy);
  re.SetRegExp(Sjis(c.Pattern));
  std::vector<uint16_t> codes = GrepCodes(Sjis(c.Text));
  EXPECT_EQ(GrepLines(re.CurrentDFA(), codes), c.Lines) << c.Pattern;
  // Every expectation also holds for the reference matcher.
  TReferenceMatcher reference(re.CompiledText(re.CurrentIndex()), 10, 10);
  EXPECT_EQ(reference.GrepLines(codes), c.Lines) << c.Pattern;
}

using L = std::vector<int32_t>;

INSTANTIATE_TEST_SUITE_P(
    Table, GrepMatching,
    testing::Values(
        TMatchCase{"abc", "xabc\nabx\nabcabc", L{1, 3}}, TMatchCase{"a|b", "a\nc\nb", L{1, 3}},
        TMatchCase{"a[bc]d", "abd\nacd\nadd", L{1, 2}},
        TMatchCase{"a[^b]d", "abd\nacd\na\nd", L{2}}, TMatchCase{"[a-c]+x", "bbx\nx\ncax", L{1, 3}},
        TMatchCase{"[\\x41-\\x43]", "B\nD", L{1}}, TMatchCase{"[\\]]", "a]b\nab", L{1}},
        TMatchCase{"[-a]z", "-z\naz\nbz", L{1, 2}}, TMatchCase{"[!--]x", "-x\n+x\n.x", L{1, 2}},
        TMatchCase{"a.c", "abc\na\nc\nac\na\rc", L{1}}, TMatchCase{"a[^x]c", "abc\na\rc", L{1}},
        TMatchCase{"a\\nb", "xa\nbx\nab", L{1}}, TMatchCase{"a*", "bbb\nbab\n", L{2}},
        TMatchCase{"ab?c", "ac\nabc\nabbc", L{1, 2}},
        TMatchCase{"(ab)+c", "abababc\nac\nabc", L{1, 3}},
        // Anchors as anchors.
        TMatchCase{"^abc", "abc\nxabc\nabc", L{1, 3}},
        TMatchCase{"abc$", "abc\nabcx\nxabc", L{1, 3}}, TMatchCase{"^", "a\n\nb", L{1, 2, 3}},
        TMatchCase{"$", "a\n\nb", L{1, 2, 3}}, TMatchCase{"^$", "a\n\nb", L{2}},
        TMatchCase{"^a|b$", "ax\nxb\nxa\nbx", L{1, 2}},
        TMatchCase{"(^a|^b)c", "ac\nbc\nxac", L{1, 2}}, TMatchCase{"^a*$", "aaa\naab\n", L{1, 3}},
        // Anchors as ordinary characters away from the pattern's ends.
        TMatchCase{"a^b", "a^b\nab", L{1}}, TMatchCase{"$a", "$a\na", L{1}},
        TMatchCase{"a$b", "a$b\nab", L{1}}, TMatchCase{"(^a)*b", "^ab\nb\nab", L{1, 2, 3}},
        TMatchCase{"x^*y", "x^^y\nxy", L{1, 2}}, TMatchCase{"\\^\\$", "^$\n$^", L{1}},
        // A range that holds the anchor's own character beside it (or the line code).
        TMatchCase{"a^b|a[!-~]c", "a^b\na!c\na^c\na^d", L{1, 2, 3}},
        TMatchCase{"^a|[\\x01-\\x7f]b", "a\nxb\nxa", L{1, 2}},
        TMatchCase{"b$|b[\\x01-\\x7f]x", "ab\nbyx\nby", L{1, 2}},
        // Double-byte characters whose trail byte is a metacharacter.
        TMatchCase{"表", "表\nソ表\n\\", L{1, 2}}, TMatchCase{"\\\\", "表\nソ\nポ\na\\b", L{4}},
        TMatchCase{"\\|", "ポ\na|b", L{2}}, TMatchCase{"ソ+", "ソソ\nソ\n表", L{1, 2}},
        TMatchCase{"ポ|表", "ポ\n表\nソ", L{1, 2}}, TMatchCase{"[ソ表]x", "ソx\n表x\nポx", L{1, 2}},
        TMatchCase{"[^表]x", "表x\nソx", L{2}}, TMatchCase{"[ソ-表]", "ポ\na", L{1}},
        TMatchCase{"表.ポ", "表aポ\n表ソポ\n表ポ", L{1, 2}}, TMatchCase{"\\x83", "ソ\n\\x83", L{}},
        // Halfwidth katakana are single-byte characters.
        TMatchCase{"ｱ", "ｱ\nア", L{1}}, TMatchCase{"[ｱ-ﾝ]+", "ｶﾀｶﾅ\nカタカナ", L{1}},
        TMatchCase{"ｶﾞ", "ｶﾞ\nｶ", L{1}},
        // Fuzzy patterns.
        TMatchCase{"か", "か\nカ\nｶ\nが", L{1, 2, 3}, true},
        TMatchCase{"が", "が\nガ\nｶﾞ\nか゛\nか", L{1, 2, 3, 4}, true},
        TMatchCase{"abc", "ＡＢＣ\naBc\nab", L{1, 2}, true},
        TMatchCase{"コーヒー", "コーヒー\nｺｰﾋｰ\nコヒ\nこーひ～", L{1, 2, 3, 4}, true}),
    RegexTest::CaseName<TMatchCase>);

// Codes that text never delivers as part of a line: LF, CR and 0.
TEST(DotAndNegatedClasses, NeverMatchLineCodesOrZero) {
  TLineRegExp re;
  for (const char* pattern : {"a.b", "a[^x]b", "a[^\\x01-\\x09]b"}) {
    re.SetRegExp(pattern);
    for (uint16_t code : {uint16_t(0), uint16_t(10), uint16_t(13)})
      EXPECT_EQ(RegexTest::FirstMatch(re.CurrentDFA(), {'a', code, 'b'}), -1) << pattern << code;
    EXPECT_EQ(RegexTest::FirstMatch(re.CurrentDFA(), {'x', 'a', 0xFCFC, 'b'}), 1) << pattern;
    EXPECT_EQ(RegexTest::FirstMatch(re.CurrentDFA(), {'a', 0xFCFD, 'b'}), -1) << pattern;
  }
  re.SetRegExp("a\\0b");  // the escape \0 is the code 0 as a character
  EXPECT_EQ(RegexTest::FirstMatch(re.CurrentDFA(), {'a', 0, 'b'}), 0);
}

// ---- Cross-check against the reference matcher on generated patterns and texts.

// Pattern atoms, in UTF-8: plain, double-byte with metacharacter trail bytes, halfwidth
// kana, classes and ranges (some holding the LF or the anchors' characters), escapes.
const char* const kAtoms[] = {
    "a",     "b",     "c",       "表",     "ソ",     "ポ",    "ｱ",
    ".",     "[ab]",  "[^a]",    "[a-c]",  "[表ソ]", "[^表]", "[\\x01-\\x7f]",
    "[!-~]", "^",     "$",       "\\^",    "\\$",    "\\\\",  "\\|",
    "\\n",   "[ｱ-ｳ]", "[ソ-表]", "[^\\n]", "\\x83",  "[$^]",
};

std::string RandomPattern(std::mt19937& rng, int depth) {
  std::string out;
  int factors = 1 + rng() % 3;
  for (int f = 0; f < factors; ++f) {
    std::string primary;
    if (depth > 0 && rng() % 4 == 0)
      ((primary = "(") += RandomPattern(rng, depth - 1)) += ")";
    else
      primary = kAtoms[rng() % std::size(kAtoms)];
    switch (rng() % 7) {
      case 0:
        primary += "*";
        break;
      case 1:
        primary += "+";
        break;
      case 2:
        primary += "?";
        break;
      default:
        break;
    }
    out += primary;
  }
  if (rng() % 4 == 0) (out += "|") += RandomPattern(rng, depth > 0 ? depth - 1 : 0);
  return out;
}

const char* const kTextChars[] = {"a",  "b", "c", "表", "ソ", "ポ", "ｱ",  "ｲ",
                                  "\\", "|", "^", "$",  "!",  "~",  "\r", "\n"};

std::string RandomText(std::mt19937& rng) {
  std::string out;
  int length = rng() % 10;
  for (int i = 0; i < length; ++i) out += kTextChars[rng() % std::size(kTextChars)];
  return out;
}

TEST(CrossCheck, DFAAgreesWithReferenceMatcher) {
  std::mt19937 rng(20240601);
  int checked = 0;
  for (int round = 0; round < 3000; ++round) {
    std::string pattern = Sjis(RandomPattern(rng, 2));
    TLineRegExp re;
    try {
      re.SetRegExp(pattern);
    } catch (const ERegExpParser& e) {
      // Only the grammar errors that generated patterns can hit.
      TReferenceMatcher reference(pattern, 10, 10);
      EXPECT_FALSE(reference.Valid()) << Platform::Cp932ToUtf8(pattern) << ": " << e.what();
      continue;
    }
    TReferenceMatcher reference(pattern, 10, 10);
    ASSERT_TRUE(reference.Valid()) << Platform::Cp932ToUtf8(pattern);
    for (int t = 0; t < 8; ++t) {
      std::vector<uint16_t> codes = GrepCodes(Sjis(RandomText(rng)));
      ASSERT_EQ(GrepLines(re.CurrentDFA(), codes), reference.GrepLines(codes))
          << "pattern " << Platform::Cp932ToUtf8(pattern);
      ++checked;
    }
  }
  EXPECT_GT(checked, 20000);
}

TEST(CrossCheck, FuzzyPatternsAgreeWithReferenceOverTheirExpansion) {
  std::mt19937 rng(99);
  const char* const atoms[] = {"か", "が", "ｶﾞ", "a", "1", "ー", "う", "ぁ", "ヴ", "\\.", "表"};
  const char* const chars[] = {"か", "カ", "ｶ",  "が", "ｶ",  "ﾞ",  "゛", "A", "ａ", "1",
                               "①",  "ー", "～", "ｰ",  "う", "ぁ", "ヴ", ".", "。", "表"};
  for (int round = 0; round < 400; ++round) {
    std::string pattern;
    int n = 1 + rng() % 4;
    for (int i = 0; i < n; ++i) {
      pattern += atoms[rng() % std::size(atoms)];
      if (rng() % 5 == 0) pattern += "*";
    }
    TLineRegExp re;
    re.DictionaryList().push_back(&BuiltInFuzzyCharDic());
    re.SetUseFuzzyCharDic(true);
    re.SetRegExp(Sjis(pattern));
    TReferenceMatcher reference(re.CompiledText(re.CurrentIndex()), 10, 10);
    ASSERT_TRUE(reference.Valid());
    for (int t = 0; t < 10; ++t) {
      std::string text;
      int length = rng() % 8;
      for (int i = 0; i < length; ++i) text += chars[rng() % std::size(chars)];
      std::vector<uint16_t> codes = GrepCodes(Sjis(text));
      ASSERT_EQ(GrepLines(re.CurrentDFA(), codes), reference.GrepLines(codes))
          << pattern << " over " << text;
    }
  }
}

}  // namespace
