#include "shell/plain_search.h"

// The content search arrives with the plain-search work; until then every file is
// taken up, listed and counted, and nothing is found in it.
bool TPlainSearch::SearchFileText(const std::string&, const std::string&) {
  (void)UpperLowerMatch;
  (void)FuzzySearch;
  (void)SearchAsWord;
  return !State.CancelRequested;
}

bool TPlainSearch::IsWholeWordAt(std::string_view, int, std::string_view) {
  return false;
}
