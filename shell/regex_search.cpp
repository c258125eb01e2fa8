#include "shell/regex_search.h"

#include "base/scope_exit.h"
#include "search/errors.h"

namespace varsik {

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
  const TScopeExit finished([this] { State.FileHeaderPending = false; });
  // Set when it differs from Grep1's: nothing else changes Grep1's pattern or switches,
  // so the current one is still this word's, and setting it again for each file of a
  // tree (cache lookup, scan choice) cost more than some small files' search.
  if (Grep1.RegExp() != word) Grep1.SetRegExp(word);
  if (State.CancelRequested) return TOutcome::Cancelled;
  try {
    Grep1.Grep(State.CurrentFileName);
  } catch (const EGrepCancel&) {
    Grep1.SetCancel(false);
    return TOutcome::Cancelled;
  } catch (const EInOutError&) {
    // Only a file that cannot be read is a failed file; anything else ends the search.
    return TOutcome::Failed;
  }
  return TOutcome::Done;
}

void TRegexSearch::Grep1Match(TGrep& sender, const RE_LineInfo_t& lineInfo) {
  Sink.ProcessEvents();
  if (State.CancelRequested) {
    sender.SetCancel(true);
    return;
  }
  Writer.RecordHit(TLineEntry(lineInfo));
}

}  // namespace varsik
