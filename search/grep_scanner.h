// TGrepScanner: the grep component's scans of one file, apart from the pattern they read.
// A compiled pattern (TGrepPattern: its automaton, its fast path, its fixed string) is
// read-only while scans run, so scanners on several threads can share one; each scanner
// holds the state of one scan at a time. TGrep runs its own; a parallel search runs one
// per worker.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "regex/re_dfa.h"
#include "search/grep_fast_path.h"
#include "search/line_info.h"
#include "search/line_searcher.h"
#include "search/regex_marker.h"
#include "search/txt_file.h"

namespace varsik {

// A compiled pattern as the scans read it.
struct TGrepPattern {
  const TRE_DFA* DFA = nullptr;
  // The fast path when the pattern's attempts stay in their line (else nullptr).
  const TGrepFastPath* Fast = nullptr;
  // Else the per-position scan: the fixed string's codes, compared, when the pattern is
  // one whose codes all read back from text; else the automaton from every position.
  bool CompareLiteral = false;
  std::vector<uint16_t> LiteralCodes;  // ending with a 0
};

class TGrepScanner {
 public:
  // Runs after each block read, before each report and now and then in a long attempt,
  // on the scanning thread; true stops the scan there.
  using TPoll = std::function<bool()>;
  // One matching line (its text cut to MaxLineBytes, Cut then set), in file order; the
  // record is overwritten by the next report. What it raises leaves Scan.
  using TReport = std::function<void(const RE_LineInfo_t&)>;

  enum class TEnd { Done, Stopped };

  // The reader's block size; tests make it tiny to reach every block boundary.
  void SetBlockSize(int32_t blockSize) { Block = blockSize; }
  int32_t BlockSize() const { return Block; }
  void SetMaxLineBytes(size_t bytes) { MaxLineBytes = bytes; }
  // How files are read: detected, or in one encoding.
  void SetReadEncoding(const TReadEncoding& encoding) {
    Encoding = encoding;
    Searcher.SetReadEncoding(encoding);
  }
  // Whether each reported line carries its matches (TRegexMarker's).
  void SetMarkMatches(bool on) { MarkMatches = on; }
  // The line searcher that the fast path runs in, to search a part of a file with it.
  TLineSearcher& LineSearcher() { return Searcher; }

  // Reports each matching line of the file once, in file order. An empty file reports
  // nothing. Raises EFileNotFound or EInOutError; the file is closed first.
  TEnd Scan(const TGrepPattern& pattern, const std::string& fileName, const TPoll& poll,
            const TReport& report);

 private:
  TEnd ScanByFastPath(const TGrepFastPath& fast, const std::string& fileName, const TPoll& poll,
                      const TReport& report);
  // Runs the automaton from every start position.
  void ScanByDFA(const TRE_DFA& dfa, TTxtFile& file, const TReport& report);
  // Compares the fixed string of a literal pattern.
  void ScanByLiteral(const std::vector<uint16_t>& codes, TTxtFile& file, const TReport& report);
  // The current line of the per-position scan, with its matches when they are marked.
  void ReportThisLine(TTxtFile& file, RE_LineInfo_t& lineInfo, const TReport& report);

  int32_t Block = TTxtFile::kBuffSize;
  size_t MaxLineBytes = 1 << 20;
  TReadEncoding Encoding;
  bool MarkMatches = false;
  // The marker of the scan in progress, when it marks.
  std::optional<TRegexMarker> Marker;
  // The searcher the fast path runs in, kept from file to file.
  TLineSearcher Searcher;
};

}  // namespace varsik
