// What counts as UTF-8: the checks that decide whether a name is shown as UTF-8 and
// whether the command line's word argument can be taken.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace varsik {

namespace Platform {

// The length of the well-formed UTF-8 character at `i` of `s` (1 to 4), or 0 when the
// bytes there are none: a stray trail byte, a cut sequence, an overlong form, a
// surrogate or a code point past U+10FFFF.
size_t Utf8CharLength(std::string_view s, size_t i);

bool IsValidUtf8(std::string_view s);

// The code point of the well-formed character of `length` bytes (as Utf8CharLength gave
// it) at `i` of `s`.
char32_t Utf8CodePoint(std::string_view s, size_t i, size_t length);

// Appends the UTF-8 form of a code point (at most U+10FFFF, no surrogate).
void AppendUtf8(std::string& out, char32_t cp);

}  // namespace Platform

}  // namespace varsik
