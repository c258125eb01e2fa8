// The pattern tokenizer: one table outside character classes, one inside.
#include "regex/re_scanner.h"

#include "regex/errors.h"
#include "regex/re_char_code.h"

namespace varsik {

void TREScanner::SetPattern(std::string pattern) {
  PatternText = std::move(pattern);
  Pos = 1;
  InClassState = false;
}

RE_TokenKind_t TREScanner::NextToken() {
  if (InClassState) {
    Kind = ScanClassToken();
    if (Kind == tkRBra) InClassState = false;
  } else {
    Kind = ScanToken();
    if (Kind == tkLBra || Kind == tkLBraNeg) InClassState = true;
  }
  return Kind;
}

RE_TokenKind_t TREScanner::ScanToken() {
  int32_t before = Pos;
  TokenCode = ReadCharCode(PatternText, Pos);
  switch (TokenCode) {
    case 0:
      // A zero byte ends the pattern; staying on it keeps every later call at the end.
      Pos = before;
      return tkEnd;
    case '$':
      return tkLTail;
    case '(':
      return tkLPar;
    case ')':
      return tkRPar;
    case '*':
      return tkStar;
    case '+':
      return tkPlus;
    case '.':
      return tkDot;
    case '?':
      return tkQMark;
    case '|':
      return tkUnion;
    case ']':
      return tkRBra;
    case '[': {
      uint16_t next = ReadCharCode(PatternText, Pos);
      if (next == 0) throw ERegExpParser(kMsgNeedRightBracket, Pos);
      if (next == '^') return tkLBraNeg;
      UnreadChar(PatternText, Pos);
      return tkLBra;
    }
    case '\\':
      TokenCode = ReadEscape(PatternText, Pos);
      return tkChar;
    case '^':
      return tkLHead;
    default:
      return tkChar;
  }
}

RE_TokenKind_t TREScanner::ScanClassToken() {
  uint16_t c = ReadCharCode(PatternText, Pos);
  TokenCode = c;
  if (c == 0) throw ERegExpParser(kMsgNeedRightBracket, Pos);
  if (c == ']') return tkRBra;
  if (c == '\\') c = ReadEscape(PatternText, Pos);
  uint16_t d = ReadCharCode(PatternText, Pos);
  if (d == 0) throw ERegExpParser(kMsgNeedRightBracket, Pos);
  TokenCode = c;
  if (d != '-') {
    UnreadChar(PatternText, Pos);
    return tkChar;
  }
  uint16_t e = ReadCharCode(PatternText, Pos);
  if (e == 0) throw ERegExpParser(kMsgNeedRightBracket, Pos);
  if (e == ']') {
    // A hyphen before the closing bracket is a member: read "-" and "]" again.
    UnreadChar(PatternText, Pos);
    UnreadChar(PatternText, Pos);
    return tkChar;
  }
  if (e == '\\') e = ReadEscape(PatternText, Pos);
  if (e < c) throw ERegExpParser(kMsgBadCharRange, Pos);
  TokenCodeEnd = e;
  return tkRange;
}

}  // namespace varsik
