// Fuzz target: bytes as patterns through the preprocessor (with and without the fuzzy
// dictionary), the parser, the NFA and the DFA. A pattern either compiles into an automaton
// whose documented invariants hold, or fails with ERegExpParser; nothing else may happen.
//
// Input: one byte of switches, then the pattern text (at most kMaxPattern bytes, so that the
// automaton limits rather than the input bound the work).
//   bit 0: fuzzy-character dictionary on
//   bit 1: line-boundary codes of the grep component (LF) instead of the bare object's
//   bit 2: the text is several patterns separated by NUL bytes, set one after another on
//          one object, each twice, so that the compiled-pattern cache is exercised
//   bit 3: each pattern is repeated whole until it is kRepeatedBytes long, so that a short
//          input stands for a long literal, a long list of words or a long run of nested
//          groups, whose cost only shows at that length
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "regex/errors.h"
#include "regex/re_char_code.h"
#include "regex/re_fuzzy_char_dic.h"
#include "regex/re_limits.h"
#include "regex/regular_expression.h"
#include "tests/fuzz/fuzz_support.h"

using namespace varsik;

namespace {

using FuzzSupport::Escaped;
using FuzzSupport::Fail;

constexpr size_t kMaxPattern = 4096;
constexpr size_t kRepeatedBytes = 50'000;

class TLineRegExp : public TRegularExpression {
 public:
  uint16_t GetLineHeadChar() const override { return 10; }
  uint16_t GetLineTailChar() const override { return 10; }
};

// The walk that the matcher relies on: sorted, disjoint ranges with valid targets, and
// NextState giving what a plain scan of the state's transitions gives.
void CheckAutomaton(const TRE_DFA& dfa, const std::string& pattern) {
  const int32_t count = dfa.StateCount();
  if (count < 1) Fail("no initial state for " + Escaped(pattern));
  const std::vector<RE_CharRange_t>& alphabet = dfa.Alphabet();
  for (size_t i = 1; i < alphabet.size(); ++i)
    if (alphabet[i - 1].EndChar >= alphabet[i].StartChar)
      Fail("alphabet not ascending and disjoint for " + Escaped(pattern));
  int64_t probeBudget = 4'000'000;
  for (int32_t s = 0; s < count; ++s) {
    const auto transitions = dfa.Transitions(s);
    for (size_t i = 0; i < transitions.size(); ++i) {
      const RE_DFATransition_t& t = transitions[i];
      if (t.Chars.StartChar > t.Chars.EndChar) Fail("empty range in " + Escaped(pattern));
      if (t.TransitTo < 0 || t.TransitTo >= count) Fail("bad target in " + Escaped(pattern));
      if (i > 0 && transitions[i - 1].Chars.EndChar >= t.Chars.StartChar)
        Fail("unsorted or overlapping transitions in " + Escaped(pattern));
      auto symbol = std::lower_bound(
          alphabet.begin(), alphabet.end(), t.Chars.StartChar,
          [](const RE_CharRange_t& r, uint16_t code) { return r.StartChar < code; });
      if (symbol == alphabet.end() || symbol->StartChar != t.Chars.StartChar ||
          symbol->EndChar != t.Chars.EndChar)
        Fail("transition label outside the alphabet in " + Escaped(pattern));
      // Probe both ends and the codes just outside them, within a budget, because large
      // automata have states with hundreds of transitions.
      if (probeBudget <= 0) continue;
      probeBudget -= static_cast<int64_t>(transitions.size());
      for (int32_t probe : {t.Chars.StartChar - 1, int32_t{t.Chars.StartChar},
                            int32_t{t.Chars.EndChar}, t.Chars.EndChar + 1}) {
        if (probe < 0 || probe > 0xFFFF) continue;
        int32_t expected = kNoState;
        for (const RE_DFATransition_t& u : transitions)
          if (probe >= u.Chars.StartChar && probe <= u.Chars.EndChar) expected = u.TransitTo;
        if (dfa.NextState(s, static_cast<uint16_t>(probe)) != expected)
          Fail("NextState disagrees with the transitions in " + Escaped(pattern));
      }
    }
  }
}

// Whether a code comes back from its bytes as itself: a double-byte code needs a lead
// byte on top, a single-byte code must not be one, and 0 ends every string.
bool RoundTrips(uint16_t code) {
  return code > 0xFF ? ShiftJis::IsLeadByte(static_cast<uint8_t>(code >> 8))
                     : code != 0 && !ShiftJis::IsLeadByte(static_cast<uint8_t>(code));
}

// A single-byte code in the lead-byte range: the automaton may call a chain holding one a
// fixed string, whose text then reads back as other codes; the grep component runs such
// patterns through the automaton instead (checked by the file-scan target).
bool IsLoneLeadCode(uint16_t code) {
  return code <= 0xFF && ShiftJis::IsLeadByte(static_cast<uint8_t>(code));
}

// A fixed-string automaton is a chain of single codes ending in an accepting state with no
// way on; its literal, read back code by code as the grep engine reads it, is that chain.
void CheckLiteral(const TRE_DFA& dfa, const std::string& pattern) {
  if (!dfa.IsLiteral()) return;
  std::vector<uint16_t> chain;
  int32_t state = dfa.InitialState();
  for (auto t = dfa.Transitions(state); !t.empty(); t = dfa.Transitions(state)) {
    if (t.size() != 1 || t[0].Chars.StartChar != t[0].Chars.EndChar ||
        (dfa.Accepted(state) && state != dfa.InitialState()) || chain.size() > pattern.size())
      Fail("a fixed string that is no chain of single codes: " + Escaped(pattern));
    chain.push_back(t[0].Chars.StartChar);
    state = t[0].TransitTo;
  }
  if (!chain.empty() && !dfa.Accepted(state))
    Fail("a fixed string that is not accepted: " + Escaped(pattern));
  for (uint16_t code : chain)
    if (IsLoneLeadCode(code)) return;
  for (uint16_t code : chain)
    if (!RoundTrips(code))
      Fail("a fixed string of codes that text cannot carry: " + Escaped(pattern));
  const std::string& literal = dfa.Literal();
  std::vector<uint16_t> readBack;
  try {
    for (int32_t p = 1; p <= static_cast<int32_t>(literal.size());)
      readBack.push_back(ReadCharCode(literal, p));
  } catch (const ERegExpParser&) {
    Fail("the literal cannot be read back: " + Escaped(pattern));
  }
  if (readBack != chain) Fail("the literal reads back as other codes: " + Escaped(pattern));
}

// Sets one pattern; false when it was rejected.
bool SetPattern(TRegularExpression& re, const std::string& pattern, bool lineCodes) {
  const std::string before = re.RegExp();
  const TRE_DFA* dfaBefore = &re.CurrentDFA();
  try {
    re.SetRegExp(pattern);
  } catch (const ERegExpParser& e) {
    if (e.Message().empty()) Fail("pattern error without a message for " + Escaped(pattern));
    if (e.ErrorPos < 0) Fail("negative error position for " + Escaped(pattern));
    // Rejected in preprocessing: nothing changed; later: the empty pattern is current.
    const bool unchanged = re.RegExp() == before && &re.CurrentDFA() == dfaBefore;
    const bool emptied = re.CurrentIndex() == 0 && re.RegExp().empty();
    if (!unchanged && !emptied)
      Fail("a rejected pattern left another pattern current: " + Escaped(pattern));
    return false;
  }
  if (re.RegExp() != pattern) Fail("RegExp does not hold the pattern " + Escaped(pattern));
  if (re.CompiledCount() > TRegularExpression::CompiledMax) Fail("the cache outgrew its limit");
  if (re.CachedBytes() > kMaxCachedBytes) Fail("the cache outgrew its bytes");
  CheckAutomaton(re.CurrentDFA(), pattern);
  // The literal walk reads the codes back, which only the grep component's anchors allow.
  if (lineCodes) CheckLiteral(re.CurrentDFA(), pattern);
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > kMaxPattern + 1) return -1;
  const uint8_t switches = data[0];
  const bool fuzzy = switches & 1;
  const bool lineCodes = switches & 2;
  const bool several = switches & 4;
  const bool repeated = switches & 8;
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);

  std::vector<std::string> patterns;
  if (several) {
    size_t start = 0;
    for (size_t nul; (nul = text.find('\0', start)) != std::string_view::npos; start = nul + 1)
      patterns.emplace_back(text.substr(start, nul - start));
    patterns.emplace_back(text.substr(start));
  } else {
    patterns.emplace_back(text);
  }
  if (repeated) {
    for (std::string& pattern : patterns) {
      if (pattern.empty()) continue;
      const std::string once = pattern;
      while (pattern.size() < kRepeatedBytes) pattern += once;
    }
  }

  TRegularExpression bare;
  TLineRegExp line;
  TRegularExpression& re = lineCodes ? static_cast<TRegularExpression&>(line) : bare;
  re.DictionaryList().push_back(&BuiltInFuzzyCharDic());
  if (fuzzy) re.SetUseFuzzyCharDic(true);

  for (const std::string& pattern : patterns) {
    const bool compiled = SetPattern(re, pattern, lineCodes);
    if (!several) continue;
    // The same text again is a cache hit and must come out the same way.
    const int32_t count = re.CompiledCount();
    if (SetPattern(re, pattern, lineCodes) != compiled)
      Fail("a pattern compiled once and failed once: " + Escaped(pattern));
    if (compiled && re.CompiledCount() != count) Fail("a cache hit compiled again");
  }
  // Switching the dictionary recompiles the current pattern the other way (not a repeated
  // one: bit 0 covers that already, and it is the slowest compile there is).
  if (repeated) return 0;
  try {
    re.SetUseFuzzyCharDic(!fuzzy);
  } catch (const ERegExpParser&) {
  }
  return 0;
}
