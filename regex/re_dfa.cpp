// The subset construction. States are discovered and processed in the classic order:
// oldest unvisited state first, the moves of a state grouped by range in order of first
// appearance, their target sets registered newest group first. A state's set is looked
// up by hash, so registering stays fast however many states there are.
#include "regex/re_dfa.h"

#include <algorithm>
#include <unordered_map>

#include "regex/errors.h"
#include "regex/re_char_code.h"
#include "regex/re_limits.h"
#include "regex/re_nfa_state_set.h"

namespace {

// A flattened view of the NFA: per state its empty-transition targets and its character
// moves, each in chain order, and per distinct range the alphabet symbols it covers.
struct TNFAView {
  std::vector<int32_t> EpsStart, EpsTargets;
  struct TMove {
    int32_t Range;
    int32_t Target;
  };
  std::vector<int32_t> MoveStart;
  std::vector<TMove> Moves;
  std::vector<int32_t> RangeSymbolStart, RangeSymbols;
  std::vector<RE_CharRange_t> Symbols;
};

// The alphabet: the distinct ranges of the NFA, which the parse tree has cut into equal
// or disjoint pieces. Only an anchor node (a single code that is not cut against the
// character leaves) can overlap a range; then the ranges are cut here into elementary
// pieces, so that every state's transitions stay disjoint and a code is never led away
// from the path that reads it.
void BuildAlphabet(const std::vector<RE_CharRange_t>& ranges, TNFAView& view) {
  std::vector<int32_t> order(ranges.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int32_t>(i);
  std::sort(order.begin(), order.end(),
            [&](int32_t a, int32_t b) { return RangeKey(ranges[a]) < RangeKey(ranges[b]); });
  bool overlap = false;
  for (size_t k = 1; k < order.size(); ++k)
    if (ranges[order[k]].StartChar <= ranges[order[k - 1]].EndChar) overlap = true;

  view.RangeSymbolStart.assign(ranges.size() + 1, 0);
  if (!overlap) {
    std::vector<int32_t> symbolOf(ranges.size());
    for (size_t k = 0; k < order.size(); ++k) {
      view.Symbols.push_back(ranges[order[k]]);
      symbolOf[order[k]] = static_cast<int32_t>(k);
    }
    for (size_t r = 0; r < ranges.size(); ++r) {
      view.RangeSymbols.push_back(symbolOf[r]);
      view.RangeSymbolStart[r + 1] = static_cast<int32_t>(r + 1);
    }
    return;
  }
  std::vector<uint32_t> bounds;
  for (const RE_CharRange_t& r : ranges) {
    bounds.push_back(r.StartChar);
    bounds.push_back(static_cast<uint32_t>(r.EndChar) + 1);
  }
  std::sort(bounds.begin(), bounds.end());
  bounds.erase(std::unique(bounds.begin(), bounds.end()), bounds.end());
  // Pieces between consecutive bounds; those that no range covers are never referred to.
  for (size_t k = 0; k + 1 < bounds.size(); ++k)
    view.Symbols.push_back(
        {static_cast<uint16_t>(bounds[k]), static_cast<uint16_t>(bounds[k + 1] - 1)});
  for (size_t r = 0; r < ranges.size(); ++r) {
    auto first = std::lower_bound(bounds.begin(), bounds.end(), ranges[r].StartChar);
    auto last = std::lower_bound(bounds.begin(), bounds.end(),
                                 static_cast<uint32_t>(ranges[r].EndChar) + 1);
    for (auto it = first; it != last; ++it)
      view.RangeSymbols.push_back(static_cast<int32_t>(it - bounds.begin()));
    view.RangeSymbolStart[r + 1] = static_cast<int32_t>(view.RangeSymbols.size());
  }
}

TNFAView FlattenNFA(const TRE_NFA& nfa) {
  TNFAView view;
  const int32_t n = nfa.StateCount();
  std::unordered_map<uint32_t, int32_t> rangeIds;
  std::vector<RE_CharRange_t> ranges;
  view.EpsStart.push_back(0);
  view.MoveStart.push_back(0);
  for (int32_t s = 0; s < n; ++s) {
    for (int32_t t = nfa.FirstTransition(s); t != kNoTransition; t = nfa.Transition(t).Next) {
      const RE_NFATransition_t& tr = nfa.Transition(t);
      if (IsEpsilon(tr.Chars)) {
        view.EpsTargets.push_back(tr.TransitTo);
        continue;
      }
      auto [it, added] =
          rangeIds.try_emplace(RangeKey(tr.Chars), static_cast<int32_t>(ranges.size()));
      if (added) ranges.push_back(tr.Chars);
      view.Moves.push_back({it->second, tr.TransitTo});
    }
    view.EpsStart.push_back(static_cast<int32_t>(view.EpsTargets.size()));
    view.MoveStart.push_back(static_cast<int32_t>(view.Moves.size()));
  }
  BuildAlphabet(ranges, view);
  return view;
}

uint64_t HashSet(std::span<const int32_t> members) {
  uint64_t h = 0xcbf29ce484222325ull ^ members.size();
  for (int32_t m : members) {
    h ^= static_cast<uint32_t>(m);
    h *= 0x100000001b3ull;
    h ^= h >> 29;
  }
  return h;
}

}  // namespace

void TRE_DFA::Run() {
  BuildStateList();
  SortTransitions();
  CheckLiteral();
  NFA = nullptr;
}

void TRE_DFA::BuildStateList() {
  States.clear();
  TransitionTable.clear();
  SetPool.clear();
  SetStart.assign(1, 0);

  const TNFAView view = FlattenNFA(*NFA);
  Symbols = view.Symbols;
  const int32_t exitState = NFA->ExitState();
  TRE_NFAStateSet work(NFA->StateCount());
  std::vector<int32_t> stack;
  std::vector<int32_t> sorted;
  std::unordered_map<uint64_t, int32_t> firstWithHash;
  std::vector<int32_t> nextWithHash;
  int64_t effort = 0;

  // AddEmptyClosure of the seeds, then RegisterState: the state that stands for the
  // closed set, made when there is none yet.
  auto closeAndRegister = [&](std::span<const int32_t> seeds) -> int32_t {
    for (int32_t seed : seeds) {
      if (work.Has(seed)) continue;
      work.Include(seed);
      stack.push_back(seed);
      while (!stack.empty()) {
        int32_t i = stack.back();
        stack.pop_back();
        for (int32_t e = view.EpsStart[i]; e < view.EpsStart[i + 1]; ++e) {
          int32_t target = view.EpsTargets[e];
          if (!work.Has(target)) {
            work.Include(target);
            stack.push_back(target);
          }
        }
        effort += 1 + view.EpsStart[i + 1] - view.EpsStart[i];
      }
    }
    if (effort > kMaxDFAWork) throw ERegExpParser(kMsgTooComplex, 0);
    sorted.assign(work.Members().begin(), work.Members().end());
    const bool accepted = work.Has(exitState);
    work.Clear();
    std::sort(sorted.begin(), sorted.end());
    const uint64_t hash = HashSet(sorted);
    auto [it, added] = firstWithHash.try_emplace(hash, kNoState);
    for (int32_t s = it->second; s != kNoState; s = nextWithHash[s]) {
      std::span<const int32_t> set = StateSet(s);
      if (std::equal(set.begin(), set.end(), sorted.begin(), sorted.end())) return s;
    }
    if (StateCount() >= kMaxDFAStates) throw ERegExpParser(kMsgTooComplex, 0);
    const int32_t state = StateCount();
    SetPool.insert(SetPool.end(), sorted.begin(), sorted.end());
    SetStart.push_back(SetPool.size());
    States.push_back({static_cast<uint16_t>(accepted ? 0xFFFF : 0), 0, 0});
    nextWithHash.push_back(it->second);
    it->second = state;
    return state;
  };

  const int32_t entry = NFA->EntryState();
  closeAndRegister(std::span<const int32_t>(&entry, 1));

  // Move groups of the state being visited, one per alphabet symbol, in order of first
  // appearance; the buffers are reused from state to state.
  std::vector<int32_t> groupOfSymbol(Symbols.size(), 0);
  std::vector<int32_t> stampOfSymbol(Symbols.size(), -1);
  std::vector<int32_t> groupSymbol;
  std::vector<std::vector<int32_t>> groupTargets;
  std::vector<int32_t> groupState;

  // Unvisited states are taken oldest first, and new ones are appended: a plain index
  // walk over the growing list visits them in that order.
  for (int32_t d = 0; d < StateCount(); ++d) {
    size_t groups = 0;
    groupSymbol.clear();
    for (int32_t i : StateSet(d)) {
      for (int32_t m = view.MoveStart[i]; m < view.MoveStart[i + 1]; ++m) {
        const TNFAView::TMove& move = view.Moves[m];
        for (int32_t k = view.RangeSymbolStart[move.Range];
             k < view.RangeSymbolStart[move.Range + 1]; ++k) {
          const int32_t symbol = view.RangeSymbols[k];
          if (stampOfSymbol[symbol] != d) {
            stampOfSymbol[symbol] = d;
            groupOfSymbol[symbol] = static_cast<int32_t>(groups);
            groupSymbol.push_back(symbol);
            if (groupTargets.size() <= groups) groupTargets.emplace_back();
            groupTargets[groups].clear();
            ++groups;
          }
          groupTargets[groupOfSymbol[symbol]].push_back(move.Target);
        }
      }
    }
    groupState.assign(groups, kNoState);
    for (size_t g = groups; g-- > 0;) groupState[g] = closeAndRegister(groupTargets[g]);
    States[d].FirstTransition = static_cast<int32_t>(TransitionTable.size());
    States[d].TransitionCount = static_cast<int32_t>(groups);
    for (size_t g = 0; g < groups; ++g)
      TransitionTable.push_back({Symbols[groupSymbol[g]], groupState[g]});
    effort += static_cast<int64_t>(groups);
  }
}

void TRE_DFA::SortTransitions() {
  for (const RE_DFAState_t& s : States) {
    auto first = TransitionTable.begin() + s.FirstTransition;
    std::stable_sort(first, first + s.TransitionCount,
                     [](const RE_DFATransition_t& a, const RE_DFATransition_t& b) {
                       return a.Chars.StartChar < b.Chars.StartChar;
                     });
  }
}

void TRE_DFA::CheckLiteral() {
  IsLiteralFlag = false;
  LiteralText.clear();
  int32_t p = InitialState();
  // A chain of single-code transitions through non-accepting states cannot loop (every
  // NFA state reaches the exit); the step bound only guards against that assumption.
  for (int32_t steps = 0; steps <= StateCount(); ++steps) {
    std::span<const RE_DFATransition_t> t = Transitions(p);
    if (t.empty()) {
      IsLiteralFlag = true;
      return;
    }
    const uint16_t code = t[0].Chars.StartChar;
    if (t.size() > 1 || code != t[0].Chars.EndChar || Accepted(p)) break;
    // A code that its text cannot carry (0, which ends a string, or a high byte that is not
    // a lead byte and would be dropped) leaves the pattern to the automaton.
    if (code == 0 || (code > 0xFF && !IsLeadByte(static_cast<uint8_t>(code >> 8)))) break;
    LiteralText += CharCodeToStr(code);
    p = t[0].TransitTo;
  }
  LiteralText.clear();
}
