// The subset construction. States are discovered and processed in the classic order:
// oldest unvisited state first, the moves of a state grouped by range in order of first
// appearance, their target sets registered newest group first. A state's set is looked
// up by hash, so registering stays fast however many states there are.
#include "regex/re_dfa.h"

#include <algorithm>
#include <unordered_map>

#include "regex/errors.h"
#include "regex/re_char_code.h"
#include "regex/re_held_bytes.h"
#include "regex/re_limits.h"
#include "regex/re_nfa.h"
#include "regex/re_nfa_state_set.h"

namespace varsik {

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

  size_t BytesHeld() const {
    return HeldBytes(EpsStart) + HeldBytes(EpsTargets) + HeldBytes(MoveStart) + HeldBytes(Moves) +
           HeldBytes(RangeSymbolStart) + HeldBytes(RangeSymbols) + HeldBytes(Symbols);
  }
};

// The alphabet: the distinct ranges of the NFA, which the parse tree has cut into equal
// or disjoint pieces. Only an anchor node (a single code that is not cut against the
// character leaves) can overlap a range; then the ranges are cut here into elementary
// pieces, so that every state's transitions stay disjoint and a code is never led away
// from the path that reads it. held() is what the compile holds, the view included.
template <typename THeld>
void BuildAlphabet(const std::vector<RE_CharRange_t>& ranges, TNFAView& view, const THeld& held) {
  std::vector<int32_t> order;
  auto heldHere = [&] { return held() + HeldBytes(order); };
  MakeRoom(order, ranges.size(), heldHere);
  for (size_t i = 0; i < ranges.size(); ++i) order.push_back(static_cast<int32_t>(i));
  std::sort(order.begin(), order.end(),
            [&](int32_t a, int32_t b) { return RangeKey(ranges[a]) < RangeKey(ranges[b]); });
  bool overlap = false;
  for (size_t k = 1; k < order.size(); ++k)
    if (ranges[order[k]].StartChar <= ranges[order[k - 1]].EndChar) overlap = true;

  MakeRoom(view.RangeSymbolStart, ranges.size() + 1, heldHere);
  view.RangeSymbolStart.assign(ranges.size() + 1, 0);
  if (!overlap) {
    MakeRoom(view.Symbols, ranges.size(), heldHere);
    MakeRoom(view.RangeSymbols, ranges.size(), heldHere);
    view.RangeSymbols.resize(ranges.size());
    for (size_t k = 0; k < order.size(); ++k) {
      view.Symbols.push_back(ranges[order[k]]);
      view.RangeSymbols[order[k]] = static_cast<int32_t>(k);
    }
    for (size_t r = 0; r < ranges.size(); ++r)
      view.RangeSymbolStart[r + 1] = static_cast<int32_t>(r + 1);
    return;
  }
  std::vector<uint32_t> bounds;
  auto heldWithBounds = [&] { return heldHere() + HeldBytes(bounds); };
  MakeRoom(bounds, 2 * ranges.size(), heldWithBounds);
  for (const RE_CharRange_t& r : ranges) {
    bounds.push_back(r.StartChar);
    bounds.push_back(static_cast<uint32_t>(r.EndChar) + 1);
  }
  std::sort(bounds.begin(), bounds.end());
  bounds.erase(std::unique(bounds.begin(), bounds.end()), bounds.end());
  // Pieces between consecutive bounds; those that no range covers are never referred to.
  MakeRoom(view.Symbols, bounds.size(), heldWithBounds);
  for (size_t k = 0; k + 1 < bounds.size(); ++k)
    view.Symbols.push_back(
        {static_cast<uint16_t>(bounds[k]), static_cast<uint16_t>(bounds[k + 1] - 1)});
  for (size_t r = 0; r < ranges.size(); ++r) {
    auto first = std::lower_bound(bounds.begin(), bounds.end(), ranges[r].StartChar);
    auto last = std::lower_bound(bounds.begin(), bounds.end(),
                                 static_cast<uint32_t>(ranges[r].EndChar) + 1);
    MakeRoom(view.RangeSymbols, static_cast<size_t>(last - first), heldWithBounds);
    for (auto it = first; it != last; ++it)
      view.RangeSymbols.push_back(static_cast<int32_t>(it - bounds.begin()));
    view.RangeSymbolStart[r + 1] = static_cast<int32_t>(view.RangeSymbols.size());
  }
}

template <typename THeld>
void FlattenNFA(const TRE_NFA& nfa, TNFAView& view, const THeld& held) {
  const int32_t n = nfa.StateCount();
  std::unordered_map<uint32_t, int32_t> rangeIds;
  std::vector<RE_CharRange_t> ranges;
  auto heldHere = [&] { return held() + HeldBytes(rangeIds) + HeldBytes(ranges); };
  MakeRoom(view.EpsStart, static_cast<size_t>(n) + 1, heldHere);
  MakeRoom(view.MoveStart, static_cast<size_t>(n) + 1, heldHere);
  view.EpsStart.push_back(0);
  view.MoveStart.push_back(0);
  for (int32_t s = 0; s < n; ++s) {
    for (int32_t t = nfa.FirstTransition(s); t != kNoTransition; t = nfa.Transition(t).Next) {
      const RE_NFATransition_t& tr = nfa.Transition(t);
      if (IsEpsilon(tr.Chars)) {
        MakeRoom(view.EpsTargets, 1, heldHere);
        view.EpsTargets.push_back(tr.TransitTo);
        continue;
      }
      MakeRoom(rangeIds, heldHere);
      auto [it, added] =
          rangeIds.try_emplace(RangeKey(tr.Chars), static_cast<int32_t>(ranges.size()));
      if (added) {
        MakeRoom(ranges, 1, heldHere);
        ranges.push_back(tr.Chars);
      }
      MakeRoom(view.Moves, 1, heldHere);
      view.Moves.push_back({it->second, tr.TransitTo});
    }
    view.EpsStart.push_back(static_cast<int32_t>(view.EpsTargets.size()));
    view.MoveStart.push_back(static_cast<int32_t>(view.Moves.size()));
  }
  std::unordered_map<uint32_t, int32_t>().swap(rangeIds);
  BuildAlphabet(ranges, view, [&] { return held() + HeldBytes(ranges); });
}

// Two members per step: the steps depend on each other, and large sets are hashed often.
uint64_t HashSet(std::span<const int32_t> members) {
  uint64_t h = 0xcbf29ce484222325ull ^ members.size();
  size_t i = 0;
  for (; i + 1 < members.size(); i += 2) {
    h ^= static_cast<uint64_t>(static_cast<uint32_t>(members[i])) << 32 |
         static_cast<uint32_t>(members[i + 1]);
    h *= 0x100000001b3ull;
    h ^= h >> 29;
  }
  if (i < members.size()) {
    h ^= static_cast<uint32_t>(members[i]);
    h *= 0x100000001b3ull;
  }
  // The index takes the low bits: mix the high ones in.
  h ^= h >> 33;
  h *= 0xff51afd7ed558ccdull;
  return h ^ (h >> 33);
}

// Gives back a table's room to grow, when that is worth copying it.
template <typename T>
void GiveBackRoom(std::vector<T>& v) {
  if ((v.capacity() - v.size()) * sizeof(T) > 4096) v.shrink_to_fit();
}

// The DFA states by the hash of their sets: open addressing over a power-of-two table of
// state numbers, at most half full, beside each state's hash. A lookup mostly touches one
// slot and one hash, and the bytes are known exactly.
class TSetIndex {
 public:
  // The first state with this hash for which same(state) holds, or kNoState.
  template <typename TSame>
  int32_t Find(uint64_t hash, const TSame& same) const {
    if (Slots.empty()) return kNoState;
    const size_t mask = Slots.size() - 1;
    for (size_t i = hash & mask; Slots[i] != kNoState; i = (i + 1) & mask)
      if (Hashes[Slots[i]] == hash && same(Slots[i])) return Slots[i];
    return kNoState;
  }

  // Before Add: grows the table when one more state would fill it more than half; held()
  // is what the compile holds now, this index included.
  template <typename THeld>
  void MakeRoomForOne(const THeld& held) {
    MakeRoom(Hashes, 1, held);
    if ((Hashes.size() + 1) * 2 <= Slots.size()) return;
    const size_t size = std::max<size_t>(Slots.size() * 2, 16);
    CheckCompileBytes(held() + size * sizeof(int32_t));
    Slots.assign(size, kNoState);
    for (size_t s = 0; s < Hashes.size(); ++s) Place(Hashes[s], static_cast<int32_t>(s));
  }

  // Adds the next state (states are added in their order, from 0).
  void Add(uint64_t hash) {
    Hashes.push_back(hash);
    Place(hash, static_cast<int32_t>(Hashes.size() - 1));
  }

  size_t BytesHeld() const { return HeldBytes(Slots) + HeldBytes(Hashes); }

 private:
  void Place(uint64_t hash, int32_t state) {
    const size_t mask = Slots.size() - 1;
    size_t i = hash & mask;
    while (Slots[i] != kNoState) i = (i + 1) & mask;
    Slots[i] = state;
  }

  std::vector<int32_t> Slots;
  std::vector<uint64_t> Hashes;
};

// A move out of the DFA state being visited: its group (the alphabet symbol it reads,
// numbered in order of first appearance) and the NFA state it leads to.
struct TMovePair {
  int32_t Group;
  int32_t Target;
};

}  // namespace

void TRE_DFA::Run() {
  BuildStateList();
  SortTransitions();
  CheckLiteral();
  NFA = nullptr;
}

size_t TRE_DFA::BytesHeld() const {
  return sizeof(TRE_DFA) + HeldBytes(States) + HeldBytes(TransitionTable) + HeldBytes(SetPool) +
         HeldBytes(SetStart) + HeldBytes(Symbols) + HeldBytes(LiteralText);
}

// The states of the automaton being built, each found by its set of NFA states: the
// empty closure of a list of seeds (AddEmptyClosure), then the state that stands for the
// closed set, made when there is none yet (RegisterState).
class TRE_DFA::TStateRegistry {
 public:
  TStateRegistry(TRE_DFA& dfa, const TNFAView& view, int32_t nfaStates, int32_t exitState)
      : Dfa(dfa), View(view), ExitState(exitState), Work(nfaStates) {
    Stack.reserve(static_cast<size_t>(nfaStates));
    Sorted.reserve(static_cast<size_t>(nfaStates));
  }

  // The working tables' bytes, before they are made: a set, a stack and a sorted list
  // hold every NFA state at most once.
  static size_t WorkBytes(int32_t nfaStates) {
    return static_cast<size_t>(nfaStates) / 8 + 1 + 3 * sizeof(int32_t) * nfaStates;
  }
  size_t BytesHeld() const {
    return Work.BytesHeld() + HeldBytes(Stack) + HeldBytes(Sorted) + Index.BytesHeld();
  }
  // The work so far, in NFA states visited by the closures, moves made and sets sorted.
  int64_t& Effort() { return Spent; }

  template <typename THeld>
  int32_t CloseAndRegister(std::span<const int32_t> seeds, const THeld& held) {
    for (int32_t seed : seeds) {
      if (Work.Has(seed)) continue;
      Work.Include(seed);
      Stack.push_back(seed);
      while (!Stack.empty()) {
        const int32_t i = Stack.back();
        Stack.pop_back();
        for (int32_t e = View.EpsStart[i]; e < View.EpsStart[i + 1]; ++e) {
          const int32_t target = View.EpsTargets[e];
          if (!Work.Has(target)) {
            Work.Include(target);
            Stack.push_back(target);
          }
        }
        Spent += 1 + View.EpsStart[i + 1] - View.EpsStart[i];
      }
    }
    Spent += static_cast<int64_t>(seeds.size() + Work.AscendingMembers(Sorted));
    if (Spent > kMaxDFAWork) throw ERegExpParser(kMsgTooComplex, 0);
    const bool accepted = Work.Has(ExitState);
    Work.Clear();
    const uint64_t hash = HashSet(Sorted);
    const int32_t found = Index.Find(hash, [&](int32_t s) {
      const std::span<const int32_t> set = Dfa.StateSet(s);
      return std::equal(set.begin(), set.end(), Sorted.begin(), Sorted.end());
    });
    if (found != kNoState) return found;
    Index.MakeRoomForOne(held);
    MakeRoom(Dfa.SetPool, Sorted.size(), held);
    MakeRoom(Dfa.SetStart, 1, held);
    MakeRoom(Dfa.States, 1, held);
    const int32_t state = Dfa.StateCount();
    Dfa.SetPool.insert(Dfa.SetPool.end(), Sorted.begin(), Sorted.end());
    Dfa.SetStart.push_back(Dfa.SetPool.size());
    Dfa.States.push_back({static_cast<uint16_t>(accepted ? 0xFFFF : 0), 0, 0});
    Index.Add(hash);
    return state;
  }

 private:
  TRE_DFA& Dfa;
  const TNFAView& View;
  const int32_t ExitState;
  TRE_NFAStateSet Work;
  std::vector<int32_t> Stack;
  std::vector<int32_t> Sorted;
  TSetIndex Index;
  int64_t Spent = 0;
};

// The moves out of the state being visited (ComputeMoves), grouped by the alphabet symbol
// they read, in order of first appearance, each group with its targets in move order.
// The buffers are reused from state to state.
class TRE_DFA::TMoveGroups {
 public:
  explicit TMoveGroups(size_t symbols) : GroupOfSymbol(symbols, 0), StampOfSymbol(symbols, -1) {}

  // Two tables with a slot per symbol.
  static size_t WorkBytes(size_t symbols) { return 2 * sizeof(int32_t) * symbols; }
  size_t BytesHeld() const {
    return HeldBytes(GroupOfSymbol) + HeldBytes(StampOfSymbol) + HeldBytes(GroupSymbol) +
           HeldBytes(Pairs) + HeldBytes(GroupStart) + HeldBytes(GroupTargets);
  }

  // Groups the moves of the NFA states of `set`, DFA state `state`; returns how many
  // moves it read.
  template <typename THeld>
  int64_t Compute(const TNFAView& view, int32_t state, std::span<const int32_t> set,
                  const THeld& held) {
    int32_t groups = 0;
    GroupSymbol.clear();
    Pairs.clear();
    for (int32_t i : set) {
      for (int32_t m = view.MoveStart[i]; m < view.MoveStart[i + 1]; ++m) {
        const TNFAView::TMove& move = view.Moves[m];
        const int32_t firstSymbol = view.RangeSymbolStart[move.Range];
        const int32_t endSymbol = view.RangeSymbolStart[move.Range + 1];
        MakeRoom(Pairs, static_cast<size_t>(endSymbol - firstSymbol), held);
        MakeRoom(GroupSymbol, static_cast<size_t>(endSymbol - firstSymbol), held);
        for (int32_t k = firstSymbol; k < endSymbol; ++k) {
          const int32_t symbol = view.RangeSymbols[k];
          if (StampOfSymbol[symbol] != state) {
            StampOfSymbol[symbol] = state;
            GroupOfSymbol[symbol] = groups++;
            GroupSymbol.push_back(symbol);
          }
          Pairs.push_back({GroupOfSymbol[symbol], move.Target});
        }
      }
    }
    // The targets bucketed by group.
    MakeRoom(GroupStart, static_cast<size_t>(groups) + 1, held);
    MakeRoom(GroupTargets, Pairs.size(), held);
    GroupStart.assign(static_cast<size_t>(groups) + 1, 0);
    for (const TMovePair& p : Pairs) ++GroupStart[p.Group + 1];
    for (int32_t g = 0; g < groups; ++g) GroupStart[g + 1] += GroupStart[g];
    GroupTargets.resize(Pairs.size());
    for (const TMovePair& p : Pairs) GroupTargets[GroupStart[p.Group]++] = p.Target;
    // Each group's start has moved to the next group's; shift them back.
    for (int32_t g = groups; g > 0; --g) GroupStart[g] = GroupStart[g - 1];
    GroupStart[0] = 0;
    return static_cast<int64_t>(Pairs.size());
  }

  int32_t Count() const { return static_cast<int32_t>(GroupSymbol.size()); }
  int32_t Symbol(int32_t group) const { return GroupSymbol[group]; }
  std::span<const int32_t> Targets(int32_t group) const {
    return {GroupTargets.data() + GroupStart[group], GroupTargets.data() + GroupStart[group + 1]};
  }

 private:
  std::vector<int32_t> GroupOfSymbol;
  std::vector<int32_t> StampOfSymbol;
  std::vector<int32_t> GroupSymbol;
  std::vector<TMovePair> Pairs;
  std::vector<int32_t> GroupStart;
  std::vector<int32_t> GroupTargets;
};

void TRE_DFA::BuildStateList() {
  States.clear();
  TransitionTable.clear();
  SetPool.clear();
  SetStart.assign(1, 0);

  // Everything below counts against the compile's memory: the NFA and its parser, which
  // stay alive meanwhile, this automaton's tables, and the working tables.
  const size_t outer = NFA->CompileBytes();
  TNFAView view;
  FlattenNFA(*NFA, view, [&] { return outer + BytesHeld() + view.BytesHeld(); });
  Symbols = std::move(view.Symbols);
  const int32_t n = NFA->StateCount();
  CheckCompileBytes(outer + BytesHeld() + view.BytesHeld() + TStateRegistry::WorkBytes(n) +
                    TMoveGroups::WorkBytes(Symbols.size()));
  TStateRegistry registry(*this, view, n, NFA->ExitState());
  TMoveGroups moves(Symbols.size());
  std::vector<int32_t> groupState;
  auto held = [&] {
    return outer + BytesHeld() + view.BytesHeld() + registry.BytesHeld() + moves.BytesHeld() +
           HeldBytes(groupState);
  };
  CheckCompileBytes(held());

  const int32_t entry = NFA->EntryState();
  registry.CloseAndRegister(std::span<const int32_t>(&entry, 1), held);
  // Unvisited states are taken oldest first, and new ones are appended: a plain index
  // walk over the growing list visits them in that order.
  for (int32_t d = 0; d < StateCount(); ++d) {
    registry.Effort() += moves.Compute(view, d, StateSet(d), held);
    const int32_t groups = moves.Count();
    // Target sets are registered newest group first.
    MakeRoom(groupState, static_cast<size_t>(groups), held);
    groupState.assign(static_cast<size_t>(groups), kNoState);
    for (int32_t g = groups; g-- > 0;)
      groupState[g] = registry.CloseAndRegister(moves.Targets(g), held);
    MakeRoom(TransitionTable, static_cast<size_t>(groups), held);
    States[d].FirstTransition = static_cast<int32_t>(TransitionTable.size());
    States[d].TransitionCount = groups;
    for (int32_t g = 0; g < groups; ++g)
      TransitionTable.push_back({Symbols[moves.Symbol(g)], groupState[g]});
  }
  // What the cache keeps: the tables without their room to grow.
  GiveBackRoom(States);
  GiveBackRoom(TransitionTable);
  GiveBackRoom(SetPool);
  GiveBackRoom(SetStart);
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
    if (code == 0 || (code > 0xFF && !ShiftJis::IsLeadByte(static_cast<uint8_t>(code >> 8)))) break;
    LiteralText += CharCodeToStr(code);
    p = t[0].TransitTo;
  }
  LiteralText.clear();
}

}  // namespace varsik
