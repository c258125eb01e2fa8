// RE_CharRange_t: an inclusive range of character codes, the label of parse-tree leaves
// and of NFA and DFA transitions.
#pragma once

#include <cstdint>

namespace varsik {

struct RE_CharRange_t {
  uint16_t StartChar;
  uint16_t EndChar;

  friend bool operator==(const RE_CharRange_t&, const RE_CharRange_t&) = default;
};

// The label of an empty transition. A transition counts as empty when its StartChar is
// 0xFFFF (text never yields that code).
inline constexpr RE_CharRange_t EpsilonChars{0xFFFF, 0xFFFF};
constexpr bool IsEpsilon(RE_CharRange_t chars) {
  return chars.StartChar == 0xFFFF;
}

// A key that identifies a range exactly, for hashing.
constexpr uint32_t RangeKey(RE_CharRange_t chars) {
  return static_cast<uint32_t>(chars.StartChar) << 16 | chars.EndChar;
}

}  // namespace varsik
