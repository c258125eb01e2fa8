// The NFA construction. The walk keeps its own work stack, so a long pattern cannot
// exhaust the call stack; pending steps are pushed in reverse so that states are
// numbered and chains ordered exactly as a recursive walk would do it.
#include "regex/re_nfa.h"

#include "regex/errors.h"
#include "regex/re_held_bytes.h"

namespace varsik {

size_t TRE_NFA::CompileBytes() const {
  return HeldBytes(StateList) + HeldBytes(Transitions) + HeldBytes(Steps) + Parser->BytesHeld();
}

void TRE_NFA::Run() {
  StateList.clear();
  Transitions.clear();
  int32_t entry = NewState();
  int32_t exit = NewState();
  const int32_t root = Parser->ParseTree().Root();
  if (root == kNoNode) throw EVarsikError(kMsgNFAFatal);
  GenerateStateList(root, entry, exit);
  std::vector<TStep>().swap(Steps);
}

int32_t TRE_NFA::NewState() {
  MakeRoom(StateList, 1, [this] { return CompileBytes(); });
  StateList.push_back(kNoTransition);
  return static_cast<int32_t>(StateList.size() - 1);
}

void TRE_NFA::AddTransition(int32_t from, int32_t to, RE_CharRange_t chars) {
  MakeRoom(Transitions, 1, [this] { return CompileBytes(); });
  Transitions.push_back({chars, to, StateList[from]});
  StateList[from] = static_cast<int32_t>(Transitions.size() - 1);
}

void TRE_NFA::GenerateStateList(int32_t root, int32_t from, int32_t to) {
  const TREParseTree& tree = Parser->ParseTree();
  auto push = [this](TStep step) {
    MakeRoom(Steps, 1, [this] { return CompileBytes(); });
    Steps.push_back(step);
  };
  Steps.clear();
  push({root, from, to, EpsilonChars});
  while (!Steps.empty()) {
    TStep s = Steps.back();
    Steps.pop_back();
    if (s.Node == kNoNode) {
      AddTransition(s.From, s.To, s.Chars);
      continue;
    }
    const RE_ParseNode_t& node = tree.Node(s.Node);
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
        push({requireOperand(node.Right), middle, s.To, EpsilonChars});
        push({requireOperand(node.Left), s.From, middle, EpsilonChars});
        break;
      }
      case RE_NodeOp_t::Union:
        push({requireOperand(node.Right), s.From, s.To, EpsilonChars});
        push({requireOperand(node.Left), s.From, s.To, EpsilonChars});
        break;
      case RE_NodeOp_t::Closure: {
        int32_t loop = NewState();
        int32_t back = NewState();
        AddTransition(s.From, loop, EpsilonChars);
        push({kNoNode, loop, s.To, EpsilonChars});
        push({kNoNode, back, loop, EpsilonChars});
        push({requireOperand(node.Left), loop, back, EpsilonChars});
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

}  // namespace varsik
