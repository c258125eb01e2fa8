// TREParser: checks a (preprocessed) pattern against the grammar and builds its
// TREParseTree. The parse keeps its own stack of open groups, so the nesting depth of a
// pattern is limited by the compile's memory budget, never by the call stack.
#pragma once

#include <string>
#include <vector>

#include "regex/re_parse_tree.h"
#include "regex/re_scanner.h"

namespace varsik {

inline constexpr const char* kMsgExtraChars = "正規表現に余分な文字があります";
inline constexpr const char* kMsgNeedRightPar = "右(閉じ)括弧が必要です";
inline constexpr const char* kMsgNeedOperand = "普通の文字、または左括弧\"(\"が必要です";
inline constexpr const char* kMsgBadClass = "不正なキャラクタクラス指定です。";

class TREParser {
 public:
  explicit TREParser(std::string pattern) : Scanner(std::move(pattern)) {}

  // Parses the whole pattern; ParseTree().Root() is then the result. Raises
  // ERegExpParser on any error, with kMsgTooComplex when the parse would hold more than
  // kMaxCompileBytes or cut ranges for longer than kMaxParseWork.
  void Run();

  const TREParseTree& ParseTree() const { return Tree; }

  // The bytes that the parser holds: the pattern text, the open groups and the tree.
  size_t BytesHeld() const;

 private:
  // An open group: the alternatives closed so far and the term being built.
  struct TGroupFrame {
    int32_t Alternatives = kNoNode;
    int32_t Term = kNoNode;
  };

  void OpenGroup();
  void CountOuterBytes(size_t workTrees = 0);
  int32_t ParsePrimary();
  int32_t ParsePostfix(int32_t primary);
  int32_t ParseClass(TREParseTree& tree);
  int32_t ParseNegativeClass();
  int32_t ClassItemLeaf(TREParseTree& tree);
  static void SubtractRange(RE_CharRange_t range, TREParseTree& tree);

  TREParseTree Tree;
  TREScanner Scanner;
  std::vector<TGroupFrame> Groups;
};

}  // namespace varsik
