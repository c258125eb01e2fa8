// The dictionary passes of the preprocessor. Only runs of ordinary characters outside
// classes are looked up; everything else is copied as written.
#include "regex/re_preprocessor.h"

namespace varsik {

TREPreProcessor::TREPreProcessor(std::string source) {
  SetSource(std::move(source));
}

void TREPreProcessor::SetSource(std::string text) {
  Source = std::move(text);
  Scanner.SetPattern(Source);
}

void TREPreProcessor::Run() {
  // Every run starts from the source, so running twice gives the same result.
  Scanner.SetPattern(Source);
  OutputText = Source;
  if (SynonymOn) {
    Process(&TREPreProcessor::MatchSynonym);
    Scanner.SetPattern(OutputText);
  }
  if (FuzzyOn) Process(&TREPreProcessor::MatchFuzzyChar);
}

void TREPreProcessor::Tokenize() {
  Tokens.clear();
  int32_t start = Scanner.Position();
  while (Scanner.NextToken() != tkEnd) {
    Tokens.push_back(
        {Scanner.Token(), Scanner.Code(), Scanner.CodeEnd(), start, Scanner.Position()});
    start = Scanner.Position();
  }
  Tokens.push_back({tkEnd, 0, 0, 0, 0});
}

std::string_view TREPreProcessor::TokenText(const RE_PreToken_t& token) const {
  if (token.Token == tkEnd) return {};
  return std::string_view(Scanner.Pattern())
      .substr(token.StartPos - 1, token.EndPos - token.StartPos);
}

void TREPreProcessor::Process(TMatch match) {
  Tokenize();
  std::string out;
  bool inClass = false;
  const int32_t count = static_cast<int32_t>(Tokens.size());
  int32_t i = 0;
  while (i < count) {
    const RE_PreToken_t& t = Tokens[i];
    if (t.Token == tkLBra || t.Token == tkLBraNeg) inClass = true;
    if (t.Token == tkRBra) inClass = false;
    if (t.Token != tkChar || inClass) {
      out += TokenText(t);
      ++i;
      continue;
    }
    int32_t runEnd = i;
    while (Tokens[runEnd].Token == tkChar) ++runEnd;
    while (i < runEnd) {
      int32_t e = (this->*match)(i, runEnd);
      if (e < 0) {
        out += TokenText(Tokens[i]);
        ++i;
      } else {
        out += *Replacement;
        i = e;
      }
    }
  }
  OutputText = std::move(out);
}

int32_t TREPreProcessor::MatchSynonym(int32_t from, int32_t to) {
  return MatchInDics(SynonymDics, from, to);
}

int32_t TREPreProcessor::MatchFuzzyChar(int32_t from, int32_t to) {
  return MatchInDics(FuzzyDics, from, to);
}

int32_t TREPreProcessor::MatchInDics(const std::vector<const TREDictionary*>& dics, int32_t from,
                                     int32_t to) {
  for (const TREDictionary* dic : dics) {
    int32_t e = MatchInDic(*dic, from, to);
    if (e >= 0) return e;
  }
  return -1;
}

int32_t TREPreProcessor::MatchInDic(const TREDictionary& dic, int32_t from, int32_t to) {
  // Only variants that start with this character can match; the index keeps table order,
  // so the first group with a matching variant still wins.
  for (TREDictionary::TVariantRef ref : dic.VariantsStartingWith(Tokens[from].Code)) {
    int32_t e = MatchVariant(dic.VariantCodes(ref), from, to);
    if (e >= 0) {
      Replacement = &dic.GroupPattern(ref.Group);
      return e;
    }
  }
  return -1;
}

int32_t TREPreProcessor::MatchVariant(const std::vector<uint16_t>& variant, int32_t from,
                                      int32_t to) const {
  if (variant.empty()) return -1;
  int32_t i = from;
  for (uint16_t code : variant) {
    if (i >= to || Tokens[i].Code != code) return -1;
    ++i;
  }
  return i;
}

}  // namespace varsik
