// NFA numbering and chains, DFA states, transitions and the fixed-string check.
#include <gtest/gtest.h>

#include "regex/re_dfa.h"
#include "regex/re_nfa.h"
#include "regex/re_nfa_state_set.h"
#include "regex/re_parser.h"
#include "tests/regex/regex_test_support.h"

using namespace varsik;

namespace {

using RegexTest::DumpDFA;
using RegexTest::DumpNFA;
using RegexTest::Sjis;

constexpr uint16_t kBaseHead = 0xFFFD;
constexpr uint16_t kBaseTail = 0xFFFE;

std::string NFAOf(const std::string& pattern, uint16_t head = kBaseHead, uint16_t tail = kBaseTail,
                  int32_t* states = nullptr) {
  TREParser parser(pattern);
  parser.Run();
  TRE_NFA nfa(parser, head, tail);
  nfa.Run();
  if (states) *states = nfa.StateCount();
  return DumpNFA(nfa);
}

struct TNFACase {
  friend void PrintTo(const TNFACase& c, std::ostream* os) {
    RegexTest::PrintPattern(c.Pattern, os);
  }
  std::string Pattern;
  bool Grep;  // the grep component's line codes (LF) instead of 0xFFFD / 0xFFFE
  int32_t States;
  std::string Chains;
};

class NFAChains : public testing::TestWithParam<TNFACase> {};

TEST_P(NFAChains, Numbering) {
  const TNFACase& c = GetParam();
  int32_t states = 0;
  std::string chains =
      c.Grep ? NFAOf(c.Pattern, 10, 10, &states) : NFAOf(c.Pattern, kBaseHead, kBaseTail, &states);
  EXPECT_EQ(chains, c.Chains) << c.Pattern;
  EXPECT_EQ(states, c.States) << c.Pattern;
}

INSTANTIATE_TEST_SUITE_P(
    Table, NFAChains,
    testing::Values(TNFACase{"", false, 2, "0:eps>1"}, TNFACase{"ab", false, 3, "0:a>2 2:b>1"},
                    TNFACase{"a*", false, 4, "0:eps>2 2:eps>1,a>3 3:eps>2"},
                    TNFACase{"a|b", false, 2, "0:b>1,a>1"},
                    TNFACase{"ab|ac", false, 4, "0:a>3,a>2 2:b>1 3:c>1"},
                    TNFACase{"a*b", false, 5, "0:eps>3 2:b>1 3:eps>2,a>4 4:eps>3"},
                    TNFACase{"a?", false, 2, "0:eps>1,a>1"},
                    TNFACase{"(ab)+", false, 7, "0:a>3 2:eps>4 3:b>2 4:eps>1,a>6 5:eps>4 6:b>5"},
                    TNFACase{"^", false, 2, "0:xFFFD>1"}, TNFACase{"$", false, 2, "0:xFFFE>1"},
                    TNFACase{"^", true, 2, "0:x0A>1"}, TNFACase{"$", true, 2, "0:x0A>1"},
                    TNFACase{"^ab", true, 4, "0:x0A>3 2:b>1 3:a>2"},
                    TNFACase{"ab$", true, 4, "0:a>3 2:x0A>1 3:b>2"},
                    TNFACase{"a^b", true, 4, "0:a>3 2:b>1 3:^>2"},
                    TNFACase{"$a", true, 3, "0:$>2 2:a>1"},
                    TNFACase{"x|^y", true, 3, "0:x0A>2,x>1 2:y>1"},
                    TNFACase{"(^a|^b)c", true, 5, "0:x0A>4,x0A>3 2:c>1 3:a>2 4:b>2"},
                    TNFACase{"(^a)*", true, 5, "0:eps>2 2:eps>1,^>4 3:eps>2 4:a>3"},
                    TNFACase{"a*^b", true, 6, "0:eps>4 2:b>1 3:^>2 4:eps>3,a>5 5:eps>4"},
                    TNFACase{"a$|b", true, 3, "0:b>1,a>2 2:x0A>1"},
                    TNFACase{"(a|b)$", true, 3, "0:b>2,a>2 2:x0A>1"},
                    TNFACase{"a$b*", true, 6, "0:a>3 2:eps>4 3:$>2 4:eps>1,b>5 5:eps>4"},
                    TNFACase{"^*", true, 4, "0:eps>2 2:eps>1,^>3 3:eps>2"}),
    RegexTest::CaseName<TNFACase>);

struct TDFACase {
  friend void PrintTo(const TDFACase& c, std::ostream* os) {
    RegexTest::PrintPattern(c.Pattern, os);
  }
  std::string Pattern;
  bool Grep;
  std::string States;
  bool Literal;
  std::string LiteralText;
};

class DFAStates : public testing::TestWithParam<TDFACase> {};

TEST_P(DFAStates, Build) {
  const TDFACase& c = GetParam();
  TREParser parser(c.Pattern);
  parser.Run();
  TRE_NFA nfa(parser, c.Grep ? 10 : kBaseHead, c.Grep ? 10 : kBaseTail);
  nfa.Run();
  TRE_DFA dfa(nfa);
  dfa.Run();
  EXPECT_EQ(DumpDFA(dfa), c.States) << c.Pattern;
  EXPECT_EQ(dfa.IsLiteral(), c.Literal) << c.Pattern;
  EXPECT_EQ(dfa.Literal(), c.LiteralText) << c.Pattern;
}

INSTANTIATE_TEST_SUITE_P(
    Table, DFAStates,
    testing::Values(
        TDFACase{"", false, "0*:", true, ""},
        TDFACase{"abc", false, "0:a>1 1:b>2 2:c>3 3*:", true, "abc"},
        TDFACase{"ab|ac", false, "0:a>1 1:b>2,c>2 2*:", false, ""},
        TDFACase{"a*b", false, "0:a>1,b>2 1:a>1,b>2 2*:", false, ""},
        TDFACase{"a|b", false, "0:a>1,b>1 1*:", false, ""},
        TDFACase{"[ab]", false, "0:a>1,b>1 1*:", false, ""},
        TDFACase{"[a-c]", false, "0:a-c>1 1*:", false, ""},
        TDFACase{"ab*", false, "0:a>1 1*:b>2 2*:b>2", false, ""},
        TDFACase{"a+", false, "0:a>1 1*:a>2 2*:a>2", false, ""},
        TDFACase{"ab?", false, "0:a>1 1*:b>2 2*:", false, ""},
        TDFACase{"a*", false, "0*:a>1 1*:a>1", false, ""},
        TDFACase{Sjis("表ソ"), false, "0:x955C>1 1:x835C>2 2*:", true, Sjis("表ソ")},
        TDFACase{"(ab)(c)", false, "0:a>1 1:b>2 2:c>3 3*:", true, "abc"},
        TDFACase{"^abc", true, "0:x0A>1 1:a>2 2:b>3 3:c>4 4*:", true, "\nabc"},
        TDFACase{"abc$", true, "0:a>1 1:b>2 2:c>3 3:x0A>4 4*:", true, "abc\n"},
        // Codes that no text carries as bytes are left to the automaton.
        TDFACase{"^a", false, "0:xFFFD>1 1:a>2 2*:", false, ""},
        TDFACase{"a\\x4142", false, "0:a>1 1:x4142>2 2*:", false, ""},
        TDFACase{"a\\0b", false, "0:a>1 1:x00>2 2:b>3 3*:", false, ""},
        TDFACase{"\\xA5\\x8140", false, "0:xA5>1 1:x8140>2 2*:", true, "\xA5\x81\x40"},
        TDFACase{"a^b", true, "0:a>1 1:^>2 2:b>3 3*:", true, "a^b"},
        // Registration order: state 0's chain lists "a" first (its NFA transition is the
        // newest), so its group comes first and the group of "b" is registered first.
        TDFACase{"bx|ay", false, "0:a>2,b>1 1:x>3 2:y>3 3*:", false, ""},
        // A range that begins at 0xFFFF is an empty transition.
        TDFACase{"a\\xFFFF", false, "0:a>1 1*:", true, "a"}),
    RegexTest::CaseName<TDFACase>);

TEST(DFAWorkedExamples, StateSetsFollowDiscoveryOrder) {
  struct {
    std::string Pattern;
    std::vector<std::vector<int32_t>> Sets;
  } cases[] = {
      {"ab|ac", {{0}, {2, 3}, {1}}},
      {"a*b", {{0, 2, 3}, {2, 3, 4}, {1}}},
      {"", {{0, 1}}},
  };
  for (const auto& c : cases) {
    TREParser parser(c.Pattern);
    parser.Run();
    TRE_NFA nfa(parser, kBaseHead, kBaseTail);
    nfa.Run();
    TRE_DFA dfa(nfa);
    dfa.Run();
    ASSERT_EQ(dfa.StateCount(), static_cast<int32_t>(c.Sets.size())) << c.Pattern;
    for (int32_t s = 0; s < dfa.StateCount(); ++s) {
      std::vector<int32_t> set(dfa.StateSet(s).begin(), dfa.StateSet(s).end());
      EXPECT_EQ(set, c.Sets[s]) << c.Pattern << " state " << s;
    }
  }
}

TEST(DFANextState, StopsOutsideTheRanges) {
  TREParser parser("[c-e]x|[k-m]y|[p-r]z");
  parser.Run();
  TRE_NFA nfa(parser, kBaseHead, kBaseTail);
  nfa.Run();
  TRE_DFA dfa(nfa);
  dfa.Run();
  const int32_t s0 = dfa.InitialState();
  for (uint16_t code : {uint16_t('a'), uint16_t('b'), uint16_t('f'), uint16_t('n'), uint16_t('s'),
                        uint16_t(0), uint16_t(0xFFFF)})
    EXPECT_EQ(dfa.NextState(s0, code), kNoState) << code;
  EXPECT_NE(dfa.NextState(s0, 'c'), kNoState);
  EXPECT_NE(dfa.NextState(s0, 'm'), kNoState);
  EXPECT_NE(dfa.NextState(s0, 'r'), kNoState);
}

// States with many transitions are searched by halves; the result must be the walk's.
TEST(DFANextState, LongTransitionListsAgreeWithTheWalk) {
  std::string pattern = "[";
  for (char c = 'a'; c <= 'y'; c += 2) pattern += c;
  pattern += Sjis("]|[あ-おか-こ]x|表y");
  TREParser parser(pattern);
  parser.Run();
  TRE_NFA nfa(parser, kBaseHead, kBaseTail);
  nfa.Run();
  TRE_DFA dfa(nfa);
  dfa.Run();
  auto transitions = dfa.Transitions(dfa.InitialState());
  ASSERT_GT(transitions.size(), 8u);
  for (uint32_t code = 0; code <= 0xFFFF; ++code) {
    int32_t expected = kNoState;
    for (const RE_DFATransition_t& t : transitions) {
      if (code < t.Chars.StartChar) break;
      if (code <= t.Chars.EndChar) {
        expected = t.TransitTo;
        break;
      }
    }
    ASSERT_EQ(dfa.NextState(dfa.InitialState(), static_cast<uint16_t>(code)), expected) << code;
  }
}

TEST(DFAAlphabet, TransitionsAreSortedDisjointSymbols) {
  for (const char* pattern : {"a^b|a[!-~]c", "^a|[\\x01-\\x7f]b", "(a|[a-z]|.)*x$|$", "[^a]b|.c"}) {
    TREParser parser(pattern);
    parser.Run();
    TRE_NFA nfa(parser, 10, 10);
    nfa.Run();
    TRE_DFA dfa(nfa);
    dfa.Run();
    const auto& alphabet = dfa.Alphabet();
    for (size_t k = 1; k < alphabet.size(); ++k)
      EXPECT_LT(alphabet[k - 1].EndChar, alphabet[k].StartChar) << pattern;
    for (int32_t s = 0; s < dfa.StateCount(); ++s) {
      auto t = dfa.Transitions(s);
      for (size_t k = 1; k < t.size(); ++k)
        EXPECT_LT(t[k - 1].Chars.EndChar, t[k].Chars.StartChar) << pattern << " state " << s;
    }
  }
}

TEST(NFAStateSet, SizeAndMembership) {
  EXPECT_EQ(TRE_NFAStateSet(8).Capacity(), 2);
  EXPECT_EQ(TRE_NFAStateSet(7).Capacity(), 1);
  EXPECT_EQ(TRE_NFAStateSet(0).Capacity(), 1);
  TRE_NFAStateSet a(20), b(20);
  a.Include(3);
  a.Include(17);
  a.Include(3);
  EXPECT_TRUE(a.Has(3));
  EXPECT_TRUE(a.Has(17));
  EXPECT_FALSE(a.Has(4));
  EXPECT_EQ(a.Members(), (std::vector<int32_t>{3, 17}));
  b.Include(17);
  EXPECT_FALSE(a.Equals(b));
  b.Include(3);
  EXPECT_TRUE(a.Equals(b));
  a.Clear();
  EXPECT_FALSE(a.Has(3));
  EXPECT_TRUE(a.Members().empty());
  EXPECT_TRUE(a.Equals(TRE_NFAStateSet(20)));
}

TEST(NFAStateSet, AscendingMembersOfSparseAndDenseSets) {
  // A few members of a large set are sorted, many are read off the bits: both ascend.
  std::vector<int32_t> out;
  TRE_NFAStateSet sparse(100000);
  for (int32_t i : {99999, 7, 4096, 8, 0}) sparse.Include(i);
  sparse.AscendingMembers(out);
  EXPECT_EQ(out, (std::vector<int32_t>{0, 7, 8, 4096, 99999}));
  TRE_NFAStateSet dense(70);
  std::vector<int32_t> expected;
  for (int32_t i = 0; i < 70; i += 3) expected.push_back(i);
  for (auto it = expected.rbegin(); it != expected.rend(); ++it) dense.Include(*it);
  dense.AscendingMembers(out);
  EXPECT_EQ(out, expected);
}

}  // namespace
