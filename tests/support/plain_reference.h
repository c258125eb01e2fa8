// Plain mode the first, simple way, kept as the reference for the fast scan: the whole
// file read at once, split into lines, every line folded and searched by
// PlainLineRule. It answers with the entries that the search would write.
#pragma once

#include <cstring>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "search/plain_line_rule.h"
#include "shell/search_switches.h"

namespace varsik {

namespace PlainReference {

struct TSwitches {
  bool UpperLowerMatch = false;
  bool FuzzySearch = false;
  bool SearchAsWord = false;

  // The search's switches with these three set.
  TSearchSwitches Search() const {
    TSearchSwitches switches;
    switches.UpperLowerMatch = UpperLowerMatch;
    switches.FuzzySearch = FuzzySearch;
    switches.SearchAsWord = SearchAsWord;
    return switches;
  }
};

using THits = std::vector<std::pair<int64_t, std::string>>;

// The hits (line number, text as read) of a file holding `file`.
inline THits Search(std::string_view file, std::string_view word, TSwitches s) {
  // Nothing from the first NUL byte on is searched.
  file = file.substr(0, file.find('\0'));
  std::string out;
  std::string scratch;
  const std::string foldedWord(
      PlainLineRule::Fold(word, s.UpperLowerMatch, s.FuzzySearch, out, scratch));
  THits hits;
  std::string line;
  std::string foldedLine;
  // Reading ends before a line that begins with 1A.
  for (int lineNo = 1; !file.empty() && file.front() != 0x1A; ++lineNo) {
    const size_t lf = file.find('\n');
    const std::string_view raw = file.substr(0, lf);
    file.remove_prefix(lf == std::string_view::npos ? file.size() : lf + 1);
    // A CR is dropped from the line, whether it ends it or not.
    line.clear();
    for (char c : raw)
      if (c != '\r') line += c;
    const std::string_view folded =
        PlainLineRule::Fold(line, s.UpperLowerMatch, s.FuzzySearch, foldedLine, scratch);
    if (PlainLineRule::LineMatches(folded, foldedWord, s.SearchAsWord))
      hits.emplace_back(lineNo, line);
  }
  return hits;
}

}  // namespace PlainReference

}  // namespace varsik
