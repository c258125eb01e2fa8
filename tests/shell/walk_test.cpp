// The folder walk in file-name mode: order, masks, sub-folders, counts, cancellation.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include <gtest/gtest.h>

#include "shell/search_driver.h"
#include "tests/support/recording_sink.h"
#include "tests/support/temp_dir.h"

using namespace varsik;

namespace {

using V = std::vector<std::string>;

TSearchOptions FileNameSearch(const std::string& folder, const std::string& masks) {
  TSearchOptions o;
  o.FolderText = folder;
  o.Masks = masks;
  o.Switches.FileNameSearch = true;
  return o;
}

class WalkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Dir.Write("b.c", "x");
    Dir.Write("A.C", "x");
    Dir.Write("a.h", "x");
    Dir.Write("README", "x");
    Dir.Write(".hidden.c", "x");
    Dir.Write("sub/z.c", "x");
    Dir.Write("sub/deeper/y.c", "x");
    Dir.Write("Sub2/x.c", "x");
  }
  V Relative(const V& paths) {
    V r;
    for (const auto& p : paths) r.push_back(p.substr(Dir.Path().size()));
    return r;
  }
  TTempDir Dir;
  TRecordingSink Sink;
};

}  // namespace

TEST_F(WalkTest, FilesOfAFolderComeMaskByMaskBeforeItsSubFolders) {
  TSearchDriver driver(Sink);
  driver.Run(FileNameSearch(Dir.Path(), "*.h;*.c"));
  EXPECT_EQ(Relative(Sink.Files),
            (V{"a.h", ".hidden.c", "A.C", "b.c", "sub/z.c", "sub/deeper/y.c", "Sub2/x.c"}));
  EXPECT_TRUE(Sink.Results.empty());
  EXPECT_EQ(driver.StatusText(), "検索ファイル数 : 7   一致ファイル数 : 0   一致行数 : 0");
  EXPECT_EQ(Sink.Statuses, Sink.Files);
}

TEST_F(WalkTest, RepeatedMaskListsFilesTwice) {
  TSearchOptions o = FileNameSearch(Dir.Path(), "*.c;*.c");
  o.Switches.SubFolderSearch = false;
  TSearchDriver driver(Sink);
  driver.Run(o);
  EXPECT_EQ(Relative(Sink.Files), (V{".hidden.c", "A.C", "b.c", ".hidden.c", "A.C", "b.c"}));
  EXPECT_EQ(driver.SearchedFileCount(), 6);
}

TEST_F(WalkTest, EmptyMasksContributeNothing) {
  TSearchOptions o = FileNameSearch(Dir.Path(), ";*.h;");
  o.Switches.SubFolderSearch = false;
  TSearchDriver driver(Sink);
  driver.Run(o);
  EXPECT_EQ(Relative(Sink.Files), (V{"a.h"}));
  EXPECT_EQ(driver.FNameList(), (V{"", "*.h", ""}));
}

TEST_F(WalkTest, StarDotStarTakesNamesWithoutADot) {
  TSearchOptions o = FileNameSearch(Dir.Path(), "*.*");
  o.Switches.SubFolderSearch = false;
  TSearchDriver driver(Sink);
  driver.Run(o);
  EXPECT_EQ(Relative(Sink.Files), (V{".hidden.c", "A.C", "a.h", "b.c", "README"}));
}

TEST_F(WalkTest, FolderTextWithoutTrailingSlashSearchesItsParent) {
  TSearchOptions o = FileNameSearch(Dir.Path() + "sub", "*.c");
  o.Switches.SubFolderSearch = false;
  TSearchDriver driver(Sink);
  driver.Run(o);
  EXPECT_EQ(Relative(Sink.Files), (V{".hidden.c", "A.C", "b.c"}));
}

TEST_F(WalkTest, MissingStartFolderIsAnEmptySearch) {
  TSearchDriver driver(Sink);
  driver.Run(FileNameSearch(Dir.Path() + "missing/", "*.*"));
  EXPECT_TRUE(Sink.Files.empty());
  EXPECT_EQ(driver.StatusText(), "検索ファイル数 : 0   一致ファイル数 : 0   一致行数 : 0");
  // The sink learns that it could not be read (the window shows nothing of it).
  EXPECT_EQ(Sink.SkippedFolders, V{Dir.Path() + "missing/"});
  EXPECT_EQ(Sink.SkipErrors, std::vector<int>{ENOENT});
  EXPECT_EQ(driver.SkippedFolderCount(), 1);
}

// A sub-folder that is gone when the walk comes to it: the walk goes on, and says which
// folder it passed over; the next search starts with no folder skipped.
TEST_F(WalkTest, AFolderThatCannotBeReadIsReportedAndPassedOver) {
  TSearchDriver driver(Sink);
  Sink.OnPoll = [&] {
    if (Sink.Files.size() == 3) std::filesystem::remove_all(Dir.Path() + "sub");
  };
  driver.Run(FileNameSearch(Dir.Path(), "*.c"));
  EXPECT_EQ(Relative(Sink.Files), (V{".hidden.c", "A.C", "b.c", "Sub2/x.c"}));
  EXPECT_EQ(Sink.SkippedFolders, V{Dir.Path() + "sub/"});
  EXPECT_EQ(driver.SkippedFolderCount(), 1);
  Sink.OnPoll = nullptr;
  driver.Run(FileNameSearch(Dir.Path(), "*.c"));
  EXPECT_EQ(driver.SkippedFolderCount(), 0);
}

// The counts are kept by the search as it goes, whatever the sink does with the lines.
TEST_F(WalkTest, CountsComeFromTheSearch) {
  Dir.Write("hits.txt", "x\nneedle\nneedle again\n");
  Dir.Write("none.txt", "x\n");
  ASSERT_EQ(symlink("missing", (Dir.Path() + "gone.txt").c_str()), 0);
  TSearchOptions o = FileNameSearch(Dir.Path(), "*.txt");
  o.Switches.FileNameSearch = false;
  o.Word = "needle";
  TSearchDriver driver(Sink);
  driver.Run(o);
  EXPECT_EQ(driver.SearchedFileCount(), 3);
  EXPECT_EQ(driver.MatchedFileCount(), 1);
  EXPECT_EQ(driver.MatchedLineCount(), 2);
  EXPECT_EQ(driver.ErrorLineCount(), 1);
  EXPECT_EQ(driver.StatusText(), "検索ファイル数 : 3   一致ファイル数 : 1   一致行数 : 2");
}

TEST_F(WalkTest, LinksToFoldersAreNotDescendedLinksToFilesAreTaken) {
  ASSERT_EQ(symlink(".", (Dir.Path() + "sub/loop").c_str()), 0);
  ASSERT_EQ(symlink("../b.c", (Dir.Path() + "sub/link.c").c_str()), 0);
  ASSERT_EQ(mkfifo((Dir.Path() + "sub/fifo.c").c_str(), 0600), 0);
  TSearchDriver driver(Sink);
  driver.Run(FileNameSearch(Dir.Path() + "sub/", "*.c"));
  EXPECT_EQ(Relative(Sink.Files), (V{"sub/link.c", "sub/z.c", "sub/deeper/y.c"}));
}

TEST_F(WalkTest, UnreadableFolderIsPassedOver) {
  if (geteuid() == 0) GTEST_SKIP() << "root reads every folder";
  ASSERT_EQ(chmod((Dir.Path() + "sub").c_str(), 0), 0);
  TSearchDriver driver(Sink);
  driver.Run(FileNameSearch(Dir.Path(), "*.c"));
  EXPECT_EQ(Relative(Sink.Files), (V{".hidden.c", "A.C", "b.c", "Sub2/x.c"}));
  EXPECT_EQ(Sink.SkippedFolders, V{Dir.Path() + "sub/"});
  EXPECT_EQ(Sink.SkipErrors, std::vector<int>{EACCES});
}

TEST_F(WalkTest, CancelKeepsWhatWasListed) {
  TSearchDriver driver(Sink);
  Sink.OnPoll = [&] {
    if (Sink.Files.size() == 2) driver.RequestCancel();
  };
  driver.Run(FileNameSearch(Dir.Path(), "*.c"));
  // The stop is seen after the entry that the poll preceded has been taken up.
  EXPECT_EQ(Relative(Sink.Files), (V{".hidden.c", "A.C", "b.c"}));
  EXPECT_FALSE(driver.CancelRequested());
  EXPECT_FALSE(driver.IsRunning());
  EXPECT_EQ(driver.SearchedFileCount(), 3);

  // The next search starts afresh.
  TRecordingSink again;
  TSearchDriver second(again);
  second.Run(FileNameSearch(Dir.Path(), "*.c"));
  EXPECT_EQ(again.Files.size(), 6u);
}

TEST_F(WalkTest, PlainModeTakesUpEveryFileEvenWithAnEmptyWord) {
  TSearchOptions o = FileNameSearch(Dir.Path(), "*.c");
  o.Switches.FileNameSearch = false;
  TSearchDriver driver(Sink);
  driver.Run(o);
  EXPECT_EQ(Sink.Files.size(), 6u);
  EXPECT_TRUE(Sink.Results.empty());
}

// Only a file that cannot be read becomes an unreadable-file line; a failure of another
// kind (memory running out, say) during a file's search ends the search instead of being
// shown as one, in both modes.
TEST_F(WalkTest, OnlyReadFailuresBecomeUnreadableLines) {
  Dir.Write("hit.txt", "needle\n");
  for (bool regex : {false, true}) {
    TRecordingSink sink;
    sink.OnPoll = [&sink] {
      if (!sink.Statuses.empty()) throw std::bad_alloc();
    };
    TSearchDriver driver(sink);
    TSearchOptions o;
    o.FolderText = Dir.Path();
    o.Masks = "hit.txt";
    o.Word = "needle";
    o.Switches.RegularExpSearch = regex;
    EXPECT_THROW(driver.Run(o), std::bad_alloc) << regex;
    EXPECT_TRUE(sink.Results.empty()) << regex;
    EXPECT_EQ(driver.ErrorLineCount(), 0) << regex;
  }
}
