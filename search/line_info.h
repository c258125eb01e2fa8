// The record that carries one matching line from the text-file reader to the match
// callback.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "search/encoding.h"
#include "search/match_span.h"

namespace varsik {

struct RE_LineInfo_t {
  // The line's bytes without its line end (no trailing CR or LF).
  std::string Line;
  // 1-based.
  int64_t LineNo = 0;
  // Line holds only the first bytes of a longer line (see the searches' line cut).
  bool Cut = false;
  // The encoding of the file, and, when it is decoded (neither Shift JIS nor ASCII), the
  // same characters as Line in the file's own bytes (TDecodedInput::OriginalLine).
  TEncoding Encoding = TEncoding::ShiftJis;
  std::string Original;
  // The matches on the line as the file holds it (OriginalText), in order, not
  // overlapping, when the search was asked to mark them (else empty).
  std::vector<TMatchSpan> Matches;

  // The line as the file holds it.
  std::string_view OriginalText() const { return ReadsAsShiftJis(Encoding) ? Line : Original; }
};

}  // namespace varsik
