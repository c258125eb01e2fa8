// TREPreProcessor: rewrites a pattern before it is parsed, replacing ordinary characters
// (outside classes) that belong to a dictionary group by the group's alternation, synonym
// dictionaries first, then fuzzy-character dictionaries. Owned by TRegularExpression.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "regex/re_dictionary.h"
#include "regex/re_scanner.h"

namespace varsik {

// One token of the pattern with the span of its text [StartPos, EndPos).
struct RE_PreToken_t {
  RE_TokenKind_t Token;
  uint16_t Code;
  uint16_t CodeEnd;
  int32_t StartPos;
  int32_t EndPos;
};

class TREPreProcessor {
 public:
  explicit TREPreProcessor(std::string source = {});

  void SetSource(std::string text);

  // Computes Output from the source. Raises ERegExpParser on a token-level error.
  void Run();

  const std::string& Output() const { return OutputText; }
  bool UseFuzzyCharDic() const { return FuzzyOn; }
  void SetUseFuzzyCharDic(bool on) { FuzzyOn = on; }
  bool UseSynonymDic() const { return SynonymOn; }
  void SetUseSynonymDic(bool on) { SynonymOn = on; }

  // The dictionaries, tried in list order; not owned, they must outlive the preprocessor.
  std::vector<const TREDictionary*>& FuzzyCharDicList() { return FuzzyDics; }
  std::vector<const TREDictionary*>& SynonymDicList() { return SynonymDics; }

  // The tokens of the last pass, ending with a tkEnd record.
  const std::vector<RE_PreToken_t>& TokenList() const { return Tokens; }

 private:
  using TMatch = int32_t (TREPreProcessor::*)(int32_t from, int32_t to);

  void Process(TMatch match);
  void Tokenize();
  int32_t MatchSynonym(int32_t from, int32_t to);
  int32_t MatchFuzzyChar(int32_t from, int32_t to);
  int32_t MatchInDics(const std::vector<const TREDictionary*>& dics, int32_t from, int32_t to);
  int32_t MatchInDic(const TREDictionary& dic, int32_t from, int32_t to);
  int32_t MatchVariant(const std::vector<uint16_t>& variant, int32_t from, int32_t to) const;
  std::string_view TokenText(const RE_PreToken_t& token) const;

  TREScanner Scanner;
  std::string Source;
  std::string OutputText;
  std::vector<const TREDictionary*> SynonymDics;
  std::vector<const TREDictionary*> FuzzyDics;
  std::vector<RE_PreToken_t> Tokens;
  const std::string* Replacement = nullptr;
  bool FuzzyOn = false;
  bool SynonymOn = false;
};

}  // namespace varsik
