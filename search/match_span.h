// A match on a line, as bytes of the line's text.
#pragma once

#include <cstddef>

namespace varsik {

// Bytes [Begin, End) of a line's text.
struct TMatchSpan {
  size_t Begin = 0;
  size_t End = 0;
  friend bool operator==(const TMatchSpan&, const TMatchSpan&) = default;
};

}  // namespace varsik
