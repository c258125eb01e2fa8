// Character-code helpers over CP932 byte strings with 1-based positions.
#include "regex/re_char_code.h"

#include <algorithm>

#include "regex/errors.h"

namespace varsik {

namespace {

uint8_t ByteAt(std::string_view s, int32_t p) {
  return static_cast<uint8_t>(s[p - 1]);
}

// Reads up to maxDigits digits of the given base; the escape readers differ only in the
// digit test, the limit and the overflow rule.
template <typename TDigit>
uint16_t ReadDigits(std::string_view s, int32_t& p, int maxDigits, TDigit digitValue, int base,
                    const char* message) {
  uint32_t value = 0;
  int taken = 0;
  bool stoppedOnChar = false;
  int32_t before = p;
  for (;;) {
    before = p;
    uint16_t c = ReadCharCode(s, p);
    if (c == 0) break;
    int d = taken == maxDigits ? -1 : digitValue(c);
    if (d < 0) {
      stoppedOnChar = true;
      break;
    }
    value = value * base + d;
    if (value > 0xFFFF) throw ERegExpParser(message, p);
    ++taken;
  }
  if (taken == 0) throw ERegExpParser(message, p);
  // A zero byte inside the text is its end for every reader, so it is given back too:
  // the next token then sees the end instead of the bytes behind it.
  if (stoppedOnChar)
    UnreadChar(s, p);
  else
    p = before;
  return static_cast<uint16_t>(value);
}

}  // namespace

uint16_t ReadCharCode(std::string_view s, int32_t& p) {
  if (p < 1 || p > static_cast<int64_t>(s.size())) return 0;
  uint8_t b = ByteAt(s, p);
  if (ShiftJis::IsLeadByte(b)) {
    if (p == static_cast<int64_t>(s.size())) throw ERegExpParser(kMsgBadDoubleByte, p);
    uint16_t code = static_cast<uint16_t>(b << 8 | ByteAt(s, p + 1));
    p += 2;
    return code;
  }
  ++p;
  return b;
}

void UnreadChar(std::string_view s, int32_t& p) {
  if (p <= 1) return;
  if (p == 2) {
    p = 1;
    return;
  }
  p -= IsTrailByte(s, p - 1) ? 2 : 1;
}

bool IsTrailByte(std::string_view s, int32_t q) {
  if (q <= 1) return false;
  // The byte after a non-lead byte always starts a character, and so does the first byte
  // of the string: count the lead-range bytes back to that boundary. The first byte is
  // examined too, so a double-byte character at the very start is judged right.
  int32_t r = q - 1;
  while (r >= 1 && ShiftJis::IsLeadByte(ByteAt(s, r))) --r;
  return (q - r) % 2 == 0;
}

int HexDigitValue(uint16_t code) {
  if (code >= '0' && code <= '9') return code - '0';
  if (code >= 'A' && code <= 'F') return code - 'A' + 10;
  if (code >= 'a' && code <= 'f') return code - 'a' + 10;
  return -1;
}

int OctDigitValue(uint16_t code) {
  return code >= '0' && code <= '7' ? code - '0' : -1;
}

uint16_t ReadEscape(std::string_view s, int32_t& p) {
  uint16_t c = ReadCharCode(s, p);
  switch (c) {
    case 0:
      throw ERegExpParser(kMsgCharAfterBackslash, p);
    case 'b':
      return 8;
    case 'n':
      return 10;
    case 'r':
      return 13;
    case 't':
      return 9;
    case 'x':
      return ReadHexCode(s, p);
    default:
      if (OctDigitValue(c) >= 0) {
        UnreadChar(s, p);
        return ReadOctCode(s, p);
      }
      return c;
  }
}

uint16_t ReadHexCode(std::string_view s, int32_t& p) {
  return ReadDigits(s, p, 4, HexDigitValue, 16, kMsgBadHexCode);
}

uint16_t ReadOctCode(std::string_view s, int32_t& p) {
  return ReadDigits(s, p, 6, OctDigitValue, 8, kMsgBadOctCode);
}

bool IsMetaChar(uint16_t code) {
  return std::find(std::begin(kMetaChars), std::end(kMetaChars), code) != std::end(kMetaChars);
}

std::string QuoteMetaChars(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  int32_t p = 1;
  for (uint16_t c; (c = ReadCharCode(s, p)) != 0;) {
    if (IsMetaChar(c)) out += '\\';
    out += CharCodeToStr(c);
  }
  return out;
}

}  // namespace varsik
