// TREScanner: turns a pattern into tokens, one NextToken at a time, reading double-byte
// characters as units. Owned by the parser and by the preprocessor.
#pragma once

#include <cstdint>
#include <string>

namespace varsik {

enum RE_TokenKind_t : uint8_t {
  tkChar,
  tkRange,
  tkUnion,
  tkLPar,
  tkRPar,
  tkStar,
  tkPlus,
  tkQMark,
  tkLBra,
  tkLBraNeg,
  tkRBra,
  tkDot,
  tkLHead,
  tkLTail,
  tkEnd
};

class TREScanner {
 public:
  explicit TREScanner(std::string pattern = {}) { SetPattern(std::move(pattern)); }

  // Starts over on a new text, outside any class, whatever an earlier scan left behind.
  void SetPattern(std::string pattern);

  // Reads the next token into Token, Code and (for tkRange) CodeEnd. Raises
  // ERegExpParser on a token-level error; the scan is then over.
  RE_TokenKind_t NextToken();

  const std::string& Pattern() const { return PatternText; }
  int32_t Position() const { return Pos; }
  RE_TokenKind_t Token() const { return Kind; }
  uint16_t Code() const { return TokenCode; }
  uint16_t CodeEnd() const { return TokenCodeEnd; }
  bool InClass() const { return InClassState; }

 private:
  RE_TokenKind_t ScanToken();
  RE_TokenKind_t ScanClassToken();

  std::string PatternText;
  int32_t Pos = 1;
  RE_TokenKind_t Kind = tkEnd;
  uint16_t TokenCode = 0;
  uint16_t TokenCodeEnd = 0;
  bool InClassState = false;
};

}  // namespace varsik
