#include "tests/search/grep_reference.h"

#include <cstdint>

namespace varsik {

namespace GrepTest {
namespace {

bool IsLead(uint8_t b) {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// The file as the cursors walk it, with both cursors as indices. Line ends are not
// rewritten beforehand: each cursor reads them as the reader does (the main cursor looks
// one byte ahead and treats a CR after any byte as a line end; neither cursor takes a
// line end for the trail byte of a lead byte in front of it).
class TText {
 public:
  explicit TText(const std::string& bytes) : T("\n" + bytes) {
    for (char& c : T)
      if (c == '\0') c = ' ';
    if (T.back() != '\n') T += '\n';
  }

  // One byte through the main cursor; false when it would read the final LF.
  bool GetChar(uint8_t& ch) {
    if (Pos + 1 >= T.size()) return false;
    ch = At(Pos++);
    if (ch == '\n') {
      ++LineNo;
      LineStart = Pos;
    }
    // A CR LF is passed to its LF; a lone CR stays, and reads as an LF.
    if (T[Pos] == '\r' && T[Pos + 1] == '\n') ++Pos;
    return true;
  }

  bool GetWChar(uint16_t& code) {
    uint8_t lead = 0;
    if (!GetChar(lead)) return false;
    code = lead;
    // A line end is never a trail byte.
    if (IsLead(lead) && At(Pos) != '\n') {
      uint8_t trail = 0;
      if (!GetChar(trail)) return false;
      code = static_cast<uint16_t>(lead << 8 | trail);
    }
    Ahead = Pos;
    return true;
  }

  bool AheadAtEnd() const { return Ahead >= T.size(); }

  uint16_t GetAheadWChar() {
    uint8_t ch = static_cast<uint8_t>(T[Ahead++]);
    if (ch == '\r') {
      if (T[Ahead] == '\n') ++Ahead;
      ch = '\n';
    }
    if (!IsLead(ch) || Ahead >= T.size() || At(Ahead) == '\n') return ch;
    const uint8_t trail = static_cast<uint8_t>(T[Ahead++]);
    return static_cast<uint16_t>(ch << 8 | trail);
  }

  // The current line; the main cursor is left on its line end.
  std::pair<int64_t, std::string> GetThisLine() {
    uint8_t ch = 0;
    while (At(Pos) != '\n') GetChar(ch);
    std::string line = T.substr(LineStart, Pos - LineStart);
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
    return {LineNo, line};
  }

 private:
  uint8_t At(size_t i) const { return T[i] == '\r' ? '\n' : static_cast<uint8_t>(T[i]); }

  std::string T;
  size_t Pos = 0;
  size_t Ahead = 0;
  size_t LineStart = 0;
  int64_t LineNo = 0;
};

}  // namespace

THits ReferenceGrep(const TRE_DFA& dfa, const std::string& fileBytes) {
  THits hits;
  if (fileBytes.empty()) return hits;
  TText text(fileBytes);
  uint16_t code = 0;
  while (text.GetWChar(code)) {
    int32_t state = dfa.NextState(dfa.InitialState(), code);
    while (state != kNoState && !dfa.Accepted(state)) {
      if (text.AheadAtEnd()) {
        state = kNoState;
        break;
      }
      state = dfa.NextState(state, text.GetAheadWChar());
    }
    if (state != kNoState) hits.push_back(text.GetThisLine());
  }
  return hits;
}

}  // namespace GrepTest

}  // namespace varsik
