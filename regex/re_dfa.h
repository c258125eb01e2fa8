// TRE_DFA: the deterministic automaton of one pattern, built eagerly from its NFA by the
// subset construction, with every state's transitions sorted by code and the check
// whether the pattern is one fixed string. Kept in the compiled-pattern cache and read
// by the matcher: states are indices into StateList, InitialState is 0, and a state's
// transitions are a contiguous, sorted, pairwise disjoint run of the transition table.
#pragma once

#include <algorithm>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "regex/re_char_range.h"

namespace varsik {

class TRE_NFA;

inline constexpr int32_t kNoState = -1;

struct RE_DFATransition_t {
  RE_CharRange_t Chars;
  int32_t TransitTo;  // never kNoState
};

struct RE_DFAState_t {
  uint16_t Accepted;  // 0xFFFF when the state's set holds the NFA's exit state, else 0
  int32_t FirstTransition;
  int32_t TransitionCount;
};

// The state that the transitions `t` of a state lead to on `code`, or kNoState. They are
// sorted by StartChar and disjoint, so the walk ends at the first range that begins above
// the code; a code outside the span of all ranges (most codes, for most states) needs no
// walk at all, which one well-predicted test says, and a long list is searched by halves.
// All three give the same state. Inline and free of indirect calls: a search runs it once
// per start position and once per code of every attempt.
inline int32_t TransitOn(std::span<const RE_DFATransition_t> t, uint16_t code) {
  if (t.empty()) return kNoState;
  const uint16_t low = t.front().Chars.StartChar;
  if (static_cast<uint16_t>(code - low) > static_cast<uint16_t>(t.back().Chars.EndChar - low))
    return kNoState;
  if (t.size() <= 8) [[likely]] {
    for (const RE_DFATransition_t& tr : t) {
      if (code < tr.Chars.StartChar) return kNoState;
      if (code <= tr.Chars.EndChar) return tr.TransitTo;
    }
    return kNoState;
  }
  auto it = std::upper_bound(
      t.begin(), t.end(), code,
      [](uint16_t c, const RE_DFATransition_t& tr) { return c < tr.Chars.StartChar; });
  if (it == t.begin()) return kNoState;
  --it;
  return code <= it->Chars.EndChar ? it->TransitTo : kNoState;
}

class TRE_DFA {
 public:
  // The NFA is read only by Run and need not outlive it.
  explicit TRE_DFA(const TRE_NFA& nfa) : NFA(&nfa) {}

  // Builds the states, sorts the transitions and checks for a fixed string. Raises
  // ERegExpParser with kMsgTooComplex when the compile would hold more than
  // kMaxCompileBytes (the NFA and its parser included) or take more than kMaxDFAWork.
  void Run();

  // The bytes that the automaton holds: what a cache keeps for it.
  size_t BytesHeld() const;

  int32_t InitialState() const { return 0; }
  int32_t StateCount() const { return static_cast<int32_t>(States.size()); }
  const std::vector<RE_DFAState_t>& StateList() const { return States; }
  bool Accepted(int32_t state) const { return States[state].Accepted != 0; }
  std::span<const RE_DFATransition_t> Transitions(int32_t state) const {
    const RE_DFAState_t& s = States[state];
    return {TransitionTable.data() + s.FirstTransition, static_cast<size_t>(s.TransitionCount)};
  }
  // The NFA states that a DFA state stands for, ascending.
  std::span<const int32_t> StateSet(int32_t state) const {
    return {SetPool.data() + SetStart[state], SetStart[state + 1] - SetStart[state]};
  }
  // The disjoint ranges that label the transitions, ascending: every transition's Chars
  // is one of them.
  const std::vector<RE_CharRange_t>& Alphabet() const { return Symbols; }

  bool IsLiteral() const { return IsLiteralFlag; }
  const std::string& Literal() const { return LiteralText; }

  // The state reached from state on code, or kNoState.
  int32_t NextState(int32_t state, uint16_t code) const {
    return TransitOn(Transitions(state), code);
  }

 private:
  class TStateRegistry;
  class TMoveGroups;

  void BuildStateList();
  void SortTransitions();
  void CheckLiteral();

  const TRE_NFA* NFA;
  std::vector<RE_DFAState_t> States;
  std::vector<RE_DFATransition_t> TransitionTable;
  std::vector<int32_t> SetPool;
  std::vector<size_t> SetStart{0};
  std::vector<RE_CharRange_t> Symbols;
  bool IsLiteralFlag = false;
  std::string LiteralText;
};

}  // namespace varsik
