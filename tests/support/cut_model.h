// What the cut of a reported line leaves, said once for the tests' models of the reader:
// at most `maxBytes` bytes of whole characters (a lead byte counts two, its trail with it).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace varsik {

inline std::string CutModel(std::string line, size_t maxBytes) {
  if (maxBytes == 0 || line.size() <= maxBytes) return line;
  size_t keep = 0;
  for (;;) {
    const auto b = static_cast<uint8_t>(line[keep]);
    const size_t length = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC) ? 2 : 1;
    if (keep + length > maxBytes) break;
    keep += length;
  }
  line.resize(keep);
  return line;
}

}  // namespace varsik
