#include "platform/utf8.h"

namespace varsik {

namespace Platform {

size_t Utf8CharLength(std::string_view s, size_t i) {
  const auto byte = [&](size_t k) { return static_cast<unsigned char>(s[i + k]); };
  const auto isTrail = [&](size_t k) { return i + k < s.size() && (byte(k) & 0xC0) == 0x80; };
  const unsigned char b = byte(0);
  if (b < 0x80) return 1;
  if (b < 0xC2) return 0;  // a trail byte, or the lead of an overlong two-byte form
  if (b < 0xE0) return isTrail(1) ? 2 : 0;
  if (b < 0xF0) {
    if (!isTrail(1) || !isTrail(2)) return 0;
    if (b == 0xE0 && byte(1) < 0xA0) return 0;   // overlong
    if (b == 0xED && byte(1) >= 0xA0) return 0;  // a surrogate
    return 3;
  }
  if (b < 0xF5) {
    if (!isTrail(1) || !isTrail(2) || !isTrail(3)) return 0;
    if (b == 0xF0 && byte(1) < 0x90) return 0;   // overlong
    if (b == 0xF4 && byte(1) >= 0x90) return 0;  // past U+10FFFF
    return 4;
  }
  return 0;
}

bool IsValidUtf8(std::string_view s) {
  for (size_t i = 0; i < s.size();) {
    const size_t length = Utf8CharLength(s, i);
    if (length == 0) return false;
    i += length;
  }
  return true;
}

char32_t Utf8CodePoint(std::string_view s, size_t i, size_t length) {
  const auto b = static_cast<unsigned char>(s[i]);
  if (length == 1) return b;
  char32_t cp = b & (0x7F >> length);
  for (size_t k = 1; k < length; ++k) cp = cp << 6 | (static_cast<unsigned char>(s[i + k]) & 0x3F);
  return cp;
}

void AppendUtf8(std::string& out, char32_t cp) {
  const auto put = [&out](char32_t bits) { out += static_cast<char>(bits); };
  if (cp < 0x80) {
    put(cp);
  } else if (cp < 0x800) {
    put(0xC0 | cp >> 6);
    put(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    put(0xE0 | cp >> 12);
    put(0x80 | (cp >> 6 & 0x3F));
    put(0x80 | (cp & 0x3F));
  } else {
    put(0xF0 | cp >> 18);
    put(0x80 | (cp >> 12 & 0x3F));
    put(0x80 | (cp >> 6 & 0x3F));
    put(0x80 | (cp & 0x3F));
  }
}

}  // namespace Platform

}  // namespace varsik
