#include "search/plain_marker.h"

#include "base/shift_jis.h"
#include "search/henkanj.h"
#include "search/plain_line_rule.h"

namespace varsik {

using PlainLineRule::CharLength;

namespace {

// Whether lower-casing a line can change where the folded word occurs in it: only when
// the word holds a lower-case letter, which a capital of the line would fold to. Any
// other byte of an occurrence reads the same folded or not, and so do the bytes that
// bound it as a word (a capital and its lower case are both no boundary).
bool HasLowerCase(std::string_view folded) {
  for (size_t i = 0; i < folded.size(); i += CharLength(folded, i)) {
    const auto b = static_cast<uint8_t>(folded[i]);
    if (b >= 'a' && b <= 'z') return true;
    if (CharLength(folded, i) == 1) continue;
    const auto code = static_cast<uint16_t>(b << 8 | static_cast<uint8_t>(folded[i + 1]));
    // The capitals that fold share the lead byte of their lower case.
    for (unsigned capital = code & 0xFF00; capital <= (code | 0xFFu); ++capital)
      if (capital != code && PlainLineRule::LowerDoubleByte(static_cast<uint16_t>(capital)) == code)
        return true;
  }
  return false;
}

// PlainLineRule::FindWord's answer, without its walk over every character in front of
// each occurrence, which cost more than the search of the line. Every byte that is no
// lead byte ends a character, so a walk back over lead-range bytes tells whether an
// occurrence starts one; the walk stops at the last position known to start one, so
// that no byte is walked twice however many occurrences a line of lead-range bytes has.
size_t FindOnCharacterStart(std::string_view line, std::string_view word, size_t from) {
  size_t known = from;
  for (size_t p = line.find(word, from); p != std::string_view::npos; p = line.find(word, p + 1)) {
    size_t q = p;
    while (q > known && ShiftJis::IsLeadByte(static_cast<uint8_t>(line[q - 1]))) --q;
    if (((p - q) & 1) == 0) return p;
    // p is the trail of the character in front of it: the next one starts behind it.
    known = p + 1;
  }
  return std::string_view::npos;
}

}  // namespace

void TPlainMarker::Prepare(std::string_view word, bool upperLowerMatch, bool fuzzySearch,
                           bool searchAsWord) {
  UpperLowerMatch = upperLowerMatch;
  FuzzySearch = fuzzySearch;
  SearchAsWord = searchAsWord;
  std::string scratch;
  FoldedWord =
      std::string(PlainLineRule::Fold(word, upperLowerMatch, fuzzySearch, Folded, scratch));
  // Lines never hold these: such a word finds no line to mark.
  if (FoldedWord.find_first_of(std::string_view("\0\r\n", 3)) != std::string::npos)
    FoldedWord.clear();
  FoldCase = !upperLowerMatch && HasLowerCase(FoldedWord);
}

void TPlainMarker::WidenKana(std::string_view lowered) {
  // The same steps as HenkanJ::HalfKanaToFullWidth, a character (or a katakana with its
  // mark) at a time, so that each folded byte knows where it came from.
  Folded.clear();
  Origin.clear();
  for (size_t i = 0; i < lowered.size();) {
    const auto b = static_cast<uint8_t>(lowered[i]);
    size_t n = CharLength(lowered, i);
    if (!ShiftJis::IsLeadByte(b) && b >= 0xA0 && b <= 0xDF) {
      if (i + 1 < lowered.size() && HenkanJ::IsSoundMark(static_cast<uint8_t>(lowered[i + 1])))
        n = 2;
      HenkanJ::HalfKanaToFullWidth(lowered.substr(i, n), Piece);
      Folded += Piece;
      Origin.insert(Origin.end(), Piece.size(), i);
    } else {
      Folded.append(lowered.substr(i, n));
      Origin.insert(Origin.end(), n, i);
    }
    i += n;
  }
  Origin.push_back(lowered.size());
}

void TPlainMarker::Mark(std::string_view text, bool /*whole*/, std::vector<TMatchSpan>& spans) {
  const std::string_view word = FoldedWord;
  if (word.empty() || text.empty()) return;
  // Lower-casing keeps every byte in its place; widening katakana moves them.
  std::string_view line =
      FoldCase ? PlainLineRule::Fold(text, false, false, Folded, Scratch) : text;
  const bool widened = FuzzySearch;
  if (widened) {
    if (line.data() != Folded.data()) Folded.assign(line);
    Scratch.swap(Folded);
    WidenKana(Scratch);
    line = Folded;
  }
  // The occurrences as PlainLineRule::LineMatches takes them: each one after the first is
  // tested in the line cut behind the first character of the one before.
  size_t cut = 0;
  size_t lastEnd = 0;
  for (size_t pos = FindOnCharacterStart(line, word, 0); pos != std::string_view::npos;
       pos = FindOnCharacterStart(line, word, cut)) {
    if (pos >= lastEnd &&
        (!SearchAsWord ||
         PlainLineRule::IsWholeWordAt(word, static_cast<int>(pos - cut + 1), line.substr(cut)))) {
      size_t end = pos;
      // A word that ends in a lone lead byte ends inside a character: it marks all of it.
      while (end < pos + word.size()) end += CharLength(line, end);
      lastEnd = end;
      if (widened) {
        // The line bytes from the first byte's character to the end of the last one's.
        const size_t last = Origin[end - 1];
        while (Origin[end] == last) ++end;
        spans.push_back({Origin[pos], Origin[end]});
      } else {
        spans.push_back({pos, end});
      }
    }
    cut = pos + CharLength(line, pos);
  }
}

}  // namespace varsik
