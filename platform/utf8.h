// Whether bytes are UTF-8 text: the settings file decides by it how it was written.
#pragma once

#include <string_view>

namespace Platform {

// True when `bytes` is well-formed UTF-8: no stray or missing continuation bytes, no
// over-long forms, no surrogates, nothing beyond U+10FFFF. NUL bytes are characters.
bool IsUtf8(std::string_view bytes);

}  // namespace Platform
