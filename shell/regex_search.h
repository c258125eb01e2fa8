// Regular-expression mode: each file handed to the grep component, whose match
// callback writes the result lines.
#pragma once

#include <string>

#include "shell/result_writer.h"
#include "shell/search_sink.h"
#include "shell/search_state.h"

class TRegexSearch {
 public:
  enum class TOutcome { Done, Cancelled, Failed };

  TRegexSearch(TSearchState& state, TSearchSink& sink, TResultWriter& writer)
      : State(state), Sink(sink), Writer(writer) {}

  // Searches CurrentFileName for the pattern `word` (CP932). A pattern that does not
  // compile raises ERegExpParser out of here (it ends the whole search); a file that
  // cannot be read ends as Failed.
  TOutcome SearchFile(const std::string& word);

 private:
  TSearchState& State;
  TSearchSink& Sink;
  TResultWriter& Writer;
};
