#include "search/plain_matcher.h"

#include <algorithm>
#include <cstring>

#include "base/char_starts.h"
#include "base/shift_jis.h"
#include "search/plain_line_rule.h"

namespace varsik {

namespace {

using ByteScan::LineEnd;
using ByteScan::LineStart;
using ShiftJis::IsLeadByte;

// The capital whose lower-case form is `code`, or 0 when there is none.
uint16_t UpperDoubleByte(uint16_t code) {
  if (code >= 0x8281 && code <= 0x829A) return code - 0x21;
  if (code >= 0x83BF && code <= 0x83D6) return code - 0x20;
  if (code >= 0x8470 && code <= 0x847E) return code - 0x30;
  if (code >= 0x8480 && code <= 0x8491) return code - 0x31;
  return 0;
}

}  // namespace

// The state of one FindLine: where characters start, and the work spent on compares
// against the work a linear pass would take.
class TPlainMatcher::TScan : public TCharStarts {
 public:
  TScan(const uint8_t* begin, size_t wordSize)
      : TCharStarts(begin), Origin(begin), WordSize(wordSize) {}

  // Counts a compare of the word at p; false (and Over from then on) when the compares
  // so far cost more than a few passes over the text up to p would.
  bool Spend(const uint8_t* p) {
    Work += WordSize;
    Exceeded = Exceeded || Work > 4 * static_cast<size_t>(p - Origin) + 16 * WordSize + 4096;
    return !Exceeded;
  }
  bool Over() const { return Exceeded; }

 private:
  const uint8_t* Origin;
  size_t WordSize;
  size_t Work = 0;
  bool Exceeded = false;
};

void TPlainMatcher::Prepare(std::string_view word, bool upperLowerMatch, bool fuzzySearch,
                            bool searchAsWord) {
  if (word == Word && upperLowerMatch == UpperLowerMatch && fuzzySearch == FuzzySearch &&
      searchAsWord == SearchAsWord && Prepared)
    return;
  Prepared = true;
  Word.assign(word);
  UpperLowerMatch = upperLowerMatch;
  FuzzySearch = fuzzySearch;
  SearchAsWord = searchAsWord;
  std::string out;
  std::string scratch;
  Folded.assign(PlainLineRule::Fold(word, upperLowerMatch, fuzzySearch, out, scratch));
  Never =
      Folded.empty() || Folded.find_first_of(std::string_view("\0\r\n", 3)) != std::string::npos;

  const size_t n = Folded.size();
  Raw1.assign(Folded.begin(), Folded.end());
  Raw2 = Raw1;
  EndsInLeadByte = false;
  std::vector<bool> filterable(n, true);
  for (size_t i = 0; i < n;) {
    const uint8_t b = static_cast<uint8_t>(Folded[i]);
    if (IsLeadByte(b) && i + 1 < n) {
      const uint16_t upper = UpperDoubleByte(static_cast<uint16_t>(b << 8 | Raw2[i + 1]));
      if (!upperLowerMatch && upper != 0) {
        Raw2[i + 1] = static_cast<uint8_t>(upper & 0xFF);
        filterable[i + 1] = false;  // two trail bytes that differ in more than one bit
      }
      i += 2;
      continue;
    }
    if (IsLeadByte(b)) EndsInLeadByte = true;
    if (!upperLowerMatch && b >= 'a' && b <= 'z') Raw2[i] = static_cast<uint8_t>(b - 0x20);
    ++i;
  }

  // The filter: the two rarest bytes that a mask can test.
  auto rarity = [&](size_t i) {
    return filterable[i] ? std::min(ByteScan::Rarity(Raw1[i]), ByteScan::Rarity(Raw2[i])) : -1;
  };
  size_t first = 0;
  for (size_t i = 1; i < n; ++i)
    if (rarity(i) > rarity(first)) first = i;
  size_t second = first;
  for (size_t i = 0; i < n; ++i)
    if (i != first && (second == first || rarity(i) > rarity(second))) second = i;
  if (n > 0 && rarity(second) < 0) second = first;
  auto setByte = [&](size_t i, size_t& offset, uint8_t& mask, uint8_t& value) {
    offset = i;
    mask = static_cast<uint8_t>(~(Raw1[i] ^ Raw2[i]));
    value = Raw1[i] & mask;
  };
  Pair = {};
  if (n > 0) {
    setByte(first, Pair.Offset1, Pair.Mask1, Pair.Value1);
    setByte(second, Pair.Offset2, Pair.Mask2, Pair.Value2);
  }
}

bool TPlainMatcher::Equals(const uint8_t* p) const {
  const size_t n = Folded.size();
  if (UpperLowerMatch) return std::memcmp(p, Folded.data(), n) == 0;
  for (size_t i = 0; i < n; ++i)
    if (p[i] != Raw1[i] && p[i] != Raw2[i]) return false;
  return true;
}

const uint8_t* TPlainMatcher::NextOccurrence(const uint8_t* from, const uint8_t* textEnd,
                                             TScan& scan) const {
  const size_t n = Folded.size();
  while (textEnd - from >= static_cast<ptrdiff_t>(n)) {
    const uint8_t* p = ByteScan::FindPair(Pair, from, static_cast<size_t>(textEnd - from) - n + 1);
    if (p == nullptr) return nullptr;
    if (!scan.Spend(p)) return p;
    if (Equals(p) && scan.IsCharStart(p)) return p;
    from = p + 1;
  }
  return nullptr;
}

TPlainMatcher::TFound TPlainMatcher::FindLine(const uint8_t* begin, const uint8_t* end) const {
  if (Never) return {end, false};
  TScan scan(begin, Folded.size());
  for (const uint8_t* from = begin;;) {
    // The word holds no LF, so an occurrence never leaves its line.
    const uint8_t* p = NextOccurrence(from, end, scan);
    if (p == nullptr) return {end, false};
    const uint8_t* lineStart = LineStart(p, begin);
    if (scan.Over()) return {lineStart, true};
    if (!SearchAsWord) return {lineStart, false};
    const uint8_t* lineEnd = LineEnd(p, end);
    // A CR in front of the LF is no part of the line.
    const uint8_t* textEnd = lineEnd > lineStart && lineEnd[-1] == '\r' ? lineEnd - 1 : lineEnd;
    if (HasWholeWord(lineStart, textEnd, p, scan)) return {lineStart, false};
    if (scan.Over()) return {lineStart, true};
    if (lineEnd == end) return {end, false};
    from = lineEnd + 1;
  }
}

bool TPlainMatcher::AfterIsBoundary(const uint8_t* after) const {
  uint8_t b = *after;
  // After a word that ends in a lead byte, the byte behind it is that character's
  // trail, which the lower-casing may have changed.
  if (EndsInLeadByte && !UpperLowerMatch)
    b = static_cast<uint8_t>(
        PlainLineRule::LowerDoubleByte(static_cast<uint16_t>(after[-1] << 8 | b)) & 0xFF);
  return PlainLineRule::IsBoundaryByte(b);
}

bool TPlainMatcher::HasWholeWord(const uint8_t* lineStart, const uint8_t* lineEnd,
                                 const uint8_t* first, TScan& scan) const {
  const size_t n = Folded.size();
  const uint8_t* previous = nullptr;
  for (const uint8_t* p = first; p != nullptr;) {
    // An occurrence right behind the first character of the one before stands at the
    // start of the cut line, which counts as a boundary.
    const bool atCut = previous != nullptr &&
                       p == previous + (IsLeadByte(*previous) && previous + 1 < lineEnd ? 2 : 1);
    const bool before =
        p == lineStart || atCut || scan.BeforeIsTrail(p) || PlainLineRule::IsBoundaryByte(p[-1]);
    if (before && (p + n >= lineEnd || AfterIsBoundary(p + n))) return true;
    previous = p;
    p = NextOccurrence(p + 1, lineEnd, scan);
    // Out of budget: the caller decides the line by a pass.
    if (scan.Over()) return false;
  }
  return false;
}

}  // namespace varsik
