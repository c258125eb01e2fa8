#include "search/plain_stream_matcher.h"

#include "base/shift_jis.h"
#include "search/henkanj.h"
#include "search/plain_line_rule.h"

namespace varsik {

using ShiftJis::IsLeadByte;

void TPlainStreamMatcher::Prepare(std::string_view foldedWord, bool upperLowerMatch,
                                  bool fuzzySearch, bool searchAsWord) {
  UpperLowerMatch = upperLowerMatch;
  FuzzySearch = fuzzySearch;
  SearchAsWord = searchAsWord;
  Word.assign(foldedWord);
  // No line holds a NUL, CR or LF.
  Never = Word.empty() || Word.find_first_of(std::string_view("\0\r\n", 3)) != std::string::npos;
  Fail.assign(Word.size(), 0);
  for (size_t i = 1, k = 0; i < Word.size(); ++i) {
    while (k > 0 && Word[i] != Word[k]) k = static_cast<size_t>(Fail[k - 1]);
    if (Word[i] == Word[k]) ++k;
    Fail[i] = static_cast<int32_t>(k);
  }
  Ring.assign(Word.size() + 2, {0, false});
}

void TPlainStreamMatcher::Begin() {
  PendingLead = PendingKana = -1;
  Count = 0;
  Prefix = 0;
  Found = Never;  // a word that cannot match needs no pass; End says false
  PreviousPos = -1;
  PreviousIsLead = false;
  AfterPending = false;
}

void TPlainStreamMatcher::Feed(const uint8_t* begin, const uint8_t* end) {
  for (const uint8_t* p = begin; p < end && !Found; ++p) {
    const uint8_t b = *p;
    if (b == '\r') continue;
    if (PendingLead >= 0) {
      const uint8_t lead = static_cast<uint8_t>(PendingLead);
      PendingLead = -1;
      TakeChar(lead, b);
    } else if (IsLeadByte(b)) {
      PendingLead = b;
    } else {
      TakeChar(b, -1);
    }
  }
}

bool TPlainStreamMatcher::End() {
  if (!Found && PendingLead >= 0) TakeChar(static_cast<uint8_t>(PendingLead), -1);
  if (!Found) FlushKana();
  // An occurrence that reaches the end of the line is followed by a boundary.
  if (!Found && AfterPending) Found = true;
  return Found && !Never;
}

void TPlainStreamMatcher::TakeChar(uint8_t first, int second) {
  uint8_t bytes[2] = {first, static_cast<uint8_t>(second)};
  const size_t length = second < 0 ? 1 : 2;
  if (!UpperLowerMatch) {
    if (length == 2) {
      const uint16_t lower =
          PlainLineRule::LowerDoubleByte(static_cast<uint16_t>(first << 8 | bytes[1]));
      bytes[0] = static_cast<uint8_t>(lower >> 8);
      bytes[1] = static_cast<uint8_t>(lower & 0xFF);
    } else if (first >= 'A' && first <= 'Z') {
      bytes[0] = static_cast<uint8_t>(first + ('a' - 'A'));
    }
  }
  TakeLoweredChar(bytes, length);
}

void TPlainStreamMatcher::TakeLoweredChar(const uint8_t* bytes, size_t length) {
  if (!FuzzySearch) {
    TakeFoldedChars(std::string_view(reinterpret_cast<const char*>(bytes), length));
    return;
  }
  // A half-width katakana (or mark) is widened together with a mark right behind it.
  if (PendingKana >= 0) {
    const char kana = static_cast<char>(PendingKana);
    PendingKana = -1;
    if (length == 1 && HenkanJ::IsSoundMark(bytes[0])) {
      const char pair[2] = {kana, static_cast<char>(bytes[0])};
      HenkanJ::HalfKanaToFullWidth(std::string_view(pair, 2), Converted);
      TakeFoldedChars(Converted);
      return;
    }
    HenkanJ::HalfKanaToFullWidth(std::string_view(&kana, 1), Converted);
    TakeFoldedChars(Converted);
  }
  if (length == 1 && bytes[0] >= 0xA0 && bytes[0] <= 0xDF) {
    PendingKana = bytes[0];
    return;
  }
  TakeFoldedChars(std::string_view(reinterpret_cast<const char*>(bytes), length));
}

void TPlainStreamMatcher::FlushKana() {
  if (PendingKana < 0) return;
  const char kana = static_cast<char>(PendingKana);
  PendingKana = -1;
  HenkanJ::HalfKanaToFullWidth(std::string_view(&kana, 1), Converted);
  TakeFoldedChars(Converted);
}

void TPlainStreamMatcher::TakeFoldedChars(std::string_view folded) {
  for (size_t i = 0; i < folded.size() && !Found;) {
    const uint8_t b = static_cast<uint8_t>(folded[i]);
    Step(b, true);
    if (IsLeadByte(b) && i + 1 < folded.size()) {
      if (!Found) Step(static_cast<uint8_t>(folded[i + 1]), false);
      i += 2;
    } else {
      ++i;
    }
  }
}

void TPlainStreamMatcher::Step(uint8_t b, bool charStart) {
  const int64_t index = Count++;
  if (AfterPending) {
    // The byte behind the occurrence before ends a word, or the occurrence fails.
    AfterPending = false;
    if (PlainLineRule::IsBoundaryByte(b)) {
      Found = true;
      return;
    }
  }
  Ring[static_cast<size_t>(index) % Ring.size()] = {b, charStart};
  const auto wordByte = [this](int32_t k) {
    return static_cast<uint8_t>(Word[static_cast<size_t>(k)]);
  };
  while (Prefix > 0 && wordByte(Prefix) != b) Prefix = Fail[static_cast<size_t>(Prefix) - 1];
  if (wordByte(Prefix) == b) ++Prefix;
  if (Prefix == static_cast<int32_t>(Word.size())) {
    Prefix = Fail[Word.size() - 1];
    Occurrence(index + 1 - static_cast<int64_t>(Word.size()));
  }
}

void TPlainStreamMatcher::Occurrence(int64_t pos) {
  const auto at = [this](int64_t i) { return Ring[static_cast<size_t>(i) % Ring.size()]; };
  // An occurrence never begins on a trail byte.
  if (!at(pos).CharStart) return;
  if (!SearchAsWord) {
    Found = true;
    return;
  }
  // Each occurrence is tested in the line cut behind the first character of the one
  // before, where one that begins right at the cut counts as preceded by a boundary.
  const int64_t cut = PreviousPos < 0 ? 0 : PreviousPos + (PreviousIsLead ? 2 : 1);
  PreviousPos = pos;
  PreviousIsLead = IsLeadByte(at(pos).Byte);
  const bool before =
      pos == cut || PlainLineRule::IsBoundaryByte(at(pos - 1).Byte) || !at(pos - 1).CharStart;
  AfterPending = before;
}

}  // namespace varsik
