// Helpers for the pattern-engine tests: Shift JIS literals, readable dumps of trees and
// automata, and a runner that steps a compiled pattern over a text the way the grep
// engine does.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "regex/re_dfa.h"
#include "regex/re_nfa.h"
#include "regex/re_parse_tree.h"
#include "regex/regular_expression.h"

namespace varsik {

namespace RegexTest {

// "Case<n>": names the rows of a parameterised table.
template <typename TCase>
std::string CaseName(const testing::TestParamInfo<TCase>& info) {
  std::string name = "Case";
  name += std::to_string(info.index);
  return name;
}

// Prints a table row by its pattern, CP932 shown as UTF-8, when a row fails.
void PrintPattern(const std::string& pattern, std::ostream* os);

// A pattern that must be rejected, with the message and position it is rejected with.
struct TErrorCase {
  friend void PrintTo(const TErrorCase& c, std::ostream* os) { PrintPattern(c.Pattern, os); }
  std::string Pattern;
  std::string Message;
  int32_t Position;
};

// Expects run(pattern) to raise ERegExpParser with the case's message and position.
void ExpectPatternError(const TErrorCase& c, const std::function<void(const std::string&)>& run);

// The CP932 bytes of a UTF-8 literal (fails the test when it has no CP932 form).
std::string Sjis(std::string_view utf8);

// The codes of a CP932 string, read character by character.
std::vector<uint16_t> Codes(std::string_view cp932);

// "a" for a printable ASCII code, "x0A" otherwise; a range as "a-z" or "x01-x09".
std::string RangeText(RE_CharRange_t chars);

// The subtree as cat(l,r) / alt(l,r) / star(x) / empty / ^x5E / $x24 / a range.
std::string DumpTree(const TREParseTree& tree, int32_t node);
std::string DumpTree(const TREParseTree& tree);
// The ranges of LeafList in list order, separated by spaces.
std::string DumpLeaves(const TREParseTree& tree);

// "0:a>2,b>3 2:eps>1 ..." for every state with transitions, in chain order.
std::string DumpNFA(const TRE_NFA& nfa);

// "0:a>1 1*:b>2 ..." for every state ("*" when accepting), transitions in table order.
std::string DumpDFA(const TRE_DFA& dfa);

// A regular-expression object with the grep component's line codes.
class TLineRegExp : public TRegularExpression {
 public:
  uint16_t GetLineHeadChar() const override { return 10; }
  uint16_t GetLineTailChar() const override { return 10; }
};

// The codes that the grep reader delivers for a text of lines separated by "\n": an LF
// before the first line, the lines with LF between them, an LF after the last.
std::vector<uint16_t> GrepCodes(std::string_view cp932Lines);

// The line numbers (from 1) that a grep scan reports: a start at every position, the
// first accepting state wins, the start state's own flag never counts, the scan resumes
// at the LF that ends a reported line; a start on an LF belongs to the next line.
std::vector<int32_t> GrepLines(const TRE_DFA& dfa, const std::vector<uint16_t>& codes);

// The start position of the first match in codes (no line framing), or -1.
int32_t FirstMatch(const TRE_DFA& dfa, const std::vector<uint16_t>& codes);

}  // namespace RegexTest

}  // namespace varsik
