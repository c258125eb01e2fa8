// Searches whose work once grew with the square of a line's length: each must now take
// time in proportion to it. The lines are 2 MB, so that a quadratic scan would run for
// hours; the test's time limit (a minute) is only a guard against that.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "search/grep.h"
#include "search/line_searcher.h"
#include "search/plain_line_finder.h"
#include "tests/search/sjis.h"
#include "tests/support/temp_dir.h"

using namespace varsik;

namespace {

constexpr size_t kLine = 2 << 20;

class LinearScanTest : public ::testing::Test {
 protected:
  // The numbers of the lines where the plain search finds `word`.
  std::vector<int64_t> Plain(const std::string& path, const std::string& word, bool upperLower,
                             bool fuzzy, bool asWord) {
    TPlainLineFinder finder;
    finder.Prepare(word, upperLower, fuzzy, asWord);
    std::vector<int64_t> lines;
    TLineSearcher searcher;
    searcher.Search(
        path, finder, [] { return false; },
        [&lines](const RE_LineInfo_t& info) { lines.push_back(info.LineNo); });
    return lines;
  }

  std::vector<int64_t> Regex(const std::string& path, const std::string& pattern) {
    Grep.SetRegExp(pattern);
    std::vector<int64_t> lines;
    Grep.SetOnMatch([&lines](TGrep&, const RE_LineInfo_t& info) { lines.push_back(info.LineNo); });
    Grep.Grep(path);
    return lines;
  }

  TTempDir Dir;
  TGrep Grep;
};

using V = std::vector<int64_t>;

}  // namespace

// 氓 (9F 82) stands at every odd byte of a line of ぁ (82 9F), always as the trail of one
// character and the lead of the next: no candidate starts a character. Telling so once
// walked back to the line's start for each.
TEST_F(LinearScanTest, CandidatesInsideALineOfLeadRangeBytes) {
  std::string line;
  for (size_t i = 0; i < kLine / 2; ++i) line += Sjis("ぁ");
  const std::string path = Dir.Write("kana.txt", line + "\n" + line + Sjis("氓") + "\n");
  const std::string word = Sjis("氓");
  for (bool upperLower : {false, true})
    EXPECT_EQ(Plain(path, word, upperLower, false, false), (V{2})) << upperLower;
  EXPECT_EQ(Plain(path, word, false, true, true), (V{2}));
  EXPECT_EQ(Regex(path, word), (V{2}));
  EXPECT_EQ(Regex(path, word + "|x"), (V{2}));
}

// A long word over a long line of the letter it repeats: every position is a candidate
// whose compare runs the word's length. The folding switches once compared each in full.
TEST_F(LinearScanTest, LongWordsOverALongLineOfOneLetter) {
  const std::string path = Dir.Write("a.txt", std::string(kLine, 'a') + "\nb\n");
  const std::string as(50000, 'a');
  for (int bits = 0; bits < 8; ++bits) {
    const bool upperLower = bits & 1, fuzzy = bits & 2, asWord = bits & 4;
    EXPECT_EQ(Plain(path, as + "b", upperLower, fuzzy, asWord), V{}) << bits;
    EXPECT_EQ(Plain(path, "A" + as, upperLower, fuzzy, asWord), upperLower ? V{} : V{1}) << bits;
    // As a word it stands only at the line's end.
    EXPECT_EQ(Plain(path, as, upperLower, fuzzy, asWord), V{1}) << bits;
  }
}

// Patterns whose attempts each run to the line's end without a match: the attempts of a
// line are then stepped together.
TEST_F(LinearScanTest, AttemptsThatRunToTheLineEnd) {
  const std::string path = Dir.Write("a.txt", std::string(kLine, 'a') + "\nab\nac\n");
  EXPECT_EQ(Regex(path, "a.*(b|c)"), (V{2, 3}));
  EXPECT_EQ(Regex(path, ".*(b|c)"), (V{2, 3}));
  EXPECT_EQ(Regex(path, "(a|b)*c$"), (V{3}));
  EXPECT_EQ(Regex(path, "a+[bc]"), (V{2, 3}));
}
