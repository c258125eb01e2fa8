// Node construction and the splitting of overlapping leaves.
#include "regex/re_parse_tree.h"

#include <algorithm>
#include <utility>

#include "regex/errors.h"
#include "regex/re_held_bytes.h"
#include "regex/re_limits.h"

namespace varsik {

void TREParseTree::AddWork(int64_t units) {
  WorkDone += units;
  if (WorkDone > kMaxParseWork) throw ERegExpParser(kMsgTooComplex, 0);
}

size_t TREParseTree::BytesHeld() const {
  return HeldBytes(Nodes) + HeldBytes(LeafIds) + HeldBytes(LeafByRange);
}

int32_t TREParseTree::AddNode(RE_ParseNode_t node) {
  MakeRoom(Nodes, 1, [this] { return CompileBytes(); });
  Nodes.push_back(node);
  return static_cast<int32_t>(Nodes.size() - 1);
}

int32_t TREParseTree::MakeInternalNode(RE_NodeOp_t op, int32_t left, int32_t right) {
  return AddNode({op, {0, 0}, left, right});
}

int32_t TREParseTree::MakeLeaf(uint16_t startChar, uint16_t endChar) {
  RE_CharRange_t chars{startChar, endChar};
  auto it = LeafByRange.find(RangeKey(chars));
  if (it != LeafByRange.end()) return it->second;
  int32_t id = AddNode({RE_NodeOp_t::Char, chars});
  MakeRoom(LeafIds, 1, [this] { return CompileBytes(); });
  MakeRoom(LeafByRange, [this] { return CompileBytes(); });
  LeafIds.push_back(id);
  LeafByRange.emplace(RangeKey(chars), id);
  return id;
}

int32_t TREParseTree::MakeLHeadNode(uint16_t code) {
  return AddNode({RE_NodeOp_t::LineHead, {code, code}});
}

int32_t TREParseTree::MakeLTailNode(uint16_t code) {
  return AddNode({RE_NodeOp_t::LineTail, {code, code}});
}

int32_t TREParseTree::MakeAnyCharsNode() {
  int32_t crLf = MakeLeaf(11, 12);
  int32_t low = MakeLeaf(1, 9);
  int32_t lowUnion = MakeInternalNode(RE_NodeOp_t::Union, low, crLf);
  int32_t high = MakeLeaf(14, 0xFCFC);
  return MakeInternalNode(RE_NodeOp_t::Union, lowUnion, high);
}

void TREParseTree::Unindex(int32_t leaf) {
  auto it = LeafByRange.find(RangeKey(Nodes[leaf].Chars));
  if (it != LeafByRange.end() && it->second == leaf) LeafByRange.erase(it);
}

void TREParseTree::ChangeLeafToUnion(int32_t leaf, int32_t left, int32_t right) {
  if (left == kNoNode || right == kNoNode) throw EVarsikError(kMsgParseTreeFatal);
  Unindex(leaf);
  RE_ParseNode_t& node = Nodes[leaf];
  node.Op = RE_NodeOp_t::Union;
  node.Left = left;
  node.Right = right;
  LeafIds.erase(std::find(LeafIds.begin(), LeafIds.end(), leaf));
}

void TREParseTree::RemoveLeafAt(size_t index) {
  Unindex(LeafIds[index]);
  LeafIds.erase(LeafIds.begin() + index);
}

bool TREParseTree::SplitLeaves(int32_t p, int32_t q) {
  int32_t l = p;
  int32_t h = q;
  if (Nodes[q].Chars.StartChar < Nodes[p].Chars.StartChar) std::swap(l, h);
  // Copies: the nodes are rewritten and the node vector grows below.
  const RE_CharRange_t lr = Nodes[l].Chars;
  const RE_CharRange_t hr = Nodes[h].Chars;
  if (hr.StartChar > lr.EndChar || lr == hr) return false;
  const uint16_t min = std::min(lr.EndChar, hr.EndChar);
  const uint16_t max = std::max(lr.EndChar, hr.EndChar);
  int32_t below = lr.StartChar < hr.StartChar ? MakeLeaf(lr.StartChar, hr.StartChar - 1) : kNoNode;
  int32_t middle = MakeLeaf(hr.StartChar, min);
  int32_t above = min < max ? MakeLeaf(min + 1, max) : kNoNode;
  if (below == kNoNode) {
    ChangeLeafToUnion(lr.EndChar == max ? l : h, middle, above);
  } else if (above == kNoNode) {
    ChangeLeafToUnion(l, below, middle);
  } else if (lr.EndChar == max) {
    int32_t inner = MakeInternalNode(RE_NodeOp_t::Union, below, middle);
    ChangeLeafToUnion(l, inner, above);
  } else {
    ChangeLeafToUnion(l, below, middle);
    ChangeLeafToUnion(h, middle, above);
  }
  return true;
}

void TREParseTree::MakeLeavesDisjoint() {
  size_t i = 0;
  while (i < LeafIds.size()) {
    bool split = false;
    size_t j = i + 1;
    for (; j < LeafIds.size(); ++j) {
      if (SplitLeaves(LeafIds[j], LeafIds[i])) {
        split = true;
        break;
      }
    }
    AddWork(static_cast<int64_t>(j - i));
    if (!split) ++i;
  }
}

void TREParseTree::DisposeNodes() {
  Nodes.clear();
  LeafIds.clear();
  LeafByRange.clear();
  RootNode = kNoNode;
  WorkDone = 0;
}

}  // namespace varsik
