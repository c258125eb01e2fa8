#include "search/plain_line_finder.h"

#include <algorithm>
#include <cstring>

#include "search/byte_scan.h"
#include "search/plain_line_rule.h"

namespace varsik {

using ByteScan::LineEnd;
using ByteScan::LineStart;

namespace {

// Whether the switches may let another character match `code`, beyond the other case
// of an ASCII letter: full-width letters whose case folds (Latin, Greek, Cyrillic), and
// with the fuzzy switch the full-width katakana and symbols that half-width katakana fold
// to, and half-width katakana.
bool MayFold(uint16_t code, bool upperLowerMatch, bool fuzzySearch) {
  if (!upperLowerMatch) {
    if ((code >= 0x8260 && code <= 0x829A) || (code >= 0x839F && code <= 0x83D6) ||
        (code >= 0x8440 && code <= 0x8491))
      return true;
  }
  if (fuzzySearch) {
    if (code >= 0xA1 && code <= 0xDF) return true;
    if ((code >> 8) == 0x81 || (code >> 8) == 0x83) return true;
  }
  return false;
}

}  // namespace

void TPlainLineFinder::Prepare(std::string_view word, bool upperLowerMatch, bool fuzzySearch,
                               bool searchAsWord) {
  UpperLowerMatch = upperLowerMatch;
  FuzzySearch = fuzzySearch;
  Matcher.Prepare(word, upperLowerMatch, fuzzySearch, searchAsWord);
  Stream.Prepare(Matcher.FoldedWord(), upperLowerMatch, fuzzySearch, searchAsWord);
  RequiredBytes.clear();
  if (Matcher.NeverMatches()) return;
  std::string run;
  for (size_t i = 0; i <= word.size();) {
    const size_t length = i < word.size() ? PlainLineRule::CharLength(word, i) : 1;
    uint16_t code = 0;
    if (i < word.size())
      code = length == 2 ? static_cast<uint16_t>(static_cast<uint8_t>(word[i]) << 8 |
                                                 static_cast<uint8_t>(word[i + 1]))
                         : static_cast<uint8_t>(word[i]);
    if (i < word.size() && !MayFold(code, upperLowerMatch, fuzzySearch)) {
      run.append(word, i, length);
    } else {
      if (run.size() > RequiredBytes.size()) RequiredBytes = run;
      run.clear();
    }
    i += length;
  }
}

bool TPlainLineFinder::FindLines(const uint8_t* begin, const uint8_t* end, bool /*loneCr*/,
                                 std::vector<const uint8_t*>& hits) {
  const uint8_t* kana = nullptr;  // the next half-width katakana, with the fuzzy switch
  for (const uint8_t* pos = begin; pos < end;) {
    const uint8_t* special = ByteScan::FindLineSpecial(pos, end);
    if (FuzzySearch) {
      // Half-width katakana fold to other lengths: their lines take the single-line rule.
      if (kana == nullptr || kana < pos) kana = ByteScan::FindSingleByteKana(pos, end);
      special = std::min(special, kana);
    }
    const uint8_t* stop = special == end ? end : LineStart(special, pos);
    ScanPlainLines(pos, stop, hits);
    if (special == end) break;

    // The line at `stop` ends the text, or holds a lone CR or half-width katakana.
    if (*special == 0x1A && special == stop) return true;
    const uint8_t* lineEnd = LineEnd(special, end);
    const void* nul = std::memchr(stop, 0, static_cast<size_t>(lineEnd - stop));
    const uint8_t* textEnd = nul == nullptr ? lineEnd : static_cast<const uint8_t*>(nul);
    if (Stream.LineMatches(stop, textEnd)) hits.push_back(stop);
    if (nul != nullptr) return true;
    if (lineEnd == end) break;
    pos = lineEnd + 1;
  }
  return false;
}

void TPlainLineFinder::ScanPlainLines(const uint8_t* begin, const uint8_t* end,
                                      std::vector<const uint8_t*>& hits) {
  for (const uint8_t* from = begin; from < end;) {
    const TPlainMatcher::TFound found = Matcher.FindLine(from, end);
    if (found.LineStart == end) return;
    const uint8_t* lineEnd = LineEnd(found.LineStart, end);
    if (!found.Undecided || Stream.LineMatches(found.LineStart, lineEnd))
      hits.push_back(found.LineStart);
    if (lineEnd == end) return;
    from = lineEnd + 1;
  }
}

}  // namespace varsik
