// What the walk learns of git's ignore rules: repositories found from any folder, the
// ignore files on the way down, the repository's and the user's excludes, nested
// repositories, and what cannot be read.
#include "platform/git_ignore.h"

#include <sys/stat.h>

#include <string>

#include <gtest/gtest.h>

#include "tests/support/environment_value.h"
#include "tests/support/temp_dir.h"

using namespace varsik;
using Platform::TGitIgnore;

namespace {

class GitIgnoreTest : public ::testing::Test {
 protected:
  // A repository of our own in "repo/"; the user's configuration is ours too.
  GitIgnoreTest() : Home("HOME", Dir.MakeDir("home")), Xdg("XDG_CONFIG_HOME", "") {
    Dir.Write("repo/.git/HEAD", "ref: refs/heads/main\n");
    Repo = Dir.Path() + "repo/";
  }
  bool Ignored(const std::string& folder, std::string_view name, bool isFolder = false) {
    Ignore.EnterFolder(folder);
    return Ignore.IsIgnored(name, isFolder);
  }

  TTempDir Dir;
  TEnvironmentValue Home;
  TEnvironmentValue Xdg;
  std::string Repo;
  TGitIgnore Ignore;
};

}  // namespace

TEST_F(GitIgnoreTest, OutsideAnyRepositoryNothingIsIgnored) {
  Dir.Write("plain/.gitignore", "*\n");
  EXPECT_FALSE(Ignored(Dir.Path() + "plain/", "a.txt"));
  EXPECT_FALSE(Ignored(Dir.Path() + "plain/", ".git", true));
}

TEST_F(GitIgnoreTest, TheNearerIgnoreFileDecidesFirst) {
  Dir.Write("repo/.gitignore", "*.log\n!keep.log\n/top.txt\n");
  Dir.Write("repo/sub/.gitignore", "keep.log\n");
  EXPECT_TRUE(Ignored(Repo, "a.log"));
  EXPECT_FALSE(Ignored(Repo, "keep.log"));
  EXPECT_TRUE(Ignored(Repo, "top.txt"));
  EXPECT_FALSE(Ignored(Repo, "sub", true));
  EXPECT_TRUE(Ignored(Repo + "sub/", "keep.log"));
  EXPECT_TRUE(Ignored(Repo + "sub/", "b.log"));
  EXPECT_FALSE(Ignored(Repo + "sub/", "top.txt"));
  // Back in the work tree after the sub-folder, and into the next one.
  EXPECT_FALSE(Ignored(Repo, "keep.log"));
  EXPECT_FALSE(Ignored(Repo + "other/", "keep.log"));
}

TEST_F(GitIgnoreTest, AFolderBelowTheWorkTreeKnowsTheRulesAbove) {
  Dir.Write("repo/.gitignore", "/a/b/x.txt\nbuild/\n");
  Dir.MakeDir("repo/a/b");
  Dir.MakeDir("repo/build/deep");
  EXPECT_TRUE(Ignored(Repo + "a/b/", "x.txt"));
  EXPECT_FALSE(Ignored(Repo + "a/b/", "y.txt"));
  // A search that starts inside an ignored folder finds everything there ignored.
  EXPECT_TRUE(Ignored(Repo + "build/deep/", "y.txt"));
  // The same folder named by a relative path.
  ASSERT_EQ(chdir(Repo.c_str()), 0);
  TGitIgnore relative;
  relative.EnterFolder("");
  EXPECT_TRUE(relative.IsIgnored("build", true));
  relative.EnterFolder("a/");
  relative.EnterFolder("a/b/");
  EXPECT_TRUE(relative.IsIgnored("x.txt", false));
  ASSERT_EQ(chdir("/"), 0);
}

TEST_F(GitIgnoreTest, ANestedRepositoryHasItsOwnRules) {
  Dir.Write("repo/.gitignore", "*.txt\n");
  Dir.Write("repo/inner/.git/HEAD", "ref: refs/heads/main\n");
  Dir.Write("repo/inner/.gitignore", "*.c\n");
  EXPECT_TRUE(Ignored(Repo, "a.txt"));
  EXPECT_FALSE(Ignored(Repo, "inner", true));
  EXPECT_FALSE(Ignored(Repo + "inner/", "a.txt"));
  EXPECT_TRUE(Ignored(Repo + "inner/", "a.c"));
  EXPECT_TRUE(Ignored(Repo + "inner/", ".git", true));
  EXPECT_TRUE(Ignored(Repo, "b.txt"));
}

TEST_F(GitIgnoreTest, TheRepositorysAndTheUsersExcludesCount) {
  Dir.Write("repo/.git/info/exclude", "*.tmp\n");
  Dir.Write("home/.config/git/ignore", "*.bak\n");
  EXPECT_TRUE(Ignored(Repo, "a.tmp"));
  EXPECT_TRUE(Ignored(Repo, "a.bak"));
  EXPECT_TRUE(Ignored(Repo, ".git", true));
  EXPECT_FALSE(Ignored(Repo, "a.txt"));
  // A .gitignore includes again what the excludes leave out.
  Dir.Write("repo/sub/.gitignore", "!a.tmp\n");
  EXPECT_FALSE(Ignored(Repo + "sub/", "a.tmp"));
}

TEST_F(GitIgnoreTest, TheConfigurationNamesTheExcludesFileAndTheCase) {
  Dir.Write("home/.gitconfig", "[core]\n\texcludesFile = ~/my-ignore\n");
  Dir.Write("home/my-ignore", "*.bak\n");
  Dir.Write("home/.config/git/ignore", "*.old\n");
  Dir.Write("repo/.gitignore", "*.LOG\n");
  EXPECT_TRUE(Ignored(Repo, "a.bak"));
  EXPECT_FALSE(Ignored(Repo, "a.old"));
  EXPECT_FALSE(Ignored(Repo, "a.log"));

  Dir.Write("repo/.git/config", "[Core] # the repository's own\n  IgnoreCase = \"true\"\n");
  TGitIgnore again;
  again.EnterFolder(Repo);
  EXPECT_TRUE(again.IsIgnored("a.log", false));
}

TEST_F(GitIgnoreTest, AWorktreeFindsItsGitFolderThroughItsDotGitFile) {
  Dir.Write("main.git/HEAD", "ref: refs/heads/main\n");
  Dir.Write("main.git/info/exclude", "*.tmp\n");
  Dir.Write("main.git/worktrees/wt/HEAD", "ref: refs/heads/wt\n");
  Dir.Write("main.git/worktrees/wt/commondir", "../..\n");
  Dir.Write("wt/.git", "gitdir: " + Dir.Path() + "main.git/worktrees/wt\n");
  Dir.Write("wt/.gitignore", "*.log\n");
  EXPECT_TRUE(Ignored(Dir.Path() + "wt/", "a.log"));
  EXPECT_TRUE(Ignored(Dir.Path() + "wt/", "a.tmp"));
}

TEST_F(GitIgnoreTest, ARepositoryThatCannotBeUsedIgnoresNothing) {
  Dir.Write("repo/.gitignore", "*.txt\n");
  Dir.Write("repo/broken/.git", "not a git folder\n");
  Dir.Write("repo/broken/.gitignore", "*.c\n");
  EXPECT_TRUE(Ignored(Repo, "a.txt"));
  EXPECT_FALSE(Ignored(Repo + "broken/", "a.txt"));
  EXPECT_FALSE(Ignored(Repo + "broken/", "a.c"));
  Dir.Write("other/.git/config", "");  // no HEAD: no repository
  EXPECT_FALSE(Ignored(Dir.Path() + "other/", "a.txt"));
}

// An ignore file that is a FIFO, or too large to be one, is no rules; the walk does not
// wait for it.
TEST_F(GitIgnoreTest, IgnoreFilesThatAreNoFilesAreNotRead) {
  Dir.MakeDir("repo/fifo");
  ASSERT_EQ(mkfifo((Repo + "fifo/.gitignore").c_str(), 0600), 0);
  ASSERT_EQ(mkfifo((Repo + ".git/info-exclude").c_str(), 0600), 0);
  Dir.MakeDir("repo/.git/info");
  ASSERT_EQ(mkfifo((Repo + ".git/info/exclude").c_str(), 0600), 0);
  EXPECT_FALSE(Ignored(Repo + "fifo/", "a.txt"));
  Dir.Write("repo/folder/.gitignore/x", "");
  EXPECT_FALSE(Ignored(Repo + "folder/", "x"));
}
