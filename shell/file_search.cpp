#include "shell/file_search.h"

#include "base/scope_exit.h"

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
  if (Options.Switches.SkipBinary && BinaryCheck.SkipsFile(fileName)) return TEnd::Done;
  return SearchText(fileName, poll, report);
}

void TFileSearch::SetCutter(TLineSearcher::TCutter cutter) {
  Scanner.LineSearcher().SetCutter(cutter);
  Searcher.SetCutter(std::move(cutter));
}

TFileSearch::TEnd TFileSearch::SearchPart(const std::string& fileName, const TFilePart& part,
                                          const TLineSearcher::TPoll& poll,
                                          const TLineSearcher::TReport& report) {
  TLineSearcher& searcher = LineSearcher();
  searcher.SetPart(part);
  const TScopeExit whole([&searcher] { searcher.SetPart(std::nullopt); });
  return SearchText(fileName, poll, report);
}

TFileSearch::TEnd TFileSearch::SearchText(const std::string& fileName,
                                          const TLineSearcher::TPoll& poll,
                                          const TLineSearcher::TReport& report) {
  if (Pattern != nullptr)
    return Scanner.Scan(*Pattern, fileName, poll, report) == TGrepScanner::TEnd::Stopped
               ? TEnd::Stopped
               : TEnd::Done;
  return Searcher.Search(fileName, Finder, poll, report) == TLineSearcher::TEnd::Stopped
             ? TEnd::Stopped
             : TEnd::Done;
}

}  // namespace varsik
