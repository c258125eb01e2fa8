// TGrepFastPath: the grep component's scan for patterns whose attempts never run on past
// the end of their line. The file is read once through one reused buffer; the automaton
// is stepped through a table of code classes instead of transition lists, and a filter
// passes over the start positions or lines where no match can begin (a fixed string or
// a code that every match holds, or the codes that a match can begin with).
//
// It gives the reports of the per-position scan over the text-file reader exactly.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "regex/re_dfa.h"
#include "search/byte_scan.h"
#include "search/line_info.h"

class TGrepFastPath {
 public:
  // Builds the tables and chooses the filter for `dfa`, which need not outlive this.
  explicit TGrepFastPath(const TRE_DFA& dfa);

  // False when an attempt can read past a line end and go on, or the tables would be too
  // large: the per-position scan then serves the pattern.
  bool Usable() const { return IsUsable; }

  // Scans one file, calling `report` for each matching line in file order and `poll`
  // after each block read and before each report, as the text-file reader polls (poll
  // raises to stop the scan).
  // `buffer` is kept by the caller from file to file. Raises EFileNotFound or
  // EInOutError, and whatever `poll` or `report` raise. An empty file reports nothing.
  void Scan(const std::string& fileName, const std::function<void(const RE_LineInfo_t&)>& report,
            const std::function<void()>& poll, size_t blockSize,
            std::vector<uint8_t>& buffer) const;

  // What the scan uses, for tests and benchmarks.
  enum class TFilter { EveryLine, FixedBytes, FirstCodes };
  TFilter Filter() const { return FilterKind; }

 private:
  // The tables: code classes and transitions.
  void BuildTables(const TRE_DFA& dfa);
  // Whether no state reached after a code can read a line end and go on unaccepted.
  bool StaysInLine() const;
  void ChooseFilter(const TRE_DFA& dfa);
  // The bytes of a fixed run of codes that every match holds, or empty.
  std::string RequiredBytes(const TRE_DFA& dfa) const;
  // The codes a match can begin with, as byte tests; false when there are too many.
  bool FirstCodeBytes(const TRE_DFA& dfa, std::vector<ByteScan::TCodeBytes>& out) const;

  int32_t ClassOfCode(uint16_t code) const;
  // The class of the character at p (a character start before lineEnd) and its length.
  // A line end is never a trail byte: a lead byte at the end of its line stands alone.
  int32_t ClassAt(const uint8_t* p, const uint8_t* lineEnd, int32_t& length) const {
    if (ByteScan::IsLeadByte(*p) && p + 1 < lineEnd) {
      length = 2;
      return TrailClass[static_cast<size_t>(LeadRow[*p]) << 8 | p[1]];
    }
    length = 1;
    return ByteClass[*p];
  }
  // An attempt in state `state` (after its first code) reading the characters of
  // [p, lineEnd) and then the line end: whether it reaches an accepting state.
  bool Accepts(int32_t state, const uint8_t* p, const uint8_t* lineEnd) const;
  // Whether some start position of the line [lineStart, lineEnd) (the line end in front
  // of it, then each character) begins a match.
  bool LineMatches(const uint8_t* lineStart, const uint8_t* lineEnd) const;
  // The next position in [from, end) that the filter passes, or nullptr.
  const uint8_t* NextCandidate(const uint8_t* from, const uint8_t* end) const;
  struct TLine {
    const uint8_t* Start;
    const uint8_t* End;  // without its line end
  };
  // The matching lines among the whole lines [begin, end), in order, in `hits`; `hasCr`
  // says whether the lines hold a CR.
  void FindLines(const uint8_t* begin, const uint8_t* end, bool hasCr,
                 std::vector<TLine>& hits) const;

  bool IsUsable = false;
  // The automaton's alphabet, the class of each of its symbols, and how many codes each
  // class holds; class 0 is every code without a transition.
  std::vector<RE_CharRange_t> Symbols;
  std::vector<int32_t> SymbolClass;
  std::vector<uint32_t> ClassSize;
  int32_t ClassCount = 0;
  // Class of each single byte as the reader delivers it (NUL as a blank, CR as LF), and
  // of each trail byte after each lead byte (LeadRow picks the row).
  std::vector<int32_t> ByteClass;
  std::vector<uint8_t> LeadRow;
  std::vector<int32_t> TrailClass;
  // Next[state * ClassCount + class], kNoState for none.
  std::vector<int32_t> Next;
  std::vector<uint8_t> Accepting;
  int32_t LineEndClass = 0;
  // The state after the line end in front of a line, from the initial state.
  int32_t AfterLineEnd = kNoState;

  TFilter FilterKind = TFilter::EveryLine;
  std::string Fixed;          // FixedBytes: the bytes every match holds
  bool FixedIsWhole = false;  // they are the whole fixed-string pattern
  ByteScan::TBytePair FixedPair;
  std::vector<ByteScan::TCodeBytes> FirstCodes;
};
