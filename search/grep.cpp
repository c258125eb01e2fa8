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

// Look-ahead steps between two polls of an attempt that reads no new block.
constexpr int32_t kStepsBetweenPolls = 1 << 16;

}  // namespace

TGrep::TGrep() {
  DictionaryList().push_back(&BuiltInFuzzyCharDic());
  // The base class compiled the empty pattern already; it holds no anchor, so the line
  // codes of this class change nothing in it. Every later compile runs with them.
  GrepRoutine = ChooseRoutine();
}

void TGrep::ChangeRegExp(const std::string& text) {
  if (Running > 0) throw EVarsikError("TGrep: the pattern cannot be changed during a search");
  TRegularExpression::ChangeRegExp(text);
  GrepRoutine = ChooseRoutine();
}

TGrep::TGrepRoutine TGrep::ChooseRoutine() const {
  if (!IsLiteral()) return &TGrep::GrepByDFA;
  // The fixed-string scan compares the codes read back from the literal's text; a
  // pattern whose codes have no text of their own (an escape such as \x141) would be
  // compared as other characters there, so the automaton runs it instead.
  const TRE_DFA& dfa = CurrentDFA();
  for (int32_t p = dfa.InitialState(); !dfa.Transitions(p).empty();
       p = dfa.Transitions(p)[0].TransitTo) {
    if (!SurvivesAsText(dfa.Transitions(p)[0].Chars.StartChar)) return &TGrep::GrepByDFA;
  }
  return &TGrep::GrepByLiteral;
}

void TGrep::Grep(const std::string& fileName) {
  if (UseFastPath && MatchHandler) {
    const TGrepFastPath& fast = FastPath();
    if (fast.Usable()) {
      GrepByFastPath(fileName, fast);
      return;
    }
  }
  (this->*GrepRoutine)(fileName);
}

auto TGrep::MarkRunning() {
  ++Running;
  return TScopeExit([this] { --Running; });
}

const TGrepFastPath& TGrep::FastPath() {
  // Made at the pattern's first search and kept with it in the compiled-pattern cache.
  if (const auto* fast = dynamic_cast<const TGrepFastPath*>(CurrentExtra())) return *fast;
  auto fast = std::make_unique<TGrepFastPath>(CurrentDFA());
  const TGrepFastPath& made = *fast;
  KeepWithCurrent(std::move(fast));
  return made;
}

void TGrep::GrepByFastPath(const std::string& fileName, const TGrepFastPath& fast) {
  CancelState = false;
  const auto running = MarkRunning();
  Searcher.SetBlockSize(static_cast<size_t>(BlockSize));
  Searcher.SetMaxLineBytes(MaxLineBytes);
  TGrepFastPathFinder finder(fast);
  const TLineSearcher::TEnd end = Searcher.Search(
      fileName, finder,
      [this] {
        if (ProcessEvents) ProcessEvents();
        return CancelState;
      },
      [this](const RE_LineInfo_t& info) { MatchHandler(*this, info); });
  if (end == TLineSearcher::TEnd::Stopped) throw EGrepCancel();
}

int32_t TGrep::StringToCodes(std::string_view s, std::vector<uint16_t>& codes) {
  codes.assign(s.size() + 1, 0);
  int32_t count = 0;
  int32_t p = 1;
  while (p <= static_cast<int32_t>(s.size())) codes[count++] = ReadCharCode(s, p);
  codes[count] = 0;
  return count;
}

bool TGrep::OpenReader(const std::string& fileName, std::optional<TTxtFile>& file) const {
  try {
    file.emplace(fileName, &CancelState, ProcessEvents, BlockSize);
  } catch (const EEndOfFile&) {
    return false;
  }
  file->SetMaxLineBytes(MaxLineBytes);
  return true;
}

void TGrep::GrepByDFA(const std::string& fileName) {
  if (!MatchHandler) return;
  CancelState = false;
  const auto running = MarkRunning();
  const TRE_DFA& dfa = CurrentDFA();
  // Every start position steps from the initial state: its transitions are looked up once.
  const std::span<const RE_DFATransition_t> initial = dfa.Transitions(dfa.InitialState());

  std::optional<TTxtFile> file;
  if (!OpenReader(fileName, file)) return;  // an empty file

  RE_LineInfo_t lineInfo;
  int32_t steps = 0;
  try {
    for (;;) {
      // The start positions whose first code leaves the initial state; the start state's
      // own acceptance is never consulted, so a report needs at least one character.
      int32_t state = kNoState;
      file->GetWCharUntil([&state, initial](uint16_t code) {
        state = TransitOn(initial, code);
        return state != kNoState;
      });
      for (;;) {
        if (dfa.Accepted(state)) {
          file->GetThisLine(lineInfo);
          MatchHandler(*this, lineInfo);
          break;
        }
        const uint16_t code = file->GetAheadWChar();
        // The text never yields 0; the look-ahead gives it only past the end of the
        // file, where every attempt ends without a match, also one whose pattern itself
        // holds the code 0 (it would otherwise read the 0 for ever).
        if (code == 0) [[unlikely]]
          break;
        // Attempts over text already read poll now and then, as reads do.
        if (++steps == kStepsBetweenPolls) [[unlikely]] {
          steps = 0;
          file->PollNow();
        }
        state = TransitOn(dfa.Transitions(state), code);
        if (state == kNoState) break;
      }
    }
  } catch (const EEndOfFile&) {
    // The main cursor reached the end of the file: the normal end.
  }
}

void TGrep::GrepByLiteral(const std::string& fileName) {
  CancelState = false;
  if (!MatchHandler) return;
  const auto running = MarkRunning();
  const std::string& literal = Literal();

  std::optional<TTxtFile> file;
  if (!OpenReader(fileName, file)) return;  // an empty file

  std::vector<uint16_t> codes;
  const int32_t count = StringToCodes(literal, codes);
  // The empty literal waits for a first code of 0, which the main cursor never
  // delivers: it reports nothing.
  const uint16_t first = codes[0];
  RE_LineInfo_t lineInfo;
  int32_t steps = 0;
  try {
    for (;;) {
      file->GetWCharUntil([first](uint16_t code) { return code == first; });
      int32_t i = 1;
      while (i != count) {
        const uint16_t code = file->GetAheadWChar();
        // A 0 is the end of the file (see GrepByDFA), never a match of a 0 in the pattern.
        if (code != codes[i] || code == 0) break;
        ++i;
        if (++steps == kStepsBetweenPolls) [[unlikely]] {
          steps = 0;
          file->PollNow();
        }
      }
      if (i == count) {
        file->GetThisLine(lineInfo);
        MatchHandler(*this, lineInfo);
      }
    }
  } catch (const EEndOfFile&) {
    // The normal end.
  }
}

}  // namespace varsik
