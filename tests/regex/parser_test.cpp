// Parse trees, leaf sharing and splitting, negated classes and grammar errors.
#include <gtest/gtest.h>

#include <random>

#include "regex/errors.h"
#include "regex/re_char_code.h"
#include "regex/re_parser.h"
#include "tests/regex/regex_test_support.h"

using namespace varsik;

namespace {

using RegexTest::DumpLeaves;
using RegexTest::DumpTree;
using RegexTest::Sjis;

struct TTreeCase {
  friend void PrintTo(const TTreeCase& c, std::ostream* os) {
    RegexTest::PrintPattern(c.Pattern, os);
  }
  std::string Pattern;
  std::string Tree;
  std::string Leaves;
};

class ParserTrees : public testing::TestWithParam<TTreeCase> {};

TEST_P(ParserTrees, Builds) {
  TREParser parser(GetParam().Pattern);
  parser.Run();
  EXPECT_EQ(DumpTree(parser.ParseTree()), GetParam().Tree) << GetParam().Pattern;
  EXPECT_EQ(DumpLeaves(parser.ParseTree()), GetParam().Leaves) << GetParam().Pattern;
}

INSTANTIATE_TEST_SUITE_P(
    Table, ParserTrees,
    testing::Values(
        TTreeCase{"", "empty", ""}, TTreeCase{"a|", "alt(a,empty)", "a"},
        TTreeCase{"|a", "alt(empty,a)", "a"}, TTreeCase{"|", "alt(empty,empty)", ""},
        TTreeCase{"()", "empty", ""}, TTreeCase{"(|)", "alt(empty,empty)", ""},
        TTreeCase{"abc", "cat(cat(a,b),c)", "a b c"},
        TTreeCase{"a|b|c", "alt(alt(a,b),c)", "a b c"},
        TTreeCase{"ab|cd", "alt(cat(a,b),cat(c,d))", "a b c d"},
        TTreeCase{"a(b|c)d", "cat(cat(a,alt(b,c)),d)", "a b c d"}, TTreeCase{"((a))", "a", "a"},
        TTreeCase{"a*b", "cat(star(a),b)", "a b"}, TTreeCase{"a+", "cat(a,star(a))", "a"},
        TTreeCase{"a?", "alt(a,empty)", "a"},
        TTreeCase{"(ab)+", "cat(cat(a,b),star(cat(a,b)))", "a b"},
        TTreeCase{"(a|b)*c", "cat(star(alt(a,b)),c)", "a b c"},
        TTreeCase{"abab", "cat(cat(cat(a,b),a),b)", "a b"},
        TTreeCase{"{1,2}", "cat(cat(cat(cat({,1),,),2),})", "{ 1 , 2 }"},
        TTreeCase{"[aa]", "alt(a,a)", "a"}, TTreeCase{"[abc]", "alt(alt(a,b),c)", "a b c"},
        TTreeCase{"[a-cd-f]", "alt(a-c,d-f)", "a-c d-f"}, TTreeCase{"[\\]]", "]", "]"},
        TTreeCase{".", "alt(alt(x01-x09,x0B-x0C),x0E-xFCFC)", "x0B-x0C x01-x09 x0E-xFCFC"},
        TTreeCase{"a[a-c]", "cat(a,alt(a,b-c))", "a b-c"},
        TTreeCase{"[a-m]|[h-z]", "alt(alt(a-g,h-m),alt(h-m,n-z))", "a-g h-m n-z"},
        TTreeCase{"[a-z]b", "cat(alt(alt(a,b),c-z),b)", "b a c-z"},
        TTreeCase{"[\\x00\\x00-\\x05]", "alt(x00,alt(x00,x01-x05))", "x00 x01-x05"},
        TTreeCase{"\\xFFFF|[\\xFF00-\\xFFFF]", "alt(xFFFF,alt(xFF00-xFFFE,xFFFF))",
                  "xFFFF xFF00-xFFFE"},
        TTreeCase{"[^a-z]", "alt(alt(alt(x0B-x0C,x01-x09),x0E-`),{-xFCFC)",
                  "x0B-x0C x01-x09 x0E-` {-xFCFC"},
        TTreeCase{"[^\\n]", "alt(alt(x0B-x0C,x01-x09),x0E-xFCFC)", "x0B-x0C x01-x09 x0E-xFCFC"},
        TTreeCase{"[^\\x00-\\x05]", "alt(alt(x0B-x0C,x0E-xFCFC),x06-x09)",
                  "x0B-x0C x0E-xFCFC x06-x09"},
        TTreeCase{"[^\\x01-\\x09]", "alt(x0B-x0C,x0E-xFCFC)", "x0B-x0C x0E-xFCFC"},
        TTreeCase{"^a", "cat(^^,a)", "a"}, TTreeCase{"a^b", "cat(cat(a,^^),b)", "a b"},
        TTreeCase{"$a", "cat($$,a)", "a"}, TTreeCase{"^*", "star(^^)", ""},
        TTreeCase{"^|$", "alt(^^,$$)", ""},
        TTreeCase{Sjis("表ソ"), "cat(x955C,x835C)", "x955C x835C"},
        TTreeCase{Sjis("[ソ-表]"), "x835C-x955C", "x835C-x955C"}),
    RegexTest::CaseName<TTreeCase>);

TEST(ParserSharing, PlusSharesItsOperand) {
  for (const char* pattern : {"a+", "(ab)+", "[a-c]+"}) {
    TREParser parser(pattern);
    parser.Run();
    const TREParseTree& tree = parser.ParseTree();
    const RE_ParseNode_t& root = tree.Node(tree.Root());
    ASSERT_EQ(root.Op, RE_NodeOp_t::Concat) << pattern;
    const RE_ParseNode_t& closure = tree.Node(root.Right);
    ASSERT_EQ(closure.Op, RE_NodeOp_t::Closure) << pattern;
    EXPECT_EQ(closure.Left, root.Left) << pattern;
  }
}

TEST(ParserSharing, RepeatedCharactersShareOneLeaf) {
  TREParser parser("a(a|[a])a*");
  parser.Run();
  EXPECT_EQ(parser.ParseTree().LeafList().size(), 1u);
}

using RegexTest::TErrorCase;

class ParserErrors : public testing::TestWithParam<TErrorCase> {};

TEST_P(ParserErrors, Raise) {
  RegexTest::ExpectPatternError(GetParam(), [](const std::string& pattern) {
    TREParser parser(pattern);
    parser.Run();
  });
}

INSTANTIATE_TEST_SUITE_P(
    Table, ParserErrors,
    testing::Values(TErrorCase{"a**", kMsgNeedOperand, 4}, TErrorCase{"*a", kMsgNeedOperand, 2},
                    TErrorCase{"(*)", kMsgNeedOperand, 3}, TErrorCase{"a|+", kMsgNeedOperand, 4},
                    TErrorCase{"]", kMsgNeedOperand, 2}, TErrorCase{"a+?", kMsgNeedOperand, 4},
                    TErrorCase{"a*?", kMsgNeedOperand, 4}, TErrorCase{"?", kMsgNeedOperand, 2},
                    TErrorCase{"(a", kMsgNeedRightPar, 3}, TErrorCase{"((a)", kMsgNeedRightPar, 5},
                    TErrorCase{"(", kMsgNeedRightPar, 2}, TErrorCase{"a)", kMsgExtraChars, 3},
                    TErrorCase{"(a))", kMsgExtraChars, 5}, TErrorCase{")", kMsgExtraChars, 2},
                    TErrorCase{"[]", kMsgBadClass, 3}, TErrorCase{"[]a]", kMsgBadClass, 3},
                    TErrorCase{"[^]", kMsgBadClass, 4},
                    // A negated class that leaves nothing is rejected, not built.
                    TErrorCase{"[^\\x01-\\xFCFC]", kMsgBadClass, 15},
                    TErrorCase{"[^\\x00-\\xFFFF]", kMsgBadClass, 15},
                    TErrorCase{"a[^\\x01-\\x09\\x0b\\x0c\\x0e-\\xfcfc]b", kMsgBadClass, 33},
                    TErrorCase{"[^a-z\\x01-\\xFCFC]", kMsgBadClass, 18},
                    // Scanner errors pass through unchanged.
                    TErrorCase{"a[z-a]", kMsgBadCharRange, 6},
                    TErrorCase{"(a\\", kMsgCharAfterBackslash, 4}),
    RegexTest::CaseName<TErrorCase>);

TEST(ParserErrorsGeneral, ChangeLeafToUnionNeedsBothOperands) {
  TREParseTree tree;
  int32_t leaf = tree.MakeLeaf('a', 'c');
  int32_t piece = tree.MakeLeaf('a', 'a');
  try {
    tree.ChangeLeafToUnion(leaf, piece, kNoNode);
    FAIL();
  } catch (const ERegExpParser&) {
    FAIL() << "must be the general exception";
  } catch (const EVarsikError& e) {
    EXPECT_EQ(e.Message(), kMsgParseTreeFatal);
  }
}

// The codes that the leaves reachable through unions from node cover.
bool Covers(const TREParseTree& tree, int32_t node, uint16_t code) {
  const RE_ParseNode_t& n = tree.Node(node);
  if (n.Op == RE_NodeOp_t::Char) return code >= n.Chars.StartChar && code <= n.Chars.EndChar;
  return Covers(tree, n.Left, code) || Covers(tree, n.Right, code);
}

// Random classes over a small code space, so that ranges overlap in every way: after the
// parse no two leaves overlap, and the class still covers exactly its members.
TEST(ParserSplitting, LeavesAreDisjointAndMeaningIsKept) {
  std::mt19937 rng(7);
  for (int round = 0; round < 300; ++round) {
    const bool negated = round % 3 == 0;
    std::vector<std::pair<int, int>> members;
    std::string pattern = negated ? "[^" : "[";
    int count = 1 + rng() % 6;
    for (int i = 0; i < count; ++i) {
      int lo = rng() % 40;
      int hi = lo + rng() % 12;
      if (round % 5 == 0) lo = hi = lo;  // also plain members
      members.push_back({lo, hi});
      char buf[32];
      std::snprintf(buf, sizeof buf, "\\x%X-\\x%X", lo, hi);
      pattern += buf;
    }
    pattern += "]";
    TREParser parser(pattern);
    parser.Run();
    const TREParseTree& tree = parser.ParseTree();
    const auto& leaves = tree.LeafList();
    for (size_t i = 0; i < leaves.size(); ++i)
      for (size_t j = i + 1; j < leaves.size(); ++j) {
        RE_CharRange_t a = tree.Node(leaves[i]).Chars;
        RE_CharRange_t b = tree.Node(leaves[j]).Chars;
        EXPECT_TRUE(a.EndChar < b.StartChar || b.EndChar < a.StartChar) << pattern;
      }
    for (int code = 0; code < 64; ++code) {
      bool member = false;
      for (auto [lo, hi] : members) member = member || (code >= lo && code <= hi);
      bool dot = code != 0 && code != 10 && code != 13;
      bool expected = negated ? dot && !member : member;
      EXPECT_EQ(Covers(tree, tree.Root(), code), expected) << pattern << " code " << code;
    }
    if (negated) {
      EXPECT_TRUE(Covers(tree, tree.Root(), 0xFCFC));
    }
  }
}

}  // namespace
