// Test helpers; see the header.
#include "tests/regex/regex_test_support.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "platform/cp932.h"
#include "regex/errors.h"
#include "regex/re_char_code.h"

namespace varsik {

namespace RegexTest {

void ExpectPatternError(const TErrorCase& c, const std::function<void(const std::string&)>& run) {
  try {
    run(c.Pattern);
    ADD_FAILURE() << "no error for " << c.Pattern;
  } catch (const ERegExpParser& e) {
    EXPECT_EQ(e.Message(), c.Message) << c.Pattern;
    EXPECT_EQ(e.ErrorPos, c.Position) << c.Pattern;
  }
}

void PrintPattern(const std::string& pattern, std::ostream* os) {
  *os << '"' << Platform::Cp932ToUtf8(pattern) << '"';
}

std::string Sjis(std::string_view utf8) {
  auto cp932 = Platform::Utf8ToCp932(utf8);
  EXPECT_TRUE(cp932.has_value()) << utf8;
  return cp932.value_or(std::string());
}

std::vector<uint16_t> Codes(std::string_view cp932) {
  std::vector<uint16_t> codes;
  int32_t p = 1;
  while (p <= static_cast<int32_t>(cp932.size())) codes.push_back(ReadCharCode(cp932, p));
  return codes;
}

namespace {

std::string CodeText(uint16_t code) {
  if (code > 0x20 && code < 0x7F) return std::string(1, static_cast<char>(code));
  char buf[8];
  std::snprintf(buf, sizeof buf, "x%02X", code);
  return buf;
}

}  // namespace

std::string RangeText(RE_CharRange_t chars) {
  if (chars.StartChar == chars.EndChar) return CodeText(chars.StartChar);
  return CodeText(chars.StartChar) + "-" + CodeText(chars.EndChar);
}

std::string DumpTree(const TREParseTree& tree, int32_t node) {
  if (node == kNoNode) return "none";
  const RE_ParseNode_t& n = tree.Node(node);
  switch (n.Op) {
    case RE_NodeOp_t::Char:
      return RangeText(n.Chars);
    case RE_NodeOp_t::LineHead:
      return std::string("^").append(RangeText(n.Chars));
    case RE_NodeOp_t::LineTail:
      return std::string("$").append(RangeText(n.Chars));
    case RE_NodeOp_t::Concat:
      return "cat(" + DumpTree(tree, n.Left) + "," + DumpTree(tree, n.Right) + ")";
    case RE_NodeOp_t::Union:
      return "alt(" + DumpTree(tree, n.Left) + "," + DumpTree(tree, n.Right) + ")";
    case RE_NodeOp_t::Closure:
      return "star(" + DumpTree(tree, n.Left) + ")";
    case RE_NodeOp_t::Empty:
      return "empty";
  }
  return "?";
}

std::string DumpTree(const TREParseTree& tree) {
  return DumpTree(tree, tree.Root());
}

std::string DumpLeaves(const TREParseTree& tree) {
  std::string out;
  for (int32_t leaf : tree.LeafList()) {
    if (!out.empty()) out += ' ';
    out += RangeText(tree.Node(leaf).Chars);
  }
  return out;
}

std::string DumpNFA(const TRE_NFA& nfa) {
  std::string out;
  for (int32_t s = 0; s < nfa.StateCount(); ++s) {
    if (nfa.FirstTransition(s) == kNoTransition) continue;
    if (!out.empty()) out += ' ';
    out += std::to_string(s) + ":";
    bool first = true;
    for (int32_t t = nfa.FirstTransition(s); t != kNoTransition; t = nfa.Transition(t).Next) {
      const RE_NFATransition_t& tr = nfa.Transition(t);
      if (!first) out += ',';
      first = false;
      out += (IsEpsilon(tr.Chars) ? std::string("eps") : RangeText(tr.Chars)) + ">" +
             std::to_string(tr.TransitTo);
    }
  }
  return out;
}

std::string DumpDFA(const TRE_DFA& dfa) {
  std::string out;
  for (int32_t s = 0; s < dfa.StateCount(); ++s) {
    if (!out.empty()) out += ' ';
    out += std::to_string(s) + (dfa.Accepted(s) ? "*" : "") + ":";
    bool first = true;
    for (const RE_DFATransition_t& tr : dfa.Transitions(s)) {
      if (!first) out += ',';
      first = false;
      out += RangeText(tr.Chars) + ">" + std::to_string(tr.TransitTo);
    }
  }
  return out;
}

std::vector<uint16_t> GrepCodes(std::string_view cp932Lines) {
  std::vector<uint16_t> codes{10};
  for (uint16_t c : Codes(cp932Lines)) codes.push_back(c);
  codes.push_back(10);
  return codes;
}

namespace {

// Runs one attempt from start; true when an accepting state is reached after at least
// one code. Past the end the look-ahead delivers one 0, then the attempt ends.
bool AttemptAt(const TRE_DFA& dfa, const std::vector<uint16_t>& codes, size_t start) {
  int32_t s = dfa.NextState(dfa.InitialState(), codes[start]);
  for (size_t q = start + 1; s != kNoState; ++q) {
    if (dfa.Accepted(s)) return true;
    if (q > codes.size()) return false;
    s = dfa.NextState(s, q < codes.size() ? codes[q] : 0);
  }
  return false;
}

}  // namespace

std::vector<int32_t> GrepLines(const TRE_DFA& dfa, const std::vector<uint16_t>& codes) {
  std::vector<int32_t> lines;
  int32_t line = 0;
  // The final LF ends the last line; it starts no line of its own.
  for (size_t p = 0; p + 1 < codes.size(); ++p) {
    if (codes[p] == 10) ++line;
    if (!AttemptAt(dfa, codes, p)) continue;
    lines.push_back(line);
    // Resume at the LF that ends this line: it is read again as the next start.
    size_t end = p + 1;
    while (codes[end] != 10) ++end;
    p = end - 1;
  }
  return lines;
}

int32_t FirstMatch(const TRE_DFA& dfa, const std::vector<uint16_t>& codes) {
  for (size_t p = 0; p < codes.size(); ++p)
    if (AttemptAt(dfa, codes, p)) return static_cast<int32_t>(p);
  return -1;
}

}  // namespace RegexTest

}  // namespace varsik
