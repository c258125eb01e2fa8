// The record that carries one matching line from the text-file reader to the match
// callback.
#pragma once

#include <cstdint>
#include <string>

namespace varsik {

struct RE_LineInfo_t {
  // The line's bytes without its line end (no trailing CR or LF).
  std::string Line;
  // 1-based.
  int64_t LineNo = 0;
  // Line holds only the first bytes of a longer line (see the searches' line cut).
  bool Cut = false;
};

}  // namespace varsik
