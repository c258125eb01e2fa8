// Plain mode: the word found as a literal string in each line of a file, with case
// folding, half-width katakana folding and the whole-word test as the switches say.
// The file is read once through one reused buffer and scanned in its own bytes; the
// lines that need folding to other lengths, or hold a lone CR, go through the rule
// for single lines (PlainLineRule), which gives the answers that the scan must match.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "search/line_window.h"
#include "shell/plain_matcher.h"
#include "shell/result_writer.h"
#include "shell/search_sink.h"
#include "shell/search_state.h"

class TPlainSearch {
 public:
  TPlainSearch(TSearchState& state, TSearchSink& sink, TResultWriter& writer)
      : State(state), Sink(sink), Writer(writer) {}

  void SetSwitches(bool upperLowerMatch, bool fuzzySearch, bool searchAsWord) {
    UpperLowerMatch = upperLowerMatch;
    FuzzySearch = fuzzySearch;
    SearchAsWord = searchAsWord;
  }

  // The most read from the file at once; tests make it tiny to reach every boundary.
  void SetBlockSize(size_t blockSize) { BlockSize = blockSize; }

  // Searches one file for `word` (CP932) and records one hit per matching line through
  // the writer (the file's header before the first). The hits are written once the
  // whole file has been read, so a file that fails to read leaves none. Polls the sink
  // and reads CancelRequested before each block of lines it scans (at most a block
  // read, or one longer line, apart) and before each hit it writes. Returns false when
  // it stopped because CancelRequested was set (the hits of the lines before the stop
  // are written), true when it reached the end of the file. Raises EInOutError (or its
  // kind EFileNotFound) when the file cannot be opened or read.
  bool SearchFileText(const std::string& fileName, const std::string& word);

  // True when the occurrence of `word` at the 1-based byte position `pos` of `line`
  // stands as a word: the bytes on either side are delimiters, the line's ends,
  // or parts of double-byte or half-width katakana characters.
  static bool IsWholeWordAt(std::string_view word, int pos, std::string_view line);

 private:
  // Scans one run of whole lines; `lineNo` is the number of its first line and becomes
  // that of the line after it. Returns true when the text ends inside the run (at a
  // NUL, or before a line that begins with 1A).
  bool ScanRun(const uint8_t* begin, const uint8_t* end, int32_t& lineNo);
  // Keeps the hits of the run, in order, without their line numbers; returns as ScanRun.
  bool FindHits(const uint8_t* begin, const uint8_t* end);
  // The lines of [begin, end), none of which needs the single-line rule.
  void ScanPlainLines(const uint8_t* begin, const uint8_t* end);
  // One line that the scan does not take on, [begin, end) as read.
  void MatchOneLine(const uint8_t* begin, const uint8_t* end);
  // A hit on the line that starts at `lineStart`, with the text [begin, end).
  void KeepHit(const uint8_t* lineStart, const uint8_t* begin, const uint8_t* end);
  // Writes the kept hits, polling before each unless `poll` is false. Returns false
  // when a poll found CancelRequested set.
  bool WriteHits(bool poll);

  TSearchState& State;
  TSearchSink& Sink;
  TResultWriter& Writer;
  bool UpperLowerMatch = false;
  bool FuzzySearch = false;
  bool SearchAsWord = false;
  size_t BlockSize = TLineWindow::kBlockSize;
  TPlainMatcher Matcher;
  // Reused from file to file.
  std::vector<uint8_t> Buffer;
  std::string LineText;
  // The hits of the file being searched: line numbers, and the texts one after another.
  struct THit {
    int32_t LineNo;
    size_t Length;
  };
  std::vector<THit> Hits;
  std::string HitTexts;
  // Where the lines of the run's hits start, for counting their numbers.
  std::vector<const uint8_t*> HitLineStarts;
};
