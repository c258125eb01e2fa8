// Regular-expression mode through the search driver: result lines and counts, the
// switches that do not apply, stopping before and during a file, unreadable files,
// pattern errors and the compiled-pattern cache.
#include <filesystem>

#include <gtest/gtest.h>

#include "regex/errors.h"
#include "shell/search_driver.h"
#include "tests/search/sjis.h"
#include "tests/support/recording_sink.h"
#include "tests/support/temp_dir.h"

using namespace varsik;

namespace {

using V = std::vector<std::string>;

class RegexSearchTest : public ::testing::Test {
 protected:
  TSearchOptions Options(const std::string& word, const std::string& masks = "*.txt") {
    TSearchOptions o;
    o.Word = word;
    o.Masks = masks;
    o.FolderText = Dir.Path();
    o.Switches.RegularExpSearch = true;
    return o;
  }
  std::string Header(const std::string& name) { return "#\"" + Dir.Path() + name + "\""; }

  TTempDir Dir;
  TRecordingSink Sink;
  TSearchDriver Driver{Sink};
};

}  // namespace

TEST_F(RegexSearchTest, OneHeaderAndOneEntryPerMatchingLine) {
  Dir.Write("a.txt", "abc one\r\nnothing\r\nabc abc two\r\nthree abc");
  Dir.Write("b.txt", "none here\n");
  Driver.Run(Options("ab+c"));
  EXPECT_EQ(Sink.Results,
            (V{Header("a.txt"), " :1: abc one", " :3: abc abc two", " :4: three abc"}));
  EXPECT_EQ(Driver.StatusText(), "検索ファイル数 : 2   一致ファイル数 : 1   一致行数 : 3");
  EXPECT_FALSE(Driver.SearchState().FileHeaderPending);
}

TEST_F(RegexSearchTest, DoubleByteLinesAndAnchors) {
  const std::string text = Sjis("表示する\r\nソース 表\r\n能力\r\n");
  Dir.Write("j.txt", text);
  Driver.Run(Options(Sjis("表$|^能")));
  EXPECT_EQ(Sink.Results,
            (V{Header("j.txt"), " :2: " + Sjis("ソース 表"), " :3: " + Sjis("能力")}));
}

TEST_F(RegexSearchTest, ThePlainSwitchesHaveNoEffect) {
  Dir.Write("a.txt", "ABC\nabc\n" + Sjis("ｱｲｳ\n"));
  TSearchOptions o = Options("abc");
  o.Switches.UpperLowerMatch = false;
  o.Switches.FuzzySearch = true;
  o.Switches.SearchAsWord = true;
  Driver.Run(o);
  EXPECT_EQ(Sink.Results, (V{Header("a.txt"), " :2: abc"}));
  Sink.Results.clear();
  o.Word = Sjis("アイウ");
  Driver.Run(o);
  EXPECT_TRUE(Sink.Results.empty());
}

TEST_F(RegexSearchTest, AnUnreadableFileIsAnErrorLineAndTheWalkGoesOn) {
  Dir.Write("a.txt", "x\n");
  Dir.Write("b.txt", "gone before it is searched");
  Dir.Write("c.txt", "x\n");
  Sink.OnPoll = [&] {
    if (Sink.Files.size() == 1) std::filesystem::remove(Dir.Path() + "b.txt");
  };
  TSearchOptions o = Options("x");
  o.ShowErrorBox = true;
  Driver.Run(o);
  EXPECT_EQ(Sink.Results, (V{Header("a.txt"), " :1: x",
                             "\"ファイル " + Dir.Path() + "b.txt は開けませんでした。\"",
                             Header("c.txt"), " :1: x"}));
  EXPECT_EQ(Sink.ErrorBoxes.size(), 1u);
  EXPECT_EQ(Driver.StatusText(), "検索ファイル数 : 3   一致ファイル数 : 2   一致行数 : 2");
}

TEST_F(RegexSearchTest, AnEmptyFileIsSearchedAndCountedWithoutAHeader) {
  Dir.Write("e.txt", "");
  Driver.Run(Options("x*"));
  EXPECT_TRUE(Sink.Results.empty());
  EXPECT_EQ(Driver.StatusText(), "検索ファイル数 : 1   一致ファイル数 : 0   一致行数 : 0");
}

// --- Stopping ---------------------------------------------------------------------------------

TEST_F(RegexSearchTest, StopBeforeAFileEndsTheWalkWithoutSearchingIt) {
  Dir.Write("a.txt", "x\n");
  Dir.Write("b.txt", "x\n");
  // Poll 1 enters the folder, poll 2 precedes the first entry.
  Sink.OnPoll = [&] {
    if (Sink.Polls == 2) Driver.RequestCancel();
  };
  Driver.Run(Options("x"));
  EXPECT_EQ(Sink.Files.size(), 1u);
  EXPECT_TRUE(Sink.Results.empty());
  EXPECT_FALSE(Driver.SearchState().FileHeaderPending);
  EXPECT_FALSE(Driver.CancelRequested());
}

TEST_F(RegexSearchTest, StopDuringALargeFileKeepsTheEntriesSoFar) {
  std::string text;
  for (int i = 1; i <= 100000; ++i) text += "line " + std::to_string(i) + " hit\n";
  Dir.Write("a.txt", text);
  Dir.Write("b.txt", "hit\n");
  for (const char* word : {"hit", "hi+t"}) {
    TRecordingSink sink;
    TSearchDriver driver(sink);
    sink.OnPoll = [&] {
      if (sink.Results.size() == 11) driver.RequestCancel();
    };
    driver.Run(Options(word));
    // The header and ten entries; the stop came at the poll of the eleventh report.
    ASSERT_EQ(sink.Results.size(), 11u) << word;
    EXPECT_EQ(sink.Results[10], " :10: line 10 hit");
    EXPECT_EQ(sink.Files.size(), 1u);
    EXPECT_FALSE(driver.CancelRequested());
    EXPECT_FALSE(driver.IsRunning());
    // Grep1 is ready for the next search.
    EXPECT_FALSE(driver.RegexSearch().Grep().Cancel());
    sink.OnPoll = {};
    driver.Run(Options(word));
    EXPECT_EQ(sink.Results.size(), 11u + 100001u + 2u);
  }
}

TEST_F(RegexSearchTest, StopDuringAFileWithoutHitsEndsItAtTheNextBlock) {
  std::string text;
  while (text.size() < 2'000'000) text += "nothing to see on this line\n";
  Dir.Write("a.txt", text);
  Dir.Write("b.txt", "hit\n");
  int polls = 0;
  Sink.OnPoll = [&] {
    // The walk polls twice before the file; the reader polls after each block.
    if (++polls == 5) Driver.RequestCancel();
  };
  Driver.Run(Options("hit"));
  EXPECT_EQ(polls, 5);
  EXPECT_EQ(Sink.Files.size(), 1u);
  EXPECT_TRUE(Sink.Results.empty());
}

// --- Pattern errors and the cache ------------------------------------------------------------

TEST_F(RegexSearchTest, AnInvalidPatternLeavesTheDriverAfterTheFirstFile) {
  Dir.Write("a.txt", "(a\n");
  Dir.Write("b.txt", "(a\n");
  try {
    Driver.Run(Options("(a"));
    FAIL() << "no exception";
  } catch (const ERegExpParser& e) {
    EXPECT_STREQ(e.what(), "右(閉じ)括弧が必要です");
  }
  EXPECT_TRUE(Sink.Results.empty());
  EXPECT_EQ(Sink.Files.size(), 1u);
  EXPECT_FALSE(Driver.IsRunning());
  EXPECT_FALSE(Driver.CancelRequested());
  EXPECT_FALSE(Driver.SearchState().FileHeaderPending);
  // The driver runs again afterwards.
  Driver.Run(Options("\\(a"));
  EXPECT_EQ(Sink.Results, (V{Header("a.txt"), " :1: (a", Header("b.txt"), " :1: (a"}));
}

TEST_F(RegexSearchTest, WithoutAFileThePatternIsNeverCompiled) {
  Dir.Write("a.c", "(a\n");
  EXPECT_NO_THROW(Driver.Run(Options("(a")));
  EXPECT_EQ(Driver.RegexSearch().Grep().CompiledCount(), 1);
  EXPECT_TRUE(Sink.Results.empty());
}

TEST_F(RegexSearchTest, TheSameWordAgainIsTakenFromTheCache) {
  Dir.Write("a.txt", "one x\ntwo\n");
  Dir.Write("b.txt", "x three\n");
  Dir.Write("sub/c.txt", "four x\n");
  Driver.Run(Options("x|o$"));
  const V first = Sink.Results;
  EXPECT_EQ(first.size(), 7u);
  const TGrep& grep = Driver.RegexSearch().Grep();
  // Three files, one compile: the empty pattern and this one.
  EXPECT_EQ(grep.CompiledCount(), 2);
  Sink.Results.clear();
  Driver.Run(Options("x|o$"));
  EXPECT_EQ(Sink.Results, first);
  EXPECT_EQ(grep.CompiledCount(), 2);
  EXPECT_EQ(grep.CurrentIndex(), 1);
  // Another word is compiled and searched for, and the first comes back from the cache.
  Sink.Results.clear();
  Driver.Run(Options("t[hw]"));
  EXPECT_EQ(Sink.Results, (V{Header("a.txt"), " :2: two", Header("b.txt"), " :1: x three"}));
  EXPECT_EQ(grep.CompiledCount(), 3);
  Sink.Results.clear();
  Driver.Run(Options("x|o$"));
  EXPECT_EQ(Sink.Results, first);
  EXPECT_EQ(grep.CompiledCount(), 3);
}
