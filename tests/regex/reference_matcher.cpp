// The reference matcher; see the header. Exponential in the worst case, meant for short
// patterns and texts only.
#include "tests/regex/reference_matcher.h"

#include "regex/re_scanner.h"

namespace varsik {

namespace RegexTest {

namespace {

bool InDot(uint16_t code) {
  return code >= 1 && code <= 0xFCFC && code != 10 && code != 13;
}

}  // namespace

TReferenceMatcher::TReferenceMatcher(const std::string& pattern, uint16_t lineHeadChar,
                                     uint16_t lineTailChar)
    : HeadChar(lineHeadChar), TailChar(lineTailChar) {
  TREScanner scanner(pattern);
  for (;;) {
    RE_TokenKind_t kind = scanner.NextToken();
    Tokens.push_back(kind);
    TokenCodes.push_back(scanner.Code());
    TokenEnds.push_back(scanner.CodeEnd());
    if (kind == tkEnd) break;
  }
  Root = Regexp();
  if (Tokens[At] != tkEnd) Ok = false;
}

int TReferenceMatcher::Regexp() {
  int n = Term();
  while (Ok && Tokens[At] == tkUnion) {
    ++At;
    int r = Term();
    Nodes.push_back(MakeNode(TNode::Alt, n, r));
    n = static_cast<int>(Nodes.size() - 1);
  }
  return n;
}

int TReferenceMatcher::Term() {
  int n = -1;
  while (Ok && Tokens[At] != tkUnion && Tokens[At] != tkRPar && Tokens[At] != tkEnd) {
    int f = Factor();
    if (n < 0) {
      n = f;
    } else {
      Nodes.push_back(MakeNode(TNode::Cat, n, f));
      n = static_cast<int>(Nodes.size() - 1);
    }
  }
  if (n < 0) {
    Nodes.push_back(MakeNode(TNode::Empty));
    n = static_cast<int>(Nodes.size() - 1);
  }
  return n;
}

int TReferenceMatcher::Factor() {
  int p = Primary();
  if (!Ok) return p;
  TNode::Kind kind;
  switch (Tokens[At]) {
    case tkStar:
      kind = TNode::Star;
      break;
    case tkPlus:
      kind = TNode::Plus;
      break;
    case tkQMark:
      kind = TNode::Opt;
      break;
    default:
      return p;
  }
  ++At;
  Nodes.push_back(MakeNode(kind, p));
  return static_cast<int>(Nodes.size() - 1);
}

int TReferenceMatcher::Primary() {
  TNode node = MakeNode(TNode::Set);
  switch (Tokens[At]) {
    case tkChar:
      node.Ranges.push_back({TokenCodes[At], TokenCodes[At]});
      break;
    case tkDot:
      node.Negated = true;
      break;
    case tkLHead:
      node.K = TNode::Head;
      break;
    case tkLTail:
      node.K = TNode::Tail;
      break;
    case tkLPar: {
      ++At;
      int n = Regexp();
      if (Tokens[At] != tkRPar) Ok = false;
      ++At;
      return n;
    }
    case tkLBra:
    case tkLBraNeg: {
      node.Negated = Tokens[At] == tkLBraNeg;
      ++At;
      if (Tokens[At] == tkRBra) Ok = false;
      while (Ok && Tokens[At] != tkRBra) {
        node.Ranges.push_back(
            {TokenCodes[At], Tokens[At] == tkRange ? TokenEnds[At] : TokenCodes[At]});
        ++At;
      }
      break;
    }
    default:
      Ok = false;
      return -1;
  }
  ++At;
  Nodes.push_back(node);
  return static_cast<int>(Nodes.size() - 1);
}

bool TReferenceMatcher::InSet(const TNode& n, uint16_t code) const {
  bool member = false;
  for (auto [lo, hi] : n.Ranges) member = member || (code >= lo && code <= hi);
  return n.Negated ? InDot(code) && !member : member;
}

bool TReferenceMatcher::Match(int node, bool head, bool tail, size_t pos, const TCont& k) const {
  const TNode& n = Nodes[node];
  const std::vector<uint16_t>& text = *Text;
  auto code = [&](size_t p) -> int {
    return p < text.size() ? text[p] : p == text.size() ? 0 : -1;
  };
  switch (n.K) {
    case TNode::Set:
      return code(pos) >= 0 && InSet(n, static_cast<uint16_t>(code(pos))) && k(pos + 1);
    case TNode::Head:
      return code(pos) == (head ? HeadChar : '^') && k(pos + 1);
    case TNode::Tail:
      return code(pos) == (tail ? TailChar : '$') && k(pos + 1);
    case TNode::Cat:
      return Match(n.A, head, false, pos, [&](size_t p) { return Match(n.B, false, tail, p, k); });
    case TNode::Alt:
      return Match(n.A, head, tail, pos, k) || Match(n.B, head, tail, pos, k);
    case TNode::Opt:
      return Match(n.A, head, tail, pos, k) || k(pos);
    case TNode::Star:
      return MatchStar(n.A, pos, k);
    case TNode::Plus:
      // One occurrence in the operand's own place, then the closure.
      return Match(n.A, head, false, pos, [&](size_t p) { return MatchStar(n.A, p, k); });
    case TNode::Empty:
      return k(pos);
  }
  return false;
}

bool TReferenceMatcher::MatchStar(int node, size_t pos, const TCont& k) const {
  // An iteration that reads nothing changes nothing, so only progress is followed.
  return k(pos) ||
         Match(node, false, false, pos, [&](size_t p) { return p > pos && MatchStar(node, p, k); });
}

bool TReferenceMatcher::MatchesAt(const std::vector<uint16_t>& codes, size_t start) const {
  Text = &codes;
  return Match(Root, true, true, start, [&](size_t p) { return p > start; });
}

std::vector<int32_t> TReferenceMatcher::GrepLines(const std::vector<uint16_t>& codes) const {
  std::vector<int32_t> lines;
  int32_t line = 0;
  bool reported = false;
  for (size_t p = 0; p + 1 < codes.size(); ++p) {
    if (codes[p] == 10) {
      ++line;
      reported = false;
    }
    if (!reported && MatchesAt(codes, p)) {
      lines.push_back(line);
      reported = true;
    }
  }
  return lines;
}

}  // namespace RegexTest

}  // namespace varsik
