// TFileSearch: the search of one file in the search's mode, for a worker of a parallel
// search. Plain mode runs the same finder and line searcher as TPlainSearch (its hits
// held until the file has been read); regular-expression mode a scanner of its own over
// the pattern that every worker shares, read-only. It touches no sink: what it finds goes
// to a report, and it stops when its poll says so.
#pragma once

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

 private:
  const TSearchOptions& Options;
  const TGrepPattern* Pattern;
  TPlainLineFinder Finder;
  TPlainMarker Marker;
  TLineSearcher Searcher;
  TGrepScanner Scanner;
  TBinaryCheck BinaryCheck;
};

}  // namespace varsik
