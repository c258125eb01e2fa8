// TRE_NFA: the nondeterministic automaton of one pattern, built from its parse tree by a
// Thompson-style construction on numbered states. Lives only while a pattern compiles.
// The two line anchors get their meaning here: at the very start (end) of the pattern
// they become transitions on the owner's LineHeadChar (LineTailChar).
#pragma once

#include <cstdint>
#include <vector>

#include "regex/re_char_range.h"
#include "regex/re_parser.h"

namespace varsik {

inline constexpr const char* kMsgNFAFatal = "This cannot happen in TRE_NFA.GenerateStateList";

inline constexpr int32_t kNoTransition = -1;

// One transition; Next is the index of the next transition of the same state.
struct RE_NFATransition_t {
  RE_CharRange_t Chars;
  int32_t TransitTo;
  int32_t Next;
};

class TRE_NFA {
 public:
  // The parser must outlive the NFA.
  TRE_NFA(const TREParser& parser, uint16_t lineHeadChar, uint16_t lineTailChar)
      : Parser(&parser), HeadChar(lineHeadChar), TailChar(lineTailChar) {}

  // Builds the automaton. Raises ERegExpParser with kMsgTooComplex when the compile would
  // then hold more than kMaxCompileBytes.
  void Run();

  // The bytes of the compile up to this stage: the NFA's tables and its parser.
  size_t CompileBytes() const;

  int32_t EntryState() const { return 0; }
  int32_t ExitState() const { return 1; }
  int32_t StateCount() const { return static_cast<int32_t>(StateList.size()); }
  // The first transition of a state's chain (newest first), or kNoTransition.
  int32_t FirstTransition(int32_t state) const { return StateList[state]; }
  const RE_NFATransition_t& Transition(int32_t index) const { return Transitions[index]; }
  int32_t TransitionCount() const { return static_cast<int32_t>(Transitions.size()); }
  uint16_t LineHeadChar() const { return HeadChar; }
  uint16_t LineTailChar() const { return TailChar; }

 private:
  int32_t NewState();
  void AddTransition(int32_t from, int32_t to, RE_CharRange_t chars);
  void GenerateStateList(int32_t root, int32_t from, int32_t to);

  // A step of the walk: "walk Node from From to To" or, with Node == kNoNode, "add the
  // transition From -Chars-> To".
  struct TStep {
    int32_t Node;
    int32_t From;
    int32_t To;
    RE_CharRange_t Chars;
  };

  const TREParser* Parser;
  uint16_t HeadChar;
  uint16_t TailChar;
  std::vector<int32_t> StateList;
  std::vector<RE_NFATransition_t> Transitions;
  std::vector<TStep> Steps;
};

}  // namespace varsik
