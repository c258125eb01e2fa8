// Character codes of Shift JIS (CP932) byte strings: reading a code, stepping back over
// one, writing one out, decoding escapes and quoting metacharacters. Shared by the
// scanner, the preprocessor, the literal check of the DFA and the grep engine.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/shift_jis.h"

namespace varsik {

// Messages of the token-level pattern errors.
inline constexpr const char* kMsgBadDoubleByte = "不正な２バイト文字コードです。";
inline constexpr const char* kMsgCharAfterBackslash = "\"\\\"の次には文字が必要です。";
inline constexpr const char* kMsgBadHexCode = "不正な１６進数コード表記です。";
inline constexpr const char* kMsgBadOctCode = "不正な８進数コード表記です。";
inline constexpr const char* kMsgNeedRightBracket = "右ブラケット\"]\"が必要です";
inline constexpr const char* kMsgBadCharRange = "不正なキャラクタ範囲です";

// Reads the character at the 1-based position p of s and advances p over it. Returns 0
// when p is outside s (p unchanged) and for a zero byte (p advanced). A lead byte in the
// last position raises ERegExpParser at that position.
uint16_t ReadCharCode(std::string_view s, int32_t& p);

// Moves p back over the character read last (only used right after reading).
void UnreadChar(std::string_view s, int32_t& p);

// Whether the byte at the 1-based position q of s is the trail byte of a double-byte
// character, judged by the run of lead-range bytes directly before it.
bool IsTrailByte(std::string_view s, int32_t q);

// The one or two bytes of a code: two when its high byte is a lead byte.
inline std::string CharCodeToStr(uint16_t code) {
  return ShiftJis::CodeToBytes(code);
}

// Escapes, called behind the backslash (ReadEscape) or behind "\x" and at the first octal
// digit (ReadHexCode, ReadOctCode).
uint16_t ReadEscape(std::string_view s, int32_t& p);
uint16_t ReadHexCode(std::string_view s, int32_t& p);
uint16_t ReadOctCode(std::string_view s, int32_t& p);

// 0 to 15 (0 to 7) for a single-byte hex (octal) digit, -1 for anything else.
int HexDigitValue(uint16_t code);
int OctDigitValue(uint16_t code);

// The twelve metacharacters, in the order of the escape table.
inline constexpr uint16_t kMetaChars[12] = {'^', '(', '|', ')', '+', '*',
                                            '?', '.', '[', ']', '$', '\\'};
bool IsMetaChar(uint16_t code);

// s with a backslash before every metacharacter: as a pattern it matches s literally.
std::string QuoteMetaChars(std::string_view s);

}  // namespace varsik
