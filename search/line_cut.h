// The cut of a reported line: a hit line longer than the search's limit is shown as its
// first bytes, so that no line holds the memory of a search or of the view it goes to.
#pragma once

#include <cstddef>
#include <string>

#include "search/byte_scan.h"

namespace varsik {

// Cuts `text` to at most `maxBytes` bytes of whole characters (a lead byte whose trail
// would be cut off goes too) and returns true, when it is longer; 0 keeps any length.
inline bool CutAtCharacter(std::string& text, size_t maxBytes) {
  if (maxBytes == 0 || text.size() <= maxBytes) return false;
  size_t keep = 0;
  while (keep < text.size()) {
    const size_t length = ByteScan::IsLeadByte(static_cast<uint8_t>(text[keep])) ? 2 : 1;
    if (keep + length > maxBytes) break;
    keep += length;
  }
  text.resize(keep);
  return true;
}

}  // namespace varsik
