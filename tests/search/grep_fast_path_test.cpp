// The grep component's fast path against its per-position scan over the text-file
// reader: generated Shift JIS texts (double-byte characters whose trail bytes are \, |,
// [ or letters, half-width kana, CR, LF, NUL, 1A, stray lead bytes, long lines) and
// generated patterns, at block sizes from one byte up, on both instruction sets; the
// benchmark's patterns on slices of the corpus when it is present.
#include "search/grep_fast_path.h"

#include <random>

#include <gtest/gtest.h>

#include "search/grep.h"
#include "search/line_searcher.h"
#include "search/line_window.h"
#include "tests/search/grep_generator.h"
#include "tests/search/grep_test_support.h"
#include "tests/search/sjis.h"
#include "tests/support/corpus_text.h"
#include "tests/support/temp_dir.h"

using namespace varsik;

namespace {

using GrepTest::Collect;
using GrepTest::TGenerator;
using GrepTest::THits;

// The reports of the fast path over `path`, through the line searcher; lines longer than
// `windowLine` are searched in pieces.
THits FastHits(const TGrepFastPath& fast, const std::string& path, size_t block,
               size_t windowLine) {
  THits hits;
  TGrepFastPathFinder finder(fast);
  TLineSearcher searcher;
  searcher.SetBlockSize(block);
  searcher.SetWindowLineBytes(windowLine);
  searcher.SetMaxLineBytes(0);
  searcher.Search(
      path, finder, [] { return false; },
      [&hits](const RE_LineInfo_t& info) { hits.emplace_back(info.LineNo, info.Line); });
  return hits;
}

class GrepFastPathTest : public ::testing::Test {
 protected:
  // The grep's own searches are the per-position scan.
  GrepFastPathTest() { Grep.SetUseFastPath(false); }
  void TearDown() override { ByteScan::SelectIsa(ByteScan::BestIsa()); }

  // The fast path's reports for the grep's current pattern equal the per-position
  // scan's, at every block size given and on both instruction sets. Returns whether
  // the fast path serves the pattern.
  bool Check(const std::string& path, const std::string& text,
             std::initializer_list<size_t> blocks) {
    const TGrepFastPath fast(Grep.CurrentDFA());
    if (!fast.Usable()) return false;
    const THits expected = Collect(Grep, path, TTxtFile::kBuffSize);
    for (ByteScan::TIsa isa : ByteScan::UsableIsas()) {
      ByteScan::SelectIsa(isa);
      for (size_t block : blocks) {
        for (size_t windowLine : {size_t{3}, TLineWindow::kMaxLineBytes}) {
          EXPECT_EQ(FastHits(fast, path, block, windowLine), expected)
              << "pattern " << testing::PrintToString(Grep.RegExp()) << ", filter "
              << int(fast.Filter()) << ", block " << block << ", window line " << windowLine
              << ", isa " << int(isa) << ", text " << testing::PrintToString(text.substr(0, 3000));
          if (HasFailure()) return true;
        }
      }
    }
    return true;
  }

  TTempDir Dir;
  TGrep Grep;
};

}  // namespace

TEST_F(GrepFastPathTest, GeneratedTextsAndPatterns) {
  TGenerator gen(7);
  // Codes that fixed bytes and first codes are made of, and dates to find them in.
  gen.ExtraPieces = {"2021" + Sjis("年"), Sjis("年"), Sjis("警告"), "\x8C\x78\x81\n"};
  gen.ExtraAtoms = {Sjis("年"), Sjis("警"), "[0-9]", "[0-9]+", Sjis("(警告|圧縮)")};
  std::vector<std::pair<std::string, std::string>> files;
  for (int i = 0; i < 10; ++i) {
    const std::string text = gen.Text(gen.Below(120));
    files.emplace_back(Dir.Write(std::to_string(i) + ".txt", text), text);
  }
  int usable = 0;
  int filters[3] = {};
  for (int n = 0; n < 300; ++n) {
    try {
      Grep.SetRegExp(gen.Pattern());
    } catch (const ERegExpParser&) {
      continue;
    }
    const TGrepFastPath fast(Grep.CurrentDFA());
    usable += fast.Usable();
    if (fast.Usable()) ++filters[static_cast<int>(fast.Filter())];
    for (const auto& [path, text] : files) {
      Check(path, text, {1, 2, 3, 7, 64, TLineWindow::kBlockSize});
      if (HasFailure()) return;
    }
  }
  // The generator must reach every filter.
  EXPECT_GT(usable, 150);
  for (int f : filters) EXPECT_GT(f, 10);
}

TEST_F(GrepFastPathTest, PatternsThatCrossALineEndTakeThePerPositionScan) {
  for (const char* pattern : {"a\\nb", "a\\n?b", "a\\n\\nb", "x\\n.*y", "(a\\n)+b"}) {
    Grep.SetRegExp(pattern);
    EXPECT_FALSE(TGrepFastPath(Grep.CurrentDFA()).Usable()) << pattern;
  }
  // An attempt may read a line end last, or first (the one in front of its line).
  for (const char* pattern :
       {"abc", "^abc", "abc$", "^$", "a[^x]*$", "[0-9]+", "a|\\nb", "x\\n", "\\n\\n", "a.*\\n"}) {
    Grep.SetRegExp(pattern);
    EXPECT_TRUE(TGrepFastPath(Grep.CurrentDFA()).Usable()) << pattern;
  }
}

TEST_F(GrepFastPathTest, FiltersOfTheBenchmarkPatterns) {
  const std::pair<const char*, TGrepFastPath::TFilter> cases[] = {
      {"文字列", TGrepFastPath::TFilter::FixedBytes},
      {"[0-9]+年", TGrepFastPath::TFilter::FixedBytes},
      {"警告|圧縮|暗号", TGrepFastPath::TFilter::FirstCodes},
      {"^abc", TGrepFastPath::TFilter::FixedBytes},
      {"^.", TGrepFastPath::TFilter::EveryLine},
  };
  for (const auto& [pattern, filter] : cases) {
    Grep.SetRegExp(Sjis(pattern));
    const TGrepFastPath fast(Grep.CurrentDFA());
    ASSERT_TRUE(fast.Usable()) << pattern;
    EXPECT_EQ(fast.Filter(), filter) << pattern;
  }
}

// Edge texts: line ends of every kind at the file's ends, NUL read as a blank, a lead
// byte before a line end or at the end of the file.
TEST_F(GrepFastPathTest, EdgeTexts) {
  using namespace std::string_literals;
  const std::string texts[] = {
      ""s,         "\n"s,     "\r"s,         "\r\n"s,       "a"s,
      "a\n"s,      "\na"s,    "a\r\rb"s,     "a\r\n\r\nb"s, "a\0b\n"s,
      " \n\0"s,    "\x81"s,   "x\x81\n a"s,  "x\x81\r\na"s, "a\n\x81\rb"s,
      "\x81\0\n"s, "ab\x81"s, "\x83\x41\r"s, "a\x81\0x\n"s,
  };
  const char* const patterns[] = {"a",   "^a",  "a$",   "^$",   "^",  "$",        " ",     "a b",
                                  "\\0", "^ $", "[^a]", "x|^b", ".$", "\x83\x41", "\x81 x"};
  for (const std::string& text : texts) {
    const std::string path = Dir.Write("e.txt", text);
    for (const char* pattern : patterns) {
      Grep.SetRegExp(pattern);
      Check(path, text, {1, 2, 3, TLineWindow::kBlockSize});
      if (HasFailure()) return;
    }
  }
}

// Lead bytes before line ends of every kind, and at the end of the file: each stands
// alone, as the reader reads it, also for patterns that read the lead byte alone or
// the line end.
TEST_F(GrepFastPathTest, LeadBytesBeforeLineEnds) {
  const char* const pieces[] = {"\x81", "\x88", "\n",       "\r",       "\r\n",
                                "a",    "b",    "\x88\x9F", "\x81\x40", " "};
  const char* const patterns[] = {"a",          "ab",       "b+",          "\x88\x9F", "[ab]",
                                  "a|\x88\x9F", "\x81\x40", "a\x81\x40?b", "\x81 ",    "\\x81$",
                                  "\\x88$",     "b\\x81$",  "^\\x88",      "\\x81.a"};
  TGenerator gen(17);
  for (int round = 0; round < 400; ++round) {
    std::string text;
    const int n = 1 + gen.Below(12);
    for (int i = 0; i < n; ++i) text += pieces[gen.Below(static_cast<int>(std::size(pieces)))];
    const std::string path = Dir.Write("l.txt", text);
    for (const char* pattern : patterns) {
      Grep.SetRegExp(pattern);
      ASSERT_TRUE(Check(path, text, {1, 3, TLineWindow::kBlockSize}));
      if (HasFailure()) return;
    }
  }
}

TEST_F(GrepFastPathTest, CorpusLikeText) {
  const std::string text = CorpusLikeText(3000, 5);
  const std::string path = Dir.Write("corpus-like.txt", text);
  for (const char* pattern : {"文字列", "[0-9]+年", "警告|圧縮|暗号", "^\\.SH", "option$",
                              "環境変数", "^$", "[ァ-ヶ]+ー", "ｶ.ｶ"}) {
    Grep.SetRegExp(Sjis(pattern));
    EXPECT_TRUE(Check(path, "(corpus-like)", {4096, TLineWindow::kBlockSize})) << pattern;
    if (HasFailure()) return;
  }
}

TEST_F(GrepFastPathTest, BenchmarkCorpusSlices) {
  const std::vector<std::string> slices = CorpusSlices(2 << 20);
  if (slices.empty()) GTEST_SKIP() << "no corpus at " << kCorpusBigFile;
  for (const std::string& text : slices) {
    const std::string path = Dir.Write("slice.sjis", text);
    for (const char* pattern : {"文字列", "[0-9]+年", "警告|圧縮|暗号", "^\\.SH", "option$",
                                "環境変数", "^$", "[ァ-ヶ]+ー"}) {
      Grep.SetRegExp(Sjis(pattern));
      EXPECT_TRUE(Check(path, "(corpus)", {TLineWindow::kBlockSize})) << pattern;
      if (HasFailure()) return;
    }
  }
}

// The grep component with the fast path polls as the reader does: after each block
// read, a long line's blocks too, and before each report; all in all as often, and
// before each report as often give or take one block (the reader reads the block behind
// a line end before it delivers the line end).
TEST_F(GrepFastPathTest, PollsAsTheReaderPolls) {
  TGenerator gen(3);
  int compared = 0;
  for (int round = 0; round < 60; ++round) {
    const std::string text = gen.Text(gen.Below(200));
    const std::string path = Dir.Write("p.txt", text);
    for (const char* pattern : {"a", "b+c", "^$", "[0-9]+"}) {
      Grep.SetRegExp(pattern);
      const TGrepFastPath fast(Grep.CurrentDFA());
      ASSERT_TRUE(fast.Usable());
      ++compared;
      for (int32_t block : {1, 5, 64}) {
        // The polls before each report, and then all polls.
        std::vector<int> polls[2];
        for (int useFast = 0; useFast < 2; ++useFast) {
          Grep.SetUseFastPath(useFast == 1);
          Grep.SetBuffSize(block);
          int count = 0;
          Grep.SetProcessEvents([&count] { ++count; });
          Grep.SetOnMatch([&](TGrep&, const RE_LineInfo_t&) { polls[useFast].push_back(count); });
          Grep.Grep(path);
          polls[useFast].push_back(count);
        }
        Grep.SetProcessEvents({});
        ASSERT_EQ(polls[1].size(), polls[0].size());
        EXPECT_EQ(polls[1].back(), polls[0].back()) << pattern << " block " << block;
        for (size_t r = 0; r < polls[0].size(); ++r)
          ASSERT_LE(std::abs(polls[1][r] - polls[0][r]), 1)
              << "report " << r << ", " << pattern << " block " << block << " text "
              << testing::PrintToString(text);
      }
    }
  }
  EXPECT_GT(compared, 60);
  Grep.SetUseFastPath(false);
}
