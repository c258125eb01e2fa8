// TPlainMarker: plain mode's matches on a reported line: each occurrence of the word that
// the line rule would find there (the switches' folding and the whole-word test applied),
// left to right, not overlapping, in the line's own bytes.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "search/line_marker.h"

namespace varsik {

class TPlainMarker : public TLineMarker {
 public:
  // `word` is CP932; the switches are the search dialog's.
  void Prepare(std::string_view word, bool upperLowerMatch, bool fuzzySearch, bool searchAsWord);

  // An occurrence that begins before a cut and its whole-word test fit in this.
  size_t LookBeyond() const override { return FoldedWord.size() + 2; }
  void Mark(std::string_view text, bool whole, std::vector<TMatchSpan>& spans) override;

 private:
  // The text with the half-width katakana widened, into Folded, and for each byte of it
  // the line byte where its character begins in Origin.
  void WidenKana(std::string_view lowered);

  bool UpperLowerMatch = false;
  bool FuzzySearch = false;
  bool SearchAsWord = false;
  // The line must be lower-cased for the word to be found in it.
  bool FoldCase = false;
  std::string FoldedWord;
  // Reused from line to line.
  std::string Folded;
  std::string Scratch;
  std::string Piece;
  std::vector<size_t> Origin;
};

}  // namespace varsik
