// The patterns of one ignore file, a table of git's rules.
#include "platform/git_ignore_rules.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/platform/git_ignore_test_support.h"

using namespace varsik;
using Platform::TGitIgnoreRules;
using TVerdict = TGitIgnoreRules::TVerdict;

namespace {

struct TCase {
  const char* Rules;
  const char* Path;
  bool Ignored;
};

const TCase kCases[] = {
    // Names at any depth, anchored paths, folders only.
    {"*.log", "a.log", true},
    {"*.log", "d/e/a.log", true},
    {"*.log", "a.log.txt", false},
    {"/a.log", "d/a.log", false},
    {"/a.log", "a.log", true},
    {"d/a.log", "d/a.log", true},
    {"d/a.log", "x/d/a.log", false},
    {"build/", "build", false},
    {"build/", "build/", true},
    {"build/", "src/build/", true},
    {"build/", "src/build/x.c", true},
    {"src/build/", "build/", false},
    // The last pattern that matches decides; "!" includes again, but not inside an
    // ignored folder.
    {"*.log\n!keep.log", "keep.log", false},
    {"!keep.log\n*.log", "keep.log", true},
    {"d/\n!d/keep.log", "d/keep.log", true},
    {"d/*\n!d/keep.log", "d/keep.log", false},
    // Wildcards: "*" and "?" stay within a name, "**" crosses folders.
    {"a*", "ab/c", true},
    {"a/*", "a/b/c", true},
    {"a/*/c", "a/b/x/c", false},
    {"a/**/c", "a/c", true},
    {"a/**/c", "a/b/x/c", true},
    {"**/c", "c", true},
    {"**/c", "a/b/c", true},
    {"a/**", "a", false},
    {"a/**", "a/", false},
    {"a/**", "a/b", true},
    {"a?c", "abc", true},
    {"a?c", "a/c", false},
    {"a[bc]d", "acd", true},
    {"a[!bc]d", "acd", false},
    {"a[^bc]d", "axd", true},
    {"a[b-d]e", "ace", true},
    {"a[]]b", "a]b", true},
    {"a[[:digit:]]b", "a7b", true},
    {"a[b", "a[b", false},
    {"*.LOG", "a.log", false},
    // Escapes, comments, blanks and line ends.
    {"\\#a", "#a", true},
    {"#a", "#a", false},
    {"\\!a", "!a", true},
    {"a\\*", "ab", false},
    {"a\\*", "a*", true},
    {"a  ", "a", true},
    {"a\\ ", "a ", true},
    {"x\r\na.log\r\n", "a.log", true},
    {"\xEF\xBB\xBF"
     "a.log",
     "a.log", true},
    {"\n\n", "a", false},
    {"/", "a", false},
};

}  // namespace

TEST(GitIgnoreRules, FollowGitsRules) {
  for (const TCase& c : kCases)
    EXPECT_EQ(WalkIgnores(TGitIgnoreRules(c.Rules), c.Path), c.Ignored)
        << "rules " << c.Rules << "  path " << c.Path;
}

TEST(GitIgnoreRules, FoldCaseWhenAsked) {
  const TGitIgnoreRules rules("*.LOG\nBuild/\na[B-C]d\n");
  EXPECT_TRUE(WalkIgnores(rules, "x.log", true));
  EXPECT_TRUE(WalkIgnores(rules, "build/", true));
  EXPECT_TRUE(WalkIgnores(rules, "abd", true));
  EXPECT_FALSE(WalkIgnores(rules, "x.log", false));
}

TEST(GitIgnoreRules, NoPatternsDecideNothing) {
  const std::vector<std::string_view> path{"a"};
  EXPECT_EQ(TGitIgnoreRules("").Match(path, false, false), TVerdict::None);
  EXPECT_EQ(TGitIgnoreRules("# only\n\n").Match(path, false, false), TVerdict::None);
  EXPECT_EQ(TGitIgnoreRules("b\n").Match(path, false, false), TVerdict::None);
  EXPECT_EQ(TGitIgnoreRules("!a\n").Match(path, false, false), TVerdict::Included);
}

// A pattern made to make a backtracking matcher take exponential time.
TEST(GitIgnoreRules, HostilePatternsEnd) {
  const std::string pattern =
      "a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*b\n**/**/**/**/**/**/**/**/x/y\n";
  const TGitIgnoreRules rules(pattern);
  std::string name(5000, 'a');
  std::string path;
  for (int i = 0; i < 40; ++i) path += "d/";
  EXPECT_FALSE(WalkIgnores(rules, name));
  EXPECT_FALSE(WalkIgnores(rules, path + "x"));
}
