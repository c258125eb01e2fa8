// The preprocessor's passes and the built-in fuzzy-character dictionary.
#include <gtest/gtest.h>

#include "platform/cp932.h"
#include "regex/errors.h"
#include "regex/re_char_code.h"
#include "regex/re_fuzzy_char_dic.h"
#include "regex/re_preprocessor.h"
#include "tests/regex/regex_test_support.h"

using namespace varsik;

namespace {

using RegexTest::Sjis;
using TGroups = std::vector<std::vector<std::string>>;

// The fuzzy pass over a UTF-8 pattern, the result back in UTF-8.
std::string Fuzzy(const std::string& pattern) {
  TREPreProcessor pre;
  pre.FuzzyCharDicList().push_back(&BuiltInFuzzyCharDic());
  pre.SetUseFuzzyCharDic(true);
  pre.SetSource(Sjis(pattern));
  pre.Run();
  return Platform::Cp932ToUtf8(pre.Output());
}

struct TFuzzyCase {
  friend void PrintTo(const TFuzzyCase& c, std::ostream* os) {
    RegexTest::PrintPattern(c.Pattern, os);
  }
  std::string Pattern;
  std::string Expected;
};

class FuzzyPass : public testing::TestWithParam<TFuzzyCase> {};

TEST_P(FuzzyPass, Rewrites) {
  EXPECT_EQ(Fuzzy(GetParam().Pattern), GetParam().Expected);
}

const std::string kGa = "(が|ガ|ｶﾞ|か゛|カ゛)";
const std::string kA = "(Ａ|ａ|A|a)";
const std::string kB = "(Ｂ|ｂ|B|b)";

INSTANTIATE_TEST_SUITE_P(
    Table, FuzzyPass,
    testing::Values(
        TFuzzyCase{"", ""}, TFuzzyCase{"か", "(か|カ|ｶ)"}, TFuzzyCase{"が", kGa},
        TFuzzyCase{"ガ", kGa}, TFuzzyCase{"ｶﾞ", kGa}, TFuzzyCase{"か゛", kGa},
        TFuzzyCase{"か゛*", kGa + "*"}, TFuzzyCase{"ab", kA + kB}, TFuzzyCase{"a*", kA + "*"},
        TFuzzyCase{"A+", kA + "+"}, TFuzzyCase{"a|b", kA + "|" + kB},
        TFuzzyCase{"1", "(1|１|一|①|Ⅰ|壱)"}, TFuzzyCase{"漢", "漢"}, TFuzzyCase{"表", "表"},
        TFuzzyCase{".", "."}, TFuzzyCase{"\\.", "(｡|\\.|。|．)"}, TFuzzyCase{"\\(", "(\\(|（)"},
        TFuzzyCase{"\\x41", kA}, TFuzzyCase{"\\\\", "(\\\\|￥)"}, TFuzzyCase{"\\|", "(\\||｜)"},
        TFuzzyCase{"\\^", "(\\^|＾)"}, TFuzzyCase{"^a$", std::string("^").append(kA).append("$")},
        TFuzzyCase{"\"", "(\"|”)"}, TFuzzyCase{"[かき]", "[かき]"}, TFuzzyCase{"[^か]", "[^か]"},
        TFuzzyCase{"[a-z]b", std::string("[a-z]").append(kB)}, TFuzzyCase{"ー", "(ー|～|ｰ|)"},
        TFuzzyCase{"ｰ", "(ー|～|ｰ|)"}, TFuzzyCase{"～", "(ー|～|ｰ|)"},
        TFuzzyCase{"-", "(-|ー|－|～|ｰ)"}, TFuzzyCase{"－", "(-|ー|－|～|ｰ)"},
        TFuzzyCase{".*", ".*"}, TFuzzyCase{"()", "()"}, TFuzzyCase{"ソ", "(そ|ソ|ｿ)"},
        TFuzzyCase{"ポ", "(ぽ|ポ|ﾎﾟ|ほ゜|ホ゜)"},
        TFuzzyCase{"ヴァ", "(ば|バ|ﾊﾞ|は゛|ハ゛|ヴァ|う゛ぁ|ウ゛ァ|ｳﾞｧ)"},
        TFuzzyCase{"ｳﾞｧ", "(ば|バ|ﾊﾞ|は゛|ハ゛|ヴァ|う゛ぁ|ウ゛ァ|ｳﾞｧ)"},
        TFuzzyCase{"ヴ", "(ぶ|ブ|ﾌﾞ|ふ゛|フ゛|ヴ|ウ゛|う゛|ｳﾞ)"},
        TFuzzyCase{"うぁ", "(う|ウ|ｳ|ぅ|ゥ|ｩ)(あ|ア|ｱ|ぁ|ァ|ｧ)"}, TFuzzyCase{"ﾞ", "(ﾞ|゛)"},
        TFuzzyCase{"　", "(　| )"}, TFuzzyCase{",", "(,|､|、|，)"},
        // A variant never reaches across an operator: "か" and "゛" are separated here.
        TFuzzyCase{"か(゛)", "(か|カ|ｶ)((ﾞ|゛))"}, TFuzzyCase{"(か", "((か|カ|ｶ)"}),
    RegexTest::CaseName<TFuzzyCase>);

TEST(PreProcessor, SwitchesOffGiveTheSource) {
  TREPreProcessor pre;
  pre.FuzzyCharDicList().push_back(&BuiltInFuzzyCharDic());
  pre.SetSource(Sjis("かa[b]"));
  pre.Run();
  EXPECT_EQ(pre.Output(), Sjis("かa[b]"));
  pre.SetUseSynonymDic(true);  // no synonym dictionary: unchanged
  pre.Run();
  EXPECT_EQ(pre.Output(), Sjis("かa[b]"));
}

TEST(PreProcessor, SynonymPassRunsFirst) {
  TREDictionary synonyms(TGroups{{"color", "colour"}, {"x", "y"}});
  TREPreProcessor pre;
  pre.SynonymDicList().push_back(&synonyms);
  pre.FuzzyCharDicList().push_back(&BuiltInFuzzyCharDic());
  pre.SetUseSynonymDic(true);
  pre.SetSource("color|x");
  pre.Run();
  EXPECT_EQ(pre.Output(), "(color|colour)|(x|y)");
  pre.SetUseFuzzyCharDic(true);
  pre.SetSource("x");
  pre.Run();
  EXPECT_EQ(Platform::Cp932ToUtf8(pre.Output()), "((Ｘ|ｘ|X|x)|(Ｙ|ｙ|Y|y))");
}

TEST(PreProcessor, FirstDictionaryAndFirstGroupWin) {
  TREDictionary first(TGroups{{"ab", "AB"}, {"a", "1"}});
  TREDictionary second(TGroups{{"abc", "X"}});
  TREPreProcessor pre;
  pre.FuzzyCharDicList() = {&first, &second};
  pre.SetUseFuzzyCharDic(true);
  pre.SetSource("abc");
  pre.Run();
  EXPECT_EQ(pre.Output(), "(ab|AB)c");  // a longer variant of a later dictionary loses
  pre.FuzzyCharDicList() = {&second, &first};
  pre.Run();
  EXPECT_EQ(pre.Output(), "(abc|X)");
  pre.SetSource("ac");
  pre.Run();
  EXPECT_EQ(pre.Output(), "(a|1)c");
}

TEST(PreProcessor, VariantsAreQuotedAndEmptyOnesAddAnAlternative) {
  TREDictionary dic(TGroups{{"a.b", "", "(x)"}});
  TREPreProcessor pre;
  pre.FuzzyCharDicList().push_back(&dic);
  pre.SetUseFuzzyCharDic(true);
  pre.SetSource("a\\.b*");
  pre.Run();
  EXPECT_EQ(pre.Output(), "(a\\.b||\\(x\\))*");
}

TEST(PreProcessor, RunTwiceGivesTheSameOutput) {
  TREPreProcessor pre;
  pre.FuzzyCharDicList().push_back(&BuiltInFuzzyCharDic());
  pre.SetUseFuzzyCharDic(true);
  pre.SetSource("a");
  pre.Run();
  std::string once = pre.Output();
  pre.Run();
  EXPECT_EQ(pre.Output(), once);
}

TEST(PreProcessor, TokenListCoversThePattern) {
  TREPreProcessor pre;
  pre.FuzzyCharDicList().push_back(&BuiltInFuzzyCharDic());
  pre.SetUseFuzzyCharDic(true);
  std::string pattern = Sjis("\\x41[a-c]表*");
  pre.SetSource(pattern);
  pre.Run();
  const auto& tokens = pre.TokenList();
  ASSERT_EQ(tokens.size(), 7u);  // \x41 [ a-c ] 表 * end
  int32_t expectedStart = 1;
  for (size_t i = 0; i + 1 < tokens.size(); ++i) {
    EXPECT_EQ(tokens[i].StartPos, expectedStart);
    expectedStart = tokens[i].EndPos;
  }
  EXPECT_EQ(expectedStart, static_cast<int32_t>(pattern.size()) + 1);
  EXPECT_EQ(tokens[0].Code, 0x41);
  EXPECT_EQ(tokens[2].Token, tkRange);
  EXPECT_EQ(tokens[2].CodeEnd, 'c');
  EXPECT_EQ(tokens.back().Token, tkEnd);
}

TEST(PreProcessor, TokenErrorsPassThrough) {
  TREPreProcessor pre;
  pre.FuzzyCharDicList().push_back(&BuiltInFuzzyCharDic());
  pre.SetUseFuzzyCharDic(true);
  pre.SetSource(Sjis("[か"));
  try {
    pre.Run();
    FAIL();
  } catch (const ERegExpParser& e) {
    EXPECT_EQ(e.Message(), kMsgNeedRightBracket);
  }
  pre.SetUseFuzzyCharDic(false);
  pre.SetUseSynonymDic(true);  // the synonym pass scans too, even with no dictionary
  EXPECT_THROW(pre.Run(), ERegExpParser);
}

TEST(CommaText, Splits) {
  struct {
    std::string Text;
    std::vector<std::string> Items;
  } cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a,b", {"a", "b"}},
      {"a,", {"a", ""}},
      {",", {"", ""}},
      {"\"a,b\",c", {"a,b", "c"}},
      {"\"\"\"\",x", {"\"", "x"}},
      {"\" \",\"　\"", {" ", "　"}},
  };
  for (const auto& c : cases) EXPECT_EQ(SplitCommaText(c.Text), c.Items) << c.Text;
}

TEST(BuiltInDictionary, HasTheGroupsInOrder) {
  const auto& groups = BuiltInFuzzyCharDic().Groups();
  ASSERT_EQ(groups.size(), 145u);
  auto utf8 = [&](size_t group) {
    std::vector<std::string> variants;
    for (const std::string& v : groups[group - 1]) variants.push_back(Platform::Cp932ToUtf8(v));
    return variants;
  };
  using V = std::vector<std::string>;
  EXPECT_EQ(utf8(1), (V{"Ａ", "ａ", "A", "a"}));
  EXPECT_EQ(utf8(26), (V{"Ｚ", "ｚ", "Z", "z"}));
  EXPECT_EQ(utf8(27), (V{"0", "０", "零"}));
  EXPECT_EQ(utf8(37), (V{"　", " "}));
  EXPECT_EQ(utf8(39), (V{"\"", "”"}));
  EXPECT_EQ(utf8(49), (V{"ー", "～", "ｰ", ""}));
  EXPECT_EQ(utf8(50), (V{"-", "ー", "－", "～", "ｰ"}));
  EXPECT_EQ(utf8(61), (V{"\\", "￥"}));
  EXPECT_EQ(utf8(69), (V{",", "､", "、", "，"}));
  EXPECT_EQ(utf8(87).size(), 9u);
  EXPECT_EQ(utf8(140), (V{"わ", "ワ", "ﾜ", "うぁ", "ウァ", "ｳｧ"}));
  EXPECT_EQ(utf8(145), (V{"ﾟ", "゜"}));
}

TEST(BuiltInDictionary, EveryVariantIsCp932OfItsText) {
  const auto& groups = BuiltInFuzzyCharDic().Groups();
  std::vector<std::string> texts = BuiltInFuzzyCharGroupTexts();
  ASSERT_EQ(texts.size(), groups.size());
  for (size_t g = 0; g < groups.size(); ++g) {
    std::vector<std::string> items = SplitCommaText(texts[g]);
    ASSERT_EQ(items.size(), groups[g].size()) << texts[g];
    for (size_t v = 0; v < items.size(); ++v) {
      EXPECT_EQ(Platform::Cp932ToUtf8(groups[g][v]), items[v]) << "group " << g + 1;
      int32_t p = 1;  // whole characters only
      while (ReadCharCode(groups[g][v], p) != 0) {
      }
    }
  }
}

TEST(BuiltInDictionary, TrickyCharactersHaveTheirCp932Bytes) {
  const auto& groups = BuiltInFuzzyCharDic().Groups();
  EXPECT_EQ(groups[48][1], "\x81\x60");   // ～ wave dash
  EXPECT_EQ(groups[49][2], "\x81\x7C");   // － minus, trail byte of the vertical bar
  EXPECT_EQ(groups[60][1], "\x81\x8F");   // ￥
  EXPECT_EQ(groups[67][1], "\x81\x50");   // ￣
  EXPECT_EQ(groups[38][1], "\x81\x68");   // ”
  EXPECT_EQ(groups[43][1], "\x81\x66");   // ’
  EXPECT_EQ(groups[110][1], "\x83\x5C");  // ソ, trail byte of the backslash
}

TEST(BuiltInDictionary, GroupPatternsQuoteMetaCharacters) {
  const TREDictionary& dic = BuiltInFuzzyCharDic();
  EXPECT_EQ(Platform::Cp932ToUtf8(dic.GroupPattern(48)), "(ー|～|ｰ|)");
  EXPECT_EQ(dic.GroupPattern(60), "(\\\\|\x81\x8F)");
  EXPECT_EQ(Platform::Cp932ToUtf8(dic.GroupPattern(44)), "(\\(|（)");
}

TEST(Dictionary, LoneLeadByteIsRejected) {
  EXPECT_THROW(TREDictionary(TGroups{{"a", "b\x95"}}), ERegExpParser);
}

}  // namespace
