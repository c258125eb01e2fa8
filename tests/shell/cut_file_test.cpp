// A big file cut at line ends into parts that several workers search: the same events as
// the whole file searched on one thread, with parts of every small size, so that part
// ends fall everywhere (between CR and LF, on a lone CR, inside a long line, on a hit);
// the text's end at a NUL or before a Ctrl+Z line in a later part; a stop; and where a
// file is cut at all.
#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "search/file_parts.h"
#include "search/grep.h"
#include "search/input_file.h"
#include "tests/search/sjis.h"
#include "tests/support/parallel_events.h"
#include "tests/support/temp_dir.h"

using namespace varsik;

namespace {

// Lines enough for the detector to be certain of Shift JIS within the head.
std::string SjisHead() {
  std::string text;
  for (int i = 0; i < 8; ++i) text += Sjis("日本語の文章を検索する。表示と圧縮\r\n");
  return text;
}

// Lines of every kind: the word at a line's start and end, CR LF, lone CRs, LF.
std::string MixedLines(int count) {
  std::string text;
  const std::vector<std::string> pieces{
      "needle", "x", Sjis("検索"), "Needle needle", "\r", "a\rneedle", "ne", "edle", ""};
  const std::vector<std::string> ends{"\n", "\r\n", "\r", "\r\r\n"};
  for (int i = 0; i < count; ++i) {
    text += pieces[static_cast<size_t>(i * 7 % 9)];
    text += pieces[static_cast<size_t>(i * 5 % 9)];
    text += ends[static_cast<size_t>(i % 4)];
  }
  return text;
}

class CutFileTest : public ::testing::Test {
 protected:
  // Every part size from 1 byte up to `largestPart`, for two or three threads, gives the
  // events of the file searched whole.
  void ExpectSameCut(const std::string& text, TSearchOptions options,
                     const TGrepPattern* pattern = nullptr, uint64_t largestPart = 64) {
    const V paths{Dir.Write("a.txt", text), Dir.Write("b.txt", "needle\n")};
    options.SplitFileBytes = 1;
    const V expected = OneByOne(options, pattern, paths);
    for (uint64_t partBytes = 1; partBytes <= largestPart; partBytes += 1 + partBytes / 8) {
      options.SplitPartBytes = partBytes;
      const int threads = 2 + static_cast<int>(partBytes % 2);
      ASSERT_EQ(InParallel(options, pattern, paths, threads), expected)
          << partBytes << " " << threads;
    }
  }
  TTempDir Dir;
};

TSearchOptions Plain(const std::string& word, TEncodingChoice encoding) {
  TSearchOptions options;
  options.Word = word;
  options.Switches.Encoding = encoding;
  options.MarkMatches = true;
  return options;
}

}  // namespace

TEST_F(CutFileTest, PlainModeGivesWhatTheWholeFileGives) {
  const std::string text = SjisHead() + MixedLines(60);
  for (TEncodingChoice encoding : {TEncodingChoice::Auto, TEncodingChoice::Cp932}) {
    ExpectSameCut(text, Plain("needle", encoding));
    ExpectSameCut(text, Plain(Sjis("検索"), encoding));
    TSearchOptions options = Plain("needle", encoding);
    options.Switches.SearchAsWord = true;
    options.Switches.UpperLowerMatch = true;
    options.MaxLineBytes = 5;
    ExpectSameCut(text, options);
  }
}

TEST_F(CutFileTest, RegularExpressionModeGivesWhatTheWholeFileGives) {
  const std::string text = SjisHead() + MixedLines(60);
  for (const std::string word : {"^needle", "le$", "ne+dle", "^$"}) {
    TGrep grep;
    grep.SetRegExp(word);
    const TGrepPattern pattern = grep.SharedPattern();
    ASSERT_NE(pattern.Fast, nullptr) << word;
    ExpectSameCut(text, Plain(word, TEncodingChoice::Auto), &pattern);
  }
  // A pattern that can cross a line end is never cut, and still gives the same.
  TGrep grep;
  grep.SetRegExp("e\\nn");
  const TGrepPattern crossing = grep.SharedPattern();
  ASSERT_EQ(crossing.Fast, nullptr);
  ExpectSameCut(text, Plain("", TEncodingChoice::Auto), &crossing, 8);
}

// Plain mode's text ends at its first NUL and before a line that begins with 1A: the
// parts after the one that holds it show nothing. Regular-expression mode reads a NUL as
// a blank and a 1A as a character.
TEST_F(CutFileTest, TheTextEndsInALaterPart) {
  const std::string lines = MixedLines(30);
  TGrep grep;
  grep.SetRegExp("needle");
  const TGrepPattern pattern = grep.SharedPattern();
  for (const std::string& end : {std::string("ne\0edle needle\n", 15), std::string("\x1Aneedle\n"),
                                 std::string("needle\n\x1A"), std::string("x\0", 2)}) {
    const std::string text = SjisHead() + lines + end + lines;
    ExpectSameCut(text, Plain("needle", TEncodingChoice::Cp932));
    ExpectSameCut(text, Plain("needle", TEncodingChoice::Cp932), &pattern);
  }
}

// A line longer than the window that holds lines whole (4 MiB) is searched in pieces,
// in a part of its own or spanning several; its hit shows cut to the line limit.
TEST_F(CutFileTest, ALineLongerThanTheWindowAndThanItsPart) {
  std::string text = SjisHead() + MixedLines(20);
  text += std::string(5 << 20, 'y') + "needle\r\n";
  text += MixedLines(20);
  const V paths{Dir.Write("long.txt", text)};
  TSearchOptions options = Plain("needle", TEncodingChoice::Auto);
  options.MaxLineBytes = 100;
  options.SplitFileBytes = 1;
  TGrep grep;
  grep.SetRegExp("y+ne");
  const TGrepPattern pattern = grep.SharedPattern();
  for (const TGrepPattern* p : {static_cast<const TGrepPattern*>(nullptr), &pattern}) {
    const V expected = OneByOne(options, p, paths);
    for (uint64_t partBytes : {uint64_t{1000}, uint64_t{3} << 20}) {
      options.SplitPartBytes = partBytes;
      EXPECT_EQ(InParallel(options, p, paths, 2), expected) << partBytes;
    }
  }
}

// A stop while the parts are searched or put out: the output is the whole file's up to a
// line, then the file's end, and nothing of a later file.
TEST_F(CutFileTest, AStopEndsTheOutputInsideTheFile) {
  std::string text = SjisHead();
  for (int i = 0; i < 20000; ++i) text += "needle " + std::to_string(i) + "\n";
  const V paths{Dir.Write("a.txt", text), Dir.Write("b.txt", "needle\n")};
  TSearchOptions options = Plain("needle", TEncodingChoice::Auto);
  options.SplitFileBytes = 1;
  options.SplitPartBytes = 4096;
  const V all = OneByOne(options, nullptr, paths);
  for (int stopAfter : {0, 1, 100, 5000}) {
    TRecorder r;
    std::atomic<bool> cancel{false};
    TParallelSearch::TOutput output = r.Output();
    const auto hit = output.Hit;
    int hits = 0;
    output.Hit = [&](const RE_LineInfo_t& info) {
      // The first line goes out slowly: meanwhile the other search takes the parts left.
      if (++hits == 1) std::this_thread::sleep_for(std::chrono::milliseconds(100));
      if (hits == stopAfter) cancel = true;
      hit(info);
    };
    TParallelSearch search(options, nullptr, 2, cancel, output);
    for (const std::string& path : paths) {
      if (!search.Add(path)) break;
      if (stopAfter == 0) cancel = true;
    }
    search.Finish();
    ExpectStoppedOutput(r.Events, all, stopAfter);
    // The stop ends the output within a piece of lines (a part here), though the parts
    // after it may all have been searched.
    if (stopAfter > 0) {
      EXPECT_LE(hits, stopAfter + 400) << stopAfter;
    }
  }
}

// Where parts begin: at a line's start, found from any offset; and which files read as
// their own bytes from the head on.
TEST(FileParts, LineStartsAndTheEncodingsThatCanBeCut) {
  TTempDir dir;
  const std::string path = dir.Write("t.txt", "ab\r\ncd\ref\n\ngh");
  const auto never = [] { return false; };
  const std::vector<uint64_t> starts{0, 4, 4, 4, 4, 10, 10, 10, 10, 10, 10, 11, 13};
  for (uint64_t offset = 0; offset < starts.size(); ++offset)
    EXPECT_EQ(FileParts::LineStartFrom(path, offset, 13, never), starts[offset]) << offset;
  // A line longer than a read is looked through between polls.
  const std::string line = dir.Write("l.txt", std::string(300000, 'x') + "\nx");
  EXPECT_EQ(FileParts::LineStartFrom(line, 5, 300002, never), 300001u);
  EXPECT_EQ(FileParts::LineStartFrom(line, 5, 300002, [] { return true; }), std::nullopt);

  const std::string sjis = dir.Write("s.txt", SjisHead() + std::string(100, 'x'));
  const std::string ascii = dir.Write("a.txt", std::string(100, 'x'));
  const std::string utf8 =
      dir.Write("u.txt", std::string(20, 'x') + "日本語の文章を検索する。表示");
  const TReadEncoding automatic{TEncodingChoice::Auto};
  EXPECT_TRUE(FileParts::ReadsAsItsBytes(sjis, automatic));
  EXPECT_FALSE(FileParts::ReadsAsItsBytes(ascii, automatic));
  EXPECT_FALSE(FileParts::ReadsAsItsBytes(utf8, automatic));
  EXPECT_TRUE(FileParts::ReadsAsItsBytes(utf8, {TEncodingChoice::Cp932}));
  EXPECT_FALSE(FileParts::ReadsAsItsBytes(sjis, {TEncodingChoice::Utf8}));
}
