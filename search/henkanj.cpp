#include "search/henkanj.h"

namespace varsik {

namespace HenkanJ {

using ShiftJis::IsLeadByte;

namespace {

// The 39 half-width symbols, and their full-width codes high byte first, in the same
// order.
constexpr std::string_view kHalfSymbols =
    " !\"#$%&'()=`|-^\\~{@[+*};:]<>?_\xA4\xA1\xA5,./\xB0\xA2\xA3";
constexpr std::string_view kFullSymbols =
    "\x81\x40\x81\x49\x81\x68\x81\x94\x81\x90\x81\x93\x81\x95\x81\x66\x81\x69\x81\x6A"
    "\x81\x81\x81\x65\x81\x62\x81\x7C\x81\x4F\x81\x8F\x81\x50\x81\x6F\x81\x97\x81\x6D"
    "\x81\x7B\x81\x96\x81\x70\x81\x47\x81\x46\x81\x6E\x81\x83\x81\x84\x81\x48\x81\x51"
    "\x81\x41\x81\x42\x81\x45\x81\x43\x81\x44\x81\x5E\x81\x5B\x81\x75\x81\x76";
static_assert(kHalfSymbols.size() == 39 && kFullSymbols.size() == 78);

// Half-width katakana A6 to DF hex: bits 0 to 6 are the low byte of the JIS X 0208
// code of the full-width katakana (row 25 hex), bit 7 says the kana takes a voiced
// mark; 0 means no full-width form here (B0 hex, the marks DE and DF hex).
constexpr uint8_t kVoiced = 0x80;
constexpr uint8_t kKanaFirst = 0xA6;
constexpr uint8_t kKana[0xDF - kKanaFirst + 1] = {
    0x72,           0x21,           0x23,           0x25,           0x27,
    0x29,           0x63,           0x65,           0x67,           0x43,  // ｦ ｧ ｨ ｩ ｪ ｫ ｬ ｭ ｮ ｯ
    0x00,                                                                  // ｰ (a symbol)
    0x22,           0x24,           0x26,           0x28,           0x2A,  // ｱ ｲ ｳ ｴ ｵ
    0x2B | kVoiced, 0x2D | kVoiced, 0x2F | kVoiced, 0x31 | kVoiced, 0x33 | kVoiced,  // ｶ-ｺ
    0x35 | kVoiced, 0x37 | kVoiced, 0x39 | kVoiced, 0x3B | kVoiced, 0x3D | kVoiced,  // ｻ-ｿ
    0x3F | kVoiced, 0x41 | kVoiced, 0x44 | kVoiced, 0x46 | kVoiced, 0x48 | kVoiced,  // ﾀ-ﾄ
    0x4A,           0x4B,           0x4C,           0x4D,           0x4E,            // ﾅ-ﾉ
    0x4F | kVoiced, 0x52 | kVoiced, 0x55 | kVoiced, 0x58 | kVoiced, 0x5B | kVoiced,  // ﾊ-ﾎ
    0x5E,           0x5F,           0x60,           0x61,           0x62,            // ﾏ-ﾓ
    0x64,           0x66,           0x68,                                            // ﾔ ﾕ ﾖ
    0x69,           0x6A,           0x6B,           0x6C,           0x6D,            // ﾗ-ﾛ
    0x6F,           0x73,                                                            // ﾜ ﾝ
    0x00,           0x00,                                                            // ﾞ ﾟ
};

constexpr uint8_t kVoicedMark = 0xDE;             // ﾞ
constexpr uint8_t kSemiVoicedMark = 0xDF;         // ﾟ
constexpr uint16_t kFullVoicedMark = 0x212B;      // ゛
constexpr uint16_t kFullSemiVoicedMark = 0x212C;  // ゜

uint8_t KanaEntry(uint8_t b) {
  return b >= kKanaFirst && b <= 0xDF ? kKana[b - kKanaFirst] : 0;
}

// Only ﾊ to ﾎ have semi-voiced forms; on the other voiced kana ﾟ stays a mark of its
// own, so that ｶﾟ does not turn into another kana.
bool TakesSemiVoicedMark(uint8_t b) {
  return b >= 0xCA && b <= 0xCE;
}

void AppendFullWidth(std::string& out, uint16_t jis) {
  ShiftJis::AppendCode(out, JisToShiftJis(jis));
}

void AppendHalfToFullWidth(std::string& out, std::string_view s) {
  size_t i = 0;
  while (i < s.size()) {
    const uint8_t b = static_cast<uint8_t>(s[i]);
    const bool hasNext = i + 1 < s.size();
    const uint8_t next = hasNext ? static_cast<uint8_t>(s[i + 1]) : 0;
    if (IsLeadByte(b)) {
      // A lead byte in the last position is kept alone.
      out.append(s.substr(i, 2));
      i += 2;
      continue;
    }
    if ((b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z')) {
      AppendFullWidth(out, static_cast<uint16_t>(0x2300 + b));
      ++i;
      continue;
    }
    if (const uint8_t entry = KanaEntry(b); entry != 0) {
      uint16_t kana = static_cast<uint16_t>(0x2500 + (entry & 0x7F));
      ++i;
      const bool voiced = (entry & kVoiced) != 0;
      if (voiced && next == kVoicedMark) {
        AppendFullWidth(out, kana + 1);
        ++i;
      } else if (voiced && next == kSemiVoicedMark && TakesSemiVoicedMark(b)) {
        AppendFullWidth(out, kana + 2);
        ++i;
      } else {
        AppendFullWidth(out, kana);
        if (hasNext && IsSoundMark(next)) {
          AppendFullWidth(out, next == kVoicedMark ? kFullVoicedMark : kFullSemiVoicedMark);
          ++i;
        }
      }
      continue;
    }
    const uint16_t symbol = SymbolToFullWidth(b);
    if (symbol != b)
      ShiftJis::AppendCode(out, symbol);
    else
      out += static_cast<char>(b);
    ++i;
  }
}

}  // namespace

bool IsSoundMark(uint8_t b) {
  return b == kVoicedMark || b == kSemiVoicedMark;
}

uint16_t JisToShiftJis(uint16_t jis) {
  const unsigned j1 = jis >> 8;
  const unsigned j2 = jis & 0xFF;
  const unsigned s1 = ((j1 + 1) >> 1) + (j1 <= 0x5E ? 0x70 : 0xB0);
  const unsigned s2 = (j1 & 1) ? j2 + (j2 <= 0x5F ? 0x1F : 0x20) : j2 + 0x7E;
  return static_cast<uint16_t>((s1 & 0xFF) << 8 | (s2 & 0xFF));
}

uint16_t SymbolToFullWidth(uint8_t b) {
  const size_t i = kHalfSymbols.find(static_cast<char>(b));
  if (i == std::string_view::npos) return b;
  return static_cast<uint16_t>(static_cast<uint8_t>(kFullSymbols[2 * i]) << 8 |
                               static_cast<uint8_t>(kFullSymbols[2 * i + 1]));
}

std::string HalfToFullWidth(std::string_view s) {
  std::string out;
  out.reserve(s.size() * 2);
  AppendHalfToFullWidth(out, s);
  return out;
}

std::string HalfKanaToFullWidth(std::string_view s) {
  std::string out;
  HalfKanaToFullWidth(s, out);
  return out;
}

void HalfKanaToFullWidth(std::string_view s, std::string& out) {
  out.clear();
  size_t i = 0;
  while (i < s.size()) {
    const uint8_t b = static_cast<uint8_t>(s[i]);
    if (IsLeadByte(b)) {
      out.append(s.substr(i, 2));
      i += 2;
    } else if (b < 0xA0 || b > 0xDF) {
      out += static_cast<char>(b);
      ++i;
    } else {
      const size_t n = i + 1 < s.size() && IsSoundMark(static_cast<uint8_t>(s[i + 1])) ? 2 : 1;
      AppendHalfToFullWidth(out, s.substr(i, n));
      i += n;
    }
  }
}

}  // namespace HenkanJ

}  // namespace varsik
