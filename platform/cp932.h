// Conversion between the engine's Shift JIS (CP932) bytes and the UI's UTF-8 text,
// through the C library's iconv.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace varsik {

namespace Platform {

// UTF-8 to CP932; nullopt when the text holds a character that CP932 cannot hold
// or is not valid UTF-8.
std::optional<std::string> Utf8ToCp932(std::string_view utf8);

// UTF-8 to CP932 for output that must be CP932 whatever the text holds: a character that
// CP932 cannot hold, and each byte that is not UTF-8, becomes "?".
std::string Utf8ToCp932Lossy(std::string_view utf8);

// CP932 to UTF-8 for display. Never fails: a byte sequence that CP932 does not define
// becomes U+FFFD, and decoding goes on behind it.
std::string Cp932ToUtf8(std::string_view cp932);

// Cp932ToUtf8 appending to `out`, which also moves each of `offsets` (ascending bytes
// of `cp932`) to where its character begins in `out`, an offset inside a character to
// where the next one begins: the bounds of a part of the text, moved with it.
void AppendCp932AsUtf8(std::string_view cp932, std::span<size_t> offsets, std::string& out);

// One CP932 character at the start of `cp932`: its UTF-8 form and how many bytes it
// takes (a double-byte character when the pair is one, else the single byte). Length 0
// when neither is a character that CP932 defines, or `cp932` is empty.
struct TCp932Char {
  std::string_view Utf8;
  size_t Length = 0;
};
TCp932Char Cp932CharAt(std::string_view cp932);

}  // namespace Platform

}  // namespace varsik
