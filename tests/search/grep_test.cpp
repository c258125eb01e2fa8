// TGrep: the choice of search routine, reporting (one report per line, the line of the
// start position, anchors on the reader's LFs), the end of the file, cancellation and
// failures, at the real block size and at tiny ones.
#include "search/grep.h"

#include <random>
#include <tuple>

#include <gtest/gtest.h>

#include "regex/re_fuzzy_char_dic.h"
#include "tests/search/grep_test_support.h"
#include "tests/search/sjis.h"
#include "tests/support/temp_dir.h"

using namespace varsik;

namespace {

using GrepTest::Collect;
using GrepTest::kBlockSizes;
using GrepTest::THits;

constexpr int32_t kRealBlock = TTxtFile::kBuffSize;

class GrepTest_ : public ::testing::Test {
 protected:
  std::string File(const std::string& bytes) { return Dir.Write("f.txt", bytes); }

  // The reports of `pattern` over `bytes`, the same at every block size.
  THits Hits(const std::string& pattern, const std::string& bytes) {
    Grep.SetRegExp(pattern);
    const std::string path = File(bytes);
    const THits first = Collect(Grep, path, kBlockSizes[0]);
    for (int32_t block : kBlockSizes)
      EXPECT_EQ(Collect(Grep, path, block), first)
          << "block " << block << ", pattern " << testing::PrintToString(pattern);
    return first;
  }

  TTempDir Dir;
  TGrep Grep;
};

bool UsesLiteral(TGrep& grep, const std::string& pattern) {
  grep.SetRegExp(pattern);
  return grep.IsLiteral();
}

}  // namespace

// --- Set-up and the choice of routine --------------------------------------------------

TEST_F(GrepTest_, CarriesTheBuiltInDictionaryAndBothSwitchesStartOff) {
  ASSERT_EQ(Grep.DictionaryList().size(), 1u);
  EXPECT_EQ(Grep.DictionaryList()[0], &BuiltInFuzzyCharDic());
  EXPECT_FALSE(Grep.UseFuzzyCharDic());
  EXPECT_FALSE(Grep.UseSynonymDic());
  EXPECT_FALSE(Grep.Cancel());
  EXPECT_FALSE(Grep.OnMatch());
}

TEST_F(GrepTest_, AnchorsCompileToLineFeeds) {
  EXPECT_TRUE(UsesLiteral(Grep, "^abc"));
  EXPECT_EQ(Grep.Literal(), "\nabc");
  EXPECT_TRUE(UsesLiteral(Grep, "abc$"));
  EXPECT_EQ(Grep.Literal(), "abc\n");
  EXPECT_TRUE(UsesLiteral(Grep, "^$"));
  EXPECT_EQ(Grep.Literal(), "\n\n");
}

TEST_F(GrepTest_, FuzzySwitchAppliesTheDictionary) {
  EXPECT_EQ(Hits("1", Sjis("一\n1\n")), (THits{{2, "1"}}));
  Grep.SetUseFuzzyCharDic(true);
  EXPECT_EQ(Hits("1", Sjis("一\n1\n")), (THits{{1, Sjis("一")}, {2, "1"}}));
}

TEST_F(GrepTest_, LiteralAndAutomatonFindTheSameLines) {
  // Each pair: a fixed string and a pattern that is not one but finds the same lines.
  const std::pair<std::string, std::string> pairs[] = {
      {"abc", "abc+"}, {Sjis("漢字"), Sjis("漢字+")}, {"^ab", "^ab+"}, {"ab$", "a+b$"}};
  const std::string text = "xabc\nab\nabab\n" + Sjis("漢字\n字漢\n") + "ab";
  for (const auto& [literal, automaton] : pairs) {
    ASSERT_TRUE(UsesLiteral(Grep, literal)) << literal;
    ASSERT_FALSE(UsesLiteral(Grep, automaton)) << automaton;
    EXPECT_EQ(Hits(literal, text), Hits(automaton, text)) << literal;
  }
}

TEST_F(GrepTest_, CodesWithoutTextOfTheirOwnNeverMatch) {
  // 0x141 would be written as the byte "A", and a lone lead byte followed by more of its
  // line as a broken character; the reader never delivers either code. A lead byte in
  // front of a line end is a character of its own, and only there.
  for (const char* pattern : {"\\x141", "\\x81a", "x\\x4081"})
    EXPECT_EQ(Hits(pattern, "A\nxA\n\x81\x61\nx\x81\n"), THits{}) << pattern;
  EXPECT_EQ(Hits("\\x81", "A\nxA\n\x81\x61\nx\x81\n"), (THits{{4, "x\x81"}}));
}

// A lead byte before a line end never takes the line end as its trail: the next line
// still begins after a line end and keeps its number.
TEST_F(GrepTest_, LineEndIsNeverATrailByte) {
  for (const char* text : {"x\x83\nabc\n", "x\x83\r\nabc\n", "x\x83\rabc"}) {
    EXPECT_EQ(Hits("^abc", text), (THits{{2, "abc"}})) << text;
    EXPECT_EQ(Hits("ab", text), (THits{{2, "abc"}})) << text;
    EXPECT_EQ(Hits("\\x83$", text), (THits{{1, "x\x83"}})) << text;
  }
}

TEST_F(GrepTest_, StringToCodes) {
  const std::pair<std::string, std::vector<uint16_t>> cases[] = {
      {"", {0}},
      {"abc", {'a', 'b', 'c', 0}},
      {Sjis("漢a表"), {0x8ABF, 'a', 0x955C, 0}},
      {std::string("a\0b", 3), {'a', 0, 'b', 0}},
      {"\xB1\xDF", {0xB1, 0xDF, 0}},
  };
  for (const auto& [text, expected] : cases) {
    std::vector<uint16_t> codes;
    const int32_t n = TGrep::StringToCodes(text, codes);
    EXPECT_EQ(n, static_cast<int32_t>(expected.size()) - 1) << text;
    codes.resize(static_cast<size_t>(n) + 1);
    EXPECT_EQ(codes, expected) << text;
  }
  std::vector<uint16_t> codes;
  EXPECT_THROW(TGrep::StringToCodes("ab\x81", codes), ERegExpParser);
}

TEST_F(GrepTest_, APatternErrorKeepsTheRoutineAndLeavesTheEmptyPattern) {
  for (const char* before : {"abc", "a+"}) {
    Grep.SetRegExp(before);
    EXPECT_THROW(Grep.SetRegExp("(a"), ERegExpParser);
    EXPECT_EQ(Grep.RegExp(), "");
    EXPECT_EQ(Collect(Grep, File("abc\n(a\n"), kRealBlock), THits{}) << before;
  }
}

// --- Reports ------------------------------------------------------------------------------

TEST_F(GrepTest_, TheExampleScan) {
  EXPECT_EQ(Hits("a[bc]", "xac\nab\n"), (THits{{1, "xac"}, {2, "ab"}}));
}

TEST_F(GrepTest_, ALineWithThreeMatchesIsReportedOnce) {
  for (const char* pattern : {"abc", "ab+c", "b"})
    EXPECT_EQ(Hits(pattern, "abc abc abc\r\nno\r\nabc\r\n"),
              (THits{{1, "abc abc abc"}, {3, "abc"}}))
        << pattern;
}

TEST_F(GrepTest_, LineHeadAndLineTailAnchors) {
  const std::string text = "abcx\nxabc\nabc";
  EXPECT_EQ(Hits("^abc", text), (THits{{1, "abcx"}, {3, "abc"}}));
  EXPECT_EQ(Hits("abc$", text), (THits{{2, "xabc"}, {3, "abc"}}));
  EXPECT_EQ(Hits("^abc$", text), (THits{{3, "abc"}}));
  EXPECT_EQ(Hits("^ab+c$", text), (THits{{3, "abc"}}));
  // Line ends of every kind give a line head.
  EXPECT_EQ(Hits("^b", "a\r\nb\rb\nb"), (THits{{2, "b"}, {3, "b"}, {4, "b"}}));
}

TEST_F(GrepTest_, OnlyAnAnchorReportsEveryLineOnce) {
  const std::pair<std::string, THits> cases[] = {
      {"a\nb\n\nc", {{1, "a"}, {2, "b"}, {3, ""}, {4, "c"}}},
      {"a\r\n\r\nb\r\n", {{1, "a"}, {2, ""}, {3, "b"}}},
      {"a\rb\r\r\n", {{1, "a"}, {2, "b"}, {3, ""}}},
      {"\n", {{1, ""}}},
      {"x", {{1, "x"}}},
  };
  for (const auto& [text, lines] : cases)
    for (const char* pattern : {"^", "$", "^|$", "^$|^", "(^)"})
      EXPECT_EQ(Hits(pattern, text), lines) << pattern << " " << testing::PrintToString(text);
}

TEST_F(GrepTest_, AMatchBelongsToTheLineWhereItStarts) {
  // A pattern may read across a line end; the line of its first character is reported,
  // and the scan goes on with the next line.
  EXPECT_EQ(Hits("c\\nd", "abc\ndef\nc\nd"), (THits{{1, "abc"}, {3, "c"}}));
  EXPECT_EQ(Hits("c\\n", "abc\nc"), (THits{{1, "abc"}, {2, "c"}}));
  EXPECT_EQ(Hits("^d", "abc\ndef"), (THits{{2, "def"}}));
}

TEST_F(GrepTest_, MatchesCoverWholeCharactersOnly) {
  // 亜 is 88 9F: the byte pair 9F 88 straddles two of them and is no character there.
  const std::string a2 = Sjis("亜亜");
  EXPECT_EQ(Hits("\x9F\x88", a2), THits{});
  EXPECT_EQ(Hits("\x9F\x88+", a2), THits{});
  // Trail bytes 5C, 7C and 5B are not the single-byte characters \, | and [.
  const std::string trails = Sjis("表ポー");
  EXPECT_EQ(Hits("\\\\", trails), THits{});
  EXPECT_EQ(Hits("\\|", trails), THits{});
  EXPECT_EQ(Hits("\\[", trails), THits{});
  EXPECT_EQ(Hits("[\\\\|[]", trails), THits{});
  EXPECT_EQ(Hits("\\\\", trails + "\\"), (THits{{1, trails + "\\"}}));
  // A double-byte character whose trail byte is a metacharacter is one character in a
  // pattern too.
  EXPECT_EQ(Hits(Sjis("表"), trails), (THits{{1, trails}}));
  EXPECT_EQ(Hits(Sjis("ポ+"), trails), (THits{{1, trails}}));
  EXPECT_EQ(Hits(Sjis("[表ポ]ー$"), trails), (THits{{1, trails}}));
  // Half-width kana are single-byte characters.
  EXPECT_EQ(Hits("\xB1\xB2", "\x82\xB1\xB2\n\xB1\xB2"), (THits{{2, "\xB1\xB2"}}));
}

TEST_F(GrepTest_, NulBytesAreSpaces) {
  const std::string text("a\0b\n\0\0x\0", 8);
  EXPECT_EQ(Hits("a b", text), (THits{{1, "a b"}}));
  EXPECT_EQ(Hits("^ +x $", text), (THits{{2, "  x "}}));
  EXPECT_EQ(Hits("\\0", text), THits{});
}

TEST_F(GrepTest_, TheEmptyPatternAndTheEmptyFileReportNothing) {
  EXPECT_EQ(Hits("", "abc\n\n"), THits{});
  EXPECT_EQ(Hits("abc", ""), THits{});
  EXPECT_EQ(Hits("a*", ""), THits{});
  EXPECT_EQ(Hits("^", ""), THits{});
}

TEST_F(GrepTest_, AStartStateThatAcceptsStillNeedsOneCharacter) {
  EXPECT_EQ(Hits("a*", "b\na\n\nba"), (THits{{2, "a"}, {4, "ba"}}));
  EXPECT_EQ(Hits("x?", "b\nx"), (THits{{2, "x"}}));
}

// --- The end of the file ------------------------------------------------------------------

TEST_F(GrepTest_, AnAttemptEndsAtTheEndOfTheFile) {
  // Each of these would read the 0 past the end of the file for ever, or match it: the
  // pattern holds the code 0 in a loop or after the last line's LF.
  const char* patterns[] = {"a\\n\\0*b", "a[\\x00-\\x0a]*b", "a\\n[\\0]*x",    "a\\n\\0",
                            "a$\\0",     "a[\\0\\n]+$",      "(a|\\0)\\n\\0+b"};
  for (const char* pattern : patterns) {
    EXPECT_EQ(Hits(pattern, "a"), THits{}) << pattern;
    EXPECT_EQ(Hits(pattern, "a\n"), THits{}) << pattern;
    EXPECT_EQ(Hits(pattern, "x\r\na"), THits{}) << pattern;
  }
  // A code 0 in the pattern is never matched inside the text either.
  EXPECT_EQ(Hits("a\\0b", std::string("a\0b", 3)), THits{});
  // The last line's own LF is still a line tail.
  EXPECT_EQ(Hits("a\\n", "a"), (THits{{1, "a"}}));
  EXPECT_EQ(Hits("a[\\x00-\\x0a]*$", "xa"), (THits{{1, "xa"}}));
}

TEST_F(GrepTest_, AMissingFile) {
  Grep.SetRegExp("abc");
  EXPECT_THROW(Collect(Grep, Dir.Path() + "missing.txt", kRealBlock), EFileNotFound);
  Grep.SetRegExp("a+");
  EXPECT_THROW(Collect(Grep, Dir.Path() + "missing.txt", kRealBlock), EFileNotFound);
}

TEST_F(GrepTest_, WithoutAHandlerTheFileIsNotOpened) {
  for (const char* pattern : {"abc", "a+"}) {
    Grep.SetRegExp(pattern);
    Grep.SetOnMatch({});
    EXPECT_NO_THROW(Grep.Grep(Dir.Path() + "missing.txt")) << pattern;
    int polls = 0;
    Grep.SetProcessEvents([&] { ++polls; });
    Grep.Grep(File("abc\n"));
    EXPECT_EQ(polls, 0) << pattern;
  }
}

// --- Block boundaries at the real size ---------------------------------------------------

TEST_F(GrepTest_, AMatchAcrossABlockBoundary) {
  const std::string line = std::string(kRealBlock - 10, 'x') + "needle" + std::string(20, 'y');
  const std::string text = "first\n" + line.substr(6) + "\nlast needle\n";
  for (const char* pattern : {"needle", "ne+dle", "needle$"}) {
    THits expected{{2, line.substr(6)}, {3, "last needle"}};
    if (std::string(pattern) == "needle$") expected = {{3, "last needle"}};
    EXPECT_EQ(Hits(pattern, text), expected) << pattern;
  }
}

TEST_F(GrepTest_, ALineLongerThanThreeBlocks) {
  const std::string longLine = std::string(3 * kRealBlock + 321, 'L') + "end";
  const std::string text = "one\r\n" + longLine + "\r\nend two\r\n";
  EXPECT_EQ(Hits("end", text), (THits{{2, longLine}, {3, "end two"}}));
  EXPECT_EQ(Hits("L+end$", text), (THits{{2, longLine}}));
  EXPECT_EQ(Hits("^L", text), (THits{{2, longLine}}));
}

TEST_F(GrepTest_, ACrLfSplitByABlock) {
  // The CR is the last byte of the first block.
  std::string first(kRealBlock - 1, 'a');
  first.replace(first.size() - 3, 3, "xyz");
  const std::string text = first + "\r\nxyz\r\n";
  EXPECT_EQ(Hits("xyz$", text), (THits{{1, first}, {2, "xyz"}}));
  EXPECT_EQ(Hits("^xyz", text), (THits{{2, "xyz"}}));
  EXPECT_EQ(Hits("z\\nx", text), (THits{{1, first}}));
}

TEST_F(GrepTest_, AFileOfExactlyOneBlock) {
  for (bool finalLf : {true, false}) {
    std::string text(kRealBlock, 'q');
    text.replace(0, 6, "begin\n");
    text.replace(text.size() - 4, 4, finalLf ? "end\n" : "xend");
    const std::string last = text.substr(6, text.size() - 6 - (finalLf ? 1 : 0));
    EXPECT_EQ(Hits("end$", text), (THits{{2, last}})) << finalLf;
    EXPECT_EQ(Hits("^", text), (THits{{1, "begin"}, {2, last}})) << finalLf;
  }
}

// --- Cancellation and failures --------------------------------------------------------------

TEST_F(GrepTest_, CancelFromTheHandlerEndsTheFileAtTheNextReport) {
  for (const char* pattern : {"hit", "hit+"}) {
    for (int32_t block : kBlockSizes) {
      Grep.SetRegExp(pattern);
      Grep.SetBuffSize(block);
      THits hits;
      Grep.SetOnMatch([&](TGrep& sender, const RE_LineInfo_t& info) {
        hits.emplace_back(info.LineNo, info.Line);
        sender.SetCancel(true);
      });
      EXPECT_THROW(Grep.Grep(File("hit 1\nhit 2\nhit 3\n")), EGrepCancel);
      EXPECT_EQ(hits, (THits{{1, "hit 1"}})) << pattern << " " << block;
      EXPECT_TRUE(Grep.Cancel());
      // The next search clears the flag first.
      EXPECT_THROW(Grep.Grep(File("hit 1\nhit 2\n")), EGrepCancel);
      EXPECT_EQ(hits.size(), 2u);
    }
  }
}

TEST_F(GrepTest_, CancelFromThePollEndsAFileWithoutHits) {
  std::string text;
  for (int i = 0; i < 5000; ++i) text += "no match on this line\n";
  for (const char* pattern : {"hit", "hit+"}) {
    Grep.SetRegExp(pattern);
    int polls = 0;
    Grep.SetProcessEvents([&] {
      if (++polls == 3) Grep.SetCancel(true);
    });
    THits hits;
    EXPECT_THROW(hits = Collect(Grep, File(text), 1000), EGrepCancel);
    EXPECT_EQ(polls, 3) << pattern;
    EXPECT_TRUE(Grep.Cancel());
    // Set before the file: the search clears it and runs.
    Grep.SetProcessEvents({});
    Grep.SetCancel(true);
    EXPECT_EQ(Collect(Grep, File("hit\n"), kRealBlock), (THits{{1, "hit"}}));
    EXPECT_FALSE(Grep.Cancel());
  }
}

TEST_F(GrepTest_, CancelAtTheFirstPollEndsTheSearchBeforeAnyReport) {
  for (const char* pattern : {"hit", "hit+"}) {
    Grep.SetRegExp(pattern);
    Grep.SetProcessEvents([this] { Grep.SetCancel(true); });
    for (int32_t block : kBlockSizes) {
      THits hits;
      EXPECT_THROW(hits = Collect(Grep, File("hit\n"), block), EGrepCancel) << pattern;
      EXPECT_TRUE(hits.empty());
      EXPECT_TRUE(Grep.Cancel());
    }
    Grep.SetProcessEvents({});
  }
}

TEST_F(GrepTest_, PollsComeAfterEachBlockAndBeforeEachReport) {
  Grep.SetRegExp("h");
  int polls = 0;
  Grep.SetProcessEvents([&] { ++polls; });
  EXPECT_EQ(Collect(Grep, File("h\nx\nh\n"), 2).size(), 2u);
  // Six bytes in blocks of two: three block reads; two reports.
  EXPECT_EQ(polls, 5);
}

TEST_F(GrepTest_, AnExceptionInTheHandlerLeavesTheSearch) {
  Grep.SetRegExp("x");
  Grep.SetOnMatch([](TGrep&, const RE_LineInfo_t&) { throw std::runtime_error("handler"); });
  EXPECT_THROW(Grep.Grep(File("x\n")), std::runtime_error);
  // The next search runs normally.
  EXPECT_EQ(Collect(Grep, File("x\n"), kRealBlock), (THits{{1, "x"}}));
}

TEST_F(GrepTest_, ThePatternCannotChangeDuringASearch) {
  for (const char* pattern : {"x", "x+"}) {
    Grep.SetRegExp(pattern);
    Grep.SetOnMatch([](TGrep& sender, const RE_LineInfo_t&) { sender.SetRegExp("other"); });
    EXPECT_THROW(Grep.Grep(File("x\n")), EVarsikError);
    EXPECT_EQ(Grep.RegExp(), pattern);
    Grep.SetRegExp("y");
    EXPECT_EQ(Grep.RegExp(), "y");
  }
}

// --- The reader's scan over start positions --------------------------------------------------

// GetWCharUntil must hand the predicate the very codes and line numbers that GetWChar
// gives one by one, and leave both cursors where GetWChar leaves them.
TEST_F(GrepTest_, GetWCharUntilReadsAsGetWCharDoes) {
  const std::string pieces[] = {"a",    "x",      "\n",    "\r",   "\r\n", std::string(1, '\0'),
                                "\x81", "\x95\\", "\x83|", "\xB1", " "};
  std::mt19937 rng(7);
  for (int n = 0; n < 60; ++n) {
    std::string text;
    const int count = static_cast<int>(rng() % 80);
    for (int i = 0; i < count; ++i) {
      const size_t k = rng() % std::size(pieces);
      text += pieces[k];
    }
    if (text.empty()) continue;
    const std::string path = File(text);
    for (int32_t block : kBlockSizes) {
      // Each code with the line number after it; after an "x", the next three codes of
      // the look-ahead.
      std::vector<int64_t> expected, actual;
      {
        TTxtFile f(path, nullptr, {}, block);
        try {
          for (;;) {
            const uint16_t code = f.GetWChar();
            expected.insert(expected.end(), {code, f.LineNo()});
            if (code == 'x')
              for (int i = 0; i < 3; ++i) expected.push_back(f.GetAheadWChar());
          }
        } catch (const EEndOfFile&) {
        }
      }
      {
        TTxtFile f(path, nullptr, {}, block);
        try {
          for (;;) {
            f.GetWCharUntil([&](uint16_t code) {
              actual.insert(actual.end(), {code, f.LineNo()});
              return code == 'x';
            });
            for (int i = 0; i < 3; ++i) actual.push_back(f.GetAheadWChar());
          }
        } catch (const EEndOfFile&) {
        }
      }
      ASSERT_EQ(actual, expected) << testing::PrintToString(text) << " block " << block;
    }
  }
}

// A line longer than the limit is reported as its first bytes, whole characters only,
// with Cut set, by every scan; the lines after it keep their numbers. Lines longer than
// the window keeps are searched in pieces, with hits at their start, middle and end.
TEST_F(GrepTest_, LongLinesAreReportedCut) {
  const std::string kana = Sjis("あ");
  const std::string longLine = "x" + std::string(5 << 20, 'a') + kana + "needle" + kana;
  const std::string path = File("first needle\n" + longLine + "\nneedle " + longLine + "\n" +
                                longLine + " needle\nlast\n");
  // Crossing a line end takes the per-position scan.
  for (const char* pattern : {"needle", "needle|\\nzzz"}) {
    for (bool fast : {true, false}) {
      Grep.SetUseFastPath(fast);
      Grep.SetRegExp(pattern);
      Grep.SetMaxLineBytes(6);
      std::vector<std::tuple<int64_t, std::string, bool>> hits;
      Grep.SetOnMatch([&hits](TGrep&, const RE_LineInfo_t& info) {
        hits.emplace_back(info.LineNo, info.Line, info.Cut);
      });
      Grep.Grep(path);
      const decltype(hits) expected{
          {1, "first ", true}, {2, "xaaaaa", true}, {3, "needle", true}, {4, "xaaaaa", true}};
      EXPECT_EQ(hits, expected) << pattern << " fast " << fast;
      // Kept whole when asked.
      Grep.SetMaxLineBytes(0);
      hits.clear();
      Grep.Grep(path);
      ASSERT_EQ(hits.size(), 4u);
      EXPECT_EQ(std::get<1>(hits[1]), longLine);
      EXPECT_FALSE(std::get<2>(hits[1]));
    }
  }
  // A character is never cut in two.
  Grep.SetRegExp("needle");
  Grep.SetMaxLineBytes(4);
  const std::string kanaPath = File(kana + "x" + kana + "needle\n");
  THits hits = Collect(Grep, kanaPath, kRealBlock);
  EXPECT_EQ(hits, (THits{{1, kana + "x"}}));
}

// The fast path of a pattern is made at its first search and kept with the pattern in
// the compiled-pattern cache: a pattern searched again finds its own, and one compiled
// anew (its entry dropped meanwhile) gets a new one made for its own automaton.
TEST_F(GrepTest_, TheFastPathIsKeptWithItsCompiledPattern) {
  const std::string path = File("abc\nxyz\n");
  Grep.SetRegExp("abc");
  EXPECT_EQ(Grep.CurrentExtra(), nullptr);
  EXPECT_EQ(Collect(Grep, path, kRealBlock), (THits{{1, "abc"}}));
  const TCompiledExtra* abc = Grep.CurrentExtra();
  ASSERT_NE(abc, nullptr);
  Grep.SetRegExp("xyz");
  EXPECT_EQ(Collect(Grep, path, kRealBlock), (THits{{2, "xyz"}}));
  EXPECT_NE(Grep.CurrentExtra(), abc);
  Grep.SetRegExp("abc");
  EXPECT_EQ(Grep.CurrentExtra(), abc);
  // Thirty other patterns push "abc" out of the cache.
  for (int i = 0; i < TRegularExpression::CompiledMax; ++i) Grep.SetRegExp(std::to_string(i) + "p");
  Grep.SetRegExp("abc");
  EXPECT_EQ(Grep.CurrentExtra(), nullptr);
  EXPECT_EQ(Collect(Grep, path, kRealBlock), (THits{{1, "abc"}}));
}
