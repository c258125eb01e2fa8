// Test helper: Shift JIS (CP932) bytes written as readable UTF-8 in the test source.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/cp932.h"

namespace varsik {

inline std::string Sjis(std::string_view utf8) {
  auto bytes = Platform::Utf8ToCp932(utf8);
  if (!bytes) throw std::invalid_argument("not CP932: " + std::string(utf8));
  return *bytes;
}

}  // namespace varsik
