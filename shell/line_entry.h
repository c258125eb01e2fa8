// One matching line as the search hands it to a sink.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "search/encoding.h"
#include "search/line_info.h"
#include "search/match_span.h"

namespace varsik {

struct TLineEntry {
  TLineEntry(int64_t lineNo, std::string_view text, bool cut)
      : LineNo(lineNo), Text(text), Cut(cut) {}
  // A line as the search reports it: its text as the file holds it, with the matches
  // marked on that text.
  explicit TLineEntry(const RE_LineInfo_t& info)
      : LineNo(info.LineNo),
        Text(info.OriginalText()),
        TextEncoding(info.Encoding),
        Cut(info.Cut),
        Matches(info.Matches) {}

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
