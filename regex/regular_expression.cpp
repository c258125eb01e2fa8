// The compiled-pattern cache and the compile pipeline.
#include "regex/regular_expression.h"

#include "regex/re_dictionary.h"
#include "regex/re_held_bytes.h"
#include "regex/re_limits.h"
#include "regex/re_nfa.h"
#include "regex/re_parser.h"
#include "regex/re_preprocessor.h"

namespace varsik {

TRegularExpression::TRegularExpression() : PreProcessor(std::make_unique<TREPreProcessor>()) {
  CompiledList.push_back({});
  CurrentEntry = 0;
  Compile(CompiledList[CurrentEntry].Text);
}

TRegularExpression::~TRegularExpression() = default;

bool TRegularExpression::UseFuzzyCharDic() const {
  return PreProcessor->UseFuzzyCharDic();
}

bool TRegularExpression::UseSynonymDic() const {
  return PreProcessor->UseSynonymDic();
}

std::vector<const TREDictionary*>& TRegularExpression::DictionaryList() {
  return PreProcessor->FuzzyCharDicList();
}

void TRegularExpression::SetUseFuzzyCharDic(bool on) {
  PreProcessor->SetUseFuzzyCharDic(on);
  ChangeRegExp(RegExpText);
}

void TRegularExpression::SetUseSynonymDic(bool on) {
  PreProcessor->SetUseSynonymDic(on);
  ChangeRegExp(RegExpText);
}

void TRegularExpression::ChangeRegExp(const std::string& text) {
  const std::string source = text;
  PreProcessor->SetSource(source);
  PreProcessor->Run();
  const std::string& key = PreProcessor->Output();
  try {
    CurrentEntry = -1;
    for (int32_t i = 0; i < CompiledCount(); ++i) {
      if (CompiledList[i].Text == key) {
        CurrentEntry = i;
        break;
      }
    }
    if (CurrentEntry < 0) {
      if (CompiledCount() >= CompiledMax) CompiledList.pop_back();
      CompiledList.insert(CompiledList.begin() + 1, TCompiled{key, nullptr, nullptr});
      CurrentEntry = 1;
      Compile(CompiledList[CurrentEntry].Text);
      DropOverBudget();
    }
    RegExpText = source;
  } catch (...) {
    CurrentEntry = 0;
    RegExpText.clear();
    throw;
  }
}

void TRegularExpression::Compile(const std::string& text) {
  try {
    TREParser parser(text);
    parser.Run();
    TRE_NFA nfa(parser, GetLineHeadChar(), GetLineTailChar());
    nfa.Run();
    auto dfa = std::make_unique<TRE_DFA>(nfa);
    dfa->Run();
    CompiledList[CurrentEntry].DFA = std::move(dfa);
  } catch (...) {
    CompiledList.erase(CompiledList.begin() + CurrentEntry);
    CurrentEntry = 0;
    throw;
  }
}

size_t TRegularExpression::CachedBytes() const {
  size_t bytes = HeldBytes(CompiledList);
  for (const TCompiled& entry : CompiledList)
    bytes += HeldBytes(entry.Text) + (entry.DFA ? entry.DFA->BytesHeld() : 0) +
             (entry.Extra ? entry.Extra->BytesHeld() : 0);
  return bytes;
}

void TRegularExpression::KeepWithCurrent(std::unique_ptr<TCompiledExtra> extra) {
  CompiledList[CurrentEntry].Extra = std::move(extra);
}

// The new entry is at index 1; older ones behind it go, oldest first.
void TRegularExpression::DropOverBudget() {
  while (CompiledCount() > 2 && CachedBytes() > kMaxCachedBytes) CompiledList.pop_back();
}

}  // namespace varsik
