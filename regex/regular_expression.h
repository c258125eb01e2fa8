// TRegularExpression: the pattern engine for its users. Setting RegExp preprocesses the
// pattern, looks it up in a cache of compiled patterns and compiles it on a miss (parser,
// NFA, DFA); the matcher then reads CurrentDFA and steps it with NextState. A grep
// component derives from it, supplies its line-boundary codes through GetLineHeadChar /
// GetLineTailChar and overrides ChangeRegExp to choose its search routine.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "regex/re_dfa.h"

namespace varsik {

class TREDictionary;
class TREPreProcessor;

// What a user of the engine derives from a compiled pattern and keeps with it in the
// cache (the grep component's fast-path tables): made once, read-only afterwards, gone
// with the entry. Its bytes count in the cache's budget.
class TCompiledExtra {
 public:
  virtual ~TCompiledExtra() = default;
  virtual size_t BytesHeld() const = 0;
};

class TRegularExpression {
 public:
  // Compiles the empty pattern into entry 0 of the cache. (The empty pattern holds no
  // anchor, so the line codes of a derived class do not matter for it.)
  TRegularExpression();
  virtual ~TRegularExpression();
  TRegularExpression(const TRegularExpression&) = delete;
  TRegularExpression& operator=(const TRegularExpression&) = delete;

  const std::string& RegExp() const { return RegExpText; }
  void SetRegExp(const std::string& text) { ChangeRegExp(text); }

  // Each switch setter sets the preprocessor's switch, then applies RegExp again.
  bool UseFuzzyCharDic() const;
  void SetUseFuzzyCharDic(bool on);
  bool UseSynonymDic() const;
  void SetUseSynonymDic(bool on);

  // Makes text the current pattern. On a pattern error (ERegExpParser), or any other
  // failure after preprocessing, the empty pattern becomes current, RegExp becomes empty
  // and the exception propagates; a failure in preprocessing changes nothing.
  virtual void ChangeRegExp(const std::string& text);

  // The codes that a leading line-head and a trailing line-tail anchor become.
  virtual uint16_t GetLineHeadChar() const { return 0xFFFD; }
  virtual uint16_t GetLineTailChar() const { return 0xFFFE; }

  // The automaton of the current pattern; valid until the pattern is set again.
  const TRE_DFA& CurrentDFA() const { return *CompiledList[CurrentEntry].DFA; }
  // What was kept with the current pattern (nullptr before anything is), and keeping it.
  TCompiledExtra* CurrentExtra() const { return CompiledList[CurrentEntry].Extra.get(); }
  void KeepWithCurrent(std::unique_ptr<TCompiledExtra> extra);
  bool IsLiteral() const { return CurrentDFA().IsLiteral(); }
  const std::string& Literal() const { return CurrentDFA().Literal(); }
  int32_t NextState(int32_t state, uint16_t code) const {
    return CurrentDFA().NextState(state, code);
  }

  // The fuzzy-character dictionaries of the preprocessor (not owned).
  std::vector<const TREDictionary*>& DictionaryList();

  // The cache: entry texts are preprocessed patterns; entry 0 is the empty pattern. Besides
  // CompiledMax entries it keeps at most kMaxCachedBytes: after a compile the oldest
  // entries are dropped until the rest fit (entry 0 and the new entry always stay).
  static constexpr int32_t CompiledMax = 30;
  int32_t CompiledCount() const { return static_cast<int32_t>(CompiledList.size()); }
  const std::string& CompiledText(int32_t index) const { return CompiledList[index].Text; }
  const TRE_DFA& CompiledDFA(int32_t index) const { return *CompiledList[index].DFA; }
  int32_t CurrentIndex() const { return CurrentEntry; }
  // The bytes that the entries hold, texts and automata.
  size_t CachedBytes() const;

 protected:
  // Compiles text into the DFA of entry CurrentIndex(); on failure drops that entry, selects
  // entry 0 and rethrows.
  void Compile(const std::string& text);

 private:
  void DropOverBudget();

  struct TCompiled {
    std::string Text;
    std::unique_ptr<TRE_DFA> DFA;
    std::unique_ptr<TCompiledExtra> Extra;
  };

  std::string RegExpText;
  std::vector<TCompiled> CompiledList;
  int32_t CurrentEntry = 0;
  std::unique_ptr<TREPreProcessor> PreProcessor;
};

}  // namespace varsik
