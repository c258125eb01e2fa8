// The tag jump with names that a shell would split, expand or choke on, and names that
// hold line ends or terminal escapes: the header stays one line, and the file goes to
// the editor as one argument, exactly its bytes, whatever the editor settings.
#include <gtest/gtest.h>

#include "shell/header_paths.h"
#include "shell/result_text.h"
#include "shell/tag_jump.h"

using namespace varsik;

namespace {

using V = std::vector<std::string>;

const V kNames = {"/tmp/a b.txt",
                  "/tmp/  lead and trail  ",
                  "/tmp/quote\".txt",
                  "/tmp/\"",
                  "/tmp/\"\"\"",
                  "/tmp/it's.txt",
                  "/tmp/semi;colon.txt",
                  "/tmp/per%cent%s%%.txt",
                  "/tmp/dollar$HOME.txt",
                  "/tmp/back`tick`.txt",
                  "/tmp/$(reboot).txt",
                  "/tmp/a|b&c>d<e.txt",
                  "/tmp/star*q?[br].txt",
                  "/tmp/-n",
                  "/tmp/tab\t.txt",
                  "/tmp/bad\xFF\xFE.txt",
                  "/tmp/utf8日本.txt",
                  "/tmp/sjis\x93\xfa\x96\x7b.txt",
                  "/tmp/back\\slash\\",
                  "/tmp/colon:12:x.txt",
                  "/tmp/#hash",
                  "/tmp/x\n :99: fake line\n#\"injected.txt",
                  "/tmp/cr\r :1: x\r#\"/etc/passwd",
                  "/tmp/esc\x1b]0;pwned\x07\x1b[2J.txt",
                  "/tmp/c1\xc2\x9b"
                  "31m.txt",
                  "/tmp/del\x7f.txt"};

struct TSettingsCase {
  std::string EditorPath;
  std::string JumpFormat;
  V Before;  // the arguments before the file
};

TEST(HostileNames, TheTagJumpPassesTheFileAsOneArgument) {
  const std::vector<TSettingsCase> settings = {
      {"xdg-open", "", {}},
      {"/usr/bin/gedit", "+", {"+7"}},
      {"\"/opt/My Editor/ed\"", "--line ", {"--line", "7"}},
  };
  for (const std::string& path : kNames) {
    THeaderPaths headers;
    const std::string header = headers.Header(path);
    EXPECT_EQ(header.find_first_of("\n\r\x1b\x7f"), std::string::npos) << path;
    const V view = {header, ResultText::LineEntry(7, "text: with colons")};
    const auto pathOf = [&](std::string_view fileName) { return headers.PathOf(fileName); };
    const auto target = TagJump::FindTarget(view, 1, pathOf);
    ASSERT_TRUE(target.has_value()) << path;
    EXPECT_EQ(target->JumpLine, "7") << path;
    EXPECT_EQ(target->Path, path);
    for (const TSettingsCase& s : settings) {
      const TTagJumpCommand c = TagJump::BuildCommand(s.EditorPath, s.JumpFormat, *target);
      V expected = s.Before;
      expected.push_back(path);
      EXPECT_EQ(c.Arguments, expected) << path << " with " << s.EditorPath;
      EXPECT_FALSE(c.Program.empty());
    }
  }
}

// A file's line and its name cannot make a line that names another file or passes an
// option: the view holds the attacker's genuine hit under a header that is one line,
// and what the name pretends to be is no header of this search.
TEST(HostileNames, ANameCannotForgeAHeaderOrAJumpLine) {
  const std::string name = "/tmp/n/x\n :99: fake line\n#\"injected.txt";
  THeaderPaths headers;
  const V view = {headers.Header(name), ResultText::LineEntry(1, "needle"),
                  ResultText::LineEntry(2, "+:!touch PWNED1")};
  const auto pathOf = [&](std::string_view fileName) { return headers.PathOf(fileName); };
  EXPECT_EQ(view[0], "#\"/tmp/n/x\\n :99: fake line\\n#\"injected.txt\"");
  const auto hit = TagJump::FindTarget(view, 1, pathOf);
  ASSERT_TRUE(hit.has_value());
  EXPECT_EQ(hit->Path, name);
  EXPECT_EQ(TagJump::BuildCommand("vim", "+", *hit).Arguments, (V{"+1", name}));
  // Edited or typed lines: an entry with no number, a header of no searched file.
  EXPECT_FALSE(TagJump::FindTarget(V{view[0], " :+:!touch PWNED1: x"}, 1, pathOf).has_value());
  EXPECT_FALSE(TagJump::FindTarget(V{"#\"injected.txt\"", " :1: x"}, 1, pathOf).has_value());
  EXPECT_FALSE(TagJump::FindTarget(V{"#\"/etc/passwd\"", " :1: x"}, 1, pathOf).has_value());
}

}  // namespace
