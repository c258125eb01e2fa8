#include "search/grep_fast_path.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <unordered_map>

#include "base/char_starts.h"
#include "base/shift_jis.h"

namespace varsik {

namespace {

using ShiftJis::IsLeadByte;

// The largest transition table built (states times classes): 16 MB of entries.
constexpr size_t kMaxTableEntries = size_t{4} << 20;
// The work allowed for looking for a code that every match holds (states times classes
// times candidate codes).
constexpr size_t kMaxRequiredWork = size_t{20} << 20;

constexpr uint8_t kLf = '\n';
constexpr uint8_t kCr = '\r';

// Lines end at LF, at CR LF and at a lone CR; `loneCr` says whether the text holds a
// lone CR.
const uint8_t* LineStartOf(const uint8_t* p, const uint8_t* begin, bool loneCr) {
  const uint8_t* start = ByteScan::LineStart(p, begin);
  const void* cr = loneCr ? ::memrchr(start, kCr, static_cast<size_t>(p - start)) : nullptr;
  return cr == nullptr ? start : static_cast<const uint8_t*>(cr) + 1;
}

const uint8_t* LineEndOf(const uint8_t* p, const uint8_t* end, bool loneCr) {
  const uint8_t* lf = ByteScan::LineEnd(p, end);
  if (!loneCr) return lf > p && lf[-1] == kCr ? lf - 1 : lf;
  const void* cr = std::memchr(p, kCr, static_cast<size_t>(lf - p));
  return cr == nullptr ? lf : static_cast<const uint8_t*>(cr);
}

const uint8_t* NextLineStart(const uint8_t* lineEnd, const uint8_t* end) {
  if (lineEnd == end) return end;
  if (*lineEnd == kCr && lineEnd + 1 < end && lineEnd[1] == kLf) return lineEnd + 2;
  return lineEnd + 1;
}

// A code whose bytes a text shows only as themselves: no NUL (read as a blank), no
// blank (a NUL reads as one), no CR or LF (line ends), a lead byte only with a trail.
bool HasOwnBytes(uint16_t code) {
  const uint8_t high = static_cast<uint8_t>(code >> 8);
  const uint8_t low = static_cast<uint8_t>(code & 0xFF);
  if (high == 0) return low != 0 && low != ' ' && low != kLf && low != kCr && !IsLeadByte(low);
  return IsLeadByte(high) && low != 0 && low != ' ' && low != kLf && low != kCr;
}

// How often a byte of the range is met, from its rarity.
double Share(uint8_t lo, uint8_t hi) {
  double share = 0;
  for (int b = lo; b <= hi; ++b)
    share += std::exp2(-ByteScan::Rarity(static_cast<uint8_t>(b)) / 2.0);
  return share;
}

}  // namespace

TGrepFastPath::TGrepFastPath(const TRE_DFA& dfa) {
  BuildTables(dfa);
  if (ClassCount == 0 || !StaysInLine()) return;
  ChooseFilter(dfa);
  IsUsable = true;
}

void TGrepFastPath::BuildTables(const TRE_DFA& dfa) {
  const std::vector<RE_CharRange_t>& symbols = dfa.Alphabet();
  const size_t states = static_cast<size_t>(dfa.StateCount());
  if (states * (symbols.size() + 1) > kMaxTableEntries) return;

  // Each symbol's column: the state each state goes to on it.
  std::vector<int32_t> column(symbols.size() * states, kNoState);
  for (size_t s = 0; s < states; ++s) {
    for (const RE_DFATransition_t& t : dfa.Transitions(static_cast<int32_t>(s))) {
      auto k =
          std::lower_bound(symbols.begin(), symbols.end(), t.Chars.StartChar,
                           [](const RE_CharRange_t& r, uint16_t c) { return r.StartChar < c; });
      for (; k != symbols.end() && k->EndChar <= t.Chars.EndChar; ++k)
        column[static_cast<size_t>(k - symbols.begin()) * states + s] = t.TransitTo;
    }
  }
  // Symbols with equal columns share a class; class 0 has no transitions at all.
  std::unordered_map<uint64_t, std::vector<int32_t>> byHash;
  std::vector<size_t> representative{symbols.size()};
  SymbolClass.assign(symbols.size(), 0);
  ClassSize.assign(1, 0);
  for (size_t k = 0; k < symbols.size(); ++k) {
    const int32_t* col = column.data() + k * states;
    uint64_t h = 0xcbf29ce484222325ull;
    bool empty = true;
    for (size_t s = 0; s < states; ++s) {
      h = (h ^ static_cast<uint32_t>(col[s])) * 0x100000001b3ull;
      empty = empty && col[s] == kNoState;
    }
    int32_t cls = 0;
    if (!empty) {
      std::vector<int32_t>& same = byHash[h];
      cls = -1;
      for (int32_t c : same)
        if (std::equal(col, col + states, column.data() + representative[c] * states)) cls = c;
      if (cls < 0) {
        cls = static_cast<int32_t>(representative.size());
        representative.push_back(k);
        ClassSize.push_back(0);
        same.push_back(cls);
      }
    }
    SymbolClass[k] = cls;
    ClassSize[cls] += symbols[k].EndChar - symbols[k].StartChar + 1;
  }
  ClassCount = static_cast<int32_t>(representative.size());
  Next.assign(states * static_cast<size_t>(ClassCount), kNoState);
  for (int32_t c = 1; c < ClassCount; ++c)
    for (size_t s = 0; s < states; ++s)
      Next[s * ClassCount + c] = column[representative[c] * states + s];
  Accepting.resize(states);
  for (size_t s = 0; s < states; ++s) Accepting[s] = dfa.Accepted(static_cast<int32_t>(s));
  Symbols = symbols;

  // Codes as the reader delivers them: a NUL byte as a blank, a CR as the LF it stands
  // for (the CR of a CR LF is never read).
  ByteClass.resize(256);
  for (int b = 0; b < 256; ++b)
    ByteClass[b] = ClassOfCode(static_cast<uint16_t>(b == 0 ? ' ' : b == kCr ? kLf : b));
  LeadRow.assign(256, 0);
  TrailClass.clear();
  for (int lead = 0; lead < 256; ++lead) {
    if (!IsLeadByte(static_cast<uint8_t>(lead))) continue;
    LeadRow[lead] = static_cast<uint8_t>(TrailClass.size() / 256);
    for (int trail = 0; trail < 256; ++trail)
      TrailClass.push_back(
          ClassOfCode(static_cast<uint16_t>(lead << 8 | (trail == 0 ? ' ' : trail))));
  }
  LineEndClass = ClassOfCode(kLf);
  AfterLineEnd = Next[static_cast<size_t>(LineEndClass)];
}

int32_t TGrepFastPath::ClassOfCode(uint16_t code) const {
  auto k = std::upper_bound(Symbols.begin(), Symbols.end(), code,
                            [](uint16_t c, const RE_CharRange_t& r) { return c < r.StartChar; });
  if (k == Symbols.begin()) return 0;
  --k;
  return code <= k->EndChar ? SymbolClass[static_cast<size_t>(k - Symbols.begin())] : 0;
}

bool TGrepFastPath::StaysInLine() const {
  // The states that an attempt stands in after one code or more, short of accepting
  // (an attempt ends at the first accepting state).
  const size_t states = Accepting.size();
  std::vector<bool> seen(states, false);
  std::vector<int32_t> stack;
  auto reach = [&](size_t from) {
    for (int32_t c = 1; c < ClassCount; ++c) {
      const int32_t t = Next[from * ClassCount + c];
      if (t != kNoState && !seen[t]) {
        seen[t] = true;
        stack.push_back(t);
      }
    }
  };
  reach(0);
  while (!stack.empty()) {
    const int32_t s = stack.back();
    stack.pop_back();
    if (Accepting[s]) continue;
    // Reading a line end must end the attempt, one way or the other.
    const int32_t t = Next[static_cast<size_t>(s) * ClassCount + LineEndClass];
    if (t != kNoState && !Accepting[t]) return false;
    reach(static_cast<size_t>(s));
  }
  return true;
}

std::string TGrepFastPath::RequiredBytes(const TRE_DFA& dfa) const {
  std::string best;
  if (dfa.IsLiteral()) {
    // The longest run of the fixed string's codes that the text shows as themselves.
    std::vector<uint16_t> codes;
    for (int32_t p = dfa.InitialState(); !dfa.Transitions(p).empty();
         p = dfa.Transitions(p)[0].TransitTo)
      codes.push_back(dfa.Transitions(p)[0].Chars.StartChar);
    std::string run;
    for (size_t i = 0; i <= codes.size(); ++i) {
      if (i < codes.size() && HasOwnBytes(codes[i])) {
        ShiftJis::AppendCode(run, codes[i]);
        continue;
      }
      if (run.size() > best.size()) best = run;
      run.clear();
    }
    return best;
  }
  // A code that every match reads: without its class no accepting state is reached.
  // The rarest such code is looked for.
  const size_t states = Accepting.size();
  std::vector<std::pair<int, uint16_t>> candidates;
  for (size_t k = 0; k < Symbols.size(); ++k) {
    const uint16_t code = Symbols[k].StartChar;
    const int32_t cls = SymbolClass[k];
    if (Symbols[k].EndChar != code || cls == 0 || ClassSize[cls] != 1 || !HasOwnBytes(code))
      continue;
    int rarity = ByteScan::Rarity(static_cast<uint8_t>(code & 0xFF));
    if (code > 0xFF) rarity += ByteScan::Rarity(static_cast<uint8_t>(code >> 8));
    candidates.emplace_back(-rarity, code);
  }
  std::sort(candidates.begin(), candidates.end());
  const size_t perCandidate = states * static_cast<size_t>(ClassCount) + 1;
  candidates.resize(std::min(candidates.size(), kMaxRequiredWork / perCandidate));
  std::vector<bool> seen(states);
  std::vector<int32_t> stack;
  for (const auto& [rarity, code] : candidates) {
    const int32_t without = ClassOfCode(code);
    std::fill(seen.begin(), seen.end(), false);
    bool accepts = false;
    auto reach = [&](size_t from) {
      for (int32_t c = 1; c < ClassCount; ++c) {
        const int32_t t = c == without ? kNoState : Next[from * ClassCount + c];
        if (t != kNoState && !seen[t]) {
          seen[t] = true;
          accepts = accepts || Accepting[t];
          stack.push_back(t);
        }
      }
    };
    reach(0);
    while (!stack.empty() && !accepts) {
      const int32_t s = stack.back();
      stack.pop_back();
      if (!Accepting[s]) reach(static_cast<size_t>(s));
    }
    stack.clear();
    if (!accepts) {
      ShiftJis::AppendCode(best, code);
      return best;
    }
  }
  return best;
}

bool TGrepFastPath::FirstCodeBytes(const TRE_DFA&, std::vector<ByteScan::TCodeBytes>& out) const {
  out.clear();
  if (AfterLineEnd != kNoState) return false;  // every line end would be a candidate
  auto add = [&](ByteScan::TCodeBytes entry) {
    // Neighbouring single-byte ranges join.
    if (entry.OneByte && !out.empty() && out.back().OneByte && out.back().Hi0 + 1 == entry.Lo0)
      out.back().Hi0 = entry.Hi0;
    else
      out.push_back(entry);
  };
  for (size_t k = 0; k < Symbols.size(); ++k) {
    if (Next[static_cast<size_t>(SymbolClass[k])] == kNoState) continue;
    const uint32_t lo = Symbols[k].StartChar;
    const uint32_t hi = Symbols[k].EndChar;
    if (lo <= 0xFF) {
      const uint8_t top = static_cast<uint8_t>(std::min<uint32_t>(hi, 0xFF));
      add({static_cast<uint8_t>(lo), top, 0, 0xFF, true});
      // A NUL byte reads as a blank.
      if (lo <= ' ' && ' ' <= top) add({0, 0, 0, 0xFF, true});
    }
    for (uint32_t lead = std::max<uint32_t>(lo >> 8, 1); lead <= (hi >> 8); ++lead) {
      if (!IsLeadByte(static_cast<uint8_t>(lead))) continue;
      const uint8_t first = lead == (lo >> 8) ? static_cast<uint8_t>(lo & 0xFF) : 0;
      const uint8_t last = lead == (hi >> 8) ? static_cast<uint8_t>(hi & 0xFF) : 0xFF;
      const uint8_t l = static_cast<uint8_t>(lead);
      if (first == 0 && last == 0xFF && !out.empty() && !out.back().OneByte &&
          out.back().Lo1 == 0 && out.back().Hi1 == 0xFF && out.back().Hi0 + 1 == l) {
        out.back().Hi0 = l;
      } else {
        add({l, l, first, last, false});
        if (first <= ' ' && ' ' <= last && first > 0) add({l, l, 0, 0, false});
      }
    }
    if (out.size() > ByteScan::kMaxCodeBytes) return false;
  }
  return !out.empty();
}

void TGrepFastPath::ChooseFilter(const TRE_DFA& dfa) {
  FilterKind = TFilter::EveryLine;
  double bestShare = 1.0;

  const std::string fixed = RequiredBytes(dfa);
  if (!fixed.empty()) {
    // The filter tests the two rarest bytes; the candidates are then compared whole.
    size_t first = 0;
    for (size_t i = 1; i < fixed.size(); ++i)
      if (ByteScan::Rarity(fixed[i]) > ByteScan::Rarity(fixed[first])) first = i;
    size_t second = first;
    for (size_t i = 0; i < fixed.size(); ++i)
      if (i != first &&
          (second == first || ByteScan::Rarity(fixed[i]) > ByteScan::Rarity(fixed[second])))
        second = i;
    FixedPair = {first,  0xFF, static_cast<uint8_t>(fixed[first]),
                 second, 0xFF, static_cast<uint8_t>(fixed[second])};
    double share = std::exp2(-ByteScan::Rarity(fixed[first]) / 2.0);
    if (second != first) share *= std::exp2(-ByteScan::Rarity(fixed[second]) / 2.0);
    FilterKind = TFilter::FixedBytes;
    Fixed = fixed;
    bestShare = share;
    // A fixed string whose every code shows as itself matches wherever its bytes stand
    // on a character start.
    FixedIsWhole = dfa.IsLiteral() && fixed.size() == dfa.Literal().size();
  }

  // The few single codes that every match begins with, for readers that look for them in
  // other bytes.
  FirstSingleCodes.clear();
  if (AfterLineEnd == kNoState && !Accepting[0])
    for (size_t k = 0; k < Symbols.size(); ++k) {
      if (Next[static_cast<size_t>(SymbolClass[k])] == kNoState) continue;
      if (Symbols[k].StartChar != Symbols[k].EndChar ||
          FirstSingleCodes.size() == ByteScan::kMaxCodeBytes) {
        FirstSingleCodes.clear();
        break;
      }
      FirstSingleCodes.push_back(static_cast<uint16_t>(Symbols[k].StartChar));
    }

  std::vector<ByteScan::TCodeBytes> codes;
  if (FirstCodeBytes(dfa, codes)) {
    double share = 0;
    for (const ByteScan::TCodeBytes& c : codes)
      share += Share(c.Lo0, c.Hi0) * (c.OneByte ? 1.0 : Share(c.Lo1, c.Hi1));
    if (share < bestShare) {
      FilterKind = TFilter::FirstCodes;
      FirstCodes = codes;
    }
  }
}

TGrepFastPath::TAttempt TGrepFastPath::Accepts(int32_t state, const uint8_t* p,
                                               const uint8_t* lineEnd, TBudget& budget) const {
  const size_t cap = budget.Cap(lineEnd);
  for (;;) {
    if (Accepting[state]) return TAttempt::Accepted;
    if (p >= lineEnd) {
      state = Next[static_cast<size_t>(state) * ClassCount + LineEndClass];
      return state != kNoState && Accepting[state] ? TAttempt::Accepted : TAttempt::Failed;
    }
    if (++budget.Steps > cap) return TAttempt::OverBudget;
    int32_t length;
    const int32_t cls = ClassAt(p, lineEnd, length);
    p += length;
    state = Next[static_cast<size_t>(state) * ClassCount + cls];
    if (state == kNoState) return TAttempt::Failed;
  }
}

bool TGrepFastPath::LineMatches(const uint8_t* lineStart, const uint8_t* lineEnd, TBudget& budget,
                                TAllAttempts& all) const {
  TAttempt attempt = TAttempt::Failed;
  if (AfterLineEnd != kNoState) attempt = Accepts(AfterLineEnd, lineStart, lineEnd, budget);
  for (const uint8_t* p = lineStart; p < lineEnd && attempt == TAttempt::Failed;) {
    int32_t length;
    const int32_t state = Next[static_cast<size_t>(ClassAt(p, lineEnd, length))];
    p += length;
    if (state != kNoState) attempt = Accepts(state, p, lineEnd, budget);
  }
  if (attempt != TAttempt::OverBudget) return attempt == TAttempt::Accepted;
  budget = {lineEnd};
  return AllAttemptsMatch(lineStart, lineEnd, all);
}

bool TGrepFastPath::AllAttemptsMatch(const uint8_t* lineStart, const uint8_t* lineEnd,
                                     TAllAttempts& all) const {
  BeginLine(all);
  FeedLine(all, lineStart, lineEnd);
  return EndLine(all);
}

void TGrepFastPath::BeginLine(TAllAttempts& all) const {
  if (all.Mark.size() != Accepting.size()) all.Mark.assign(Accepting.size(), 0);
  all.Live.clear();
  all.PendingLead = -1;
  // The attempt from the line end in front of the line.
  all.Found = AfterLineEnd != kNoState && Accepting[AfterLineEnd];
  if (AfterLineEnd != kNoState) all.Live.push_back(AfterLineEnd);
}

void TGrepFastPath::StepAll(TAllAttempts& all, int32_t cls) const {
  if (++all.Generation == 0) {
    std::fill(all.Mark.begin(), all.Mark.end(), 0);
    all.Generation = 1;
  }
  all.NextLive.clear();
  auto add = [this, &all](int32_t state) {
    if (state == kNoState || all.Mark[static_cast<size_t>(state)] == all.Generation) return;
    all.Mark[static_cast<size_t>(state)] = all.Generation;
    all.Found = all.Found || Accepting[state];
    all.NextLive.push_back(state);
  };
  for (const int32_t state : all.Live) add(Next[static_cast<size_t>(state) * ClassCount + cls]);
  add(Next[static_cast<size_t>(cls)]);
  all.Live.swap(all.NextLive);
}

void TGrepFastPath::FeedLine(TAllAttempts& all, const uint8_t* begin, const uint8_t* end) const {
  for (const uint8_t* p = begin; p < end && !all.Found; ++p) {
    if (all.PendingLead >= 0) {
      StepAll(all, TrailClass[static_cast<size_t>(LeadRow[all.PendingLead]) << 8 | *p]);
      all.PendingLead = -1;
    } else if (IsLeadByte(*p)) {
      all.PendingLead = *p;
    } else {
      StepAll(all, ByteClass[*p]);
    }
  }
}

bool TGrepFastPath::EndLine(TAllAttempts& all) const {
  // A lead byte at the end of its line stands alone.
  if (!all.Found && all.PendingLead >= 0)
    StepAll(all, ByteClass[static_cast<size_t>(all.PendingLead)]);
  all.PendingLead = -1;
  for (const int32_t state : all.Live) {
    if (all.Found) break;
    const int32_t t = Next[static_cast<size_t>(state) * ClassCount + LineEndClass];
    all.Found = t != kNoState && Accepting[t];
  }
  return all.Found;
}

size_t TGrepFastPath::BytesHeld() const {
  auto bytes = [](const auto& v) { return v.capacity() * sizeof(v[0]); };
  return sizeof *this + bytes(Symbols) + bytes(SymbolClass) + bytes(ClassSize) + bytes(ByteClass) +
         bytes(LeadRow) + bytes(TrailClass) + bytes(Next) + bytes(Accepting) + Fixed.capacity() +
         bytes(FirstCodes);
}

const uint8_t* TGrepFastPath::NextCandidate(const uint8_t* from, const uint8_t* end) const {
  if (FilterKind == TFilter::FirstCodes)
    return ByteScan::FindCodeBytes(FirstCodes.data(), FirstCodes.size(), from,
                                   static_cast<size_t>(end - from));
  const size_t n = Fixed.size();
  while (end - from >= static_cast<ptrdiff_t>(n)) {
    const uint8_t* p = ByteScan::FindPair(FixedPair, from, static_cast<size_t>(end - from) - n + 1);
    if (p == nullptr) return nullptr;
    if (std::memcmp(p, Fixed.data(), n) == 0) return p;
    from = p + 1;
  }
  return nullptr;
}

bool TGrepFastPath::FindLines(const uint8_t* begin, const uint8_t* end, bool loneCr,
                              std::vector<const uint8_t*>& hits, TAllAttempts& all) const {
  TBudget budget{begin};
  if (FilterKind == TFilter::EveryLine) {
    for (const uint8_t* lineStart = begin; lineStart < end;) {
      const uint8_t* lineEnd = LineEndOf(lineStart, end, loneCr);
      if (LineMatches(lineStart, lineEnd, budget, all)) hits.push_back(lineStart);
      lineStart = NextLineStart(lineEnd, end);
    }
    return false;
  }
  TCharStarts starts(begin);
  const uint8_t* lineEnd = begin;  // the end of the line of the last candidate
  for (const uint8_t* from = begin; from < end;) {
    const uint8_t* p = NextCandidate(from, end);
    if (p == nullptr) break;
    if (!starts.IsCharStart(p)) {
      from = p + 1;
      continue;
    }
    // The candidates of one line share its end, found once.
    if (p >= lineEnd) lineEnd = LineEndOf(p, end, loneCr);
    bool matched;
    if (FilterKind == TFilter::FixedBytes) {
      matched = FixedIsWhole || LineMatches(LineStartOf(p, begin, loneCr), lineEnd, budget, all);
    } else {
      // An attempt from this start position only, or all of the line's when those cost
      // too much.
      int32_t length;
      const int32_t state = Next[static_cast<size_t>(ClassAt(p, lineEnd, length))];
      TAttempt attempt = TAttempt::Failed;
      if (state != kNoState) attempt = Accepts(state, p + length, lineEnd, budget);
      if (attempt == TAttempt::OverBudget) {
        budget = {lineEnd};
        const uint8_t* lineStart = LineStartOf(p, begin, loneCr);
        if (AllAttemptsMatch(lineStart, lineEnd, all)) hits.push_back(lineStart);
        from = NextLineStart(lineEnd, end);
        continue;
      }
      matched = attempt == TAttempt::Accepted;
    }
    if (matched) {
      hits.push_back(LineStartOf(p, begin, loneCr));
      from = NextLineStart(lineEnd, end);
    } else {
      from = FilterKind == TFilter::FixedBytes ? NextLineStart(lineEnd, end) : p + 1;
    }
  }
  return false;
}

}  // namespace varsik
