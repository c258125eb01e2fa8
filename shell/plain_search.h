// Plain mode: the word found as a literal string in each line of a file, with case
// folding, half-width katakana folding and the whole-word test as the switches say.
// The line searcher reads the file; TPlainLineFinder finds the lines; this writes them.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "search/line_searcher.h"
#include "search/plain_line_finder.h"
#include "search/plain_marker.h"
#include "shell/result_writer.h"
#include "shell/search_sink.h"
#include "shell/search_state.h"

namespace varsik {

class TPlainSearch {
 public:
  TPlainSearch(TSearchState& state, TSearchSink& sink, TResultWriter& writer);

  // The switches that plain mode honours: case, fuzzy kana and whole word.
  void SetSwitches(const TSearchSwitches& switches) { Switches = switches; }
  // A hit line's text is cut to this many bytes (0: kept whole).
  void SetMaxLineBytes(size_t bytes) { Searcher.SetMaxLineBytes(bytes); }
  // How files are read: detected, or in one encoding.
  void SetReadEncoding(const TReadEncoding& encoding) { Searcher.SetReadEncoding(encoding); }
  // Whether the hits carry the occurrences of the word on their lines.
  void SetMarkMatches(bool on) {
    Marking = on;
    Searcher.SetMarker(on ? &Marker : nullptr);
  }

  // The most read from the file at once, and the longest line held whole; tests make
  // them tiny to reach every boundary.
  void SetBlockSize(size_t blockSize) { Searcher.SetBlockSize(blockSize); }
  void SetWindowLineBytes(size_t bytes) { Searcher.SetWindowLineBytes(bytes); }

  // Searches one file for `word` (CP932) and records one hit per matching line through
  // the writer (the file's header before the first). The hits are written once the
  // whole file has been read, so a file that fails to read leaves none. Polls the sink
  // and reads CancelRequested after each read of the file (and between the pieces of a
  // long line) and before each hit it writes. Returns false when it stopped because
  // CancelRequested was set (the hits of the lines before the stop are written), true
  // when it reached the end of the file. Raises EInOutError (or its kind EFileNotFound)
  // when the file cannot be opened or read.
  bool SearchFileText(const std::string& fileName, const std::string& word);

  // True when the occurrence of `word` at the 1-based byte position `pos` of `line`
  // stands as a word: the bytes on either side are delimiters, the line's ends,
  // or parts of double-byte or half-width katakana characters.
  static bool IsWholeWordAt(std::string_view word, int pos, std::string_view line);

 private:
  TSearchState& State;
  TSearchSink& Sink;
  TResultWriter& Writer;
  TSearchSwitches Switches;
  TPlainLineFinder Finder;
  bool Marking = false;
  // What the finder and the marker were last prepared for: the same for every file of a
  // search, so they are prepared once.
  struct TPrepared {
    std::string Word;
    TSearchSwitches Switches;
    bool Marking = false;
  };
  std::optional<TPrepared> Prepared;
  TPlainMarker Marker;
  TLineSearcher Searcher;
};

}  // namespace varsik
