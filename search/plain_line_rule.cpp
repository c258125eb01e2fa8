#include "search/plain_line_rule.h"

#include <array>

#include "base/shift_jis.h"
#include "search/henkanj.h"

namespace varsik {

namespace PlainLineRule {

namespace {

using ShiftJis::IsLeadByte;

constexpr std::array<bool, 256> MakeBoundaries() {
  std::array<bool, 256> table{};
  for (unsigned char c : std::string_view("\t\r\n \\'\";:,.*+-/%[]{}()<>&!?=")) table[c] = true;
  for (int b = 0x80; b < 0x100; ++b) table[b] = true;
  return table;
}
constexpr std::array<bool, 256> kBoundaries = MakeBoundaries();
static_assert([] {
  int n = 0;
  for (int b = 0; b < 0x80; ++b) n += kBoundaries[b];
  return n == 28;
}());

// Lower-cases CP932 text character by character, so that a trail byte that looks like
// a capital letter is never changed.
void LowerCase(std::string_view text, std::string& out) {
  out.assign(text);
  for (size_t i = 0; i < out.size();) {
    const uint8_t b = static_cast<uint8_t>(out[i]);
    if (IsLeadByte(b)) {
      if (i + 1 < out.size()) {
        const uint16_t code = static_cast<uint16_t>(b << 8 | static_cast<uint8_t>(out[i + 1]));
        const uint16_t lower = LowerDoubleByte(code);
        out[i] = static_cast<char>(lower >> 8);
        out[i + 1] = static_cast<char>(lower & 0xFF);
      }
      i += 2;
    } else {
      if (b >= 'A' && b <= 'Z') out[i] = static_cast<char>(b + ('a' - 'A'));
      ++i;
    }
  }
}

}  // namespace

bool IsBoundaryByte(uint8_t b) {
  return kBoundaries[b];
}

size_t CharLength(std::string_view s, size_t i) {
  return IsLeadByte(static_cast<uint8_t>(s[i])) && i + 1 < s.size() ? 2 : 1;
}

// The full-width capitals that fold: Latin, Greek and Cyrillic; each lower-case form
// has the same lead byte, so positions in a folded line stay those of the line.
uint16_t LowerDoubleByte(uint16_t code) {
  if (code >= 0x8260 && code <= 0x8279) return code + 0x21;  // Ａ-Ｚ
  if (code >= 0x839F && code <= 0x83B6) return code + 0x20;  // Α-Ω
  // Cyrillic: the lower-case row skips 847F hex after н.
  if (code >= 0x8440 && code <= 0x844E) return code + 0x30;  // А-Н
  if (code >= 0x844F && code <= 0x8460) return code + 0x31;  // О-Я
  return code;
}

std::string_view Fold(std::string_view text, bool upperLowerMatch, bool fuzzySearch,
                      std::string& out, std::string& scratch) {
  if (!upperLowerMatch) {
    LowerCase(text, out);
    text = out;
  }
  if (fuzzySearch) {
    HenkanJ::HalfKanaToFullWidth(text, scratch);
    out.swap(scratch);
    text = out;
  }
  return text;
}

size_t FindWord(std::string_view line, std::string_view word, size_t from) {
  size_t charStart = from;
  for (size_t p = line.find(word, from); p != std::string_view::npos; p = line.find(word, p)) {
    while (charStart < p) charStart += CharLength(line, charStart);
    if (charStart == p) return p;
    p = charStart;  // p was a trail byte; go on from the next character
  }
  return std::string_view::npos;
}

bool IsWholeWordAt(std::string_view word, int pos, std::string_view line) {
  if (pos < 1 || static_cast<size_t>(pos) > line.size()) return false;
  const size_t start = static_cast<size_t>(pos) - 1;
  if (start > 0) {
    // Whether the byte before is a character of its own or the trail of a double-byte
    // character follows from the characters before it, read from the line's start.
    size_t charStart = 0;
    while (charStart < start - 1) charStart += CharLength(line, charStart);
    const bool beforeIsTrail = charStart > start - 1;
    if (!beforeIsTrail && !IsBoundaryByte(static_cast<uint8_t>(line[start - 1]))) return false;
  }
  const size_t end = start + word.size();
  return end >= line.size() || IsBoundaryByte(static_cast<uint8_t>(line[end]));
}

bool LineMatches(std::string_view line, std::string_view word, bool asWord) {
  if (word.empty() || line.empty()) return false;
  size_t pos = FindWord(line, word, 0);
  if (!asWord) return pos != std::string_view::npos;
  // Each later occurrence is tested in the line cut behind the first character of the
  // one before, so that one beginning right at the cut counts as preceded by a
  // boundary. The cut falls between characters, never inside one.
  size_t cut = 0;
  while (pos != std::string_view::npos) {
    if (IsWholeWordAt(word, static_cast<int>(pos - cut + 1), line.substr(cut))) return true;
    cut = pos + CharLength(line, pos);
    pos = FindWord(line, word, cut);
  }
  return false;
}

}  // namespace PlainLineRule

}  // namespace varsik
