// TFileSearch: the search of one file in the search's mode, for a worker of a parallel
// search. Plain mode runs the same finder and line searcher as TPlainSearch (its hits
// held until the file has been read); regular-expression mode a scanner of its own over
// the pattern that every worker shares, read-only. It touches no sink: what it finds goes
// to a report, and it stops when its poll says so.
#pragma once

#include <cstdint>
#include <string>

#include "search/grep_scanner.h"
#include "search/line_searcher.h"
#include "search/plain_line_finder.h"
#include "search/plain_marker.h"
#include "shell/binary_check.h"
#include "shell/search_state.h"

namespace varsik {

class TFileSearch {
 public:
  // `pattern` is the shared compiled pattern in regular-expression mode, null in plain
  // mode; both it and `options` outlive this.
  TFileSearch(const TSearchOptions& options, const TGrepPattern* pattern);

  enum class TEnd { Done, Stopped };

  // Reports each matching line of the file once, in file order, on the calling thread.
  // Stopped when the poll asked to stop (the lines found before stay reported). Raises
  // EInOutError (or EFileNotFound) when the file cannot be read, after which plain mode
  // has reported nothing. With the switch, a binary file is not searched: nothing is
  // reported of it.
  TEnd Search(const std::string& fileName, const TLineSearcher::TPoll& poll,
              const TLineSearcher::TReport& report);

  // A file cut into parts that several workers search: `cutter` chooses, once a file is
  // opened, the part of it that Search searches (the file's first, or none: all of it);
  // SearchPart searches the part given. Only a search whose matches stay in their line
  // (plain mode, the regular-expression fast path) can be cut; another ignores both.
  void SetCutter(TLineSearcher::TCutter cutter);
  TEnd SearchPart(const std::string& fileName, const TFilePart& part,
                  const TLineSearcher::TPoll& poll, const TLineSearcher::TReport& report);
  // After a search: whether it was of a part, and then the part's line ends and whether
  // the file's text ended in it (TLineSearcher's).
  bool SearchedPart() { return LineSearcher().SearchedPart(); }
  int64_t PartLineEnds() { return LineSearcher().PartLineEnds(); }
  bool TextEnded() { return LineSearcher().TextEnded(); }

 private:
  // The search of the file, or of the part the searchers have been set to.
  TEnd SearchText(const std::string& fileName, const TLineSearcher::TPoll& poll,
                  const TLineSearcher::TReport& report);
  // The searcher that reads the lines in this mode.
  TLineSearcher& LineSearcher() { return Pattern != nullptr ? Scanner.LineSearcher() : Searcher; }

  const TSearchOptions& Options;
  const TGrepPattern* Pattern;
  TPlainLineFinder Finder;
  TPlainMarker Marker;
  TLineSearcher Searcher;
  TGrepScanner Scanner;
  TBinaryCheck BinaryCheck;
};

}  // namespace varsik
