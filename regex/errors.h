// The pattern error that every part of the pattern engine raises.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

#include "base/errors.h"

namespace varsik {

// A pattern that does not compile: the message says why, ErrorPos is the 1-based
// scanning position in the pattern where it was found (0 when the pattern as a whole is
// at fault, as for a pattern too complex to compile). The position is kept at full width so
// that it stays right in patterns longer than 65535 bytes.
class ERegExpParser : public EVarsikError {
 public:
  ERegExpParser(std::string message, int32_t pos)
      : EVarsikError(std::move(message)), ErrorPos(pos) {}
  int32_t ErrorPos;
};

}  // namespace varsik
