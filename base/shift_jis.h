// The basic facts of Shift JIS (CP932) text that every part reads it by: which bytes
// lead a double-byte character, and how a character code is written as bytes.
#pragma once

#include <cstdint>
#include <string>

namespace varsik {

namespace ShiftJis {

// A lead byte, 81 to 9F or E0 to FC hex: it and the byte behind it form one character
// (except before a line end, which is never a trail byte). Under xor 20 hex the two
// ranges become one (A1 to DC), so the test is one compare.
constexpr bool IsLeadByte(uint8_t b) {
  return static_cast<uint8_t>((b ^ 0x20) - 0xA1) <= 0xDC - 0xA1;
}

// The bytes of a character code: lead and trail when its high byte is a lead byte,
// else its low byte alone.
inline void AppendCode(std::string& out, uint16_t code) {
  const auto high = static_cast<uint8_t>(code >> 8);
  if (IsLeadByte(high)) out += static_cast<char>(high);
  out += static_cast<char>(code & 0xFF);
}

inline std::string CodeToBytes(uint16_t code) {
  std::string bytes;
  AppendCode(bytes, code);
  return bytes;
}

}  // namespace ShiftJis

}  // namespace varsik
