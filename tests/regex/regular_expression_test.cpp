// The regular-expression object: the cache of compiled patterns, the dictionary switches,
// the failure paths and the line codes of a derived class.
#include <gtest/gtest.h>

#include "regex/errors.h"
#include "regex/re_fuzzy_char_dic.h"
#include "regex/re_limits.h"
#include "regex/re_parser.h"
#include "regex/regular_expression.h"
#include "tests/regex/heap_meter.h"
#include "tests/regex/regex_test_support.h"

using namespace varsik;

namespace {

using RegexTest::Sjis;
using RegexTest::THeapPeak;
using RegexTest::TLineRegExp;

void ExpectEmptyPatternCurrent(const TRegularExpression& re) {
  EXPECT_EQ(re.CurrentIndex(), 0);
  EXPECT_EQ(re.RegExp(), "");
  EXPECT_EQ(re.CurrentDFA().StateCount(), 1);
  EXPECT_TRUE(re.CurrentDFA().Accepted(0));
  EXPECT_TRUE(re.CurrentDFA().Transitions(0).empty());
  EXPECT_TRUE(re.IsLiteral());
  EXPECT_EQ(re.Literal(), "");
}

TEST(RegExpCache, StartsWithTheEmptyPattern) {
  TRegularExpression re;
  EXPECT_EQ(re.CompiledCount(), 1);
  EXPECT_EQ(re.CompiledText(0), "");
  ExpectEmptyPatternCurrent(re);
}

TEST(RegExpCache, SameTextTwiceCompilesOnce) {
  TRegularExpression re;
  re.SetRegExp("abc");
  const TRE_DFA* first = &re.CurrentDFA();
  re.SetRegExp("abc");
  EXPECT_EQ(&re.CurrentDFA(), first);
  EXPECT_EQ(re.CompiledCount(), 2);
  EXPECT_EQ(re.RegExp(), "abc");
  EXPECT_TRUE(re.IsLiteral());
  EXPECT_EQ(re.Literal(), "abc");
}

TEST(RegExpCache, EmptyTextSelectsEntryZero) {
  TRegularExpression re;
  re.SetRegExp("a|b");
  re.SetRegExp("");
  EXPECT_EQ(re.CompiledCount(), 2);
  ExpectEmptyPatternCurrent(re);
}

TEST(RegExpCache, NewPatternsGoToIndexOneAndTheOldestIsEvicted) {
  TRegularExpression re;
  auto name = [](int i) { return std::string("p").append(std::to_string(i)); };
  for (int i = 1; i <= 29; ++i) re.SetRegExp(name(i));
  ASSERT_EQ(re.CompiledCount(), TRegularExpression::CompiledMax);
  EXPECT_EQ(re.CompiledText(1), name(29));
  EXPECT_EQ(re.CompiledText(29), name(1));
  // A lookup does not move an entry: p1, used a moment ago, is still evicted next.
  re.SetRegExp(name(1));
  EXPECT_EQ(re.CurrentIndex(), 29);
  const TRE_DFA* p2 = &re.CompiledDFA(28);
  re.SetRegExp("new");
  EXPECT_EQ(re.CompiledCount(), 30);
  EXPECT_EQ(re.CurrentIndex(), 1);
  EXPECT_EQ(re.CompiledText(1), "new");
  EXPECT_EQ(re.CompiledText(0), "");
  EXPECT_EQ(re.CompiledText(29), name(2));
  EXPECT_EQ(&re.CompiledDFA(29), p2);
  for (int i = 0; i < re.CompiledCount(); ++i) EXPECT_NE(re.CompiledText(i), name(1));
  // Entry 0 is never evicted, however many patterns pass through.
  for (int i = 100; i < 160; ++i) re.SetRegExp(name(i));
  EXPECT_EQ(re.CompiledCount(), 30);
  EXPECT_EQ(re.CompiledText(0), "");
  EXPECT_EQ(re.CompiledDFA(0).StateCount(), 1);
}

TEST(RegExpCache, FailedCompileSelectsTheEmptyPattern) {
  TRegularExpression re;
  re.SetRegExp("abc");
  try {
    re.SetRegExp("(a");
    FAIL();
  } catch (const ERegExpParser& e) {
    EXPECT_EQ(e.Message(), kMsgNeedRightPar);
  }
  ExpectEmptyPatternCurrent(re);
  EXPECT_EQ(re.CompiledCount(), 2);  // the failed entry is gone
  re.SetRegExp("abc");
  EXPECT_EQ(re.CompiledCount(), 2);  // and the earlier one is still cached
}

TEST(RegExpCache, FailureWhenFullLeavesTheEvictedEntryOut) {
  TRegularExpression re;
  for (int i = 1; i <= 29; ++i) re.SetRegExp(std::string("p").append(std::to_string(i)));
  EXPECT_THROW(re.SetRegExp("a)"), ERegExpParser);
  EXPECT_EQ(re.CompiledCount(), 29);
  EXPECT_EQ(re.CompiledText(28), "p2");
  ExpectEmptyPatternCurrent(re);
}

TEST(RegExpCache, KeepsNoMoreBytesThanItsBudget) {
  // Literals of 200,000 characters keep megabytes each: long before thirty of them are
  // cached, the oldest go. What the object holds is what the cache counts.
  THeapPeak heap;
  TRegularExpression re;
  re.SetRegExp("small");
  std::string pattern;
  for (char first = 'A'; first < 'M'; ++first) {
    pattern = first + std::string(199999, 'x');
    re.SetRegExp(pattern);
    ASSERT_TRUE(re.IsLiteral());
    EXPECT_EQ(re.CurrentIndex(), 1);
    EXPECT_LE(re.CachedBytes(), kMaxCachedBytes);
  }
  EXPECT_LT(re.CompiledCount(), 13);
  EXPECT_EQ(re.CompiledText(0), "");
  EXPECT_EQ(re.CompiledText(1), pattern);
  EXPECT_EQ(re.CompiledText(re.CompiledCount() - 1)[0], 'M' - (re.CompiledCount() - 1));
  // Beside the cache the last pattern is held in a few copies: this test's, the source and
  // the preprocessor's.
  EXPECT_LE(heap.Held(), re.CachedBytes() + 8 * pattern.size());
}

TEST(RegExpCache, PreprocessingFailureChangesNothing) {
  TRegularExpression re;
  re.DictionaryList().push_back(&BuiltInFuzzyCharDic());
  re.SetUseFuzzyCharDic(true);
  re.SetRegExp("abc");
  const TRE_DFA* current = &re.CurrentDFA();
  int32_t index = re.CurrentIndex();
  EXPECT_THROW(re.SetRegExp(Sjis("[か")), ERegExpParser);
  EXPECT_EQ(re.RegExp(), "abc");
  EXPECT_EQ(re.CurrentIndex(), index);
  EXPECT_EQ(&re.CurrentDFA(), current);
}

TEST(RegExpCache, EqualPreprocessedTextsShareAnEntry) {
  TRegularExpression re;
  re.DictionaryList().push_back(&BuiltInFuzzyCharDic());
  re.SetUseFuzzyCharDic(true);
  re.SetRegExp(Sjis("か"));
  const TRE_DFA* first = &re.CurrentDFA();
  re.SetRegExp(Sjis("ｶ"));
  EXPECT_EQ(&re.CurrentDFA(), first);
  EXPECT_EQ(re.RegExp(), Sjis("ｶ"));
  EXPECT_EQ(re.CompiledCount(), 2);
}

TEST(RegExpCache, DictionarySwitchRecompilesAndSwitchingBackFindsTheEntry) {
  TRegularExpression re;
  re.DictionaryList().push_back(&BuiltInFuzzyCharDic());
  re.SetRegExp("a");
  const TRE_DFA* plain = &re.CurrentDFA();
  re.SetUseFuzzyCharDic(true);
  EXPECT_EQ(re.CompiledCount(), 3);
  EXPECT_NE(&re.CurrentDFA(), plain);
  EXPECT_FALSE(re.IsLiteral());
  EXPECT_EQ(re.RegExp(), "a");
  re.SetUseFuzzyCharDic(false);
  EXPECT_EQ(&re.CurrentDFA(), plain);
  EXPECT_EQ(re.CompiledCount(), 3);
  // A pattern with no dictionary character keeps its entry under both switches.
  re.SetRegExp(Sjis("漢"));
  re.SetUseFuzzyCharDic(true);
  EXPECT_EQ(re.CompiledCount(), 4);
}

TEST(RegExpCache, SynonymSwitchWithoutDictionaryChangesNothing) {
  TRegularExpression re;
  re.SetRegExp("abc");
  const TRE_DFA* plain = &re.CurrentDFA();
  re.SetUseSynonymDic(true);
  EXPECT_TRUE(re.UseSynonymDic());
  EXPECT_EQ(&re.CurrentDFA(), plain);
}

// A derived class as the grep component builds it: its own line codes, and an override
// of ChangeRegExp that runs after every pattern and switch change.
class TRecordingRegExp : public TRegularExpression {
 public:
  uint16_t GetLineHeadChar() const override { return 10; }
  uint16_t GetLineTailChar() const override { return 10; }
  void ChangeRegExp(const std::string& text) override {
    TRegularExpression::ChangeRegExp(text);
    LiteralAfterChange.push_back(IsLiteral());
  }
  std::vector<bool> LiteralAfterChange;
};

TEST(RegExpDerived, OverridesApply) {
  TRecordingRegExp re;
  re.DictionaryList().push_back(&BuiltInFuzzyCharDic());
  re.SetRegExp("^ab$");
  EXPECT_EQ(re.Literal(), "\nab\n");
  re.SetUseFuzzyCharDic(true);
  re.SetUseFuzzyCharDic(false);
  EXPECT_EQ(re.LiteralAfterChange, (std::vector<bool>{true, false, true}));
  // With the base class's codes the anchors are 0xFFFD and 0xFFFE.
  TRegularExpression base;
  base.SetRegExp("^ab$");
  const TRE_DFA& dfa = base.CurrentDFA();
  int32_t s = dfa.InitialState();
  for (uint16_t code : {uint16_t(0xFFFD), uint16_t('a'), uint16_t('b'), uint16_t(0xFFFE)}) {
    ASSERT_FALSE(dfa.Accepted(s));
    s = dfa.NextState(s, code);
    ASSERT_NE(s, kNoState);
  }
  EXPECT_TRUE(dfa.Accepted(s));
}

TEST(RegExpDerived, StepsThroughTheObject) {
  TLineRegExp re;
  re.SetRegExp("a[bc]");
  const TRE_DFA& dfa = re.CurrentDFA();
  int32_t s = re.NextState(dfa.InitialState(), 'a');
  ASSERT_NE(s, kNoState);
  EXPECT_FALSE(dfa.Accepted(s));
  int32_t t = re.NextState(s, 'c');
  ASSERT_NE(t, kNoState);
  EXPECT_TRUE(dfa.Accepted(t));
  EXPECT_EQ(dfa.StateList()[t].Accepted, 0xFFFF);
  EXPECT_EQ(re.NextState(s, 'd'), kNoState);
}

}  // namespace
