// Grammar, loosest first: regexp = term {"|" term}; term = factor {factor} or nothing;
// factor = primary ["*" | "+" | "?"]; primary = char | "(" regexp ")" | class | "." | "^"
// | "$". Both two-operand forms associate to the left.
#include "regex/re_parser.h"

#include "regex/errors.h"
#include "regex/re_held_bytes.h"

namespace varsik {

size_t TREParser::BytesHeld() const {
  return HeldBytes(Scanner.Pattern()) + HeldBytes(Groups) + Tree.BytesHeld();
}

// The tree counts beside itself the text, the open groups (which grow only in OpenGroup)
// and any work trees of a negated class.
void TREParser::CountOuterBytes(size_t workTrees) {
  Tree.SetOuterBytes(HeldBytes(Scanner.Pattern()) + HeldBytes(Groups) + workTrees);
}

void TREParser::OpenGroup() {
  MakeRoom(Groups, 1, [this] { return BytesHeld(); });
  Groups.emplace_back();
  CountOuterBytes();
}

void TREParser::Run() {
  Tree.DisposeNodes();
  Groups.clear();
  OpenGroup();
  Scanner.NextToken();
  // Ends the current term and adds it to the alternatives of the group; an empty term
  // is the empty node.
  auto closeTerm = [this](TGroupFrame& g) {
    int32_t term = g.Term != kNoNode ? g.Term : Tree.MakeInternalNode(RE_NodeOp_t::Empty);
    g.Alternatives = g.Alternatives == kNoNode
                         ? term
                         : Tree.MakeInternalNode(RE_NodeOp_t::Union, g.Alternatives, term);
    g.Term = kNoNode;
  };
  auto addFactor = [this](TGroupFrame& g, int32_t factor) {
    g.Term =
        g.Term == kNoNode ? factor : Tree.MakeInternalNode(RE_NodeOp_t::Concat, g.Term, factor);
  };
  for (;;) {
    switch (Scanner.Token()) {
      case tkUnion:
        closeTerm(Groups.back());
        Scanner.NextToken();
        break;
      case tkLPar:
        OpenGroup();
        Scanner.NextToken();
        break;
      case tkRPar:
      case tkEnd: {
        closeTerm(Groups.back());
        int32_t group = Groups.back().Alternatives;
        if (Groups.size() == 1) {
          Tree.SetRoot(group);
          if (Scanner.Token() != tkEnd) throw ERegExpParser(kMsgExtraChars, Scanner.Position());
          std::vector<TGroupFrame>().swap(Groups);
          CountOuterBytes();
          Tree.MakeLeavesDisjoint();
          return;
        }
        if (Scanner.Token() != tkRPar) throw ERegExpParser(kMsgNeedRightPar, Scanner.Position());
        Groups.pop_back();
        Scanner.NextToken();
        addFactor(Groups.back(), ParsePostfix(group));
        break;
      }
      default:
        addFactor(Groups.back(), ParsePostfix(ParsePrimary()));
        break;
    }
  }
}

int32_t TREParser::ParsePostfix(int32_t primary) {
  int32_t node;
  switch (Scanner.Token()) {
    case tkStar:
      node = Tree.MakeInternalNode(RE_NodeOp_t::Closure, primary);
      break;
    case tkPlus: {
      // One or more: the operand and a closure of the same operand node.
      int32_t closure = Tree.MakeInternalNode(RE_NodeOp_t::Closure, primary);
      node = Tree.MakeInternalNode(RE_NodeOp_t::Concat, primary, closure);
      break;
    }
    case tkQMark: {
      int32_t empty = Tree.MakeInternalNode(RE_NodeOp_t::Empty);
      node = Tree.MakeInternalNode(RE_NodeOp_t::Union, primary, empty);
      break;
    }
    default:
      return primary;
  }
  Scanner.NextToken();
  return node;
}

int32_t TREParser::ParsePrimary() {
  int32_t node;
  switch (Scanner.Token()) {
    case tkChar:
      node = Tree.MakeLeaf(Scanner.Code(), Scanner.Code());
      break;
    case tkLBra:
      node = ParseClass(Tree);
      break;
    case tkLBraNeg:
      node = ParseNegativeClass();
      break;
    case tkDot:
      node = Tree.MakeAnyCharsNode();
      break;
    case tkLHead:
      node = Tree.MakeLHeadNode(Scanner.Code());
      break;
    case tkLTail:
      node = Tree.MakeLTailNode(Scanner.Code());
      break;
    default:
      throw ERegExpParser(kMsgNeedOperand, Scanner.Position());
  }
  Scanner.NextToken();
  return node;
}

int32_t TREParser::ClassItemLeaf(TREParseTree& tree) {
  return Scanner.Token() == tkRange ? tree.MakeLeaf(Scanner.Code(), Scanner.CodeEnd())
                                    : tree.MakeLeaf(Scanner.Code(), Scanner.Code());
}

int32_t TREParser::ParseClass(TREParseTree& tree) {
  if (Scanner.NextToken() == tkRBra) throw ERegExpParser(kMsgBadClass, Scanner.Position());
  int32_t node = ClassItemLeaf(tree);
  while (Scanner.NextToken() != tkRBra)
    node = tree.MakeInternalNode(RE_NodeOp_t::Union, node, ClassItemLeaf(tree));
  return node;
}

int32_t TREParser::ParseNegativeClass() {
  // The members in one work tree, the set that "." matches in another; the members are
  // cut out of that set and what is left becomes the class.
  TREParseTree members;
  TREParseTree rest;
  members.SetOuterBytes(BytesHeld());
  members.SetRoot(ParseClass(members));
  members.MakeLeavesDisjoint();
  rest.SetOuterBytes(BytesHeld() + members.BytesHeld());
  rest.MakeAnyCharsNode();
  for (int32_t leaf : members.LeafList()) SubtractRange(members.Node(leaf).Chars, rest);
  // Members that cover everything "." matches leave no character: the class could never
  // match, and the automata need an operand, so it is rejected.
  if (rest.LeafList().empty()) throw ERegExpParser(kMsgBadClass, Scanner.Position());
  Tree.AddWork(members.Work() + rest.Work());
  CountOuterBytes(members.BytesHeld() + rest.BytesHeld());
  int32_t node = kNoNode;
  for (int32_t leaf : rest.LeafList()) {
    RE_CharRange_t chars = rest.Node(leaf).Chars;
    int32_t piece = Tree.MakeLeaf(chars.StartChar, chars.EndChar);
    node = node == kNoNode ? piece : Tree.MakeInternalNode(RE_NodeOp_t::Union, node, piece);
  }
  CountOuterBytes();
  return node;
}

void TREParser::SubtractRange(RE_CharRange_t range, TREParseTree& tree) {
  size_t i = 0;
  while (i < tree.LeafList().size()) {
    RE_CharRange_t q = tree.Node(tree.LeafList()[i]).Chars;
    tree.AddWork(1);
    if (q.EndChar < range.StartChar || q.StartChar > range.EndChar) {
      ++i;
      continue;
    }
    if (q.StartChar < range.StartChar) tree.MakeLeaf(q.StartChar, range.StartChar - 1);
    if (range.EndChar < q.EndChar) tree.MakeLeaf(range.EndChar + 1, q.EndChar);
    tree.RemoveLeafAt(i);
  }
}

}  // namespace varsik
