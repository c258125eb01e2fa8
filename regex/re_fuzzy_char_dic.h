// The built-in fuzzy-character dictionary: 145 groups of characters that a fuzzy pattern
// treats as one (kana forms, widths and cases, numerals, voiced-mark spellings).
#pragma once

#include "regex/re_dictionary.h"

namespace varsik {

// The program-wide dictionary, built on first use and alive until the program ends;
// shared by every grep component, owned by none. Raises EVarsikError if the group texts
// cannot be converted to CP932 on this system.
const TREDictionary& BuiltInFuzzyCharDic();

// The 145 group texts as comma text, in UTF-8 (the dictionary holds them in CP932).
std::vector<std::string> BuiltInFuzzyCharGroupTexts();

}  // namespace varsik
