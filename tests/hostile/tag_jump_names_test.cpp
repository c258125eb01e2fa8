// The tag jump with names that a shell would split, expand or choke on: the file goes to
// the editor as one argument, exactly its bytes, whatever the editor settings.
#include <gtest/gtest.h>

#include "shell/result_text.h"
#include "shell/tag_jump.h"

namespace {

using V = std::vector<std::string>;

const V kNames = {"/tmp/a b.txt",         "/tmp/  lead and trail  ",
                  "/tmp/quote\".txt",     "/tmp/\"",
                  "/tmp/\"\"\"",          "/tmp/it's.txt",
                  "/tmp/semi;colon.txt",  "/tmp/per%cent%s%%.txt",
                  "/tmp/dollar$HOME.txt", "/tmp/back`tick`.txt",
                  "/tmp/$(reboot).txt",   "/tmp/a|b&c>d<e.txt",
                  "/tmp/star*q?[br].txt", "/tmp/-n",
                  "/tmp/tab\t.txt",       "/tmp/bad\xFF\xFE.txt",
                  "/tmp/utf8日本.txt",    "/tmp/back\\slash\\",
                  "/tmp/colon:12:x.txt",  "/tmp/#hash"};

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
    const V view = {ResultText::FileHeader(path), ResultText::LineEntry(7, "text: with colons")};
    const auto target = TagJump::FindTarget(view, 1);
    ASSERT_TRUE(target.has_value()) << path;
    EXPECT_EQ(target->JumpLine, "7") << path;
    for (const TSettingsCase& s : settings) {
      const TTagJumpCommand c = TagJump::BuildCommand(s.EditorPath, s.JumpFormat, *target);
      V expected = s.Before;
      expected.push_back(path);
      EXPECT_EQ(c.Arguments, expected) << path << " with " << s.EditorPath;
      EXPECT_FALSE(c.Program.empty());
    }
  }
}

}  // namespace
