// TREParseTree: the graph of nodes that the parser builds from a pattern. Nodes live in
// one vector and refer to each other by index; character leaves are shared by range, and
// after the parse they are split until no two overlap, so that their ranges can serve as
// the automata's alphabet.
#pragma once

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "regex/re_char_range.h"

namespace varsik {

inline constexpr const char* kMsgParseTreeFatal = "TREParseTree : 致命的エラー";

enum class RE_NodeOp_t : uint8_t { Char, LineHead, LineTail, Concat, Union, Closure, Empty };

inline constexpr int32_t kNoNode = -1;

struct RE_ParseNode_t {
  RE_NodeOp_t Op;
  RE_CharRange_t Chars{0, 0};  // Char, LineHead, LineTail
  int32_t Left = kNoNode;      // Concat, Union, Closure
  int32_t Right = kNoNode;     // Concat, Union
};

class TREParseTree {
 public:
  int32_t Root() const { return RootNode; }
  void SetRoot(int32_t node) { RootNode = node; }
  const RE_ParseNode_t& Node(int32_t id) const { return Nodes[id]; }

  // The character leaves, in creation order.
  const std::vector<int32_t>& LeafList() const { return LeafIds; }

  int32_t MakeInternalNode(RE_NodeOp_t op, int32_t left = kNoNode, int32_t right = kNoNode);
  // The leaf with exactly this range, made when there is none yet.
  int32_t MakeLeaf(uint16_t startChar, uint16_t endChar);
  int32_t MakeLHeadNode(uint16_t code);
  int32_t MakeLTailNode(uint16_t code);
  // The subtree for ".": every code from 1 to 0xFCFC except 10 and 13.
  int32_t MakeAnyCharsNode();

  // Turns a leaf into union(left, right); every reference to it then means the union.
  void ChangeLeafToUnion(int32_t leaf, int32_t left, int32_t right);
  // Cuts two overlapping leaves into pieces; false when they are disjoint or equal.
  bool SplitLeaves(int32_t p, int32_t q);
  void MakeLeavesDisjoint();
  // Drops the leaf at position index of LeafList without replacement.
  void RemoveLeafAt(size_t index);

  void DisposeNodes();

  // The bytes that this tree holds, and those that the rest of the compile holds beside it:
  // the tree refuses to grow when both together would exceed kMaxCompileBytes.
  size_t BytesHeld() const;
  void SetOuterBytes(size_t bytes) { OuterBytes = bytes; }

  // The work spent on splitting and subtracting, counted in leaves looked at: bounded by
  // kMaxParseWork, since it grows with the square of the number of ranges.
  void AddWork(int64_t units);
  int64_t Work() const { return WorkDone; }

 private:
  int32_t AddNode(RE_ParseNode_t node);
  void Unindex(int32_t leaf);
  size_t CompileBytes() const { return OuterBytes + BytesHeld(); }

  std::vector<RE_ParseNode_t> Nodes;
  std::vector<int32_t> LeafIds;
  std::unordered_map<uint32_t, int32_t> LeafByRange;
  int32_t RootNode = kNoNode;
  int64_t WorkDone = 0;
  size_t OuterBytes = 0;
};

}  // namespace varsik
