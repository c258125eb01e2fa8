// The record that carries one matching line from the text-file reader to the match
// callback.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "search/match_span.h"

namespace varsik {

struct RE_LineInfo_t {
  // The line's bytes without its line end (no trailing CR or LF).
  std::string Line;
  // 1-based.
  int64_t LineNo = 0;
  // Line holds only the first bytes of a longer line (see the searches' line cut).
  bool Cut = false;
  // The matches on Line, in order, not overlapping, when the search was asked to mark
  // them (else empty).
  std::vector<TMatchSpan> Matches;
};

}  // namespace varsik
