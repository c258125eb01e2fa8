// A deliberately simple matcher for cross-checking the compiled automata: its own
// recursive parser over the scanner's tokens and a backtracking match over the result.
// Anchors follow the pattern language's rule: "^" is the line-head code only where it
// can begin the whole pattern, "$" the line-tail code only where it can end it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace varsik {

namespace RegexTest {

class TReferenceMatcher {
 public:
  // Raises ERegExpParser for a pattern that the scanner rejects; grammar errors are
  // reported through Valid().
  TReferenceMatcher(const std::string& pattern, uint16_t lineHeadChar, uint16_t lineTailChar);

  bool Valid() const { return Ok; }

  // Whether a match of at least one code begins at start in codes (read as codes
  // followed by one 0).
  bool MatchesAt(const std::vector<uint16_t>& codes, size_t start) const;

  // The line numbers a grep scan reports over GrepCodes-style input.
  std::vector<int32_t> GrepLines(const std::vector<uint16_t>& codes) const;

 private:
  struct TNode {
    enum Kind { Set, Head, Tail, Cat, Alt, Star, Plus, Opt, Empty } K = Empty;
    std::vector<std::pair<uint16_t, uint16_t>> Ranges;  // Set
    bool Negated = false;                               // Set: complement within "."
    int A = -1, B = -1;
  };
  static TNode MakeNode(TNode::Kind kind, int a = -1, int b = -1) {
    TNode node;
    node.K = kind;
    node.A = a;
    node.B = b;
    return node;
  }

  int Regexp();
  int Term();
  int Factor();
  int Primary();
  bool InSet(const TNode& n, uint16_t code) const;
  using TCont = std::function<bool(size_t)>;
  bool Match(int node, bool head, bool tail, size_t pos, const TCont& k) const;
  bool MatchStar(int node, size_t pos, const TCont& k) const;

  std::vector<TNode> Nodes;
  int Root = -1;
  bool Ok = true;
  uint16_t HeadChar, TailChar;
  mutable const std::vector<uint16_t>* Text = nullptr;
  // The parse state.
  std::vector<int> Tokens;
  std::vector<uint16_t> TokenCodes, TokenEnds;
  size_t At = 0;
};

}  // namespace RegexTest

}  // namespace varsik
