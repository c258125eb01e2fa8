// TGrepFastPath: the grep component's scan for patterns whose attempts never run on past
// the end of their line. The file is read once through one reused buffer; the automaton
// is stepped through a table of code classes instead of transition lists, and a filter
// passes over the start positions or lines where no match can begin (a fixed string or
// a code that every match holds, or the codes that a match can begin with).
//
// It gives the reports of the per-position scan over the text-file reader exactly, as the
// line searcher's finder. Where the attempts from every start position of a line would
// cost more than a few passes over it (a pattern such as a.*b on a long line of a), and
// on lines too long to hold, all the attempts of the line are run at once instead, as a
// set of states stepped together: every line is searched in time linear in its length.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "regex/re_dfa.h"
#include "regex/regular_expression.h"
#include "search/byte_scan.h"
#include "search/line_finder.h"

namespace varsik {

// All the attempts of one line stepped together: the state of a line read in pieces, or
// of a line whose attempts one by one would cost too much. One per search; the tables it
// steps through are the fast path's, which many searches share.
struct TAllAttempts {
  std::vector<int32_t> Live;  // the states of the live attempts, each once
  std::vector<int32_t> NextLive;
  std::vector<uint32_t> Mark;  // Mark[state] == Generation: in NextLive already
  uint32_t Generation = 0;
  int PendingLead = -1;  // a lead byte waiting for its trail
  bool Found = false;    // an attempt accepted
};

// The fast path of one compiled pattern: tables and filter, read-only once built, kept
// with the pattern in the compiled-pattern cache.
class TGrepFastPath : public TCompiledExtra {
 public:
  // Builds the tables and chooses the filter for `dfa`, which need not outlive this.
  explicit TGrepFastPath(const TRE_DFA& dfa);

  // False when an attempt can read past a line end and go on, or the tables would be too
  // large: the per-position scan then serves the pattern.
  bool Usable() const { return IsUsable; }

  size_t BytesHeld() const override;

  // What TGrepFastPathFinder does for the line searcher, with the state of one search.
  bool FindLines(const uint8_t* begin, const uint8_t* end, bool loneCr,
                 std::vector<const uint8_t*>& hits, TAllAttempts& all) const;
  void BeginLine(TAllAttempts& all) const;
  void FeedLine(TAllAttempts& all, const uint8_t* begin, const uint8_t* end) const;
  bool EndLine(TAllAttempts& all) const;

  // What the scan uses, for tests and benchmarks.
  enum class TFilter { EveryLine, FixedBytes, FirstCodes };
  TFilter Filter() const { return FilterKind; }
  // Bytes that every match holds (a run of codes shown as themselves), or empty.
  std::string_view RequiredText() const { return Fixed; }
  // The codes that a match can begin with when they are a few single ones, or none.
  const std::vector<uint16_t>& FirstCodeList() const { return FirstSingleCodes; }

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
  // The work that the attempts of a run may take: a few steps per byte of the run.
  struct TBudget {
    const uint8_t* Origin;
    size_t Steps = 0;
    size_t Cap(const uint8_t* to) const { return 8 * static_cast<size_t>(to - Origin) + 4096; }
  };
  enum class TAttempt { Accepted, Failed, OverBudget };
  // An attempt in state `state` (after its first code) reading the characters of
  // [p, lineEnd) and then the line end: whether it reaches an accepting state.
  TAttempt Accepts(int32_t state, const uint8_t* p, const uint8_t* lineEnd, TBudget& budget) const;
  // Whether some start position of the line [lineStart, lineEnd) (the line end in front
  // of it, then each character) begins a match: attempt by attempt while the budget
  // lasts, else all at once.
  bool LineMatches(const uint8_t* lineStart, const uint8_t* lineEnd, TBudget& budget,
                   TAllAttempts& all) const;
  // All attempts of the line at once.
  bool AllAttemptsMatch(const uint8_t* lineStart, const uint8_t* lineEnd, TAllAttempts& all) const;
  // The next position in [from, end) that the filter passes, or nullptr.
  const uint8_t* NextCandidate(const uint8_t* from, const uint8_t* end) const;
  // One character of a line read in pieces: the live attempts step on its class, and a
  // new attempt begins with it.
  void StepAll(TAllAttempts& all, int32_t cls) const;

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
  std::string Fixed;          // the bytes every match holds, or empty
  bool FixedIsWhole = false;  // they are the whole fixed-string pattern
  ByteScan::TBytePair FixedPair;
  std::vector<ByteScan::TCodeBytes> FirstCodes;
  std::vector<uint16_t> FirstSingleCodes;
};

// The fast path as the line searcher's finder, for one search at a time: lines end at LF,
// CR LF and a lone CR, and a NUL reads as a blank, as the text-file reader reads them.
class TGrepFastPathFinder : public TLineFinder {
 public:
  explicit TGrepFastPathFinder(const TGrepFastPath& fast) : Fast(fast) {}

  TLineRules Rules() const override { return {.CrEndsLines = true}; }
  TRequiredText Required() const override {
    return {Fast.RequiredText(), false, Fast.FirstCodeList()};
  }
  bool FindLines(const uint8_t* begin, const uint8_t* end, bool loneCr,
                 std::vector<const uint8_t*>& hits) override {
    return Fast.FindLines(begin, end, loneCr, hits, All);
  }
  void BeginLine() override { Fast.BeginLine(All); }
  void FeedLine(const uint8_t* begin, const uint8_t* end) override {
    Fast.FeedLine(All, begin, end);
  }
  bool LineMatched() const override { return All.Found; }
  bool EndLine() override { return Fast.EndLine(All); }

 private:
  const TGrepFastPath& Fast;
  TAllAttempts All;
};

}  // namespace varsik
