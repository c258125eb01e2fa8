// Big files made on the fly: a sparse 2 GB file with text at both ends, files that are one
// line of 200 MB and of 1 GB, and a folder of 100,000 files. Each search must end with
// the hits it should find, in bounded memory. Skipped, with a message, when the disk or
// the memory is short.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "shell/result_text.h"
#include "tests/hostile/hostile_support.h"
#include "tests/support/sanitizers.h"
#include "tests/support/temp_dir.h"

using namespace varsik;

namespace {

using Hostile::Options;
using Hostile::Search;
using Hostile::TOutcome;
using Hostile::V;
using ResultText::FileHeader;
using ResultText::LineEntry;

constexpr uint64_t kMiB = 1024 * 1024;
constexpr uint64_t kGiB = 1024 * kMiB;

#define SKIP_UNLESS_ROOM(dir, diskBytes, memoryBytes)                                        \
  do {                                                                                       \
    if (Hostile::FreeBytes(dir) < (diskBytes))                                               \
      GTEST_SKIP() << "needs " << (diskBytes) / kMiB << " MB free on the disk of " << (dir); \
    if (Hostile::AvailableMemory() < (memoryBytes))                                          \
      GTEST_SKIP() << "needs " << (memoryBytes) / kMiB << " MB of available memory";         \
  } while (false)

// Writes a big file of pieces: each a text, then `mib` MiB of the byte `fill`.
struct TPiece {
  std::string Text;
  size_t Mib = 0;
  char Fill = 'x';
};
void WritePieces(const std::string& path, const std::vector<TPiece>& pieces) {
  FILE* f = fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  for (const TPiece& piece : pieces) {
    fwrite(piece.Text.data(), 1, piece.Text.size(), f);
    const std::string chunk(kMiB, piece.Fill);
    for (size_t i = 0; i < piece.Mib; ++i) fwrite(chunk.data(), 1, chunk.size(), f);
  }
  fclose(f);
}

// The run of NUL bytes makes one line of 2 GB; neither search keeps it.
TEST(HostileBig, SparseTwoGigabyteFileWithTextAtTheEnds) {
  TTempDir dir;
  SKIP_UNLESS_ROOM(dir.Path(), 64 * kMiB, 512 * kMiB);
  const std::string path = dir.Write("big.txt", "head needle\n");
  ASSERT_EQ(truncate(path.c_str(), static_cast<off_t>(2 * kGiB)), 0);
  FILE* f = fopen(path.c_str(), "ab");
  ASSERT_NE(f, nullptr);
  fputs("\ntail needle\n", f);
  fclose(f);

  // Plain mode searches nothing from the first NUL byte on.
  EXPECT_EQ(Search(Options(dir.Path(), "needle", "*.txt", false)).Results,
            (V{FileHeader(path), LineEntry(1, "head needle")}));
  // The reader makes the NUL bytes spaces and reads on.
  EXPECT_EQ(Search(Options(dir.Path(), "needle", "*.txt", true)).Results,
            (V{FileHeader(path), LineEntry(1, "head needle"), LineEntry(3, "tail needle")}));
}

TEST(HostileBig, OneLineOf200Megabytes) {
  TTempDir dir;
  SKIP_UNLESS_ROOM(dir.Path(), 1 * kGiB, 2 * kGiB);
  constexpr size_t kLength = 200 * kMiB;
  const std::string path = dir.Path() + "line.txt";
  WritePieces(path, {{"", kLength / kMiB}, {"needle"}});
  for (bool regex : {false, true}) {
    // The hit line is shown as its first MiB and the mark that says it goes on.
    TSearchOptions options = Options(dir.Path(), "needle", "*.txt", regex);
    TOutcome o = Search(options);
    ASSERT_EQ(o.Results.size(), 2u) << (regex ? "regex" : "plain");
    EXPECT_EQ(o.Results[1],
              LineEntry(1, std::string(kMiB, 'x')) + std::string(ResultText::kCutMarkCp932));
    // Asked to keep lines whole, it shows all of it.
    options.MaxLineBytes = 0;
    o = Search(options);
    ASSERT_EQ(o.Results.size(), 2u) << (regex ? "regex" : "plain");
    EXPECT_EQ(o.Results[1].size(), LineEntry(1, "").size() + kLength + 6);
    EXPECT_TRUE(o.Results[1].starts_with(" :1: xxx"));
    EXPECT_TRUE(o.Results[1].ends_with("xneedle"));
  }
}

// The peak memory of a varsik-grep run, in bytes, and its exit status; its output goes
// nowhere, or to a reader that takes 64 KB a millisecond.
std::pair<uint64_t, int> PeakOfRun(std::vector<std::string> args, bool slowReader = false) {
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  int pipeEnds[2] = {-1, -1};
  if (slowReader && pipe(pipeEnds) != 0) return {0, -1};
  const pid_t pid = fork();
  if (pid == 0) {
    const int out = slowReader ? pipeEnds[1] : open("/dev/null", O_WRONLY);
    dup2(out, 1);
    execv(VARSIK_GREP, argv.data());
    _exit(127);
  }
  if (slowReader) {
    close(pipeEnds[1]);
    std::vector<char> block(64 * 1024);
    while (read(pipeEnds[0], block.data(), block.size()) > 0) usleep(1000);
    close(pipeEnds[0]);
  }
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  return {static_cast<uint64_t>(usage.ru_maxrss) * 1024,
          WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

// One line of 1 GB with hits at its start, middle and end: each way of searching it
// (plain, the regular-expression fast path, the per-position scan of a pattern that can
// cross a line end) holds at most 64 MB, whatever the line's length.
TEST(HostileBig, GigabyteLineInBoundedMemory) {
  TTempDir dir;
  SKIP_UNLESS_ROOM(dir.Path(), 2 * kGiB, 512 * kMiB);
  const std::string path = dir.Path() + "line.txt";
  WritePieces(path, {{"needle", 512}, {"needle", 512}, {"needle\nsecond line\n"}});
  for (const char* mode : {"", "-E", "-E|"}) {
    std::vector<std::string> args{VARSIK_GREP};
    std::string pattern = "needle";
    if (mode[0] != 0) args.emplace_back("-E");
    if (std::string(mode) == "-E|") pattern = "needle|\\nzzz";
    args.insert(args.end(), {pattern, "line.txt", dir.Path()});
    const auto [peak, status] = PeakOfRun(args);
    EXPECT_EQ(status, 0) << mode;
    EXPECT_LT(peak, 64 * kMiB) << mode;
    std::printf("peak memory of varsik-grep %s on a 1 GB line: %.1f MB\n", mode,
                static_cast<double>(peak) / static_cast<double>(kMiB));
  }
}

// A file of four million hit lines, in Shift JIS (cut into parts for two threads) and in
// UTF-8 (read on a guess of its encoding): plain mode holds a file's hits for its end, a
// guess holds them until it is checked, and the walk's thread writes the lines of the
// file that it searches itself. Each way holds a bounded amount, not the file's hits:
// one thread took 180 MB for them, two threads 500 MB.
TEST(HostileBig, MillionsOfHitLinesInBoundedMemory) {
  TTempDir dir;
  SKIP_UNLESS_ROOM(dir.Path(), 256 * kMiB, 1 * kGiB);
  // Written a MiB's worth of lines at a time: the runs' peaks start from this process's.
  dir.MakeDir("slow");
  for (const auto& [name, line] :
       {std::pair{"sjis.txt", "\x93\xFA\x96\x7B\x8C\xEA\n"}, std::pair{"utf8.txt", "日本語\n"},
        std::pair{"slow/first.txt", "日本語\n"}}) {
    std::string lines;
    while (lines.size() < kMiB) lines += line;
    const size_t perChunk = lines.size() / std::strlen(line);
    FILE* f = fopen((dir.Path() + name).c_str(), "wb");
    ASSERT_NE(f, nullptr);
    for (size_t n = 0; n < 4'000'000; n += perChunk)
      fwrite(lines.data(), 1, std::min(perChunk, 4'000'000 - n) * std::strlen(line), f);
    fclose(f);
  }
  for (const char* file : {"sjis.txt", "utf8.txt"})
    for (const char* threads : {"-j1", "-j2"})
      for (const bool regex : {false, true}) {
        std::vector<std::string> args{VARSIK_GREP, threads};
        if (regex) args.emplace_back("-E");
        args.insert(args.end(), {"日本語", file, dir.Path()});
        const auto [peak, status] = PeakOfRun(args);
        const std::string way = std::string(file) + " " + threads + (regex ? " -E" : "");
        EXPECT_EQ(status, 0) << way;
        std::printf("peak memory of varsik-grep %s on 4,000,000 hit lines: %.1f MB\n", way.c_str(),
                    static_cast<double>(peak) / static_cast<double>(kMiB));
        // The parts of the cut file wait for those before them within the results'
        // budget of 64 MB, which the heaps of two threads may take twice.
        const bool cut = std::string_view(file) == "sjis.txt" && std::string_view(threads) == "-j2";
        if (!kSanitizerAllocator) {
          EXPECT_LT(peak, (cut ? 256 : 64) * kMiB) << way;
        }
      }

  // The first file searched by a worker while the walk's thread, which writes, walks a
  // folder of files behind it and then waits for a slow reader: the worker's lines
  // waited for the writer without bound (300 MB).
  for (int i = 0; i < 20'000; ++i) dir.Write("slow/z/" + std::to_string(i), "");
  const auto [peak, status] =
      PeakOfRun({VARSIK_GREP, "-j2", "日本語", "*", dir.Path() + "slow/"}, true);
  EXPECT_EQ(status, 0);
  std::printf("peak memory of varsik-grep -j2 on 4,000,000 hit lines to a slow reader: %.1f MB\n",
              static_cast<double>(peak) / static_cast<double>(kMiB));
  if (!kSanitizerAllocator) {
    EXPECT_LT(peak, 64 * kMiB);
  }
}

// Line numbers past 2^31 are counted on: a file of 2^31 + 1 line ends.
TEST(HostileBig, LineNumbersPastTwoToTheThirtyFirst) {
  TTempDir dir;
  SKIP_UNLESS_ROOM(dir.Path(), 3 * kGiB, 256 * kMiB);
  const std::string path = dir.Path() + "lines.txt";
  WritePieces(path, {{"needle\n", 2048, '\n'}, {"needle\n"}});
  for (bool regex : {false, true})
    EXPECT_EQ(Search(Options(dir.Path(), "needle", "*.txt", regex)).Results,
              (V{FileHeader(path), LineEntry(1, "needle"), LineEntry(2147483650, "needle")}))
        << (regex ? "regex" : "plain");
}

TEST(HostileBig, HundredThousandFilesInOneFolder) {
  TTempDir dir;
  SKIP_UNLESS_ROOM(dir.Path(), 1 * kGiB, 1 * kGiB);
  constexpr int kFiles = 100000;
  char name[32];
  for (int i = 0; i < kFiles; ++i) {
    std::snprintf(name, sizeof name, "f%06d.txt", i);
    const int fd = open((dir.Path() + name).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    const std::string text = i % 10000 == 0 ? "needle " + std::to_string(i) + "\n" : "x\n";
    ASSERT_EQ(write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    close(fd);
  }

  TSearchOptions names = Options(dir.Path(), "", "*.txt");
  names.Switches.FileNameSearch = true;
  const TOutcome listed = Search(names);
  ASSERT_EQ(listed.Files.size(), static_cast<size_t>(kFiles));
  EXPECT_EQ(listed.Files.front(), dir.Path() + "f000000.txt");
  EXPECT_EQ(listed.Files.back(), dir.Path() + "f099999.txt");

  for (bool regex : {false, true}) {
    const TOutcome o = Search(Options(dir.Path(), "needle", "*.txt", regex));
    EXPECT_EQ(o.Files.size(), static_cast<size_t>(kFiles));
    ASSERT_EQ(o.Results.size(), 20u) << (regex ? "regex" : "plain");
    EXPECT_EQ(o.Results[19], LineEntry(1, "needle 90000"));
  }
}

}  // namespace
