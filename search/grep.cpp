// The grep component's scans. The two per-position scans try start positions one whole
// character after another through the reader's main cursor, extend an attempt through
// its look-ahead, and after a report resume at the LF that ends the reported line, so
// each line is reported once. Patterns whose attempts stay in their line go to the fast
// path (TGrepFastPath), which reports the same lines.
#include "search/grep.h"

#include <algorithm>
#include <optional>
#include <span>

#include "base/scope_exit.h"
#include "regex/re_char_code.h"
#include "regex/re_fuzzy_char_dic.h"
#include "search/line_window.h"

namespace varsik {

namespace {

// Whether a code comes back unchanged from its text (CharCodeToStr, then read as
// characters): a single byte that is not a lead byte, or a lead byte with any trail.
// Other codes (0x141) have no text of their own and are never read from a file either;
// 0x81 alone is read only in front of a line end, which the fixed-string scan cannot tell.
bool SurvivesAsText(uint16_t code) {
  return ShiftJis::IsLeadByte(static_cast<uint8_t>(code >> 8)) ||
         (code <= 0xFF && !ShiftJis::IsLeadByte(static_cast<uint8_t>(code)));
}

}  // namespace

TGrep::TGrep() {
  DictionaryList().push_back(&BuiltInFuzzyCharDic());
  // The base class compiled the empty pattern already; it holds no anchor, so the line
  // codes of this class change nothing in it. Every later compile runs with them.
  ChoosePerPositionScan();
}

void TGrep::ChangeRegExp(const std::string& text) {
  if (Running > 0) throw EVarsikError("TGrep: the pattern cannot be changed during a search");
  TRegularExpression::ChangeRegExp(text);
  ChoosePerPositionScan();
}

void TGrep::ChoosePerPositionScan() {
  // The fixed-string scan compares the codes read back from the literal's text; a
  // pattern whose codes have no text of their own (an escape such as \x141) would be
  // compared as other characters there, so the automaton runs it instead.
  CompareLiteral = IsLiteral();
  const TRE_DFA& dfa = CurrentDFA();
  for (int32_t p = dfa.InitialState(); CompareLiteral && !dfa.Transitions(p).empty();
       p = dfa.Transitions(p)[0].TransitTo) {
    if (!SurvivesAsText(dfa.Transitions(p)[0].Chars.StartChar)) CompareLiteral = false;
  }
  LiteralCodes.clear();
  if (CompareLiteral)
    LiteralCodes.resize(static_cast<size_t>(StringToCodes(Literal(), LiteralCodes)) + 1);
}

TGrepPattern TGrep::SharedPattern() {
  TGrepPattern pattern;
  pattern.DFA = &CurrentDFA();
  if (UseFastPath && FastPath().Usable()) pattern.Fast = &FastPath();
  pattern.CompareLiteral = CompareLiteral;
  pattern.LiteralCodes = LiteralCodes;
  return pattern;
}

void TGrep::Grep(const std::string& fileName) {
  CancelState = false;
  if (!MatchHandler) return;
  ++Running;
  const TScopeExit running([this] { --Running; });
  Scanner.SetBlockSize(BlockSize);
  Scanner.SetMaxLineBytes(MaxLineBytes);
  const TGrepScanner::TEnd end = Scanner.Scan(
      SharedPattern(), fileName,
      [this] {
        if (ProcessEvents) ProcessEvents();
        return CancelState;
      },
      [this](const RE_LineInfo_t& info) { MatchHandler(*this, info); });
  if (end == TGrepScanner::TEnd::Stopped) throw EGrepCancel();
}

const TGrepFastPath& TGrep::FastPath() {
  // Made at the pattern's first search and kept with it in the compiled-pattern cache.
  if (const auto* fast = dynamic_cast<const TGrepFastPath*>(CurrentExtra())) return *fast;
  auto fast = std::make_unique<TGrepFastPath>(CurrentDFA());
  const TGrepFastPath& made = *fast;
  KeepWithCurrent(std::move(fast));
  return made;
}

int32_t TGrep::StringToCodes(std::string_view s, std::vector<uint16_t>& codes) {
  codes.assign(s.size() + 1, 0);
  int32_t count = 0;
  int32_t p = 1;
  while (p <= static_cast<int32_t>(s.size())) codes[count++] = ReadCharCode(s, p);
  codes[count] = 0;
  return count;
}

}  // namespace varsik
