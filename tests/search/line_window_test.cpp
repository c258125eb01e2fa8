// TLineWindow: the runs are whole lines (ending at LF, or also at a lone CR), follow each
// other without gap or overlap, have an LF in front and readable bytes behind, at every
// block size.
#include "search/line_window.h"

#include <random>

#include <gtest/gtest.h>

#include "search/byte_scan.h"
#include "search/errors.h"
#include "tests/support/temp_dir.h"

namespace {

std::string RandomLines(std::mt19937& rng, size_t size) {
  std::string s;
  std::uniform_int_distribution<int> pick(0, 9);
  while (s.size() < size) {
    const int k = pick(rng);
    s += k == 0 ? '\n' : k == 1 ? '\r' : static_cast<char>('a' + k);
    if (k == 2 && pick(rng) == 0) s += std::string(static_cast<size_t>(pick(rng)) * 50, 'z');
  }
  return s;
}

}  // namespace

TEST(LineWindow, RunsAreWholeLinesInOrderAtEveryBlockSize) {
  TTempDir dir;
  std::mt19937 rng(11);
  std::vector<uint8_t> buffer;
  for (int round = 0; round < 60; ++round) {
    std::string text = RandomLines(rng, static_cast<size_t>(round) * 37);
    if (round % 3 == 0 && !text.empty()) text.back() = '\n';
    const std::string path = dir.Write("f.txt", text);
    for (size_t block : {size_t{1}, size_t{2}, size_t{5}, size_t{64}, TLineWindow::kBlockSize}) {
      for (bool crEnds : {false, true}) {
        TLineWindow window(path, buffer, block);
        window.SetCrEndsLines(crEnds);
        std::string joined;
        for (auto run = window.NextLines(); !run.empty(); run = window.NextLines()) {
          const std::string_view s(reinterpret_cast<const char*>(run.data()), run.size());
          ASSERT_EQ(run.data()[-1], '\n');
          // Whole lines: only the file's last run may end without a line end, and a CR LF
          // is never split.
          const bool last = joined.size() + s.size() == text.size();
          if (!last) {
            const bool loneCr =
                crEnds && s.back() == '\r' && text[joined.size() + s.size()] != '\n';
            ASSERT_TRUE(s.back() == '\n' || loneCr) << "block " << block;
          }
          for (size_t i = 0; i < ByteScan::kPadding; ++i) (void)run.data()[run.size() + i];
          joined += s;
        }
        ASSERT_EQ(joined, text) << "block " << block;
        EXPECT_TRUE(window.NextLines().empty());
      }
    }
  }
}

TEST(LineWindow, DrainReadsTheRestAndAFolderFailsToOpen) {
  TTempDir dir;
  std::vector<uint8_t> buffer;
  const std::string path = dir.Write("f.txt", "ab\ncd\nef");
  TLineWindow window(path, buffer, 3);
  const auto run = window.NextLines();
  EXPECT_EQ(std::string_view(reinterpret_cast<const char*>(run.data()), run.size()), "ab\n");
  window.Drain();
  EXPECT_TRUE(window.NextLines().empty());
  EXPECT_THROW(TLineWindow(dir.Path() + "missing", buffer), EFileNotFound);
  EXPECT_THROW(TLineWindow(dir.MakeDir("folder"), buffer), EFileNotFound);
}

TEST(LineWindow, TextEndingAtNulStopsTheReadingBehindIt) {
  TTempDir dir;
  std::mt19937 rng(5);
  std::vector<uint8_t> buffer;
  for (int round = 0; round < 40; ++round) {
    std::string text = RandomLines(rng, static_cast<size_t>(round) * 53);
    if (round % 2 == 0 && !text.empty()) text[rng() % text.size()] = '\0';
    const std::string path = dir.Write("f.txt", text);
    for (size_t block : {size_t{1}, size_t{3}, size_t{64}, TLineWindow::kBlockSize}) {
      TLineWindow window(path, buffer, block);
      window.SetTextEndsAtNul(true);
      std::string joined;
      for (auto run = window.NextLines(); !run.empty(); run = window.NextLines())
        joined.append(reinterpret_cast<const char*>(run.data()), run.size());
      // All of the text up to its first NUL, which is handed out too; what follows it
      // may be handed out as far as the line ends of the reads reach.
      const size_t nul = text.find('\0');
      ASSERT_EQ(text.substr(0, joined.size()), joined) << "block " << block;
      ASSERT_GE(joined.size(), nul == std::string::npos ? text.size() : nul + 1)
          << "block " << block;
      EXPECT_TRUE(window.AtEnd());
    }
  }
  // A long line of zeros is not kept, and the rest of the file is still read.
  const std::string path = dir.Write("zeros.txt", "ab\n" + std::string(4 << 20, '\0') + "cd\n");
  buffer.clear();
  buffer.shrink_to_fit();
  TLineWindow window(path, buffer, 4096);
  window.SetTextEndsAtNul(true);
  EXPECT_EQ(window.NextLines().size(), 3u);
  EXPECT_EQ(window.NextLines().size(), 1u);
  EXPECT_TRUE(window.NextLines().empty());
  EXPECT_LT(buffer.size(), 64u * 1024);
  window.Drain();
}
