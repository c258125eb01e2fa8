// TLineMarker: where a search mode's matches lie on a line it reports. The searches ask
// for them only for the lines they report, and only when their output shows them, so
// the scan of lines without a match never pays for it.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "search/match_span.h"

namespace varsik {

class TLineMarker {
 public:
  virtual ~TLineMarker() = default;

  // How many bytes past a line's cut Mark must see to find a match that crosses it.
  virtual size_t LookBeyond() const { return 0; }

  // Appends the matches on `text` to `spans`, left to right, not overlapping, none
  // empty, each beginning and ending on a character boundary. `whole`: text is the whole
  // line, else only its first bytes. Runs on the thread that searches; one marker serves
  // one search at a time.
  virtual void Mark(std::string_view text, bool whole, std::vector<TMatchSpan>& spans) = 0;
};

// Drops the spans that begin at or behind `size` and ends the one that crosses it there:
// the spans of a line that was cut to its first `size` bytes.
inline void ClipSpans(std::vector<TMatchSpan>& spans, size_t size) {
  while (!spans.empty() && spans.back().Begin >= size) spans.pop_back();
  if (!spans.empty() && spans.back().End > size) spans.back().End = size;
}

}  // namespace varsik
