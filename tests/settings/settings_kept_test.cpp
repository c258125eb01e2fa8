// What a write of the settings file keeps: the lines that the program does not own, byte
// for byte, and the files that are not its own, which it leaves as they are.
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "platform/cp932.h"
#include "platform/utf8.h"
#include "shell/settings.h"
#include "tests/settings/settings_test_support.h"
#include "tests/support/temp_dir.h"

using namespace varsik;

namespace {

using namespace std::string_literals;
using TStrings = std::vector<std::string>;

constexpr uid_t kNobody = 65534;

struct TStat {
  mode_t Mode;
  uid_t Owner;
};
TStat StatOf(const std::string& path) {
  struct stat st {};
  lstat(path.c_str(), &st);
  return {st.st_mode, st.st_uid};
}

// --- Files that are not the program's own -------------------------------------------

TEST(WriteSettings, NeverWritesThroughALink) {
  const std::string notes = "my notes\nno equals sign here\n;Path=/usr/bin/vim (old editor)\n";
  struct TRow {
    const char* Name;
    const char* Target;  // relative to the test folder
    bool TargetExists;
  };
  const TRow rows[] = {
      {"to a notes file beside it", "notes.txt", true},
      {"to a notes file elsewhere", "home/user/notes.txt", true},
      {"to a file that does not exist yet", "home/user/new.txt", false},
  };
  for (const TRow& row : rows) {
    TTempDir dir;
    const std::string target = dir.Path() + row.Target;
    dir.MakeDir("home/user");
    if (row.TargetExists) dir.Write(row.Target, notes);
    const std::string link = dir.Path() + "Varsik.ini";
    ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
    const TWriteOutcome outcome = WriteAndListen(link, ReadSettings(link));
    EXPECT_FALSE(outcome.Written) << row.Name;
    EXPECT_TRUE(SaysOnceNotWritten(outcome.Said, link)) << row.Name << ": " << outcome.Said;
    EXPECT_TRUE(std::filesystem::is_symlink(link)) << row.Name;
    if (row.TargetExists)
      EXPECT_EQ(ReadBack(target), notes) << row.Name;
    else
      EXPECT_FALSE(std::filesystem::exists(target)) << row.Name;
    for (const std::string& folder : {dir.Path(), dir.Path() + "home/user"})
      for (const std::string& name : FolderNames(folder))
        EXPECT_EQ(name.find(".tmp-"), std::string::npos) << row.Name << ": " << name;
  }
}

TEST(WriteSettings, SaysWhichFileItLeftWithoutTheControlCharactersOfItsName) {
  struct TRow {
    const char* Folder;
    const char* Shown;
  };
  const TRow rows[] = {
      {"a\x1B]0;title\x07日本\xC2\x9B", "a\\x1B]0;title\\x07日本\\xC2\\x9B"},
      {"\xFF名", "\\xFF\\xE5\\x90\\x8D"},  // not UTF-8: no byte above 7F is shown as it is
  };
  for (const TRow& row : rows) {
    TTempDir dir;
    const std::string link = dir.MakeDir(row.Folder) + "Varsik.ini";
    const std::string target = dir.Write("notes.txt", "notes\n");
    ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
    const TWriteOutcome outcome = WriteAndListen(link, TSettings());
    EXPECT_FALSE(outcome.Written);
    EXPECT_TRUE(
        SaysOnceNotWritten(outcome.Said, dir.Path() + row.Shown + std::string("/Varsik.ini")))
        << outcome.Said;
  }
}

TEST(WriteSettings, LeavesAFileThatIsNotTheUsersToWriteAsItIs) {
  const std::string before = "[GrepWord]\nWord1=keep\n";
  struct TRow {
    const char* Name;
    mode_t Mode;
    bool OtherOwner;  // needs root to give the file away
  };
  const TRow rows[] = {
      {"read-only", 0444, false},
      {"another user's, writable by all", 0666, true},
  };
  TSettings s;
  s.Words = {"new"};
  for (const TRow& row : rows) {
    if (row.OtherOwner && !RunningAsRoot()) continue;
    TTempDir dir;
    const std::string path = dir.Write("Varsik.ini", before);
    ASSERT_EQ(chmod(path.c_str(), row.Mode), 0);
    if (row.OtherOwner) {
      ASSERT_EQ(chown(path.c_str(), kNobody, kNobody), 0);
    }
    const TStat old = StatOf(path);
    const TWriteOutcome outcome = WriteAndListen(path, s);
    EXPECT_FALSE(outcome.Written) << row.Name;
    EXPECT_TRUE(SaysOnceNotWritten(outcome.Said, path)) << row.Name << ": " << outcome.Said;
    EXPECT_EQ(ReadBack(path), before) << row.Name;
    EXPECT_EQ(StatOf(path).Mode, old.Mode) << row.Name;
    EXPECT_EQ(StatOf(path).Owner, old.Owner) << row.Name;
    EXPECT_EQ(FolderNames(dir.Path()), (TStrings{"Varsik.ini"})) << row.Name;
  }
}

TEST(WriteSettings, RemovesTheTemporaryFilesThatAKilledWriteLeft) {
  TTempDir dir;
  const std::string path = dir.Write("Varsik.ini", "[Plugin]\nName=x\n");
  dir.Write(".Varsik.ini.tmp-4242-0", "[GrepWord]\nWord1=half a fi");
  dir.Write(".Varsik.ini.tmp-Ab3dE5fG7hJ9", "");
  // Not ours, or no file: left alone.
  const std::string victim = dir.Write("victim.txt", "keep");
  ASSERT_EQ(symlink(victim.c_str(), (dir.Path() + ".Varsik.ini.tmp-link").c_str()), 0);
  dir.MakeDir(".Varsik.ini.tmp-folder");
  dir.Write(".Other.ini.tmp-1", "x");
  dir.Write("Varsik.ini.tmp-1", "x");
  TStrings expected = {".Other.ini.tmp-1", ".Varsik.ini.tmp-folder", ".Varsik.ini.tmp-link",
                       "Varsik.ini",       "Varsik.ini.tmp-1",       "victim.txt"};
  if (RunningAsRoot()) {
    const std::string foreign = dir.Write(".Varsik.ini.tmp-nobody", "x");
    ASSERT_EQ(chown(foreign.c_str(), kNobody, kNobody), 0);
    expected.insert(expected.begin() + 3, ".Varsik.ini.tmp-nobody");
  }
  ASSERT_TRUE(WriteSettings(path, ReadSettings(path)));
  EXPECT_EQ(FolderNames(dir.Path()), expected);
  EXPECT_EQ(ReadBack(victim), "keep");
  EXPECT_TRUE(ReadBack(path).starts_with("[Plugin]\nName=x\n"));
}

// --- Lines that are not the program's own ---------------------------------------------

TEST(WriteSettings, CommentsAndLinesWithoutEqualsStayWhereTheyStand) {
  TTempDir dir;
  const std::string path = dir.Write("Varsik.ini",
                                     "; Varsik settings\n"
                                     "notes without an equals sign\n"
                                     "[Editor]\n"
                                     ";Path=/usr/bin/vim (old editor)\n"
                                     "Path=gedit\n"
                                     "   an indented note\n"
                                     "[Window]\r\n"
                                     "# kept\r\n"
                                     "Left =  10  \r\n"
                                     "the last line, without a line end");
  TSettings s = ReadSettings(path);
  EXPECT_EQ(s.EditorPath, "gedit");
  EXPECT_EQ(s.Left, 10);
  s.EditorPath = "kate";
  s.Left = 20;
  ASSERT_TRUE(WriteSettings(path, s));
  EXPECT_TRUE(
      ReadBack(path).starts_with("; Varsik settings\n"
                                 "notes without an equals sign\n"
                                 "[Editor]\n"
                                 ";Path=/usr/bin/vim (old editor)\n"
                                 "Path=kate\n"
                                 "JumpFormat=\n"
                                 "   an indented note\n"
                                 "[Window]\r\n"
                                 "# kept\r\n"
                                 "Left =  20\r\n"
                                 "Top=50\n"
                                 "Width=575\n"
                                 "Height=534\n"
                                 "the last line, without a line end\n"
                                 "\n[GrepWord]\nWord1=\n"))
      << ReadBack(path);
  EXPECT_EQ(ReadSettings(path).EditorPath, "kate");
}

TEST(WriteSettings, ANulByteLosesNothingBehindIt) {
  TTempDir dir;
  const std::string path =
      dir.Write("Varsik.ini", "[Window]\nTop=9\n\0 binary\0 junk\nLeft=1\n[Plugin]\nName=x\n"s);
  const TSettings s = ReadSettings(path);
  EXPECT_EQ(s.Top, 9);
  EXPECT_EQ(s.Left, 1);
  ASSERT_TRUE(WriteSettings(path, s));
  EXPECT_TRUE(ReadBack(path).starts_with(
      "[Window]\nTop=9\n\0 binary\0 junk\nLeft=1\nWidth=575\nHeight=534\n[Plugin]\nName=x\n"s))
      << testing::PrintToString(ReadBack(path));
}

TEST(WriteSettings, AFileThatWasNotReadToItsLastByteIsNeverReplaced) {
  const std::string garbage = Garbage(200000, 2024);
  const std::string sections = "\n[Window]\nLeft=7\n[Editor]\nPath=vim\n";
  struct TRow {
    const char* Name;
    std::string Bytes;
  };
  const TRow rows[] = {
      {"200 KB of garbage before the sections", garbage + sections},
      {"Shift JIS cut inside a character",
       sections + *Platform::Utf8ToCp932("[GrepWord]\nWord1=日本語") + "\x82"},
      // Each line is CP932 to its last byte, but the UTF-8 ones would read garbled.
      {"UTF-8 lines beside a Shift JIS one",
       sections + "[GrepWord]\nWord1=検索\nWord2=表示\n" + *Platform::Utf8ToCp932("; 古い設定\n")},
  };
  for (const TRow& row : rows) {
    TTempDir dir;
    const std::string path = dir.Write("Varsik.ini", row.Bytes);
    const TSettings s = ReadSettings(path);
    EXPECT_EQ(s.Left, 7) << row.Name;
    EXPECT_EQ(s.EditorPath, "vim") << row.Name;
    const TWriteOutcome outcome = WriteAndListen(path, s);
    EXPECT_FALSE(outcome.Written) << row.Name;
    EXPECT_TRUE(SaysOnceNotWritten(outcome.Said, path)) << row.Name << ": " << outcome.Said;
    EXPECT_TRUE(ReadBack(path) == row.Bytes) << row.Name;
    EXPECT_EQ(FolderNames(dir.Path()), (TStrings{"Varsik.ini"})) << row.Name;
  }
}

TEST(SettingsFile, AShiftJisFileIsReadAsShiftJisAndWrittenBackAsUtf8) {
  const std::string text =
      "; 古い設定\n[GrepWord]\nCount=2\nWord1=日本語\nWord2=ｶﾀｶﾅ\n"
      "[GrepDir]\nDir1=/home/ユーザー/\n[Editor]\nPath=エディタ\n";
  TTempDir dir;
  const std::string path = dir.Write("Varsik.ini", *Platform::Utf8ToCp932(text));
  ASSERT_FALSE(Platform::IsValidUtf8(ReadBack(path)));
  const TSettings s = ReadSettings(path);
  EXPECT_EQ(s.WordText, "日本語");
  EXPECT_EQ(s.Words, (TStrings{"日本語", "ｶﾀｶﾅ"}));
  EXPECT_EQ(s.DirText, "/home/ユーザー/");
  EXPECT_EQ(s.EditorPath, "エディタ");
  ASSERT_TRUE(WriteSettings(path, s));
  const std::string written = ReadBack(path);
  EXPECT_TRUE(Platform::IsValidUtf8(written));
  EXPECT_TRUE(written.starts_with("; 古い設定\n[GrepWord]\nCount=2\nWord1=日本語\nWord2=ｶﾀｶﾅ\n"))
      << written;
  const TSettings back = ReadSettings(path);
  EXPECT_EQ(back.Words, s.Words);
  EXPECT_EQ(back.DirText, s.DirText);
  EXPECT_EQ(back.EditorPath, s.EditorPath);
}

}  // namespace
