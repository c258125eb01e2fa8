// TLineFinder: what a search mode brings to the line searcher (TLineSearcher): how its
// lines are cut, and which of them hold a match. The searcher does the reading, the line
// numbering, the polls and the reporting; a finder only looks at text.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace varsik {

// How a mode reads lines. Plain mode: only LF (or CR LF) ends a line and a lone CR is
// dropped from it; the text ends at its first NUL and before a line that begins with 1A.
// Regular-expression mode: a lone CR ends a line too, and a NUL reads as a blank.
// Text that every line a finder takes holds: engine bytes, whole characters that the text
// shows as themselves; with AsciiCaseFolds an ASCII letter among them stands for either
// case. Where it knows no such bytes, one of the characters AnyOf (codes: a byte, or lead
// x 256 + trail), if it names any.
struct TRequiredText {
  std::string_view Bytes;
  bool AsciiCaseFolds = false;
  std::span<const uint16_t> AnyOf;
};

struct TLineRules {
  bool CrEndsLines = false;
  bool TextEndsAtNul = false;
  bool TextEndsBeforeCtrlZLine = false;
};

class TLineFinder {
 public:
  virtual ~TLineFinder() = default;

  virtual TLineRules Rules() const = 0;

  // What every line the finder takes holds (empty when it knows nothing): a reader may pass
  // over the lines without it unsearched.
  virtual TRequiredText Required() const { return {}; }

  // The lines of [begin, end) that hold a match: the first byte of each is appended to
  // `hits`, in order. The text is whole lines as Rules() cuts them (only the last may
  // lack its line end); the line end of the line before stands in front of begin, and
  // ByteScan::kPadding readable bytes follow end. Returns true when the text ends inside
  // them (at a NUL, or before a line that begins with 1A, as Rules() says): nothing
  // after the last line looked at is searched. When Rules() lets a CR end a line,
  // `loneCr` says whether the text holds a CR that no LF follows; the searcher looks for
  // one once, as it numbers the lines too.
  virtual bool FindLines(const uint8_t* begin, const uint8_t* end, bool loneCr,
                         std::vector<const uint8_t*>& hits) = 0;

  // One line too long to be held whole, given in pieces: BeginLine, FeedLine for each
  // piece in order (a piece may end inside a character; the pieces hold no line end and,
  // by the rules, no NUL that ends the text), then EndLine, which says whether the line
  // holds a match. LineMatched may say so early, when the rest need not be fed.
  virtual void BeginLine() = 0;
  virtual void FeedLine(const uint8_t* begin, const uint8_t* end) = 0;
  virtual bool LineMatched() const = 0;
  virtual bool EndLine() = 0;
};

}  // namespace varsik
