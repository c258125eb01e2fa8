// Hostile trees and files through the search driver: unreadable folders and files, files
// that vanish, shrink, grow or turn into something else while the walk takes them up,
// deep trees, link loops, FIFOs and devices, and names no shell would take unquoted.
// Each must end with a clear result: its hits, an unreadable-file line, or nothing.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "shell/result_text.h"
#include "tests/hostile/hostile_support.h"
#include "tests/support/temp_dir.h"

using namespace varsik;

namespace {

using Hostile::Options;
using Hostile::Search;
using Hostile::TOutcome;
using Hostile::TRaceSink;
using Hostile::V;
using ResultText::FileHeader;
using ResultText::LineEntry;
using ResultText::UnreadableLine;

// Plain mode and regular-expression mode must agree on these files.
constexpr bool kModes[] = {false, true};

std::string ModeName(bool regex) {
  return regex ? "regex" : "plain";
}

// ---- Unreadable folders and files ------------------------------------------------------

TEST(HostileTree, UnreadableFolderAndFileDoNotStopTheWalk) {
  TTempDir dir;
  const std::string root = dir.Path();
  dir.Write("a.txt", "needle a\n");
  dir.Write("locked/b.txt", "needle b\n");
  dir.Write("secret.txt", "needle s\n");
  dir.Write("z/c.txt", "needle c\n");
  // Everyone may read the tree except the two targets.
  ASSERT_EQ(chmod(root.c_str(), 0755), 0);
  ASSERT_EQ(chmod((root + "locked").c_str(), 0), 0);
  ASSERT_EQ(chmod((root + "secret.txt").c_str(), 0), 0);

  for (bool regex : kModes) {
    bool failed = false;
    const TOutcome o = Hostile::SearchUnprivileged(Options(root, "needle", "*.txt", regex), failed);
    ASSERT_FALSE(failed) << "the unprivileged search did not finish";
    EXPECT_EQ(o.Files, (V{root + "a.txt", root + "secret.txt", root + "z/c.txt"}))
        << ModeName(regex);
    EXPECT_EQ(o.Results, (V{FileHeader(root + "a.txt"), LineEntry(1, "needle a"),
                            UnreadableLine(root + "secret.txt"), FileHeader(root + "z/c.txt"),
                            LineEntry(1, "needle c")}))
        << ModeName(regex);
  }
}

// ---- Files that change between listing and reading -----------------------------------

// Searches a tree of before.txt, target.txt and after.txt, changing target.txt by
// `change` when the walk takes it up.
TOutcome SearchWithRace(bool regex, const std::function<void(const std::string&)>& change) {
  TTempDir dir;
  dir.Write("before.txt", "needle 1\n");
  dir.Write("target.txt", "needle 2\nx\nneedle 3\n");
  dir.Write("after.txt", "needle 4\n");
  TRaceSink sink;
  sink.OnTakeUp = [&](const std::string& path) {
    if (path.ends_with("/target.txt")) change(path);
  };
  TOutcome o = Search(Options(dir.Path(), "needle", "*.txt", regex), sink);
  // Paths relative to the tree, for comparing.
  for (std::string& line : o.Results) {
    for (size_t p; (p = line.find(dir.Path())) != std::string::npos;)
      line.erase(p, dir.Path().size());
  }
  return o;
}

const V kAfterAndBefore = {FileHeader("after.txt"), LineEntry(1, "needle 4"),
                           FileHeader("before.txt"), LineEntry(1, "needle 1")};

V With(V lines, const V& middle) {
  lines.insert(lines.begin() + 4, middle.begin(), middle.end());
  return lines;
}

TEST(HostileRace, FileThatVanishesGivesAnUnreadableLine) {
  for (bool regex : kModes) {
    const TOutcome o = SearchWithRace(regex, [](const std::string& p) { unlink(p.c_str()); });
    EXPECT_EQ(o.Results, With(kAfterAndBefore, {UnreadableLine("target.txt")})) << ModeName(regex);
  }
}

TEST(HostileRace, FileThatShrinksIsSearchedAsItNowIs) {
  for (bool regex : kModes) {
    const TOutcome o = SearchWithRace(regex, [](const std::string& p) { truncate(p.c_str(), 9); });
    EXPECT_EQ(o.Results,
              With(kAfterAndBefore, {FileHeader("target.txt"), LineEntry(1, "needle 2")}))
        << ModeName(regex);
  }
}

TEST(HostileRace, FileThatTurnsIntoAFolderGivesAnUnreadableLine) {
  for (bool regex : kModes) {
    const TOutcome o = SearchWithRace(regex, [](const std::string& p) {
      unlink(p.c_str());
      mkdir(p.c_str(), 0755);
    });
    EXPECT_EQ(o.Results, With(kAfterAndBefore, {UnreadableLine("target.txt")})) << ModeName(regex);
  }
}

// A FIFO without a writer must not block the search, and is no text file.
TEST(HostileRace, FileThatTurnsIntoAFifoGivesAnUnreadableLine) {
  for (bool regex : kModes) {
    const TOutcome o = SearchWithRace(regex, [](const std::string& p) {
      unlink(p.c_str());
      mkfifo(p.c_str(), 0644);
    });
    EXPECT_EQ(o.Results, With(kAfterAndBefore, {UnreadableLine("target.txt")})) << ModeName(regex);
  }
}

// /dev/zero never ends: a file replaced by a link to a device is not read.
TEST(HostileRace, FileThatTurnsIntoALinkToADeviceGivesAnUnreadableLine) {
  for (const char* device : {"/dev/zero", "/dev/null", "/dev/urandom"}) {
    for (bool regex : kModes) {
      const TOutcome o = SearchWithRace(regex, [&](const std::string& p) {
        unlink(p.c_str());
        symlink(device, p.c_str());
      });
      EXPECT_EQ(o.Results, With(kAfterAndBefore, {UnreadableLine("target.txt")}))
          << ModeName(regex) << " " << device;
    }
  }
}

// A file that keeps growing while it is read (a log being written, or our own output file
// in the searched tree) is read as far as it reached when it was opened.
TEST(HostileRace, FileThatGrowsWhileReadEndsWhereItEndedWhenOpened) {
  constexpr int kLines = 40000;  // about 1 MB: several blocks, so several polls
  std::string text;
  for (int i = 1; i <= kLines; ++i)
    text += (i % 1000 == 0 ? "needle " : "filler ") + std::to_string(i) + "\n";
  const std::string chunk = [] {
    std::string c;
    while (c.size() < 65536) c += "needle grown\n";
    return c;
  }();

  for (bool regex : kModes) {
    TTempDir dir;
    const std::string path = dir.Write("grow.txt", text);
    TRaceSink sink;
    int appends = 0;
    sink.OnPoll = [&] {
      if (sink.Statuses.empty() || sink.Statuses.back() != path || appends >= 200) return;
      FILE* f = fopen(path.c_str(), "ab");
      fwrite(chunk.data(), 1, chunk.size(), f);
      fclose(f);
      ++appends;
    };
    const TOutcome o = Search(Options(dir.Path(), "needle", "*.txt", regex), sink);
    EXPECT_GT(appends, 0) << ModeName(regex) << ": the file never grew during the search";
    ASSERT_EQ(o.Results.size(), 1u + kLines / 1000) << ModeName(regex);
    EXPECT_EQ(o.Results.back(), LineEntry(kLines, "needle " + std::to_string(kLines)));
  }
}

// ---- Shapes of trees -------------------------------------------------------------------

TEST(HostileTree, TwoHundredFoldersDeep) {
  TTempDir dir;
  std::string relative;
  for (int depth = 1; depth <= 200; ++depth) {
    relative += {'d', static_cast<char>('0' + depth % 10), '/'};
    if (depth % 50 == 0) dir.Write(relative + "f.txt", "needle " + std::to_string(depth) + "\n");
  }
  for (bool regex : kModes) {
    const TOutcome o = Search(Options(dir.Path(), "needle", "*.txt", regex));
    ASSERT_EQ(o.Results.size(), 8u) << ModeName(regex);
    EXPECT_EQ(o.Results[7], LineEntry(1, "needle 200"));
    EXPECT_TRUE(o.Results[6].ends_with("/d0/f.txt\"")) << o.Results[6];
  }
}

// Folders whose paths pass the system's limit cannot be opened by path: they are passed
// over like unreadable folders, and everything above them is found.
TEST(HostileTree, PathsLongerThanTheSystemAllows) {
  TTempDir dir;
  const std::string name(200, 'n');
  int fd = open(dir.Path().c_str(), O_RDONLY | O_DIRECTORY);
  ASSERT_GE(fd, 0);
  for (int depth = 1; depth <= 40; ++depth) {  // about 8000 bytes of path
    ASSERT_EQ(mkdirat(fd, name.c_str(), 0755), 0);
    const int next = openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY);
    close(fd);
    ASSERT_GE(next, 0);
    fd = next;
    if (depth == 5 || depth == 40) {
      const int file = openat(fd, "f.txt", O_WRONLY | O_CREAT, 0644);
      ASSERT_EQ(write(file, "needle\n", 7), 7);
      close(file);
    }
  }
  close(fd);
  for (bool regex : kModes) {
    TRaceSink sink;
    const TOutcome o = Search(Options(dir.Path(), "needle", "*.txt", regex), sink);
    ASSERT_EQ(o.Results.size(), 2u) << ModeName(regex);
    EXPECT_EQ(o.Files.size(), 1u);
    // The first folder past the limit is named as skipped; nothing below it is tried.
    ASSERT_EQ(sink.SkippedFolders.size(), 1u);
    EXPECT_GE(sink.SkippedFolders[0].size(), size_t{PATH_MAX});
    EXPECT_EQ(sink.SkipErrors, std::vector<int>{ENAMETOOLONG});
  }
  const int root = open(dir.Path().c_str(), O_RDONLY | O_DIRECTORY);
  Hostile::RemoveAt(root, name.c_str());
  close(root);
}

// Links to folders are not followed, so no loop traps the walk; links that lead nowhere
// (dangling, or in a loop of links) are files that cannot be opened, and say so.
TEST(HostileTree, LinkLoopsAreNotFollowedAndLinksToNothingCannotBeOpened) {
  TTempDir dir;
  const std::string root = dir.Path();
  dir.Write("real.txt", "needle\n");
  dir.Write("sub/inner.txt", "needle\n");
  const std::pair<const char*, const char*> links[] = {
      {".", "sub/loop"},           {"..", "sub/up"},         {"b.txt", "a.txt"},
      {"a.txt", "b.txt"},          {"self.txt", "self.txt"}, {"real.txt", "link.txt"},
      {"missing", "dangling.txt"}, {"/", "sub/rootlink"}};
  for (const auto& [target, name] : links)
    ASSERT_EQ(symlink(target, (root + name).c_str()), 0) << name;
  for (bool regex : kModes) {
    const TOutcome o = Search(Options(root, "needle", "*.*", regex));
    EXPECT_EQ(o.Files, (V{root + "a.txt", root + "b.txt", root + "dangling.txt", root + "link.txt",
                          root + "real.txt", root + "self.txt", root + "sub/inner.txt"}))
        << ModeName(regex);
    EXPECT_EQ(o.Results, (V{UnreadableLine(root + "a.txt"), UnreadableLine(root + "b.txt"),
                            UnreadableLine(root + "dangling.txt"), FileHeader(root + "link.txt"),
                            LineEntry(1, "needle"), FileHeader(root + "real.txt"),
                            LineEntry(1, "needle"), UnreadableLine(root + "self.txt"),
                            FileHeader(root + "sub/inner.txt"), LineEntry(1, "needle")}))
        << ModeName(regex);
  }
}

TEST(HostileTree, FifosAndDevicesInTheTreeAreNeverOpened) {
  TTempDir dir;
  const std::string root = dir.Path();
  dir.Write("plain.txt", "needle\n");
  ASSERT_EQ(mkfifo((root + "pipe.txt").c_str(), 0644), 0);
  for (const char* device : {"/dev/null", "/dev/zero", "/dev/urandom", "/dev/tty"})
    ASSERT_EQ(symlink(device,
                      (root + std::filesystem::path(device).filename().string() + ".txt").c_str()),
              0);
  for (bool regex : kModes) {
    const TOutcome o = Search(Options(root, "needle", "*.txt", regex));
    EXPECT_EQ(o.Files, (V{root + "plain.txt"})) << ModeName(regex);
    EXPECT_EQ(o.Results, (V{FileHeader(root + "plain.txt"), LineEntry(1, "needle")}));
  }
}

// ---- Names -----------------------------------------------------------------------------

// Names are the file system's bytes, passed through untouched, whatever they hold.
const V kOddNames = {"a b.txt",         "  lead and trail  .txt",
                     "quote\".txt",     "it's.txt",
                     "semi;colon.txt",  "per%cent%s%%.txt",
                     "dollar$HOME.txt", "back`tick`.txt",
                     "star*q?[br].txt", "-dash.txt",
                     "tab\t.txt",       "new\nline.txt",
                     "bad\xFF\xFE.txt", "sjis\x82\xA0.txt",
                     "utf8日本.txt",    "back\\slash.txt"};

TEST(HostileNames, OddNamesAreFoundAndReportedAsTheirBytes) {
  TTempDir dir;
  const std::string root = dir.Path();
  for (const std::string& name : kOddNames) dir.Write(name, "needle\n");
  for (bool regex : kModes) {
    const TOutcome o = Search(Options(root, "needle", "*.txt", regex));
    ASSERT_EQ(o.Files.size(), kOddNames.size()) << ModeName(regex);
    for (const std::string& name : kOddNames) {
      const auto header = std::find(o.Results.begin(), o.Results.end(), FileHeader(root + name));
      ASSERT_NE(header, o.Results.end()) << name;
      ASSERT_NE(header + 1, o.Results.end());
      EXPECT_EQ(header[1], LineEntry(1, "needle")) << name;
    }
  }
}

TEST(HostileNames, MasksMatchOddNames) {
  TTempDir dir;
  const std::string root = dir.Path();
  for (const std::string& name : kOddNames) dir.Write(name, "x\n");
  TSearchOptions o = Options(root, "", "a b.txt;quote\".txt;per%cent%s%%.txt;bad\xFF*");
  o.Switches.FileNameSearch = true;
  EXPECT_EQ(Search(o).Files, (V{root + "a b.txt", root + "quote\".txt", root + "per%cent%s%%.txt",
                                root + "bad\xFF\xFE.txt"}));
}

}  // namespace
