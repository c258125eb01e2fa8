// The tag jump: the target read back out of the results view's lines, the command
// template, our formatter and the command split into program and arguments.
#include "shell/tag_jump.h"

#include <gtest/gtest.h>

using namespace varsik;

namespace {

using V = std::vector<std::string>;

// Stands in for the headers a search wrote: each quoted header text is the path it
// shows.
std::optional<std::string> Unquoted(std::string_view fileName) {
  if (fileName.size() >= 2 && fileName.front() == '"' && fileName.back() == '"')
    return std::string(fileName.substr(1, fileName.size() - 2));
  return std::string(fileName);
}

std::optional<TTagJumpTarget> Target(const V& lines, int caret) {
  return TagJump::FindTarget(lines, caret, Unquoted);
}

void ExpectTarget(const V& lines, int caret, const std::string& jumpLine,
                  const std::string& fileName) {
  auto t = Target(lines, caret);
  ASSERT_TRUE(t.has_value()) << "caret " << caret;
  EXPECT_EQ(t->JumpLine, jumpLine) << "caret " << caret;
  EXPECT_EQ(t->FileName, fileName) << "caret " << caret;
  EXPECT_EQ(t->Path, Unquoted(fileName)) << "caret " << caret;
}

TTagJumpTarget At(const std::string& jumpLine, const std::string& fileName) {
  return {jumpLine, fileName, *Unquoted(fileName)};
}

}  // namespace

TEST(TagJumpTarget, EntriesUseTheNearestHeaderAbove) {
  const V view = {"#\"/a/x.c\"", " :3: foo", " :9: bar", "#\"/b/y.c\"", " :1: baz"};
  ExpectTarget(view, 2, "9", "\"/a/x.c\"");
  ExpectTarget(view, 1, "3", "\"/a/x.c\"");
  ExpectTarget(view, 4, "1", "\"/b/y.c\"");
}

// Only digits go to the editor's line switch: an entry edited (or a name made) to carry
// anything else, such as vim's "+:!cmd", jumps nowhere, as a line without a number does.
TEST(TagJumpTarget, TheJumpLineIsDigitsOnly) {
  ExpectTarget({"#\"/a\"", " :12: a:b:c"}, 1, "12", "\"/a\"");
  ExpectTarget({"#\"/a\"", "x:7:"}, 1, "7", "\"/a\"");
  ExpectTarget({"#\"/a\"", " :0042: x"}, 1, "0042", "\"/a\"");
  ExpectTarget({"#\"/a\"", " :9223372036854775807: x"}, 1, "9223372036854775807", "\"/a\"");
  for (const char* line : {" :abc: foo", " : 1 2 : foo", "::", " :+:!touch PWNED: x", " :1 :x",
                           " :-1: x", " :１２: x", " :1\t: x"})
    EXPECT_FALSE(Target({"#\"/a\"", line}, 1).has_value()) << line;
}

TEST(TagJumpTarget, LinesWithoutTwoColonsDoNothing) {
  for (const char* line : {" :12 foo", "foo", "", " 12: foo", ":"})
    EXPECT_FALSE(Target({"#\"/a\"", line}, 1).has_value()) << line;
}

TEST(TagJumpTarget, HeadersAndUnreadableFileLinesDoNothing) {
  EXPECT_FALSE(Target({"#\"/a/x.c\""}, 0).has_value());
  EXPECT_FALSE(Target({"#\"/a:b:c.txt\""}, 0).has_value());
  EXPECT_FALSE(
      Target({"#\"/a\"", " :1: x", "\"ファイル /m:n:o は開けませんでした。\""}, 2).has_value());
}

TEST(TagJumpTarget, NoHeaderAboveDoesNothing) {
  EXPECT_FALSE(Target({" :3: foo", " :9: bar"}, 1).has_value());
  EXPECT_FALSE(Target({" :3: foo", "#\"/below\""}, 0).has_value());
  EXPECT_FALSE(Target({" #\"/indented\"", " :3: foo"}, 1).has_value());
}

TEST(TagJumpTarget, EmptyLinesArePassedOver) {
  ExpectTarget({"#\"/a\"", "", " :1: x", "", "", " :2: y"}, 5, "2", "\"/a\"");
  EXPECT_FALSE(Target({"#\"/a\"", "", " :1: x"}, 1).has_value());
}

TEST(TagJumpTarget, CaretOutsideTheViewDoesNothing) {
  EXPECT_FALSE(Target({}, 0).has_value());
  EXPECT_FALSE(Target({"#\"/a\"", " :1: x"}, 2).has_value());
  EXPECT_FALSE(Target({"#\"/a\"", " :1: x"}, -1).has_value());
}

TEST(TagJumpTarget, LineEndsFromTheViewAreIgnored) {
  const V view = {"#\"/a b\"\r\n", " :5: x\n"};
  auto t = TagJump::FindTarget([&](int i) { return view[i]; }, 2, 1, Unquoted);
  ASSERT_TRUE(t.has_value());
  EXPECT_EQ(t->JumpLine, "5");
  EXPECT_EQ(t->FileName, "\"/a b\"");
  EXPECT_EQ(t->Path, "/a b");
}

// The path comes from whoever knows the headers the search wrote, asked with exactly the
// text after the "#"; the view's text never becomes a path of itself.
TEST(TagJumpTarget, ThePathIsAskedForTheHeaderAsShown) {
  std::vector<std::string> asked;
  const auto known = [&](std::string_view fileName) -> std::optional<std::string> {
    asked.emplace_back(fileName);
    if (fileName == "\"/shown\"") return std::string("/real\n\xFF");
    return std::nullopt;
  };
  auto t = TagJump::FindTarget(V{"#\"/shown\"", " :3: x"}, 1, known);
  ASSERT_TRUE(t.has_value());
  EXPECT_EQ(t->Path, "/real\n\xFF");
  EXPECT_EQ(t->FileName, "\"/shown\"");
  EXPECT_FALSE(TagJump::FindTarget(V{"#\"/typed\"", " :3: x"}, 1, known).has_value());
  EXPECT_FALSE(TagJump::FindTarget(V{"#/unquoted name", " :1: x"}, 1, known).has_value());
  EXPECT_EQ(asked, (V{"\"/shown\"", "\"/typed\"", "/unquoted name"}));
}

// The file argument is always absolute, so that an editor can never take it for one of
// its options ("-c", "+cmd").
TEST(TagJumpTarget, OnlyAbsolutePathsAreJumpedTo) {
  ExpectTarget({"#/unquoted name", " :1: x"}, 1, "1", "/unquoted name");
  for (const char* header : {"#", "#\"\"", "#\"-c\"", "#\"+:!touch PWNED\"", "#\"rel/a.c\""})
    EXPECT_FALSE(Target({header, " :1: x"}, 1).has_value()) << header;
}

// Given where the header above is, only the entry and that header are read: the
// lines between are never asked for, however many there are.
TEST(TagJumpTarget, AFoundHeaderIsReadWithoutTheLinesBetween) {
  constexpr int kLines = 5'000'000;
  std::vector<int> read;
  const auto lineAt = [&](int i) -> std::string {
    read.push_back(i);
    return i == 7 ? "#\"/a/x.c\"" : " :" + std::to_string(i) + ": text";
  };
  const auto headerAt7 = [](int line) { return line >= 7 ? 7 : -1; };
  auto t = TagJump::FindTarget(lineAt, kLines, kLines - 1, headerAt7, Unquoted);
  ASSERT_TRUE(t.has_value());
  EXPECT_EQ(t->JumpLine, std::to_string(kLines - 1));
  EXPECT_EQ(t->Path, "/a/x.c");
  EXPECT_EQ(read, (std::vector<int>{kLines - 1, 7}));

  // No header above, or one that is not (the finder is not trusted): nothing.
  EXPECT_FALSE(TagJump::FindTarget(lineAt, kLines, 5, headerAt7, Unquoted).has_value());
  const auto notAHeader = [](int) { return 3; };
  EXPECT_FALSE(TagJump::FindTarget(lineAt, kLines, 9, notAHeader, Unquoted).has_value());
  const auto below = [](int line) { return line + 1; };
  EXPECT_FALSE(TagJump::FindTarget(lineAt, kLines, 6, below, Unquoted).has_value());
}

TEST(TagJumpCommand, TemplateFromTheSettings) {
  EXPECT_EQ(TagJump::CommandTemplate("xdg-open", ""), "xdg-open %s");
  EXPECT_EQ(TagJump::CommandTemplate("/usr/bin/ed", "-n"), "/usr/bin/ed -n%s %s");
  EXPECT_EQ(TagJump::CommandTemplate("vim", "+"), "vim +%s %s");
  EXPECT_EQ(TagJump::CommandTemplate("", ""), " %s");
}

TEST(TagJumpCommand, WithoutJumpFormatOnlyTheFileIsPassed) {
  auto c = TagJump::BuildCommand("Notepad", "", At("12", "\"/src/main.c\""));
  EXPECT_EQ(c.Template, "Notepad %s");
  EXPECT_EQ(c.CommandLine, "Notepad \"/src/main.c\"");
  EXPECT_EQ(c.Program, "Notepad");
  EXPECT_EQ(c.Arguments, (V{"/src/main.c"}));
}

TEST(TagJumpCommand, JumpFormatStandsRightBeforeTheLine) {
  auto c = TagJump::BuildCommand("/usr/bin/gedit", "+", At("12", "\"/src/main.c\""));
  EXPECT_EQ(c.CommandLine, "/usr/bin/gedit +12 \"/src/main.c\"");
  EXPECT_EQ(c.Program, "/usr/bin/gedit");
  EXPECT_EQ(c.Arguments, (V{"+12", "/src/main.c"}));

  c = TagJump::BuildCommand("kate", "--line ", At("7", "\"/x\""));
  EXPECT_EQ(c.CommandLine, "kate --line 7 \"/x\"");
  EXPECT_EQ(c.Arguments, (V{"--line", "7", "/x"}));
}

TEST(TagJumpCommand, ValuesAreNeverSplitOrUnquoted) {
  auto c = TagJump::BuildCommand("ed", "-n", At(" 1 2", "\"/my dir/a\"b.txt\""));
  EXPECT_EQ(c.CommandLine, "ed -n 1 2 \"/my dir/a\"b.txt\"");
  EXPECT_EQ(c.Program, "ed");
  EXPECT_EQ(c.Arguments, (V{"-n 1 2", "/my dir/a\"b.txt"}));

  c = TagJump::BuildCommand("ed", "", At("", "\"/%s%%\""));
  EXPECT_EQ(c.CommandLine, "ed \"/%s%%\"");
  EXPECT_EQ(c.Arguments, (V{"/%s%%"}));
}

// The settings' own text splits as QProcess::splitCommand splits it.
TEST(TagJumpCommand, SettingsTextSplitsLikeACommandLine) {
  auto c = TagJump::BuildCommand("\"/opt/My Editor/ed\"", "", At("1", "\"/f\""));
  EXPECT_EQ(c.Program, "/opt/My Editor/ed");
  EXPECT_EQ(c.Arguments, (V{"/f"}));

  c = TagJump::BuildCommand("ed  --a\t\"\"\"q\"\"\" \"\"", "", At("1", "\"/f\""));
  EXPECT_EQ(c.Program, "ed");
  EXPECT_EQ(c.Arguments, (V{"--a", "\"q\"", "/f"}));

  c = TagJump::BuildCommand("ed", "--pos=\"a b\":", At("3", "\"/f\""));
  EXPECT_EQ(c.CommandLine, "ed --pos=\"a b\":3 \"/f\"");
  EXPECT_EQ(c.Arguments, (V{"--pos=a b:3", "/f"}));

  c = TagJump::BuildCommand("", "", At("1", "\"\""));
  EXPECT_EQ(c.Program, "");
  EXPECT_TRUE(c.Arguments.empty());
}

TEST(TagJumpFormat, PercentInTheSettingsIsADirective) {
  EXPECT_EQ(TagJump::FormatCommand("/opt/100%%/ed %s", {"\"/f\""}), "/opt/100%/ed \"/f\"");
  EXPECT_EQ(TagJump::FormatCommand("%s%%%s", {"a", "b"}), "a%b");
  EXPECT_EQ(TagJump::FormatCommand("%S", {"a"}), "a");
  // Values left over are ignored, as the general formatter does.
  EXPECT_EQ(TagJump::FormatCommand("ed %%s %s", {"12", "\"/f\""}), "ed %s 12");
  auto c = TagJump::BuildCommand("ed", "%", At("12", "\"/f\""));
  EXPECT_EQ(c.CommandLine, "ed %s 12");
  EXPECT_EQ(c.Arguments, (V{"%s", "12"}));
}

TEST(TagJumpFormat, OtherDirectivesAndMissingValuesFailClearly) {
  struct TCase {
    std::string EditorPath, JumpFormat, InMessage;
  };
  const TCase cases[] = {
      {"ed %d", "", "\"%d\""}, {"ed", "-n%5", "\"%5\""},  {"ed%", "", "\"% \""},
      {"ed", "%-", "\"%-\""},  {"ed %あ", "", "\"%あ\""}, {"ed %s", "", "%s"},
      {"ed", "+%s", "%s"},
  };
  for (const TCase& c : cases) {
    try {
      TagJump::BuildCommand(c.EditorPath, c.JumpFormat, At("1", "\"/f\""));
      ADD_FAILURE() << "no error for " << c.EditorPath << " / " << c.JumpFormat;
    } catch (const ETagJumpFormat& e) {
      const std::string message = e.what();
      EXPECT_NE(message.find(c.InMessage), std::string::npos) << message;
      EXPECT_NE(message.find(TagJump::CommandTemplate(c.EditorPath, c.JumpFormat)),
                std::string::npos)
          << message;
    }
  }
  EXPECT_THROW(TagJump::FormatCommand("ed %", {"a"}), ETagJumpFormat);
  EXPECT_THROW(TagJump::FormatCommand("%s %s", {"a"}), ETagJumpFormat);
  EXPECT_THROW(TagJump::FormatCommand("%s", {}), ETagJumpFormat);
}

TEST(TagJumpFormat, TheErrorIsOneOfOurs) {
  EXPECT_THROW(TagJump::FormatCommand("%x", {}), EVarsikError);
}
