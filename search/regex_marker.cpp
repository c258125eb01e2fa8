#include "search/regex_marker.h"

#include <algorithm>

#include "base/shift_jis.h"
#include "search/plain_line_rule.h"

namespace varsik {

namespace {

// The grep component's line end, as the reader delivers it in front of every line and
// behind it.
constexpr uint16_t kLineEndCode = 10;

// The code at byte p of a line and its length: a lead byte takes the next byte of the
// line as its trail, and stands alone at the line's end.
uint16_t CodeAt(std::string_view text, size_t p, size_t& length) {
  const auto b = static_cast<uint8_t>(text[p]);
  if (ShiftJis::IsLeadByte(b) && p + 1 < text.size()) {
    length = 2;
    return static_cast<uint16_t>(b << 8 | static_cast<uint8_t>(text[p + 1]));
  }
  length = 1;
  return b;
}

}  // namespace

TRegexMarker::TRegexMarker(const TRE_DFA& dfa) : DFA(dfa) {
  if (DFA.IsLiteral() && DFA.Literal().find('\n') == std::string::npos) Fixed = DFA.Literal();
  for (const RE_DFATransition_t& t : DFA.Transitions(DFA.InitialState())) {
    // A code below 100 hex is its byte; a higher one begins with its high byte.
    for (unsigned code = t.Chars.StartChar; code <= std::min<unsigned>(t.Chars.EndChar, 0xFF);
         ++code)
      Starts[code] = true;
    for (unsigned high = std::max<unsigned>(t.Chars.StartChar, 0x100) >> 8;
         high <= t.Chars.EndChar >> 8 && t.Chars.EndChar >= 0x100; ++high)
      Starts[high] = true;
  }
}

TRegexMarker::TAttempt TRegexMarker::Run(int32_t state, size_t p, std::string_view text,
                                         bool whole) {
  TAttempt attempt;
  const size_t n = text.size();
  for (;;) {
    if (DFA.Accepted(state)) {
      attempt.End = std::min(p, n);
      attempt.Accepted = true;
    }
    if (p >= n) {
      if (p > n || !whole) {
        attempt.ReadsOn = true;
        return attempt;
      }
      state = TransitOn(DFA.Transitions(state), kLineEndCode);
      ++p;
    } else {
      if (Budget == 0) return attempt;
      --Budget;
      size_t length;
      const uint16_t code = CodeAt(text, p, length);
      state = TransitOn(DFA.Transitions(state), code);
      p += length;
    }
    if (state == kNoState) return attempt;
  }
}

void TRegexMarker::Mark(std::string_view text, bool whole, std::vector<TMatchSpan>& spans) {
  const size_t n = text.size();
  if (!Fixed.empty() && whole) {
    for (size_t p = PlainLineRule::FindWord(text, Fixed, 0); p != std::string_view::npos;
         p = PlainLineRule::FindWord(text, Fixed, p + Fixed.size()))
      spans.push_back({p, p + Fixed.size()});
    return;
  }
  Budget = 16 * n + 65536;
  const auto initial = DFA.Transitions(DFA.InitialState());
  const size_t first = spans.size();
  // Where the first attempt that reads on past the text begins: the line was reported
  // for a match that runs on, when none ends inside it.
  size_t readsOnFrom = n;
  size_t next = 0;  // where the next match may begin

  // The attempt from the line end in front: its match begins with the line.
  if (const int32_t state = TransitOn(initial, kLineEndCode); state != kNoState) {
    const TAttempt attempt = Run(state, 0, text, whole);
    if (attempt.ReadsOn && !whole && n > 0) {
      spans.push_back({0, n});
      next = n;
    } else if (attempt.End > 0) {
      spans.push_back({0, attempt.End});
      next = attempt.End;
    } else if (attempt.ReadsOn) {
      readsOnFrom = 0;
    }
  }
  for (size_t p = 0; p < n && next < n && Budget > 0;) {
    size_t length;
    const uint16_t code = CodeAt(text, p, length);
    if (p >= next && Starts[static_cast<uint8_t>(text[p])]) {
      if (const int32_t state = TransitOn(initial, code); state != kNoState) {
        const TAttempt attempt = Run(state, p + length, text, whole);
        if (attempt.ReadsOn && !whole) {
          // A match that may cross the cut ends at it.
          spans.push_back({p, n});
          break;
        }
        if (attempt.Accepted) {
          spans.push_back({p, attempt.End});
          next = attempt.End;
        } else if (attempt.ReadsOn) {
          readsOnFrom = std::min(readsOnFrom, p);
        }
      }
    }
    p += length;
  }
  if (spans.size() == first && readsOnFrom < n) spans.push_back({readsOnFrom, n});
}

}  // namespace varsik
