#include "shell/plain_search.h"

#include "search/plain_line_rule.h"

namespace varsik {

TPlainSearch::TPlainSearch(TSearchState& state, TSearchSink& sink, TResultWriter& writer)
    : State(state), Sink(sink), Writer(writer) {
  Searcher.SetHoldHits(true);
}

bool TPlainSearch::IsWholeWordAt(std::string_view word, int pos, std::string_view line) {
  return PlainLineRule::IsWholeWordAt(word, pos, line);
}

bool TPlainSearch::SearchFileText(const std::string& fileName, const std::string& word) {
  if (!Prepared || Prepared->Word != word || !(Prepared->Switches == Switches) ||
      Prepared->Marking != Marking) {
    Finder.Prepare(word, Switches.UpperLowerMatch, Switches.FuzzySearch, Switches.SearchAsWord);
    if (Marking)
      Marker.Prepare(word, Switches.UpperLowerMatch, Switches.FuzzySearch, Switches.SearchAsWord);
    Prepared = TPrepared{word, Switches, Marking};
  }
  const TLineSearcher::TEnd end = Searcher.Search(
      fileName, Finder,
      [this] {
        Sink.ProcessEvents();
        return State.CancelRequested.load();
      },
      [this](const RE_LineInfo_t& hit) { Writer.RecordHit(TLineEntry(hit)); });
  return end == TLineSearcher::TEnd::Done;
}

}  // namespace varsik
