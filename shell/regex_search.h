// Regular-expression mode: the search word compiled by the grep component Grep1, which
// scans each file taken up by the walk and calls Grep1Match once per matching line.
// Grep1 lives as long as the search driver, so its cache of compiled patterns serves
// every file and every later search.
#pragma once

#include <string>

#include "search/grep.h"
#include "shell/result_writer.h"
#include "shell/search_sink.h"
#include "shell/search_state.h"

namespace varsik {

class TRegexSearch {
 public:
  enum class TOutcome { Done, Cancelled, Failed };

  // Grep1 matches the pattern as written: both dictionaries off.
  TRegexSearch(TSearchState& state, TSearchSink& sink, TResultWriter& writer);
  TRegexSearch(const TRegexSearch&) = delete;
  TRegexSearch& operator=(const TRegexSearch&) = delete;

  // Searches CurrentFileName for the pattern `word` (CP932). A pattern that does not
  // compile raises ERegExpParser out of here (it ends the whole search). Cancelled when
  // CancelRequested was set before the file or during it (seen at a report or a block
  // read); Failed when the file cannot be opened or read. FileHeaderPending is clear
  // afterwards in every case.
  TOutcome SearchFile(const std::string& word);

  const TGrep& Grep() const { return Grep1; }
  // Sets `word` as Grep1's pattern now, as SearchFile does; raises ERegExpParser.
  void Compile(const std::string& word) { Grep1.SetRegExp(word); }
  // Sets `word` as Compile does and hands out the compiled pattern for the scanners of
  // other threads; it stays valid and unchanged until the pattern is next set.
  TGrepPattern SharedPattern(const std::string& word) {
    Grep1.SetRegExp(word);
    return Grep1.SharedPattern();
  }
  // A hit line's text is cut to this many bytes (0: kept whole).
  void SetMaxLineBytes(size_t bytes) { Grep1.SetMaxLineBytes(bytes); }
  // How files are read: detected, or in one encoding.
  void SetReadEncoding(const TReadEncoding& encoding) { Grep1.SetReadEncoding(encoding); }
  // Whether the hits carry the matches on their lines.
  void SetMarkMatches(bool on) { Grep1.SetMarkMatches(on); }

 private:
  // Grep1's OnMatch: writes the line unless the stop command has come meanwhile, in which
  // case it asks Grep1 to stop instead.
  void Grep1Match(TGrep& sender, const RE_LineInfo_t& lineInfo);

  TSearchState& State;
  TSearchSink& Sink;
  TResultWriter& Writer;
  TGrep Grep1;
};

}  // namespace varsik
