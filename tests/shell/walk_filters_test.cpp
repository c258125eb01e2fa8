// What the walk leaves out when asked: files and folders by exclusion masks, binary files
// (taken up, never searched), and what git ignores.
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "shell/binary_check.h"
#include "shell/search_driver.h"
#include "tests/support/environment_value.h"
#include "tests/support/recording_sink.h"
#include "tests/support/temp_dir.h"

using namespace varsik;

namespace {

using V = std::vector<std::string>;

class WalkFiltersTest : public ::testing::Test {
 protected:
  TSearchOptions Options(const std::string& masks, bool fileNames = true) const {
    TSearchOptions o;
    o.FolderText = Dir.Path();
    o.Masks = masks;
    o.Word = "needle";
    o.Switches.FileNameSearch = fileNames;
    return o;
  }
  V Relative(const V& paths) const {
    V r;
    for (const auto& p : paths) r.push_back(p.substr(Dir.Path().size()));
    return r;
  }
  // The files taken up, relative to the folder; the hits stay in Sink.Results.
  V Run(const TSearchOptions& o) {
    Sink = TRecordingSink();
    TSearchDriver driver(Sink);
    driver.Run(o);
    Searched = driver.SearchedFileCount();
    Status = driver.StatusText();
    return Relative(Sink.Files);
  }

  TTempDir Dir;
  TRecordingSink Sink;
  int64_t Searched = 0;
  std::string Status;
};

}  // namespace

TEST_F(WalkFiltersTest, ExclusionMasksPassOverFilesAndFolders) {
  for (const char* name :
       {"main.c", "test_main.c", "TEST_x.c", "a.h", "b.txt", "sub/x.c", "sub/test_y.c", "build/z.c",
        "Build2/w.c", "node_modules/m.c", "keep/build/k.c", "keep/k.c"})
    Dir.Write(name, "needle\n");
  // Files mask by mask, then the sub-folders, as ever. "!" passes over files, regardless
  // of case; "#" folders at any depth, which are not entered. Neither is counted.
  EXPECT_EQ(Run(Options("*.c;*.h;!test_*;#build*;#node_modules")),
            (V{"main.c", "a.h", "keep/k.c", "sub/x.c"}));
  EXPECT_EQ(Searched, 4);
  // Contents are searched the same way.
  EXPECT_EQ(Run(Options("*.c;!test_*;#build*", false)),
            (V{"main.c", "keep/k.c", "node_modules/m.c", "sub/x.c"}));
  EXPECT_EQ(Status, "検索ファイル数 : 4   一致ファイル数 : 4   一致行数 : 4");
}

TEST_F(WalkFiltersTest, OnlyExclusionsMeanEveryOtherFile) {
  for (const char* name : {"a.c", "README", "x.tmp", "sub/b.c", "skip/c.c"}) Dir.Write(name, "");
  const V everyOther{"a.c", "README", "sub/b.c"};
  EXPECT_EQ(Run(Options("!*.tmp;#skip")), everyOther);
  // An empty piece typed behind them takes nothing, as ever, and changes nothing.
  EXPECT_EQ(Run(Options("!*.tmp;#skip;")), everyOther);
  // "*.*" among them: names without a dot too.
  EXPECT_EQ(Run(Options("*.*;!*.c")), (V{"README", "x.tmp"}));
  // Nothing but an empty list is still nothing.
  EXPECT_EQ(Run(Options("")), V{});
  // A "!" or "#" alone excludes nothing.
  EXPECT_EQ(Run(Options("*.c;!;#")), (V{"a.c", "skip/c.c", "sub/b.c"}));
}

// A binary file is listed and counted but never searched, in both modes; a file with a
// UTF-16 byte order mark is text whatever its NULs, and so is one whose first NUL lies
// past the first 64 KiB.
TEST_F(WalkFiltersTest, BinaryFilesAreTakenUpButNotSearched) {
  // The hit comes first: plain mode reads a file's text up to its first NUL.
  const std::string hit = "needle\n";
  const std::string filler(TBinaryCheck::kHeadBytes - 1 - hit.size(), 'x');
  Dir.Write("a.txt", hit);
  Dir.Write("b.bin", hit + std::string(1, '\0'));
  Dir.Write("c.bin", hit + filler + std::string(1, '\0'));
  Dir.Write("d.txt", hit + filler + "x" + std::string(1, '\0'));
  // UTF-16 files, read as such.
  std::string le = "\xFF\xFE", be = "\xFE\xFF";
  for (const char c : hit + '\0') {
    le += {c, '\0'};
    be += {'\0', c};
  }
  Dir.Write("e.txt", le);
  Dir.Write("f.txt", be);
  for (bool regex : {false, true}) {
    TSearchOptions o = Options("*.*", false);
    o.Switches.RegularExpSearch = regex;
    o.Switches.SkipBinary = true;
    EXPECT_EQ(Run(o), (V{"a.txt", "b.bin", "c.bin", "d.txt", "e.txt", "f.txt"})) << regex;
    V headers;
    for (const std::string& line : Sink.Results)
      if (line.starts_with('#')) headers.push_back(line.substr(2 + Dir.Path().size()));
    EXPECT_EQ(headers, (V{"a.txt\"", "d.txt\"", "e.txt\"", "f.txt\""})) << regex;
    EXPECT_EQ(Status, "検索ファイル数 : 6   一致ファイル数 : 4   一致行数 : 4") << regex;
    // Off, they are searched as ever.
    o.Switches.SkipBinary = false;
    Run(o);
    EXPECT_EQ(Status, "検索ファイル数 : 6   一致ファイル数 : 6   一致行数 : 6") << regex;
  }
  // In file-name mode no file is opened: the switch changes nothing.
  TSearchOptions names = Options("*.bin");
  names.Switches.SkipBinary = true;
  EXPECT_EQ(Run(names), (V{"b.bin", "c.bin"}));
}

namespace {

// `text` (ASCII) in UTF-16, without a byte order mark.
std::string Utf16(std::string_view text, bool bigEndian) {
  std::string units;
  for (char c : text) units += bigEndian ? std::string{'\0', c} : std::string{c, '\0'};
  return units;
}

}  // namespace

// UTF-16 is told as the encoding detector tells it, from the head alone: by its byte order
// mark, or by ASCII characters with their 00 bytes in place. NULs anywhere else make a
// binary file.
TEST(BinaryCheck, Utf16IsTextWithOrWithoutItsByteOrderMark) {
  const std::string lines = "needle\r\nhaystack\r\n";
  EXPECT_FALSE(TBinaryCheck::IsBinaryHead(Utf16(lines, false)));
  EXPECT_FALSE(TBinaryCheck::IsBinaryHead(Utf16(lines, true)));
  EXPECT_FALSE(TBinaryCheck::IsBinaryHead("\xFF\xFE" + Utf16(lines, false)));
  EXPECT_FALSE(TBinaryCheck::IsBinaryHead("\xFE\xFF" + Utf16(lines, true)));
  EXPECT_FALSE(TBinaryCheck::IsBinaryHead(lines));
  EXPECT_TRUE(TBinaryCheck::IsBinaryHead(lines + '\0'));
  EXPECT_TRUE(
      TBinaryCheck::IsBinaryHead(std::string("\x7F"
                                             "ELF\x02\x01\x01\0\0\0\0\0",
                                             12)));
  EXPECT_TRUE(TBinaryCheck::IsBinaryHead(std::string(256, '\0')));
  // A few UTF-16-looking units before the binary part are not enough.
  EXPECT_TRUE(TBinaryCheck::IsBinaryHead(Utf16("ab", false) + std::string(200, '\x90') + '\0'));
}

// Through the walk: a UTF-16 file without byte order mark is searched with the switch on.
TEST_F(WalkFiltersTest, AUtf16FileWithoutByteOrderMarkIsSearched) {
  Dir.Write("u.txt", Utf16("needle\n", false));
  TSearchOptions o = Options("*.*", false);
  o.Word = "n";
  o.Switches.RegularExpSearch = true;
  o.Switches.SkipBinary = true;
  EXPECT_EQ(Run(o), V{"u.txt"});
  EXPECT_EQ(Status, "検索ファイル数 : 1   一致ファイル数 : 1   一致行数 : 1");
}

TEST_F(WalkFiltersTest, AFileThatCannotBeReadIsReportedOnceWhenBinaryFilesAreSkipped) {
  ASSERT_EQ(symlink("missing", (Dir.Path() + "gone.txt").c_str()), 0);
  TSearchOptions o = Options("*.txt", false);
  o.Switches.SkipBinary = true;
  TSearchDriver driver(Sink);
  driver.Run(o);
  EXPECT_EQ(Sink.Results, V{"\"ファイル " + Dir.Path() + "gone.txt は開けませんでした。\""});
  EXPECT_EQ(driver.ErrorLineCount(), 1);
}

namespace {

// The bytes this process has read so far.
long long ReadBytes() {
  std::ifstream io("/proc/self/io");
  std::string key;
  long long value = 0;
  while (io >> key >> value)
    if (key == "rchar:") return value;
  return -1;
}

}  // namespace

// Only the head of a binary file is read, however large the file: a hit at the end of
// 100 MB is not reported, and the search reads well under 1 MB. (Plain mode's text ends
// at the first NUL anyway; regular-expression mode reads on.)
TEST_F(WalkFiltersTest, OnlyTheHeadOfABinaryFileIsRead) {
  const std::string path = Dir.Write("big.bin", "");
  {
    std::ofstream big(path, std::ios::binary);
    big.seekp((100 << 20) - 7);  // a sparse file: NULs up to the hit
    big << "needle\n";
  }
  TSearchOptions o = Options("*.bin", false);
  o.Switches.SkipBinary = true;
  for (bool regex : {false, true}) {
    o.Switches.RegularExpSearch = regex;
    const long long before = ReadBytes();
    ASSERT_GE(before, 0) << "no /proc/self/io";
    Run(o);
    EXPECT_LT(ReadBytes() - before, 1 << 20) << regex;
    EXPECT_TRUE(Sink.Results.empty()) << regex;
    EXPECT_EQ(Searched, 1) << regex;
  }
}

// With the switch, what git ignores in the repository that holds the files is not taken
// up, and an ignored folder is not entered; files outside any repository are all taken.
TEST_F(WalkFiltersTest, WhatGitIgnoresIsPassedOver) {
  const TEnvironmentValue home("HOME", Dir.MakeDir("home"));
  const TEnvironmentValue xdg("XDG_CONFIG_HOME", "");
  Dir.Write("repo/.git/HEAD", "ref: refs/heads/main\n");
  Dir.Write("repo/.gitignore", "*.log\nbuild/\n!keep.log\n");
  for (const char* name : {"repo/a.c", "repo/a.log", "repo/keep.log", "repo/build/x.c",
                           "repo/sub/b.log", "repo/sub/c.c", "plain/d.log"})
    Dir.Write(name, "needle\n");
  TSearchOptions o = Options("*.*;#home");
  o.Switches.GitIgnore = true;
  EXPECT_EQ(Run(o),
            (V{"plain/d.log", "repo/.gitignore", "repo/a.c", "repo/keep.log", "repo/sub/c.c"}));
  o.FolderText = Dir.Path() + "repo/sub/";
  EXPECT_EQ(Run(o), V{"repo/sub/c.c"});
  o.FolderText = Dir.Path() + "repo/build/";
  EXPECT_EQ(Run(o), V{});
  o.FolderText = Dir.Path();
  o.Switches.GitIgnore = false;
  EXPECT_EQ(Run(o).size(), 9u);
}
