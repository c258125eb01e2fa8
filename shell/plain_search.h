// Plain mode: the word found as a literal string in each line of a file, with case
// folding, half-width katakana folding and the whole-word test as the switches say.
#pragma once

#include <string>
#include <string_view>

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

  // Searches one file for `word` (CP932). Returns false when it stopped because
  // CancelRequested was set, true when it reached the end of the file. Raises
  // EInOutError when the file cannot be opened or read.
  bool SearchFileText(const std::string& fileName, const std::string& word);

  // True when the occurrence of `word` at the 1-based byte position `pos` of `line`
  // stands as a word.
  static bool IsWholeWordAt(std::string_view word, int pos, std::string_view line);

 private:
  TSearchState& State;
  TSearchSink& Sink;
  TResultWriter& Writer;
  bool UpperLowerMatch = false;
  bool FuzzySearch = false;
  bool SearchAsWord = false;
};
