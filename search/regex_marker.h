// TRegexMarker: regular-expression mode's matches on a reported line: from each start
// position left to right, the longest run of codes that the automaton accepts, the next
// attempt beginning behind it. The line is read as the grep component reads it: the line
// end in front (whose attempts belong to the line), the line's codes, then its line end.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "regex/re_dfa.h"
#include "search/line_marker.h"

namespace varsik {

class TRegexMarker : public TLineMarker {
 public:
  // `dfa` outlives this and stays unchanged while it marks.
  explicit TRegexMarker(const TRE_DFA& dfa);

  // A match that reads past the line end marks to the line end; when the text is only
  // the line's first bytes, an attempt still alive where they end marks to there. Where the
  // attempts of a line would cost more than a few passes over it (a pattern such as a.*b on a long
  // run of a), the marks found by then are kept and the rest of the line goes unmarked.
  void Mark(std::string_view text, bool whole, std::vector<TMatchSpan>& spans) override;

 private:
  struct TAttempt {
    size_t End = 0;  // behind the longest match, or 0 for none
    bool Accepted = false;
    bool ReadsOn = false;  // still alive where the text ends: what follows decides
  };
  // An attempt in `state` (after its first code), reading on from byte p.
  TAttempt Run(int32_t state, size_t p, std::string_view text, bool whole);

  const TRE_DFA& DFA;
  // Whether a code whose first byte is this can begin a match: most positions of a line
  // are passed over by a look-up.
  std::array<bool, 256> Starts{};
  // The pattern's fixed string when it is one that stays inside a line (no anchor):
  // its matches are its occurrences at character starts, found by a string search.
  std::string_view Fixed;
  size_t Budget = 0;  // the steps the line's attempts may still take
};

}  // namespace varsik
