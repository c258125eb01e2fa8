// The NFA construction. The walk keeps its own work stack, so a long pattern cannot
// exhaust the call stack; pending steps are pushed in reverse so that states are
// numbered and chains ordered exactly as a recursive walk would do it.
#include "regex/re_nfa.h"

#include "regex/errors.h"
#include "regex/re_limits.h"

void TRE_NFA::Run() {
  StateList.clear();
  Transitions.clear();
  int32_t entry = NewState();
  int32_t exit = NewState();
  if (Tree->Root() == kNoNode) throw EVarsikError(kMsgNFAFatal);
  GenerateStateList(Tree->Root(), entry, exit);
}

int32_t TRE_NFA::NewState() {
  if (StateList.size() >= kMaxNFAStates) throw ERegExpParser(kMsgTooComplex, 0);
  StateList.push_back(kNoTransition);
  return static_cast<int32_t>(StateList.size() - 1);
}

void TRE_NFA::AddTransition(int32_t from, int32_t to, RE_CharRange_t chars) {
  if (Transitions.size() >= kMaxNFATransitions) throw ERegExpParser(kMsgTooComplex, 0);
  Transitions.push_back({chars, to, StateList[from]});
  StateList[from] = static_cast<int32_t>(Transitions.size() - 1);
}

void TRE_NFA::GenerateStateList(int32_t root, int32_t from, int32_t to) {
  // A step is either "walk Node from From to To" or, with Node == kNoNode, "add the
  // transition From -Chars-> To".
  struct TStep {
    int32_t Node;
    int32_t From;
    int32_t To;
    RE_CharRange_t Chars;
  };
  std::vector<TStep> steps{{root, from, to, EpsilonChars}};
  while (!steps.empty()) {
    TStep s = steps.back();
    steps.pop_back();
    if (s.Node == kNoNode) {
      AddTransition(s.From, s.To, s.Chars);
      continue;
    }
    const RE_ParseNode_t& node = Tree->Node(s.Node);
    auto requireOperand = [](int32_t operand) {
      if (operand == kNoNode) throw EVarsikError(kMsgNFAFatal);
      return operand;
    };
    switch (node.Op) {
      case RE_NodeOp_t::Char:
        AddTransition(s.From, s.To, node.Chars);
        break;
      case RE_NodeOp_t::LineHead:
        AddTransition(s.From, s.To,
                      s.From == EntryState() ? RE_CharRange_t{HeadChar, HeadChar} : node.Chars);
        break;
      case RE_NodeOp_t::LineTail:
        AddTransition(s.From, s.To,
                      s.To == ExitState() ? RE_CharRange_t{TailChar, TailChar} : node.Chars);
        break;
      case RE_NodeOp_t::Concat: {
        int32_t middle = NewState();
        steps.push_back({requireOperand(node.Right), middle, s.To, EpsilonChars});
        steps.push_back({requireOperand(node.Left), s.From, middle, EpsilonChars});
        break;
      }
      case RE_NodeOp_t::Union:
        steps.push_back({requireOperand(node.Right), s.From, s.To, EpsilonChars});
        steps.push_back({requireOperand(node.Left), s.From, s.To, EpsilonChars});
        break;
      case RE_NodeOp_t::Closure: {
        int32_t loop = NewState();
        int32_t back = NewState();
        AddTransition(s.From, loop, EpsilonChars);
        steps.push_back({kNoNode, loop, s.To, EpsilonChars});
        steps.push_back({kNoNode, back, loop, EpsilonChars});
        steps.push_back({requireOperand(node.Left), loop, back, EpsilonChars});
        break;
      }
      case RE_NodeOp_t::Empty:
        AddTransition(s.From, s.To, EpsilonChars);
        break;
      default:
        throw EVarsikError(kMsgNFAFatal);
    }
  }
}
