// TPlainMatcher: the word of a plain search prepared for scanning many lines at once in
// the file's own bytes: folded as the switches say, with the raw bytes that each folded
// byte may stand for and two bytes that pick out candidates cheaply. It answers as
// PlainLineRule does for each line, without folding or copying lines, and gives up a
// line (for a linear pass) where repeated partial matches would make it slow.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "search/byte_scan.h"

namespace varsik {

class TPlainMatcher {
 public:
  void Prepare(std::string_view word, bool upperLowerMatch, bool fuzzySearch, bool searchAsWord);

  // No line can hold the word: it is empty, or holds a NUL, CR or LF, which lines never
  // hold.
  bool NeverMatches() const { return Never; }

  // The first line of [begin, end) that holds the word, or the first on which the
  // compares would cost more than a pass over the line with TPlainStreamMatcher
  // (Undecided: the caller decides that line so); LineStart is end when there is none.
  // The text must be whole lines, ending with LF but the last, whose only CRs stand
  // right before their LF, without NUL and, with the fuzzy switch, without half-width
  // katakana; an LF stands in front of begin and ByteScan::kPadding readable bytes
  // behind end. Takes time in proportion to the text and the lines it gives.
  struct TFound {
    const uint8_t* LineStart;
    bool Undecided;
  };
  TFound FindLine(const uint8_t* begin, const uint8_t* end) const;

  // The folded word.
  const std::string& FoldedWord() const { return Folded; }

 private:
  class TScan;
  // The next occurrence at a character start of the word in [from, textEnd); nullptr
  // when none, and the candidate where the work ran out when the scan is over budget.
  const uint8_t* NextOccurrence(const uint8_t* from, const uint8_t* textEnd, TScan& scan) const;
  // The folded text at p equals the folded word.
  bool Equals(const uint8_t* p) const;
  // The line [lineStart, lineEnd) (without its line end) holds the word as a word;
  // `first` is its first occurrence there.
  bool HasWholeWord(const uint8_t* lineStart, const uint8_t* lineEnd, const uint8_t* first,
                    TScan& scan) const;
  // The folded byte at `after`, the byte behind an occurrence, ends a word.
  bool AfterIsBoundary(const uint8_t* after) const;

  bool Prepared = false;
  bool UpperLowerMatch = false;
  bool FuzzySearch = false;
  bool SearchAsWord = false;
  std::string Word;    // as given, to know when Prepare has nothing to do
  std::string Folded;  // the folded word
  bool Never = true;
  // The word's last character is a lead byte without its trail: an occurrence then
  // ends inside a character of the text.
  bool EndsInLeadByte = false;
  // For each byte of the folded word, the raw bytes that fold to it (often both one).
  std::vector<uint8_t> Raw1;
  std::vector<uint8_t> Raw2;
  ByteScan::TBytePair Pair;
};

}  // namespace varsik
