#include "shell/regex_search.h"

// The grep component arrives with the pattern engine; until then every file is taken
// up, listed and counted, and nothing is found in it.
TRegexSearch::TOutcome TRegexSearch::SearchFile(const std::string&) {
  (void)Sink;
  (void)Writer;
  State.FileHeaderPending = false;
  return State.CancelRequested ? TOutcome::Cancelled : TOutcome::Done;
}
