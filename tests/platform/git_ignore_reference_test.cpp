// The ignore rules against git's own, on generated .gitignore files and paths: git
// check-ignore judges each path in a repository that holds the generated file. The
// paths are files: check-ignore matches a folder's path with its trailing "/" as a
// string ("?/*" takes "c/"), where git's own walk does not.
#include <cstdlib>
#include <fstream>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/platform/git_ignore_test_support.h"
#include "tests/support/temp_dir.h"

using namespace varsik;
using Platform::TGitIgnoreRules;

namespace {

// The paths of `paths` that git ignores, as `git check-ignore` names them.
std::set<std::string> GitIgnores(const TTempDir& dir, const std::vector<std::string>& paths) {
  std::string list;
  for (const std::string& path : paths) list += path + "\n";
  dir.Write("paths", list);
  // The user's configuration and excludes file stay out of it.
  const std::string command = "cd '" + dir.Path() + "' && HOME='" + dir.Path() +
                              "' XDG_CONFIG_HOME= GIT_CONFIG_NOSYSTEM=1 git check-ignore "
                              "--no-index --stdin < paths > ignored";
  const int status = std::system(command.c_str());
  // 0: some are ignored, 1: none.
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) <= 1) << command;
  std::set<std::string> ignored;
  std::ifstream in(dir.Path() + "ignored");
  for (std::string line; std::getline(in, line);) ignored.insert(line);
  return ignored;
}

}  // namespace

TEST(GitIgnoreRules, AgreeWithGit) {
  TTempDir dir;
  ASSERT_EQ(std::system(("git init -q '" + dir.Path() + "'").c_str()), 0)
      << "git is needed as the reference";

  const std::vector<std::string> atoms{"a",    "b",  "ab", "*",  "?",   "[ab]",
                                       "[!a]", "**", "a*", "*b", "\\a", "[a-b]"};
  const std::vector<std::string> names{"a", "b", "ab", "ba", "aa", "abb", "c"};
  std::mt19937 random(16);
  const auto pick = [&](const std::vector<std::string>& from) {
    return from[random() % from.size()];
  };
  int compared = 0;
  for (int round = 0; round < 150; ++round) {
    std::string text;
    for (int line = 0, lines = 1 + random() % 4; line < lines; ++line) {
      std::string pattern = random() % 4 == 0 ? "!" : "";
      if (random() % 4 == 0) pattern += "/";
      for (int part = 0, parts = 1 + random() % 3; part < parts; ++part) {
        if (part > 0) pattern += "/";
        pattern += pick(atoms);
      }
      if (random() % 4 == 0) pattern += "/";
      text += pattern + "\n";
    }
    dir.Write(".gitignore", text);
    std::vector<std::string> paths;
    for (int p = 0; p < 40; ++p) {
      std::string path;
      for (int part = 0, parts = 1 + random() % 3; part < parts; ++part) {
        if (part > 0) path += "/";
        path += pick(names);
      }
      paths.push_back(path);
    }
    const std::set<std::string> ignored = GitIgnores(dir, paths);
    const TGitIgnoreRules rules(text);
    for (const std::string& path : paths) {
      EXPECT_EQ(WalkIgnores(rules, path), ignored.count(path) > 0) << "rules\n"
                                                                   << text << "path " << path;
      ++compared;
    }
  }
  EXPECT_EQ(compared, 6000);
}
