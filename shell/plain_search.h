// Plain mode: the word found as a literal string in each line of a file, with case
// folding, half-width katakana folding and the whole-word test as the switches say.
// Kept simple and exact; it also serves the tests as the reference for plain mode.
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

  // Searches one file for `word` (CP932) and records one hit per matching line through
  // the writer (the file's header before the first). Polls the sink and reads
  // CancelRequested before every line. Returns false when it stopped because
  // CancelRequested was set, true when it reached the end of the file. Raises
  // EInOutError (or its kind EFileNotFound) when the file cannot be opened or read;
  // hits recorded before that stay.
  bool SearchFileText(const std::string& fileName, const std::string& word);

  // True when the occurrence of `word` at the 1-based byte position `pos` of `line`
  // stands as a word: the bytes on either side are delimiters, the line's ends,
  // or parts of double-byte or half-width katakana characters.
  static bool IsWholeWordAt(std::string_view word, int pos, std::string_view line);

 private:
  // `text` as the switches fold it, in `out`; the view is `text` itself when nothing
  // folds.
  std::string_view Fold(std::string_view text, std::string& out);
  // True when the folded line holds the folded word (as a word, with that switch).
  bool LineMatches(std::string_view line, std::string_view word) const;

  TSearchState& State;
  TSearchSink& Sink;
  TResultWriter& Writer;
  bool UpperLowerMatch = false;
  bool FuzzySearch = false;
  bool SearchAsWord = false;
  // Reused from line to line.
  std::string LineText;
  std::string FoldedLine;
  std::string FoldedWord;
  std::string KanaScratch;
};
