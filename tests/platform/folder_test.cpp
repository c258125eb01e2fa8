#include "platform/folder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <map>

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"

using namespace varsik;

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

TEST(ListFolder, NamesAlikeInTheirFirstBytesSortAsAWholeNameComparison) {
  // Names that share long prefixes, differ in case only, run past eight bytes or stop
  // short of them, and hold bytes above 7F (UTF-8 and Shift JIS names).
  TTempDir dir;
  std::vector<std::string> names;
  const std::string alphabet = "aAbB._z\xE3\x81\x82\xFF";
  uint32_t seed = 7;
  while (names.size() < 300) {
    seed = seed * 1103515245 + 12345;
    std::string name = (seed >> 8) % 3 == 0 ? "abcdefgh" : "ab";
    for (uint32_t n = (seed >> 12) % 6; n > 0; --n) {
      seed = seed * 1103515245 + 12345;
      name += alphabet[(seed >> 16) % alphabet.size()];
    }
    if (name == "." || name == ".." || std::find(names.begin(), names.end(), name) != names.end())
      continue;
    names.push_back(name);
    dir.Write(name, "x");
  }
  const auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; };
  std::sort(names.begin(), names.end(), [&](const std::string& a, const std::string& b) {
    const bool folded =
        std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [&](char x, char y) {
          return lower(static_cast<unsigned char>(x)) < lower(static_cast<unsigned char>(y));
        });
    const bool foldedBack =
        std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(), [&](char x, char y) {
          return lower(static_cast<unsigned char>(x)) < lower(static_cast<unsigned char>(y));
        });
    if (folded != foldedBack) return folded;
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
      return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
    });
  });
  EXPECT_EQ(Names(ListFolder(dir.Path(), "*.*")), names);
}

TEST(ListFolder, KindsOfEntries) {
  TTempDir dir;
  dir.Write("file.txt", "x");
  dir.MakeDir("sub");
  ASSERT_EQ(symlink("file.txt", (dir.Path() + "tofile").c_str()), 0);
  ASSERT_EQ(symlink("sub", (dir.Path() + "todir").c_str()), 0);
  ASSERT_EQ(symlink("missing", (dir.Path() + "dangling").c_str()), 0);
  ASSERT_EQ(symlink("loop", (dir.Path() + "loop").c_str()), 0);
  ASSERT_EQ(mkfifo((dir.Path() + "fifo").c_str(), 0600), 0);
  ASSERT_EQ(symlink("/dev/null", (dir.Path() + "device").c_str()), 0);
  ASSERT_EQ(symlink("/proc/self/pagemap", (dir.Path() + "pagemap").c_str()), 0);
  ASSERT_EQ(symlink("/sys/kernel/uevent_seqnum", (dir.Path() + "sysfs").c_str()), 0);
  std::map<std::string, TEntryKind> kinds;
  for (const auto& e : ListFolder(dir.Path(), "*.*")) kinds[e.Name] = e.Kind;
  EXPECT_EQ(kinds["file.txt"], TEntryKind::File);
  EXPECT_EQ(kinds["sub"], TEntryKind::Directory);
  EXPECT_EQ(kinds["tofile"], TEntryKind::File);
  EXPECT_EQ(kinds["todir"], TEntryKind::Other);
  // Links that lead nowhere are taken up, to be reported as files that cannot be opened.
  EXPECT_EQ(kinds["dangling"], TEntryKind::File);
  EXPECT_EQ(kinds["loop"], TEntryKind::File);
  EXPECT_EQ(kinds["fifo"], TEntryKind::Other);
  EXPECT_EQ(kinds["device"], TEntryKind::Other);
  // Regular files of the kernel's making, whose reads need not end.
  EXPECT_EQ(kinds["pagemap"], TEntryKind::Other);
  EXPECT_EQ(kinds["sysfs"], TEntryKind::Other);
  EXPECT_EQ(kinds.size(), 10u);
}

TEST(ListFolder, MissingOrUnreadableFolderGivesNothing) {
  TTempDir dir;
  EXPECT_TRUE(ListFolder(dir.Path() + "missing/", "*.*").empty());
  EXPECT_TRUE(ListFolder(dir.Path(), "").empty());
}

TEST(FolderListing, SaysWhyAFolderCouldNotBeRead) {
  TTempDir dir;
  dir.Write("file.txt", "x");
  EXPECT_EQ(Platform::TFolderListing(dir.Path()).Error(), 0);
  EXPECT_EQ(Platform::TFolderListing(dir.Path() + "missing/").Error(), ENOENT);
  EXPECT_EQ(Platform::TFolderListing(dir.Path() + "file.txt/").Error(), ENOTDIR);
  EXPECT_EQ(Platform::TFolderListing("/" + std::string(5000, 'x') + "/").Error(), ENAMETOOLONG);
}

// The kernel's own folders are passed over whole, as a device is: nothing in them is
// listed or descended into, and that is no failure.
TEST(FolderListing, PseudoFileSystemsHoldNothingToSearch) {
  for (const char* folder : {"/proc/", "/proc/self/", "/sys/", "/sys/kernel/"}) {
    const Platform::TFolderListing listing(folder);
    EXPECT_TRUE(listing.Matching("*.*").empty()) << folder;
    EXPECT_TRUE(listing.SubFolders().empty()) << folder;
    EXPECT_EQ(listing.Error(), 0) << folder;
  }
}

TEST(FolderPaths, FolderPartAndTrailingSlash) {
  EXPECT_EQ(Platform::FolderPart("/home/u/src/"), "/home/u/src/");
  EXPECT_EQ(Platform::FolderPart("/home/u/src"), "/home/u/");
  EXPECT_EQ(Platform::FolderPart("src"), "");
  EXPECT_EQ(Platform::WithTrailingSlash("/a"), "/a/");
  EXPECT_EQ(Platform::WithTrailingSlash("/a/"), "/a/");
  EXPECT_EQ(Platform::HomeFolder().back(), '/');
}

TEST(FolderPaths, AbsolutePathIsBehindTheCurrentFolder) {
  char* current = getcwd(nullptr, 0);
  ASSERT_NE(current, nullptr);
  const std::string here = Platform::WithTrailingSlash(current);
  free(current);
  EXPECT_EQ(Platform::AbsolutePath("/a/b"), "/a/b");
  EXPECT_EQ(Platform::AbsolutePath("src/"), here + "src/");
  EXPECT_EQ(Platform::AbsolutePath("-n"), here + "-n");
  EXPECT_EQ(Platform::AbsolutePath(""), here);
}
