// The matches that the searches mark on the lines they report: plain mode's occurrences
// (case, fuzzy kana, whole word), regular-expression mode's leftmost-longest matches in
// every scan routine and at every block size, cut lines, and no marks unless asked.
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "search/grep.h"
#include "search/line_searcher.h"
#include "search/plain_line_finder.h"
#include "search/plain_line_rule.h"
#include "search/plain_marker.h"
#include "tests/search/grep_test_support.h"
#include "tests/search/sjis.h"
#include "tests/support/temp_dir.h"

using namespace varsik;

namespace {

// Spans as "[b,e)" one after another, for readable failures.
std::string Show(const std::vector<TMatchSpan>& spans) {
  std::string s;
  for (const TMatchSpan& m : spans) {
    s += '[';
    s += std::to_string(m.Begin);
    s += ',';
    s += std::to_string(m.End);
    s += ')';
  }
  return s;
}

struct TPlainCase {
  std::string Word;
  bool Case = false;
  bool Fuzzy = false;
  bool AsWord = false;
  std::string Line;
  std::string Marks;
};

std::string PlainMarks(const TPlainCase& c) {
  TPlainMarker marker;
  marker.Prepare(c.Word, c.Case, c.Fuzzy, c.AsWord);
  std::vector<TMatchSpan> spans;
  marker.Mark(c.Line, true, spans);
  return Show(spans);
}

}  // namespace

TEST(PlainMarksTest, EachOccurrenceTheSearchWouldFind) {
  const std::string ka = Sjis("カ");  // 83 4A
  const std::vector<TPlainCase> cases = {
      {"abc", false, false, false, "ABC xabc abC", "[0,3)[5,8)[9,12)"},
      {"abc", true, false, false, "ABC xabc abC", "[5,8)"},
      // Not overlapping, left to right.
      {"aa", false, false, false, "aaaaa", "[0,2)[2,4)"},
      // Whole words only; an occurrence inside a longer word is passed over.
      {"ab", false, false, true, "ab abc xab (ab)", "[0,2)[12,14)"},
      // A double-byte character bounds a word.
      {"ab", false, false, true, Sjis("あab"), "[2,4)"},
      // A trail byte that reads as the word is no occurrence: 83 40 is ァ.
      {"@", false, false, false, Sjis("ァ@"), "[2,3)"},
      // Full-width capitals fold with the case switch off.
      {Sjis("ａ"), false, false, false, Sjis("Ａｂａ"), "[0,2)[4,6)"},
      // Fuzzy: half-width katakana stand for full width, a voiced mark joins its kana.
      {ka, false, true, false, "x\xB6y\xB6\xDEz" + ka, "[1,2)[6,8)"},
      {Sjis("ガ"), false, true, false,
       "x\xB6\xDE"
       "y",
       "[1,3)"},
      {Sjis("カタ"), false, true, false, "\xB6\xC0.\xB6\xC0", "[0,2)[3,5)"},
      // Without the fuzzy switch half-width katakana stay themselves.
      {ka, false, false, false, "\xB6" + ka, "[1,3)"},
      // A word that ends in a lone lead byte marks the whole character it ends in.
      {"a\x83", true, false, false, "a" + ka + "b", "[0,3)"},
      {"", false, false, false, "abc", ""},
  };
  for (const TPlainCase& c : cases) EXPECT_EQ(PlainMarks(c), c.Marks) << c.Word << " in " << c.Line;
}

TEST(PlainMarksTest, ALineHoldsMarksExactlyWhenTheLineRuleTakesIt) {
  // Random lines over the bytes that matter: letters of both cases, delimiters,
  // half-width katakana with marks, double-byte characters whose trails look like ASCII.
  const std::vector<std::string> pieces = {
      "a",    "A",        "b",        " ",        ".",        "\xB6",     "\xDE",
      "\xB1", Sjis("カ"), Sjis("ガ"), Sjis("ア"), "\x83\x61", "\x82\x60", Sjis("ａ")};
  const std::vector<std::string> words = {"a",         "ab",   "Ab",       Sjis("カ"), Sjis("ガ"),
                                          Sjis("aア"), "\x61", Sjis("Ａ"), "b a"};
  std::mt19937 random(16);
  for (int round = 0; round < 4000; ++round) {
    std::string line;
    const int n = static_cast<int>(random() % 12);
    for (int i = 0; i < n; ++i) line += pieces[random() % pieces.size()];
    const std::string& word = words[random() % words.size()];
    const bool upperLower = random() % 2, fuzzy = random() % 2, asWord = random() % 2;
    TPlainMarker marker;
    marker.Prepare(word, upperLower, fuzzy, asWord);
    std::vector<TMatchSpan> spans;
    marker.Mark(line, true, spans);
    std::string folded, scratch, foldedWord, scratch2;
    const bool takes = PlainLineRule::LineMatches(
        PlainLineRule::Fold(line, upperLower, fuzzy, folded, scratch),
        PlainLineRule::Fold(word, upperLower, fuzzy, foldedWord, scratch2), asWord);
    ASSERT_EQ(!spans.empty(), takes)
        << word << " in " << line << " " << upperLower << fuzzy << asWord;
    size_t last = 0;
    for (const TMatchSpan& m : spans) {
      ASSERT_LE(last, m.Begin);
      ASSERT_LT(m.Begin, m.End);
      ASSERT_LE(m.End, line.size());
      last = m.End;
    }
  }
}

TEST(PlainMarksTest, OccurrencesStartCharactersAsAWalkFromTheLineStartFindsThem) {
  // Lines of lead-range bytes, where only the walk from the line's start tells a lead from
  // a trail (82 9F is ぁ, 9F 82 the trail of one and the lead of the next, and a kanji
  // itself), with single bytes and line-end bytes that end a run.
  const std::vector<std::string> pieces = {"\x82\x9F", "\x9F\x82", "\x82", "\x9F",
                                           "a",        "\r",       "\xB1", "\x95\xB6"};
  const std::vector<std::string> words = {"\x9F\x82", "\x82\x9F", "\x82\x9F\x82\x9F",
                                          "\x82",     "a\x82",    "\x9F"};
  std::mt19937 random(7);
  for (int round = 0; round < 20000; ++round) {
    std::string line;
    const int n = static_cast<int>(random() % 16);
    for (int i = 0; i < n; ++i) line += pieces[random() % pieces.size()];
    const std::string& word = words[random() % words.size()];
    // Each occurrence on a character start, leftmost first, behind the last one marked.
    std::vector<bool> starts(line.size() + 1, false);
    for (size_t i = 0; i < line.size(); i += PlainLineRule::CharLength(line, i)) starts[i] = true;
    std::vector<TMatchSpan> expected;
    for (size_t p = 0; p + word.size() <= line.size(); ++p) {
      if (!starts[p] || line.compare(p, word.size(), word) != 0) continue;
      if (!expected.empty() && p < expected.back().End) continue;
      size_t end = p;
      while (end < p + word.size()) end += PlainLineRule::CharLength(line, end);
      expected.push_back({p, end});
    }
    ASSERT_EQ(PlainMarks({word, true, false, false, line, ""}), Show(expected))
        << testing::PrintToString(word) << " in " << testing::PrintToString(line);
  }
}

namespace {

struct TLineMarks {
  int64_t LineNo;
  std::string Marks;
  friend bool operator==(const TLineMarks&, const TLineMarks&) = default;
};
using TMarked = std::vector<TLineMarks>;

void PrintTo(const TLineMarks& m, std::ostream* os) {
  *os << m.LineNo << ":" << m.Marks;
}

// Every report of the grep over `path`, each line with its marks.
TMarked GrepMarks(TGrep& grep, const std::string& path, int32_t block) {
  TMarked marked;
  grep.SetBuffSize(block);
  grep.SetOnMatch([&marked](TGrep&, const RE_LineInfo_t& info) {
    marked.push_back({info.LineNo, Show(info.Matches)});
  });
  grep.Grep(path);
  return marked;
}

struct TRegexCase {
  std::string Pattern;
  std::string Text;
  TMarked Marks;
};

}  // namespace

TEST(RegexMarksTest, LeftmostLongestMatchesInEveryRoutineAndBlockSize) {
  const std::vector<TRegexCase> cases = {
      {"a+", "baaab aa\nnone\n", {{1, "[1,4)[6,8)"}}},
      {"ab|abcd", "xabcd abc", {{1, "[1,5)[6,8)"}}},
      {"abc", "abcabc\r\nabc", {{1, "[0,3)[3,6)"}, {2, "[0,3)"}}},
      // The anchors: the line end in front of a line belongs to it, and a match that
      // reads the line end behind it marks to the line end.
      {"^ab", "abab\nxab", {{1, "[0,2)"}}},
      {"b$", "abb\rb", {{1, "[2,3)"}, {2, "[0,1)"}}},
      {"^", "ab\n", {{1, ""}}},
      // A match that runs on into the next line marks to the end of its line.
      {"b[\t-\r]c", "ab\ncd\nab\n", {{1, "[1,2)"}}},
      {Sjis("[あ-う]+"), Sjis("xあいz う"), {{1, "[1,5)[7,9)"}}},
      // A fixed string at character starts only: 83 40 is ァ.
      {"@", Sjis("ァ@x@"), {{1, "[2,3)[4,5)"}}},
      // A NUL reads as a blank.
      {"a b", std::string("a\0b", 3), {{1, "[0,3)"}}},
  };
  TTempDir dir;
  for (const TRegexCase& c : cases) {
    const std::string path = dir.Write("t.txt", c.Text);
    TGrep grep;
    grep.SetRegExp(c.Pattern);
    grep.SetMarkMatches(true);
    for (bool fast : {true, false}) {
      grep.SetUseFastPath(fast);
      for (int32_t block : GrepTest::kBlockSizes)
        EXPECT_EQ(GrepMarks(grep, path, block), c.Marks)
            << c.Pattern << " fast " << fast << " block " << block;
    }
  }
}

TEST(RegexMarksTest, NoMarksUnlessAsked) {
  TTempDir dir;
  const std::string path = dir.Write("t.txt", "abc\nxabc\n");
  TGrep grep;
  for (const char* pattern : {"abc", "a.c"}) {
    grep.SetRegExp(pattern);
    for (bool fast : {true, false}) {
      grep.SetUseFastPath(fast);
      EXPECT_EQ(GrepMarks(grep, path, TTxtFile::kBuffSize), (TMarked{{1, ""}, {2, ""}}));
    }
  }
}

TEST(RegexMarksTest, ALongLineOfFailingAttemptsKeepsItsEarlyMarksAndEnds) {
  // From every a the attempt of a.*b runs to the line's end: marking stops at its budget.
  TTempDir dir;
  const std::string path = dir.Write("t.txt", "ab" + std::string(200000, 'a') + "\n");
  TGrep grep;
  grep.SetRegExp("a.*b");
  grep.SetMarkMatches(true);
  EXPECT_EQ(GrepMarks(grep, path, TTxtFile::kBuffSize), (TMarked{{1, "[0,2)"}}));
}

TEST(MarksOfCutLinesTest, SpansBehindTheCutGoAndOneAcrossItEndsThere) {
  // Cut at 10 bytes: the occurrence at 8 crosses the cut, the one at 14 lies behind it.
  const std::string text = "ab abc xxabc  abc\n" + std::string(4, 'y') + "abc\n";
  TTempDir dir;
  const std::string path = dir.Write("t.txt", text);
  const TMarked expected = {{1, "[3,6)[9,10)"}, {2, "[4,7)"}};

  TPlainLineFinder finder;
  finder.Prepare("abc", false, false, false);
  TPlainMarker marker;
  marker.Prepare("abc", false, false, false);
  for (bool hold : {false, true}) {
    for (size_t block : {size_t{1}, size_t{3}, size_t{64}}) {
      TLineSearcher searcher;
      searcher.SetMaxLineBytes(10);
      searcher.SetHoldHits(hold);
      searcher.SetBlockSize(block);
      searcher.SetWindowLineBytes(block * 2);
      searcher.SetMarker(&marker);
      TMarked marked;
      searcher.Search(
          path, finder, [] { return false; },
          [&marked](const RE_LineInfo_t& info) {
            marked.push_back({info.LineNo, Show(info.Matches)});
          });
      EXPECT_EQ(marked, expected) << "hold " << hold << " block " << block;
    }
  }

  TGrep grep;
  grep.SetMaxLineBytes(10);
  grep.SetMarkMatches(true);
  for (const char* pattern : {"abc", "a[b]c"}) {
    grep.SetRegExp(pattern);
    for (bool fast : {true, false}) {
      grep.SetUseFastPath(fast);
      for (int32_t block : {1, 3, TTxtFile::kBuffSize})
        EXPECT_EQ(GrepMarks(grep, path, block), expected) << pattern << " fast " << fast;
    }
  }
}
