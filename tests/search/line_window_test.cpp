// TLineWindow: the chunks are whole lines (ending at LF, or also at a lone CR) or pieces
// of a line too long to keep, follow each other without gap or overlap, have readable
// bytes around them, at every block size; the text may end at its first NUL.
#include "search/line_window.h"

#include <random>

#include <gtest/gtest.h>

#include "search/byte_scan.h"
#include "search/errors.h"
#include "tests/support/temp_dir.h"

using namespace varsik;

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

// Reads the whole file through the window and checks each chunk as it comes: whole lines
// (or a piece of a long line, never longer than the window keeps by much), readable bytes
// around it.
std::string ReadAll(TLineWindow& window, const std::string& text, bool crEnds, size_t maxPiece) {
  std::string joined;
  for (TLineWindow::TChunk chunk = window.Next(); !chunk.Bytes.empty(); chunk = window.Next()) {
    const std::string_view s(reinterpret_cast<const char*>(chunk.Bytes.data()), chunk.Bytes.size());
    (void)chunk.Bytes.data()[-1];
    for (size_t i = 0; i < ByteScan::kPadding; ++i) (void)chunk.Bytes.data()[s.size() + i];
    const size_t next = joined.size() + s.size();
    if (chunk.ContinuesLine) {
      // A piece: no line end in it and no CR LF split.
      EXPECT_EQ(s.find('\n'), std::string_view::npos);
      if (crEnds) {
        EXPECT_EQ(s.find('\r'), std::string_view::npos);
      }
      EXPECT_FALSE(s.back() == '\r' && next < text.size() && text[next] == '\n');
      EXPECT_LE(s.size(), maxPiece);
    } else if (next < text.size()) {
      // Whole lines: only the file's last chunk may end without a line end.
      const bool loneCr = crEnds && s.back() == '\r' && text[next] != '\n';
      EXPECT_TRUE(s.back() == '\n' || loneCr);
    }
    joined += s;
  }
  return joined;
}

}  // namespace

TEST(LineWindow, ChunksAreWholeLinesOrPiecesInOrderAtEveryBlockSize) {
  TTempDir dir;
  std::mt19937 rng(11);
  std::vector<uint8_t> buffer;
  for (int round = 0; round < 60; ++round) {
    std::string text = RandomLines(rng, static_cast<size_t>(round) * 37);
    if (round % 3 == 0 && !text.empty()) text.back() = '\n';
    const std::string path = dir.Write("f.txt", text);
    for (size_t block : {size_t{1}, size_t{2}, size_t{5}, size_t{64}, TLineWindow::kBlockSize}) {
      for (size_t maxLine : {size_t{2}, size_t{7}, size_t{100}, TLineWindow::kMaxLineBytes}) {
        for (bool crEnds : {false, true}) {
          TLineWindow window(path, buffer, block, maxLine);
          window.SetCrEndsLines(crEnds);
          ASSERT_EQ(ReadAll(window, text, crEnds, maxLine + block), text)
              << "block " << block << " max " << maxLine;
          EXPECT_TRUE(window.Next().Bytes.empty());
          if (HasFailure()) return;
        }
      }
    }
  }
}

TEST(LineWindow, AFolderOrAMissingFileFailsToOpen) {
  TTempDir dir;
  std::vector<uint8_t> buffer;
  EXPECT_THROW(TLineWindow(dir.Path() + "missing", buffer), EFileNotFound);
  EXPECT_THROW(TLineWindow(dir.MakeDir("folder"), buffer), EFileNotFound);
}

// A chunk of whole lines may go on past the NUL that ends the text (the finder ends the
// text there); a piece of a long line never holds one, and ends the reading behind it.
TEST(LineWindow, TextEndingAtNulIsNeverInsideAPiece) {
  TTempDir dir;
  std::mt19937 rng(5);
  std::vector<uint8_t> buffer;
  for (int round = 0; round < 40; ++round) {
    std::string text = RandomLines(rng, static_cast<size_t>(round) * 53);
    if (round % 2 == 0 && !text.empty()) text[rng() % text.size()] = '\0';
    const std::string path = dir.Write("f.txt", text);
    const size_t nul = text.find('\0');
    const std::string upToNul = text.substr(0, nul == std::string::npos ? text.size() : nul + 1);
    for (size_t block : {size_t{1}, size_t{3}, size_t{64}, TLineWindow::kBlockSize}) {
      TLineWindow window(path, buffer, block, 50);
      window.SetTextEndsAtNul(true);
      std::string joined;
      for (auto chunk = window.Next(); !chunk.Bytes.empty(); chunk = window.Next()) {
        const std::string bytes(reinterpret_cast<const char*>(chunk.Bytes.data()),
                                chunk.Bytes.size());
        joined += bytes;
        const size_t at = bytes.find('\0');
        if (at == std::string::npos) continue;
        // A piece ends right behind its NUL, and nothing follows it.
        EXPECT_FALSE(chunk.ContinuesLine) << "a piece holds a NUL, block " << block;
        if (at + 1 == bytes.size()) {
          EXPECT_TRUE(window.AtEnd());
        }
        break;
      }
      // All of the text up to and with its first NUL, then at most bytes of the text.
      ASSERT_GE(joined.size(), upToNul.size()) << "block " << block;
      EXPECT_EQ(joined, text.substr(0, joined.size())) << "block " << block;
    }
  }
}

// A line of any length costs no more memory than the window keeps: a file of zeros, a
// line of 64 MB.
TEST(LineWindow, ALongLineIsHandedOutInPiecesWithinTheWindow) {
  TTempDir dir;
  std::vector<uint8_t> buffer;
  const std::string path = dir.Write(
      "long.txt", "ab\n" + std::string(64 << 20, 'x') + "\ncd\n" + std::string(5 << 20, '\0'));
  TLineWindow window(path, buffer);
  size_t pieces = 0;
  size_t total = 0;
  for (auto chunk = window.Next(); !chunk.Bytes.empty(); chunk = window.Next()) {
    pieces += chunk.ContinuesLine;
    total += chunk.Bytes.size();
  }
  EXPECT_EQ(total, (64u << 20) + (5u << 20) + 7);
  EXPECT_GE(pieces, 16u);
  EXPECT_LT(buffer.size(), TLineWindow::kMaxLineBytes * 2);
}
