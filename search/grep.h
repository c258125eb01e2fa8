// TGrep: the grep component. It compiles its pattern as a regular-expression object whose
// line-head and line-tail anchors are the LF that the text-file reader delivers between
// lines, scans one file at a time through that reader, and reports every matching line
// once through OnMatch. Regular-expression mode owns one and calls Grep for each file.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "regex/regular_expression.h"
#include "search/grep_fast_path.h"
#include "search/grep_scanner.h"
#include "search/line_info.h"
#include "search/txt_file.h"

namespace varsik {

class TGrep;

// The match event. Runs on the thread that called Grep, once per matching line, while the
// file is still open. `lineInfo` belongs to the running search and is overwritten by the
// next report; copy what you keep. The handler may set sender.SetCancel(true): the search
// then ends with EGrepCancel at the reader's next poll (the next block read or report).
// An exception thrown by the handler leaves Grep. The handler must not set the pattern.
using TGrepOnMatch = std::function<void(TGrep& sender, const RE_LineInfo_t& lineInfo)>;

class TGrep : public TRegularExpression {
 public:
  // Adds the built-in fuzzy-character dictionary to DictionaryList(); whether it is
  // applied depends on UseFuzzyCharDic (off at creation). Raises EVarsikError when that
  // dictionary cannot be built on this system.
  TGrep();

  // Sets the pattern as the base class does (preprocess, cache lookup or compile), then
  // chooses the search routine for it. A pattern error (ERegExpParser) propagates and
  // the routine chosen before stays. Raises EVarsikError when called from inside a
  // running search (from OnMatch or the poll hook), where it would pull the automaton
  // from under the scan.
  void ChangeRegExp(const std::string& text) override;

  // Both anchors match the LF that the reader delivers in front of every line and at the
  // end of the last one.
  uint16_t GetLineHeadChar() const override { return 10; }
  uint16_t GetLineTailChar() const override { return 10; }

  const TGrepOnMatch& OnMatch() const { return MatchHandler; }
  void SetOnMatch(TGrepOnMatch handler) { MatchHandler = std::move(handler); }

  // The cancel flag that the reader reads at each poll. Every search clears it when it
  // starts; after EGrepCancel it stays set until the caller clears it.
  bool Cancel() const { return CancelState; }
  void SetCancel(bool on) { CancelState = on; }

  // Runs at each poll of the reader (after each block read and before each report), right
  // before the cancel flag is read; the shell's event pump. May set Cancel.
  void SetProcessEvents(std::function<void()> processEvents) {
    ProcessEvents = std::move(processEvents);
  }

  // The reader's block size; tests make it tiny to reach every block boundary.
  void SetBuffSize(int32_t buffSize) { BlockSize = buffSize; }
  // A reported line's text is cut to this many bytes, at a character boundary (the
  // record's Cut says so); 0 reports lines whole.
  void SetMaxLineBytes(size_t bytes) { MaxLineBytes = bytes; }
  // How files are read: detected, or in one encoding (Shift JIS as it is, from creation).
  void SetReadEncoding(const TReadEncoding& encoding) { Scanner.SetReadEncoding(encoding); }
  int32_t BuffSize() const { return BlockSize; }
  // Whether each reported line carries the matches on it (RE_LineInfo_t::Matches):
  // leftmost-longest, not overlapping. Off at creation, so that only an output that
  // shows them pays for them.
  void SetMarkMatches(bool on) { Scanner.SetMarkMatches(on); }

  // Searches one file with the routine that the last ChangeRegExp chose and reports each
  // matching line once, in file order. Returns at the end of the file (an empty file
  // reports nothing); returns at once, without opening the file, when OnMatch is
  // unassigned. Raises EFileNotFound, EInOutError, EGrepCancel, or what OnMatch raises;
  // the file is closed first.
  void Grep(const std::string& fileName);

  // Whether a pattern whose attempts stay inside their line is searched by the fast path
  // (TGrepFastPath), which reports the same lines; on from creation. Tests turn it off
  // to compare the two.
  void SetUseFastPath(bool on) { UseFastPath = on; }

  // The current pattern as scans read it, for scanners of its own (a parallel search's
  // workers) that share it while no one sets the pattern; makes its fast path now.
  TGrepPattern SharedPattern();

  // The character codes of `s` (a lead byte takes the next byte as its trail) in
  // `codes`, followed by a 0; returns their number. Raises ERegExpParser for a lead byte
  // in the last position.
  static int32_t StringToCodes(std::string_view s, std::vector<uint16_t>& codes);

 private:
  // Chooses the per-position scan for the current pattern: its fixed string compared, or
  // its automaton run.
  void ChoosePerPositionScan();
  // The fast path of the current pattern, made at its first search.
  const TGrepFastPath& FastPath();

  TGrepOnMatch MatchHandler;
  bool CancelState = false;
  bool CompareLiteral = false;
  std::vector<uint16_t> LiteralCodes;
  std::function<void()> ProcessEvents;
  int32_t BlockSize = TTxtFile::kBuffSize;
  // Searches on the stack; the pattern must not change while one runs.
  int32_t Running = 0;
  bool UseFastPath = true;
  TGrepScanner Scanner;
  size_t MaxLineBytes = 1 << 20;
};

}  // namespace varsik
