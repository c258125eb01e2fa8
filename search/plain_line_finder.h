// TPlainLineFinder: plain mode as the line searcher's finder. Runs of lines are scanned
// in the file's own bytes by TPlainMatcher; the lines it does not take on (a lone CR,
// half-width katakana under the fuzzy switch, a line whose compares would cost too
// much) and lines too long to hold go through TPlainStreamMatcher, which applies the
// same rule in one pass.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "search/line_finder.h"
#include "search/plain_matcher.h"
#include "search/plain_stream_matcher.h"

namespace varsik {

class TPlainLineFinder : public TLineFinder {
 public:
  // `word` is CP932; the switches are the search dialog's.
  void Prepare(std::string_view word, bool upperLowerMatch, bool fuzzySearch, bool searchAsWord);
  // No line can hold the word.
  bool NeverMatches() const { return Matcher.NeverMatches(); }

  TLineRules Rules() const override {
    return {.CrEndsLines = false, .TextEndsAtNul = true, .TextEndsBeforeCtrlZLine = true};
  }
  TRequiredText Required() const override { return {RequiredBytes, !UpperLowerMatch, {}}; }
  bool FindLines(const uint8_t* begin, const uint8_t* end, bool loneCr,
                 std::vector<const uint8_t*>& hits) override;
  void BeginLine() override { Stream.Begin(); }
  void FeedLine(const uint8_t* begin, const uint8_t* end) override { Stream.Feed(begin, end); }
  bool LineMatched() const override { return Stream.Matched(); }
  bool EndLine() override { return Stream.End(); }

 private:
  // The lines of [begin, end), none of which has a lone CR or, with the fuzzy switch,
  // half-width katakana.
  void ScanPlainLines(const uint8_t* begin, const uint8_t* end, std::vector<const uint8_t*>& hits);

  bool UpperLowerMatch = false;
  bool FuzzySearch = false;
  // The longest run of the word's characters that no other character folds to, but the
  // other case of an ASCII letter.
  std::string RequiredBytes;
  TPlainMatcher Matcher;
  TPlainStreamMatcher Stream;
};

}  // namespace varsik
