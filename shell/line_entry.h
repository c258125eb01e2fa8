// One matching line as the search hands it to a sink.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "search/encoding.h"

namespace varsik {

// A match on the line: bytes [Begin, End) of the line's text.
struct TMatchSpan {
  size_t Begin = 0;
  size_t End = 0;
  friend bool operator==(const TMatchSpan&, const TMatchSpan&) = default;
};

struct TLineEntry {
  TLineEntry(int64_t lineNo, std::string_view text, bool cut)
      : LineNo(lineNo), Text(text), Cut(cut) {}

  int64_t LineNo = 0;
  // The line without its line end, as the file holds it, in TextEncoding. When Cut, only
  // its first bytes (cut at a character boundary).
  std::string_view Text;
  TEncoding TextEncoding = TEncoding::ShiftJis;
  bool Cut = false;
  // The matches on Text, in order, not overlapping; empty when the search did not mark them.
  std::span<const TMatchSpan> Matches;
};

}  // namespace varsik
