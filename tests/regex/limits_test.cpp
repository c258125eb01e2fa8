// Hostile patterns: very long, deeply nested or explosive ones compile or fail with a
// clear pattern error; none of them may exhaust the stack, the memory or the time. Long
// patterns whose automaton grows with their length compile; those whose automaton grows
// faster are refused before the compile holds more than its budget.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "regex/errors.h"
#include "regex/re_limits.h"
#include "regex/re_parser.h"
#include "regex/regular_expression.h"
#include "tests/regex/heap_meter.h"
#include "tests/regex/regex_test_support.h"

using namespace varsik;

namespace {

using RegexTest::Codes;
using RegexTest::FirstMatch;
using RegexTest::Sjis;
using RegexTest::THeapPeak;
using RegexTest::TLineRegExp;

// prefix, then s n times, then suffix.
std::string Repeat(const std::string& s, int n, const std::string& prefix = {},
                   const std::string& suffix = {}) {
  std::string out = prefix;
  out.reserve(s.size() * n);
  for (int i = 0; i < n; ++i) out += s;
  return out += suffix;
}

std::string CompileError(const std::string& pattern) {
  TLineRegExp re;
  try {
    re.SetRegExp(pattern);
  } catch (const ERegExpParser& e) {
    EXPECT_EQ(re.CurrentIndex(), 0);
    EXPECT_EQ(re.RegExp(), "");
    return e.Message();
  }
  return "";
}

TEST(LongPatterns, DeepNestingCompiles) {
  TLineRegExp re;
  re.SetRegExp(Repeat("(", 100000) + "a" + Repeat(")", 100000));
  EXPECT_TRUE(re.IsLiteral());
  EXPECT_EQ(re.Literal(), "a");
}

TEST(LongPatterns, DeepNestingOfClosuresCompilesAndMatches) {
  TLineRegExp re;
  re.SetRegExp(Repeat("(", 100000) + "a" + Repeat(")*", 100000) + "b");
  EXPECT_EQ(FirstMatch(re.CurrentDFA(), Codes("xaab")), 1);
  EXPECT_EQ(FirstMatch(re.CurrentDFA(), Codes("xa")), -1);
}

TEST(LongPatterns, DeepNestingErrorsAreReported) {
  EXPECT_EQ(CompileError(Repeat("(", 100000)), kMsgNeedRightPar);
  EXPECT_EQ(CompileError(Repeat(")", 100000, "a")), kMsgExtraChars);
  EXPECT_EQ(CompileError(Repeat("(a|", 100000) + "*"), kMsgNeedOperand);
}

TEST(LongPatterns, ErrorPositionIsNotTruncated) {
  TREParser parser(Repeat("a", 100000) + ")");
  try {
    parser.Run();
    FAIL();
  } catch (const ERegExpParser& e) {
    EXPECT_EQ(e.ErrorPos, 100002);
  }
}

TEST(LongPatterns, ManyClosuresCompile) {
  TLineRegExp re;
  re.SetRegExp(Repeat("a*", 50000) + "b");
  EXPECT_EQ(FirstMatch(re.CurrentDFA(), Codes("aaab")), 0);
  EXPECT_EQ(FirstMatch(re.CurrentDFA(), Codes("aaa")), -1);
}

TEST(LongPatterns, ManyAlternativesCompile) {
  TLineRegExp re;
  std::string pattern = "x";
  for (int i = 0; i < 20000; ++i) (pattern += "|y") += std::to_string(i);
  re.SetRegExp(pattern);
  EXPECT_EQ(FirstMatch(re.CurrentDFA(), Codes("--y19999")), 2);
  EXPECT_EQ(FirstMatch(re.CurrentDFA(), Codes("y")), -1);
}

// The pattern's own text, held in a few copies on its way to the parser (the caller's, the
// source, the preprocessor's and the cache key), and what the test program holds beside it.
size_t OutsideTheCompile(const std::string& pattern) {
  return 8 * pattern.size() + (size_t{1} << 20);
}

TEST(LongPatterns, LongLiteralsCompile) {
  // 50,000 characters, single-byte and double-byte: an automaton as long as the text.
  for (const std::string& word :
       {Repeat("abcdefghij", 5000), Repeat(Sjis("日本語の検索結果表示"), 5000)}) {
    TLineRegExp re;
    re.SetRegExp(word);
    EXPECT_TRUE(re.IsLiteral());
    EXPECT_EQ(re.Literal(), word);
    EXPECT_EQ(re.CurrentDFA().StateCount(), 50001);
  }
}

TEST(LongPatterns, ManyWordsCompile) {
  // 8,000 words of 8 to 12 letters joined by "|": about 58,000 states, one per prefix.
  std::vector<std::string> words;
  uint32_t seed = 12345;
  auto next = [&seed] { return (seed = seed * 1103515245 + 12345) >> 16; };
  std::string pattern;
  for (int i = 0; i < 8000; ++i) {
    std::string word;
    for (int n = 8 + next() % 5; n > 0; --n) word += static_cast<char>('a' + next() % 26);
    pattern += (i > 0 ? "|" : "") + word;
    words.push_back(word);
  }
  TLineRegExp re;
  re.SetRegExp(pattern);
  EXPECT_GT(re.CurrentDFA().StateCount(), 50000);
  for (int i : {0, 4321, 7999}) EXPECT_EQ(FirstMatch(re.CurrentDFA(), Codes("--" + words[i])), 2);
  EXPECT_EQ(FirstMatch(re.CurrentDFA(), Codes(words[7999].substr(0, 7))), -1);
}

TEST(LongPatterns, ManyRangesCompile) {
  // Thousands of overlapping ranges: the leaves are cut against each other.
  std::string pattern;
  for (int i = 0; i < 3000; ++i) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "[\\x%X-\\x%X]|", 0x100 + i * 7, 0x100 + i * 7 + 20);
    pattern += buf;
  }
  pattern += "z";
  TLineRegExp re;
  re.SetRegExp(pattern);
  EXPECT_EQ(FirstMatch(re.CurrentDFA(), {0x105}), 0);
  EXPECT_EQ(FirstMatch(re.CurrentDFA(), {0xFF}), -1);
}

TEST(ExplosivePatterns, RangeCuttingIsLimited) {
  // Ten thousand staggered ranges: every one overlaps dozens of others.
  std::string staggered;
  for (int i = 0; i < 10000; ++i) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "[\\x%X-\\x%X]|", 0x100 + i * 3, 0x100 + i * 3 + 100);
    staggered += buf;
  }
  EXPECT_EQ(CompileError(staggered + "z"), kMsgTooComplex);
  // Thousands of negated classes, each a union of pieces that cut all the others.
  std::string negated;
  for (int i = 0; i < 3000; ++i) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "[^\\x%X]", 0x100 + i * 5);
    negated += buf;
  }
  EXPECT_EQ(CompileError(negated), kMsgTooComplex);
}

TEST(ExplosivePatterns, ExponentialDFAIsRefused) {
  EXPECT_EQ(CompileError(Repeat("(a|b)", 20, "(a|b)*a")), kMsgTooComplex);
  // Below the limit the same form compiles.
  TLineRegExp re;
  re.SetRegExp(Repeat("(a|b)", 10, "(a|b)*a"));
  EXPECT_EQ(FirstMatch(re.CurrentDFA(), Codes("abbbbbbbbbbb")), 0);
}

TEST(ExplosivePatterns, NestedPlusCopiesAreLimited) {
  // Each "+" walks its operand twice: 40 levels would need 2^40 NFA states.
  EXPECT_EQ(CompileError(Repeat("(", 40) + "a" + Repeat(")+", 40)), kMsgTooComplex);
  EXPECT_EQ(CompileError(Repeat("(", 30) + "[a-z]|b|c|d" + Repeat(")+", 30)), kMsgTooComplex);
}

TEST(ExplosivePatterns, RefusedWithinTheMemoryBudget) {
  const std::string patterns[] = {
      // The DFA state after n letters holds the NFA states of n groups: its sets grow with
      // the square of the length.
      Repeat("(a+)+", 20000),
      Repeat("(a+)+", 2000),
      // 2^21 states.
      Repeat("(a|b)", 20, "(a|b)*a"),
      // Each "+" copies its operand: 2^40 NFA states.
      Repeat("(", 40) + "a" + Repeat(")+", 40),
      // Linear, but a megabyte long: some hundred bytes of automaton per character.
      Repeat("abcdefghij", 100000),
  };
  for (const std::string& pattern : patterns) {
    THeapPeak heap;
    EXPECT_EQ(CompileError(pattern), kMsgTooComplex) << pattern.substr(0, 40);
    EXPECT_LE(heap.Rise(), kMaxCompileBytes + OutsideTheCompile(pattern)) << pattern.substr(0, 40);
  }
}

TEST(ExplosivePatterns, FailureLeavesTheObjectUsable) {
  TLineRegExp re;
  re.SetRegExp("abc");
  EXPECT_THROW(re.SetRegExp(Repeat("(a|b)", 20, "(a|b)*a")), ERegExpParser);
  re.SetRegExp("abc");
  EXPECT_TRUE(re.IsLiteral());
  EXPECT_EQ(re.CompiledCount(), 2);
}

}  // namespace
