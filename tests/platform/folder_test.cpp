#include "platform/folder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"

using Platform::ListFolder;
using Platform::TEntryKind;

namespace {

std::vector<std::string> Names(const std::vector<Platform::TFolderEntry>& entries) {
  std::vector<std::string> names;
  for (const auto& e : entries) names.push_back(e.Name);
  return names;
}

}  // namespace

TEST(ListFolder, SortedRegardlessOfCaseWithTiesByBytes) {
  TTempDir dir;
  for (const char* n : {"b.txt", "A.txt", "a.txt", "C.c", ".hidden"}) dir.Write(n, "x");
  EXPECT_EQ(Names(ListFolder(dir.Path(), "*.*")),
            (std::vector<std::string>{".hidden", "A.txt", "a.txt", "b.txt", "C.c"}));
  EXPECT_EQ(Names(ListFolder(dir.Path(), "*.TXT")),
            (std::vector<std::string>{"A.txt", "a.txt", "b.txt"}));
}

TEST(ListFolder, KindsOfEntries) {
  TTempDir dir;
  dir.Write("file.txt", "x");
  dir.MakeDir("sub");
  ASSERT_EQ(symlink("file.txt", (dir.Path() + "tofile").c_str()), 0);
  ASSERT_EQ(symlink("sub", (dir.Path() + "todir").c_str()), 0);
  ASSERT_EQ(symlink("missing", (dir.Path() + "dangling").c_str()), 0);
  ASSERT_EQ(mkfifo((dir.Path() + "fifo").c_str(), 0600), 0);
  std::map<std::string, TEntryKind> kinds;
  for (const auto& e : ListFolder(dir.Path(), "*.*")) kinds[e.Name] = e.Kind;
  EXPECT_EQ(kinds["file.txt"], TEntryKind::File);
  EXPECT_EQ(kinds["sub"], TEntryKind::Directory);
  EXPECT_EQ(kinds["tofile"], TEntryKind::File);
  EXPECT_EQ(kinds["todir"], TEntryKind::Other);
  EXPECT_EQ(kinds["dangling"], TEntryKind::Other);
  EXPECT_EQ(kinds["fifo"], TEntryKind::Other);
  EXPECT_EQ(kinds.size(), 6u);
}

TEST(ListFolder, MissingOrUnreadableFolderGivesNothing) {
  TTempDir dir;
  EXPECT_TRUE(ListFolder(dir.Path() + "missing/", "*.*").empty());
  EXPECT_TRUE(ListFolder(dir.Path(), "").empty());
}

TEST(FolderPaths, FolderPartAndTrailingSlash) {
  EXPECT_EQ(Platform::FolderPart("/home/u/src/"), "/home/u/src/");
  EXPECT_EQ(Platform::FolderPart("/home/u/src"), "/home/u/");
  EXPECT_EQ(Platform::FolderPart("src"), "");
  EXPECT_EQ(Platform::WithTrailingSlash("/a"), "/a/");
  EXPECT_EQ(Platform::WithTrailingSlash("/a/"), "/a/");
  EXPECT_EQ(Platform::HomeFolder().back(), '/');
}
