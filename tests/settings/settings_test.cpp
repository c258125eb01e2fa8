#include "shell/settings.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include <gtest/gtest.h>

#include "platform/folder.h"
#include "tests/settings/settings_test_support.h"
#include "tests/support/temp_dir.h"

using namespace varsik;

namespace {

using TStrings = std::vector<std::string>;

// Reads settings from a file holding `contents`.
TSettings ReadText(const std::string& contents) {
  TTempDir dir;
  return ReadSettings(dir.Write("Varsik.ini", contents));
}

TStrings Repeat(const std::string& value, size_t n) {
  return TStrings(n, value);
}

TStrings Numbered(const std::string& prefix, int n) {
  TStrings items;
  for (int i = 1; i <= n; ++i) items.push_back(prefix + std::to_string(i));
  return items;
}

// --- Reading -----------------------------------------------------------------------

TEST(ReadSettings, NoFileGivesTheDefaults) {
  TTempDir dir;
  TSettings s = ReadSettings(dir.Path() + "Varsik.ini");
  const std::string home = Platform::HomeFolder();
  EXPECT_EQ(s.Words, Repeat("", 10));
  EXPECT_EQ(s.WordText, "");
  EXPECT_EQ(s.Files, Repeat("*.*", 10));
  EXPECT_EQ(s.FileText, "*.*");
  EXPECT_EQ(s.Dirs, Repeat(home, 10));
  EXPECT_EQ(s.DirText, home);
  EXPECT_EQ(s.Switches, TSearchSwitches{});
  EXPECT_TRUE(s.Switches.SubFolderSearch);
  EXPECT_EQ(s.Left, 50);
  EXPECT_EQ(s.Top, 50);
  EXPECT_EQ(s.Width, 575);
  EXPECT_EQ(s.Height, 534);
  EXPECT_EQ(s.EditorPath, "xdg-open");
  EXPECT_EQ(s.JumpFormat, "");
  EXPECT_TRUE(s.GrepDlgShowOnStart);
  EXPECT_FALSE(s.ErrMsgBox);
  EXPECT_EQ(s.Threads, 0);
}

TEST(ReadSettings, MissingEntriesUpToCountGetTheDefault) {
  TSettings s = ReadText("[GrepWord]\nCount=3\nWord1=foo\n");
  EXPECT_EQ(s.WordText, "foo");
  EXPECT_EQ(s.Words, (TStrings{"foo", "", ""}));

  s = ReadText("[GrepFile]\nCount=4\nFile2=*.c\n[GrepDir]\nCount=2\nDir1=/src/\n");
  EXPECT_EQ(s.FileText, "*.*");
  EXPECT_EQ(s.Files, (TStrings{"*.*", "*.c", "*.*", "*.*"}));
  EXPECT_EQ(s.DirText, "/src/");
  EXPECT_EQ(s.Dirs, (TStrings{"/src/", Platform::HomeFolder()}));
}

TEST(ReadSettings, CountZeroEmptiesTheHistoriesButKeepsTheBoxTexts) {
  TSettings s = ReadText(
      "[GrepWord]\nCount=0\nWord1=foo\n[GrepFile]\nCount=0\n[GrepDir]\nCount=0\nDir1=/tmp/\n");
  EXPECT_TRUE(s.Words.empty());
  EXPECT_TRUE(s.Files.empty());
  EXPECT_TRUE(s.Dirs.empty());
  EXPECT_EQ(s.WordText, "foo");
  EXPECT_EQ(s.FileText, "*.*");
  EXPECT_EQ(s.DirText, "/tmp/");
}

TEST(ReadSettings, CountValues) {
  struct TRow {
    const char* Count;
    size_t Expected;
  };
  const TRow rows[] = {
      {"3", 3},       {"0x2", 2},           {"-1", 0}, {"-2147483648", 0}, {"abc", 10},
      {"", 10},       {"2147483647", 1000},  // capped
      {"1000", 1000}, {"1001", 1000},
  };
  for (const TRow& row : rows) {
    TSettings s = ReadText(std::string("[GrepWord]\nCount=") + row.Count + "\n");
    EXPECT_EQ(s.Words.size(), row.Expected) << "Count=" << row.Count;
  }
}

TEST(ReadSettings, Integers) {
  struct TRow {
    const char* Text;
    int32_t Expected;  // 50 is the default of Left
  };
  const TRow rows[] = {
      {"0x20", 32},
      {"0X20", 32},
      {"0xff", 255},
      {"-5", -5},
      {"+7", 7},
      {"-0x10", -16},
      {"  12  ", 12},
      {"007", 7},
      {"2147483647", 2147483647},
      {"-2147483648", -2147483647 - 1},
      {"2147483648", 50},
      {"0x80000000", 50},
      {"99999999999999999999", 50},
      {"abc", 50},
      {"12abc", 50},
      {"1.5", 50},
      {"", 50},
      {"0x", 50},
      {"0xZZ", 50},
      {"--3", 50},
      {"+-3", 50},
      {"0x-5", 50},
      {"1 2", 50},
      {"\"12\"", 12},
      {"１２", 50},
  };
  for (const TRow& row : rows) {
    TSettings s = ReadText(std::string("[Window]\nLeft=") + row.Text + "\n");
    EXPECT_EQ(s.Left, row.Expected) << "Left=" << row.Text;
  }
}

TEST(ReadSettings, Booleans) {
  struct TRow {
    const char* Text;
    bool UpperLowerMatch;  // default false
    bool SubFolderSearch;  // default true
  };
  const TRow rows[] = {
      {"0", false, false},  {"1", true, true},     {"2", true, true},
      {"-1", true, true},   {"0x0", false, false}, {"0x10", true, true},
      {"yes", false, true}, {"true", false, true}, {"", false, true},
  };
  for (const TRow& row : rows) {
    TSettings s = ReadText(std::string("[Option]\nUpperLowerMatch=") + row.Text +
                           "\nSubFolderSearch=" + row.Text + "\n");
    EXPECT_EQ(s.Switches.UpperLowerMatch, row.UpperLowerMatch) << row.Text;
    EXPECT_EQ(s.Switches.SubFolderSearch, row.SubFolderSearch) << row.Text;
  }
}

TEST(ReadSettings, EncodingsByName) {
  for (const std::string_view name : kEncodingChoiceNames) {
    const TSettings s = ReadText("[Option]\nEncoding=" + std::string(name) + "\n");
    EXPECT_EQ(EncodingChoiceName(s.Switches.Encoding), name);
  }
  // A name that is none, or one of another spelling, is the default.
  for (const char* name : {"", "UTF-8", "sjis", "1", "auto "})
    EXPECT_EQ(ReadText(std::string("[Option]\nEncoding=") + name + "\n").Switches.Encoding,
              TEncodingChoice::Auto)
        << name;
}

TEST(ReadSettings, EveryKeyIsRead) {
  TSettings s = ReadText(
      "[Option]\nUpperLowerMatch=1\nFuzzySearch=1\nRegularExpSearch=1\nSearchAsWord=1\n"
      "SubFolderSearch=0\nFileNameSearch=1\nSkipBinary=1\nGitIgnore=1\nEncoding=euc-jp\n"
      "GrepDlgShowOnStart=0\nErrMsgBox=1\nThreads=3\n"
      "[Window]\nLeft=1\nTop=2\nWidth=3\nHeight=4\n"
      "[Editor]\nPath=gedit\nJumpFormat=+\n");
  EXPECT_EQ(s.Switches, (TSearchSwitches{.UpperLowerMatch = true,
                                         .FuzzySearch = true,
                                         .RegularExpSearch = true,
                                         .SearchAsWord = true,
                                         .SubFolderSearch = false,
                                         .FileNameSearch = true,
                                         .SkipBinary = true,
                                         .GitIgnore = true,
                                         .Encoding = TEncodingChoice::EucJp}));
  EXPECT_FALSE(s.GrepDlgShowOnStart);
  EXPECT_TRUE(s.ErrMsgBox);
  EXPECT_EQ(s.Threads, 3);
  EXPECT_EQ(s.Left, 1);
  EXPECT_EQ(s.Top, 2);
  EXPECT_EQ(s.Width, 3);
  EXPECT_EQ(s.Height, 4);
  EXPECT_EQ(s.EditorPath, "gedit");
  EXPECT_EQ(s.JumpFormat, "+");
}

TEST(ReadSettings, SectionAndKeyNamesIgnoreCaseAndLineEndsMayBeCrLf) {
  TSettings s = ReadText("[grepword]\r\ncount=1\r\nWORD1=foo\r\n[EDITOR]\r\npath=vi\r\n");
  EXPECT_EQ(s.Words, (TStrings{"foo"}));
  EXPECT_EQ(s.EditorPath, "vi");
}

TEST(ReadSettings, StringsAreCutAt2047Characters) {
  std::string ascii(3000, 'a');
  std::string kana;
  for (int i = 0; i < 3000; ++i) kana += "あ";
  TSettings s = ReadText("[Editor]\nPath=" + ascii + "\nJumpFormat=" + kana + "\n");
  EXPECT_EQ(s.EditorPath, std::string(2047, 'a'));
  EXPECT_EQ(s.JumpFormat.size(), 2047u * 3);  // whole characters only
  EXPECT_EQ(s.JumpFormat.substr(s.JumpFormat.size() - 3), "あ");
}

TEST(ReadSettings, BrokenFilesGiveDefaultsWhereUnreadable) {
  TSettings s = ReadText(Garbage(100000, 12345));
  EXPECT_EQ(s.Files.size(), 10u);

  // One huge line, then real entries.
  s = ReadText("[Window]\nLeft=" + std::string(8 << 20, '7') + "\nTop=9\n");
  EXPECT_EQ(s.Left, 50);
  EXPECT_EQ(s.Top, 9);

  // Entries before a NUL byte still count.
  const char withNul[] = "[Window]\nTop=9\n\0\nLeft=1\n";
  s = ReadText(std::string(withNul, sizeof withNul - 1));
  EXPECT_EQ(s.Top, 9);

  // Lines that are not entries are passed over.
  s = ReadText("junk\n[Window\nLeft=1\n=3\n[Window]\nTop=8\n");
  EXPECT_EQ(s.Top, 8);

  // Duplicate keys give one of their values.
  s = ReadText("[Window]\nTop=1\nTop=2\n");
  EXPECT_TRUE(s.Top == 1 || s.Top == 2) << s.Top;
}

TEST(ReadSettings, PathsThatAreNoFileGiveDefaults) {
  TTempDir dir;
  dir.MakeDir("Varsik.ini");
  EXPECT_EQ(ReadSettings(dir.Path() + "Varsik.ini").Left, 50);

  // A FIFO must not make the start wait for a writer.
  ASSERT_EQ(mkfifo((dir.Path() + "fifo.ini").c_str(), 0600), 0);
  EXPECT_EQ(ReadSettings(dir.Path() + "fifo.ini").Left, 50);

  std::string file = dir.Write("file", "x");
  EXPECT_EQ(ReadSettings(file + "/Varsik.ini").Left, 50);
}

// --- Writing -----------------------------------------------------------------------

TEST(WriteSettings, FreshFileListsSectionsAndKeysInOrder) {
  TTempDir dir;
  TSettings s;
  s.Words = {"main", "foo"};
  s.Files = {"*.c;*.h"};
  s.Dirs = {"/src/", "/tmp/"};
  s.Switches.SubFolderSearch = true;
  s.Switches.SearchAsWord = true;
  s.Left = -8;
  s.JumpFormat = "+";
  s.GrepDlgShowOnStart = false;
  s.ErrMsgBox = true;
  s.Threads = 5;  // set by hand in the file only
  const std::string path = dir.Path() + "Varsik.ini";
  ASSERT_TRUE(WriteSettings(path, s));
  EXPECT_EQ(ReadBack(path),
            "[GrepWord]\nWord1=main\nWord2=foo\n\n"
            "[GrepFile]\nFile1=*.c;*.h\n\n"
            "[GrepDir]\nDir1=/src/\nDir2=/tmp/\n\n"
            "[Option]\nUpperLowerMatch=0\nFuzzySearch=0\nRegularExpSearch=0\nSearchAsWord=1\n"
            "SubFolderSearch=1\nFileNameSearch=0\nSkipBinary=0\nGitIgnore=0\nEncoding=auto\n"
            "ErrMsgBox=1\n\n"
            "[Window]\nLeft=-8\nTop=50\nWidth=575\nHeight=534\n\n"
            "[Editor]\nPath=xdg-open\nJumpFormat=+\n");
  EXPECT_EQ(FolderNames(dir.Path()), (TStrings{"Varsik.ini"}));  // no temporary file left
}

TEST(WriteSettings, TwelveWordsAreWrittenAndTenReadBack) {
  TTempDir dir;
  const std::string path = dir.Path() + "Varsik.ini";
  TSettings s = ReadSettings(path);
  s.Words = Numbered("w", 12);
  ASSERT_TRUE(WriteSettings(path, s));
  const std::string text = ReadBack(path);
  EXPECT_NE(text.find("Word12=w12\n"), std::string::npos);
  TSettings back = ReadSettings(path);
  EXPECT_EQ(back.Words, Numbered("w", 10));
  EXPECT_EQ(back.WordText, "w1");
}

TEST(WriteSettings, BooleansAreWrittenAsOneOrZero) {
  TTempDir dir;
  const std::string path = dir.Write("Varsik.ini", "[Option]\nUpperLowerMatch=2\nFuzzySearch=-1\n");
  TSettings s = ReadSettings(path);
  EXPECT_TRUE(s.Switches.UpperLowerMatch);
  ASSERT_TRUE(WriteSettings(path, s));
  const std::string text = ReadBack(path);
  EXPECT_NE(text.find("UpperLowerMatch=1\n"), std::string::npos) << text;
  EXPECT_NE(text.find("FuzzySearch=1\n"), std::string::npos) << text;
}

TEST(WriteSettings, KeepsUnknownKeysHigherEntriesCommentsAndNeverWrittenKeys) {
  TTempDir dir;
  const std::string path = dir.Write("Varsik.ini",
                                     "; my settings\n\n"
                                     "[GrepWord]\nCount=3\nWord1=old1\nWord2=old2\nWord3=old3\n"
                                     "Word4=old4\n"
                                     "[Option]\nGrepDlgShowOnStart=0\nFutureOption=5\n"
                                     "; the editor\n[Editor]\nPath=vim\n"
                                     "[Plugin]\nName=x\n");
  TSettings s = ReadSettings(path);
  s.Words = {"new1", "new2"};
  s.GrepDlgShowOnStart = true;  // never written: the file keeps its 0
  ASSERT_TRUE(WriteSettings(path, s));
  EXPECT_EQ(
      ReadBack(path),
      "; my settings\n\n"
      "[GrepWord]\nCount=3\nWord1=new1\nWord2=new2\nWord3=old3\nWord4=old4\n"
      "[Option]\nGrepDlgShowOnStart=0\nFutureOption=5\nUpperLowerMatch=0\nFuzzySearch=0\n"
      "RegularExpSearch=0\nSearchAsWord=0\nSubFolderSearch=1\nFileNameSearch=0\n"
      "SkipBinary=0\nGitIgnore=0\nEncoding=auto\nErrMsgBox=0\n"
      "; the editor\n[Editor]\nPath=vim\nJumpFormat=\n"
      "[Plugin]\nName=x\n\n"
      "[GrepFile]\nFile1=*.*\nFile2=*.*\nFile3=*.*\nFile4=*.*\nFile5=*.*\nFile6=*.*\n"
      "File7=*.*\nFile8=*.*\nFile9=*.*\nFile10=*.*\n\n"
      "[GrepDir]\n" +
          [] {
            std::string dirs;
            for (int i = 1; i <= 10; ++i)
              dirs += "Dir" + std::to_string(i) + "=" + Platform::HomeFolder() + "\n";
            return dirs;
          }() +
          "\n[Window]\nLeft=50\nTop=50\nWidth=575\nHeight=534\n");
}

TEST(WriteSettings, JapaneseTextsRoundTrip) {
  TTempDir dir;
  const std::string path = dir.Path() + "Varsik.ini";
  TSettings s = ReadSettings(path);
  s.Words = {"日本語", "ｶﾀｶﾅ", "表示", "ソース"};
  s.Files = {"*.txt;*.日記"};
  s.Dirs = {"/home/ユーザー/文書/"};
  s.EditorPath = "エディタ --line";
  s.JumpFormat = "＋";
  ASSERT_TRUE(WriteSettings(path, s));
  TSettings back = ReadSettings(path);
  EXPECT_EQ(TStrings(back.Words.begin(), back.Words.begin() + 4), s.Words);
  EXPECT_EQ(back.WordText, "日本語");
  EXPECT_EQ(back.Files[0], s.Files[0]);
  EXPECT_EQ(back.Dirs[0], s.Dirs[0]);
  EXPECT_EQ(back.EditorPath, s.EditorPath);
  EXPECT_EQ(back.JumpFormat, s.JumpFormat);
}

TEST(WriteSettings, ValuesRoundTripWhateverTheirCharacters) {
  const TStrings values = {" leading", "trailing ", " both ", "\tTab", "\"quoted\"",
                           "\"",       "\"\"",      "\"open", "a=b",   ";semi",
                           "#hash",    "[Option]",  "<<<END", "x\\y",  ""};
  TTempDir dir;
  const std::string path = dir.Write("Varsik.ini", "[GrepWord]\nCount=15\n");
  TSettings s = ReadSettings(path);
  s.Words = values;
  s.JumpFormat = " -n ";
  ASSERT_TRUE(WriteSettings(path, s));
  TSettings back = ReadSettings(path);
  EXPECT_EQ(back.Words, values);
  EXPECT_EQ(back.JumpFormat, " -n ");
}

TEST(WriteSettings, QuotedValuesOfKeysItDoesNotWriteAreKeptAsTheyStand) {
  TTempDir dir;
  const std::string kept = "[Plugin]\nName=\"x\"\nArgs=\"\"\"\"\"\nPad=\" y \"\n";
  const std::string path = dir.Write("Varsik.ini", kept);
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(WriteSettings(path, ReadSettings(path)));
  EXPECT_TRUE(ReadBack(path).starts_with(kept)) << ReadBack(path);
}

TEST(WriteSettings, LineBreaksInAValueCannotAddEntries) {
  TTempDir dir;
  const std::string path = dir.Path() + "Varsik.ini";
  TSettings s = ReadSettings(path);
  s.Words = {"a\nLeft=999\r\n[Editor]\nPath=evil"};
  ASSERT_TRUE(WriteSettings(path, s));
  TSettings back = ReadSettings(path);
  EXPECT_EQ(back.Words[0], "a Left=999  [Editor] Path=evil");
  EXPECT_EQ(back.Left, 50);
  EXPECT_EQ(back.EditorPath, "xdg-open");
}

TEST(WriteSettings, AnUnclosedSectionLineNeitherCapturesKeysNorGrowsTheFile) {
  for (const std::string header : {"[0", "  [Window", "\xEF\xBB\xBF[x", "[a\r"}) {
    TTempDir dir;
    const std::string path =
        dir.Write("Varsik.ini", header + "\nWord1=a\n[GrepDir]\nDir1=/d/\n[Window]\nTop=7\n");
    const TSettings first = ReadSettings(path);
    EXPECT_EQ(first.DirText, "/d/") << header;
    EXPECT_EQ(first.Top, 7) << header;
    ASSERT_TRUE(WriteSettings(path, first)) << header;
    const std::string once = ReadBack(path);
    EXPECT_EQ(once.find("Word1]"), std::string::npos) << header;
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(WriteSettings(path, ReadSettings(path))) << header;
    EXPECT_EQ(ReadBack(path), once) << header;
    EXPECT_EQ(ReadSettings(path).Top, 7) << header;
  }
}

TEST(ReadSettings, ASignatureInsideTheFileHidesNoSection) {
  TTempDir dir;
  const std::string path = dir.Write(
      "Varsik.ini",
      "\xEF\xBB\xBF[Window]\nTop=9\n \xEF\xBB\xBF[Option]\nErrMsgBox=1\n\t\xEF\xBB\xBF Left=3\n");
  const TSettings first = ReadSettings(path);
  EXPECT_EQ(first.Top, 9);
  EXPECT_TRUE(first.ErrMsgBox);
  EXPECT_EQ(first.Left, 50);  // that Left lies in [Option]
  ASSERT_TRUE(WriteSettings(path, first));
  const std::string once = ReadBack(path);
  EXPECT_TRUE(once.starts_with("\xEF\xBB\xBF[Window]")) << once;
  ASSERT_TRUE(WriteSettings(path, ReadSettings(path)));
  EXPECT_EQ(ReadBack(path), once);
}

TEST(WriteSettings, KeepsTheSignatureAndThePermissionsOfTheFile) {
  TTempDir dir;
  const std::string path = dir.Write("Varsik.ini", "\xEF\xBB\xBF[GrepWord]\nWord1=foo\n");
  ASSERT_EQ(chmod(path.c_str(), 0640), 0);
  TSettings s = ReadSettings(path);
  EXPECT_EQ(s.WordText, "foo");
  ASSERT_TRUE(WriteSettings(path, s));
  EXPECT_EQ(ReadBack(path).rfind("\xEF\xBB\xBF[GrepWord]\nWord1=foo\n", 0), 0u);
  struct stat st;
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST(WriteSettings, CreatesTheMissingFolder) {
  TTempDir dir;
  const std::string path = dir.Path() + "config/varsik/Varsik.ini";
  ASSERT_TRUE(WriteSettings(path, ReadSettings(path)));
  EXPECT_EQ(ReadSettings(path).Files, Repeat("*.*", 10));
}

TEST(WriteSettings, FailureReturnsFalseAndLeavesEverythingAsItWas) {
  TTempDir dir;
  TSettings s;
  s.Words = {"x"};

  // The parent is a regular file.
  const std::string file = dir.Write("file", "content");
  EXPECT_FALSE(WriteSettings(file + "/Varsik.ini", s));
  EXPECT_EQ(ReadBack(file), "content");

  // A folder stands where the file should be.
  dir.MakeDir("folder/Varsik.ini/inside");
  EXPECT_FALSE(WriteSettings(dir.Path() + "folder/Varsik.ini", s));
  EXPECT_TRUE(std::filesystem::is_directory(dir.Path() + "folder/Varsik.ini/inside"));
  EXPECT_EQ(FolderNames(dir.Path() + "folder"), (TStrings{"Varsik.ini"}));

  // A file too large to be the settings file is neither read nor replaced.
  const std::string big = dir.Write("big/Varsik.ini", std::string((64 << 20) + 1, ';'));
  EXPECT_FALSE(WriteSettings(big, s));
  EXPECT_EQ(std::filesystem::file_size(big), (64u << 20) + 1);
  EXPECT_EQ(FolderNames(dir.Path() + "big"), (TStrings{"Varsik.ini"}));
}

TEST(WriteSettings, ReadOnlyFileOrFolderLosesNothing) {
  if (RunningAsRoot()) GTEST_SKIP() << "permissions do not stop root";
  TTempDir dir;
  const std::string before = "[GrepWord]\nWord1=keep\n";
  TSettings s;
  s.Words = {"new"};

  const std::string roFile = dir.Write("file/Varsik.ini", before);
  ASSERT_EQ(chmod(roFile.c_str(), 0444), 0);
  EXPECT_FALSE(WriteSettings(roFile, s));
  EXPECT_EQ(ReadBack(roFile), before);

  const std::string inRoFolder = dir.Write("folder/Varsik.ini", before);
  ASSERT_EQ(chmod((dir.Path() + "folder").c_str(), 0555), 0);
  EXPECT_FALSE(WriteSettings(inRoFolder, s));
  EXPECT_EQ(ReadBack(inRoFolder), before);
  EXPECT_EQ(FolderNames(dir.Path() + "folder"), (TStrings{"Varsik.ini"}));

  const std::string unreadable = dir.Write("secret/Varsik.ini", before);
  ASSERT_EQ(chmod(unreadable.c_str(), 0200), 0);
  EXPECT_EQ(ReadSettings(unreadable).WordText, "");
  EXPECT_FALSE(WriteSettings(unreadable, s));
  ASSERT_EQ(chmod(unreadable.c_str(), 0600), 0);
  EXPECT_EQ(ReadBack(unreadable), before);
}

}  // namespace
