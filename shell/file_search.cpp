#include "shell/file_search.h"

#include "search/errors.h"

namespace varsik {

TFileSearch::TFileSearch(const TSearchOptions& options, const TGrepPattern* pattern)
    : Options(options), Pattern(pattern) {
  const TSearchSwitches& s = options.Switches;
  Finder.Prepare(options.Word, s.UpperLowerMatch, s.FuzzySearch, s.SearchAsWord);
  Searcher.SetHoldHits(true);
  Searcher.SetMaxLineBytes(options.MaxLineBytes);
  Scanner.SetMaxLineBytes(options.MaxLineBytes);
  Searcher.SetReadEncoding(options.ReadEncoding());
  Scanner.SetReadEncoding(options.ReadEncoding());
  if (options.MarkMatches) {
    Marker.Prepare(options.Word, s.UpperLowerMatch, s.FuzzySearch, s.SearchAsWord);
    Searcher.SetMarker(&Marker);
    Scanner.SetMarkMatches(true);
  }
}

TFileSearch::TEnd TFileSearch::Search(const std::string& fileName, const TLineSearcher::TPoll& poll,
                                      const TLineSearcher::TReport& report) {
  if (Options.Switches.SkipBinary && SkippedAsBinary(fileName)) return TEnd::Done;
  if (Pattern != nullptr)
    return Scanner.Scan(*Pattern, fileName, poll, report) == TGrepScanner::TEnd::Stopped
               ? TEnd::Stopped
               : TEnd::Done;
  return Searcher.Search(fileName, Finder, poll, report) == TLineSearcher::TEnd::Stopped
             ? TEnd::Stopped
             : TEnd::Done;
}

bool TFileSearch::SkippedAsBinary(const std::string& fileName) {
  try {
    return BinaryCheck.IsBinaryFile(fileName);
  } catch (const EInOutError&) {
    // Searched then, and the search says that it cannot be read.
    return false;
  }
}

}  // namespace varsik
