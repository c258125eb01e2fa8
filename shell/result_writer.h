// Writes a search's hits and failures in the result formats and keeps the counts that
// they feed. Shared by the plain search, regular-expression mode and the walk.
#pragma once

#include <string_view>

#include "shell/search_sink.h"
#include "shell/search_state.h"

namespace varsik {

class TResultWriter {
 public:
  TResultWriter(TSearchState& state, TSearchSink& sink) : State(state), Sink(sink) {}

  // One matching line of CurrentFileName: its header first if it is still pending.
  void RecordHit(const TLineEntry& entry) {
    if (State.FileHeaderPending) {
      Sink.AppendFileHeader(State.CurrentFileName);
      State.FileHeaderPending = false;
      ++State.MatchedFileCount;
    }
    Sink.AppendLineEntry(entry);
    ++State.MatchedLineCount;
  }

  // CurrentFileName could not be opened or read.
  void RecordUnreadable(bool showErrorBox) {
    Sink.AppendErrorLine(State.CurrentFileName);
    ++State.ErrorLineCount;
    if (showErrorBox) Sink.ShowFileError(State.CurrentFileName);
  }

 private:
  TSearchState& State;
  TSearchSink& Sink;
};

}  // namespace varsik
