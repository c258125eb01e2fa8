// The search driver with workers against the same search on one thread: the results
// view, the file list, the status panel, the error boxes and the counts come out byte
// for byte the same, over generated trees, in every mode, for several numbers of
// workers; a pattern error ends both in the same place.
#include <sched.h>
#include <unistd.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "regex/errors.h"
#include "shell/search_driver.h"
#include "shell/search_threads.h"
#include "tests/search/sjis.h"
#include "tests/support/recording_sink.h"
#include "tests/support/temp_dir.h"

using namespace varsik;

namespace {

using V = std::vector<std::string>;

// Everything a search gives its sink, and its counts.
struct TRun {
  V Results, Files, Statuses, ErrorBoxes;
  std::string Status;
  int64_t Errors = 0;
  bool PatternError = false;
  bool operator==(const TRun&) const = default;
};

TRun Search(TSearchOptions options, int threads) {
  TRecordingSink sink;
  TSearchDriver driver(sink);
  options.Threads = threads;
  TRun run;
  try {
    driver.Run(options);
  } catch (const ERegExpParser&) {
    run.PatternError = true;
  }
  run.Results = sink.Results;
  run.Files = sink.Files;
  run.Statuses = sink.Statuses;
  run.ErrorBoxes = sink.ErrorBoxes;
  run.Status = driver.StatusText();
  run.Errors = driver.ErrorLineCount();
  return run;
}

// A tree of files of random lines: ASCII and Shift JIS words, CR LF and lone CR line
// ends, lines longer than the cut, a Ctrl+Z line, empty files, names that lead nowhere.
void MakeTree(const TTempDir& dir, unsigned seed, int files) {
  std::mt19937 rng(seed);
  const V words{"needle",  "Needle", "NEEDLE",     Sjis("検索"), Sjis("ｹﾝｻｸ"),
                "needles", "x",      Sjis("表示"), "a\tb"};
  const V ends{"\n", "\r\n", "\r"};
  for (int f = 0; f < files; ++f) {
    std::string text;
    const int lines = static_cast<int>(rng() % 60);
    for (int l = 0; l < lines; ++l) {
      const int pieces = static_cast<int>(rng() % 6);
      for (int p = 0; p < pieces; ++p) text += words[rng() % words.size()] + " ";
      if (rng() % 50 == 0) text += std::string(rng() % 5000, 'y');
      if (rng() % 200 == 0) text += "\x1a";
      text += ends[rng() % ends.size()];
    }
    std::string name = "d";
    name += std::to_string(f % 4);
    name += "/";
    if (f % 3 == 0) name += "sub/";
    name += std::to_string(f);
    name += f % 5 == 0 ? ".c" : ".txt";
    const std::string path = dir.Write(name, text);
    if (f % 17 == 4) {
      ASSERT_EQ(symlink("nowhere", (path + ".txt").c_str()), 0);
    }
  }
}

class ParallelDriverTest : public ::testing::Test {
 protected:
  // Each search, on one thread and on several, over the tree.
  void ExpectSameForEveryThreadCount(TSearchOptions options) {
    options.FolderText = Dir.Path();
    options.MaxLineBytes = 300;
    options.ShowErrorBox = true;
    const TRun one = Search(options, 1);
    for (int threads : {2, 3, 8}) {
      const TRun many = Search(options, threads);
      EXPECT_EQ(many.Results, one.Results) << options.Word << " " << threads;
      EXPECT_EQ(many, one) << options.Word << " " << threads;
    }
  }
  TTempDir Dir;
};

}  // namespace

TEST_F(ParallelDriverTest, PlainModeGivesWhatOneThreadGives) {
  MakeTree(Dir, 7, 150);
  TSearchOptions o;
  o.Masks = "*.txt;*.c;*.txt";
  for (const std::string& word : {std::string("needle"), Sjis("検索"), std::string("zzz")}) {
    for (int variant = 0; variant < 4; ++variant) {
      o.Word = word;
      o.Switches.UpperLowerMatch = variant == 1;
      o.Switches.FuzzySearch = variant == 2;
      o.Switches.SearchAsWord = variant == 3;
      ExpectSameForEveryThreadCount(o);
    }
  }
  o.Switches.SubFolderSearch = false;
  ExpectSameForEveryThreadCount(o);
}

TEST_F(ParallelDriverTest, RegularExpressionModeGivesWhatOneThreadGives) {
  MakeTree(Dir, 11, 150);
  TSearchOptions o;
  o.Switches.RegularExpSearch = true;
  // Patterns of the fast path, a fixed string compared, and ones whose attempts cross
  // a line end.
  for (const std::string& word :
       {std::string("ne+dle"), std::string("^needle"), Sjis("検索$"), std::string("needles"),
        std::string("x\\ny"), std::string("e[^a]*N"), std::string("y{3}")}) {
    o.Word = word;
    ExpectSameForEveryThreadCount(o);
  }
}

// Every file cut into parts of a few lines: the error lines of the files that cannot be
// read, the Ctrl+Z lines and the lines longer than the cut come out as from one thread.
TEST_F(ParallelDriverTest, FilesCutIntoPartsGiveWhatOneThreadGives) {
  MakeTree(Dir, 13, 60);
  TSearchOptions o;
  o.SplitFileBytes = 1;
  o.SplitPartBytes = 40;
  o.Switches.Encoding = TEncodingChoice::Cp932;
  for (const std::string& word : {std::string("needle"), Sjis("検索")}) {
    o.Word = word;
    ExpectSameForEveryThreadCount(o);
  }
  o.Switches.RegularExpSearch = true;
  o.Word = "ne+dle$";
  ExpectSameForEveryThreadCount(o);
}

TEST_F(ParallelDriverTest, FileNameModeAndEmptyTreesGiveWhatOneThreadGives) {
  TSearchOptions o;
  o.Word = "needle";
  ExpectSameForEveryThreadCount(o);
  MakeTree(Dir, 3, 40);
  o.Switches.FileNameSearch = true;
  ExpectSameForEveryThreadCount(o);
}

// The pattern is compiled before the workers start, yet the error comes where it always
// came: after the first file has been listed.
TEST_F(ParallelDriverTest, APatternErrorEndsTheSearchAtTheFirstFile) {
  MakeTree(Dir, 5, 10);
  TSearchOptions o;
  o.Switches.RegularExpSearch = true;
  o.Word = "(needle";
  o.FolderText = Dir.Path();
  const TRun one = Search(o, 1);
  ASSERT_TRUE(one.PatternError);
  ASSERT_EQ(one.Files.size(), 1u);
  EXPECT_EQ(Search(o, 4), one);
}

TEST(SearchThreads, AutomaticIsTheUsableCpusAndEveryCountIsBounded) {
  cpu_set_t set;
  ASSERT_EQ(sched_getaffinity(0, sizeof set, &set), 0);
  const int cpus = std::min(CPU_COUNT(&set), kMaxSearchThreads);
  EXPECT_EQ(SearchThreads(0), cpus);
  EXPECT_EQ(SearchThreads(-7), cpus);
  EXPECT_EQ(SearchThreads(1), 1);
  EXPECT_EQ(SearchThreads(3), 3);
  EXPECT_EQ(SearchThreads(int64_t{1} << 40), kMaxSearchThreads);
}
