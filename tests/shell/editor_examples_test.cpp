// The editor settings that varsik(1) gives as examples, as a user would copy them into
// Varsik.ini: each starts its editor with the line and the file as that editor takes
// them, whatever the file's name holds.
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "shell/settings.h"
#include "shell/tag_jump.h"
#include "tests/support/temp_dir.h"

using namespace varsik;

namespace {

using V = std::vector<std::string>;

// The command a jump to line 12 of `path` starts, with the [Editor] section `editor`.
V JumpCommand(const TTempDir& dir, const std::string& editor, const std::string& path) {
  const TSettings settings = ReadSettings(dir.Write("Varsik.ini", "[Editor]\n" + editor));
  const TTagJumpCommand c = TagJump::BuildCommand(settings.EditorPath, settings.JumpFormat,
                                                  {"12", '"' + path + '"', path});
  V argv{c.Program};
  argv.insert(argv.end(), c.Arguments.begin(), c.Arguments.end());
  return argv;
}

// Runs `argv` with `folder` first on PATH; what the program there named `code` was given.
V RunWithStandIn(const TTempDir& dir, const V& argv) {
  dir.Write("bin/code", "#!/bin/sh\nfor a; do printf '%s\\0' \"$a\"; done > \"$0.args\"\n");
  const std::string bin = dir.Path() + "bin";
  EXPECT_EQ(chmod((bin + "/code").c_str(), 0755), 0);
  const pid_t pid = fork();
  if (pid == 0) {
    setenv("PATH", (bin + ":" + std::getenv("PATH")).c_str(), 1);
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  EXPECT_EQ(status, 0);
  std::ifstream in(bin + "/code.args", std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  V given;
  for (size_t start = 0, end; (end = bytes.find('\0', start)) != std::string::npos; start = end + 1)
    given.push_back(bytes.substr(start, end - start));
  return given;
}

const std::string kFile = "/home/u/my src/a*b $(x) 'q'.c";

}  // namespace

TEST(EditorExamples, VimAndEmacsTakePlusLine) {
  TTempDir dir;
  EXPECT_EQ(JumpCommand(dir, "Path=gvim\nJumpFormat=+\n", kFile), (V{"gvim", "+12", kFile}));
  EXPECT_EQ(JumpCommand(dir, "Path=x-terminal-emulator -e vim\nJumpFormat=+\n", kFile),
            (V{"x-terminal-emulator", "-e", "vim", "+12", kFile}));
  EXPECT_EQ(JumpCommand(dir, "Path=emacs\nJumpFormat=+\n", kFile), (V{"emacs", "+12", kFile}));
}

TEST(EditorExamples, KateTakesTheLineAfterMinusL) {
  TTempDir dir;
  // The quotes keep the blank behind -l.
  EXPECT_EQ(JumpCommand(dir, "Path=kate\nJumpFormat=\"-l \"\n", kFile),
            (V{"kate", "-l", "12", kFile}));
}

TEST(EditorExamples, VsCodeTakesFileColonLineThroughTheShell) {
  TTempDir dir;
  const V argv = JumpCommand(
      dir, "Path=sh -c \"set -f; IFS=; exec code -g $1:${0#L}\"\nJumpFormat=L\n", kFile);
  EXPECT_EQ(argv, (V{"sh", "-c", "set -f; IFS=; exec code -g $1:${0#L}", "L12", kFile}));
  EXPECT_EQ(RunWithStandIn(dir, argv), (V{"-g", kFile + ":12"}));
}
