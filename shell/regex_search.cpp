#include "shell/regex_search.h"

#include <exception>

#include "search/errors.h"

TRegexSearch::TRegexSearch(TSearchState& state, TSearchSink& sink, TResultWriter& writer)
    : State(state), Sink(sink), Writer(writer) {
  Grep1.SetUseFuzzyCharDic(false);
  Grep1.SetUseSynonymDic(false);
  Grep1.SetCancel(false);
  Grep1.SetOnMatch(
      [this](TGrep& sender, const RE_LineInfo_t& lineInfo) { Grep1Match(sender, lineInfo); });
  // The reader's poll after each block: the stop command reaches a file without hits
  // there, not only at the next report.
  Grep1.SetProcessEvents([this] {
    Sink.ProcessEvents();
    if (State.CancelRequested) Grep1.SetCancel(true);
  });
}

TRegexSearch::TOutcome TRegexSearch::SearchFile(const std::string& word) {
  try {
    // Set for every file: after the first, the cache finds the compiled pattern.
    Grep1.SetRegExp(word);
  } catch (...) {
    State.FileHeaderPending = false;
    throw;
  }
  if (State.CancelRequested) {
    State.FileHeaderPending = false;
    return TOutcome::Cancelled;
  }
  TOutcome outcome = TOutcome::Done;
  try {
    Grep1.Grep(State.CurrentFileName);
  } catch (const EGrepCancel&) {
    Grep1.SetCancel(false);
    outcome = TOutcome::Cancelled;
  } catch (const std::exception&) {
    outcome = TOutcome::Failed;
  }
  State.FileHeaderPending = false;
  return outcome;
}

void TRegexSearch::Grep1Match(TGrep& sender, const RE_LineInfo_t& lineInfo) {
  Sink.ProcessEvents();
  if (State.CancelRequested) {
    sender.SetCancel(true);
    return;
  }
  Writer.RecordHit(lineInfo.LineNo, lineInfo.Line, lineInfo.Cut);
}
