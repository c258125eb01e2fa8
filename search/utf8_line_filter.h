// TUtf8LineFilter: a UTF-8 file scanned in its own bytes for what every matching line
// must hold, so that only the lines that hold it are decoded and searched. UTF-8 keeps
// the engine's line structure (LF, CR, NUL and Ctrl+Z are the same bytes, and no other
// character holds them), so a line without the needle can be handed to the searcher as
// just the bytes that its line rules read: its line end and its CRs, NULs and Ctrl+Z.
//
// The needle is the UTF-8 form of engine characters that every match holds, taken only
// where each of them comes from one code point alone; then a line whose engine bytes
// hold those characters holds the needle in its own bytes.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "search/byte_scan.h"
#include "search/engine_codes.h"
#include "search/line_finder.h"

namespace varsik {

class TUtf8LineFilter {
 public:
  // Sets the needle from what every matching line holds, through the search's code table: the
  // longest run of them that the needle can stand for. Empty when none can: every line is then a
  // candidate.
  void Prepare(const TRequiredText& required, const TEngineCodes& codes);
  bool Active() const { return !Needle.empty() || !Alternatives.empty(); }
  const std::string& NeedleBytes() const { return Needle; }
  // The most bytes that an occurrence reads from its start.
  size_t Reach() const { return std::max(Needle.size(), size_t{4}); }

  // The first occurrence of the needle (or of one of the characters) that starts in
  // [begin, end), or end. Reads up to end + Reach() + ByteScan::kPadding.
  const uint8_t* Find(const uint8_t* begin, const uint8_t* end) const;

  // Writes at `out` what the whole lines [begin, end) (the last ending with LF, an LF in
  // front of begin, ByteScan::kPadding readable bytes behind end), none of which holds a
  // match, become for the searcher; returns the end of what it wrote, at most end -
  // begin bytes. Each line keeps its LF, its lone CRs with a 01 byte for the text behind
  // each, its NULs, and a Ctrl+Z at its start or behind a CR: so the lines are numbered,
  // and the text ended, as in the decoded text, and none of them can match. Where `rules`
  // read neither NULs nor Ctrl+Z (regular-expression mode), a line without a lone CR is
  // its LF alone: it is found by the cheaper scan for lone CRs.
  static uint8_t* Reduce(const uint8_t* begin, const uint8_t* end, const TLineRules& rules,
                         uint8_t* out);

 private:
  // The needle's bytes, each as Mask says to compare it: letters without their case bit
  // where the case folds.
  void PrepareAlternatives(std::span<const uint16_t> anyOf, const TEngineCodes& codes);

  std::string Needle;
  std::string Mask;
  ByteScan::TBytePair Pair;
  // Else one of these characters, each found by its first two bytes.
  std::vector<std::string> Alternatives;
  std::vector<ByteScan::TCodeBytes> Starts;
};

}  // namespace varsik
