// TCharStarts: where characters start in Shift JIS text, asked at positions that come in
// order. Every byte that is no lead byte ends a character, so the characters from the
// last such byte on are lead, trail, lead, trail...; a walk back over lead-range bytes
// tells whether a position starts a character. The walk stops at the last position known
// to start one, so that a line of lead-range bytes (a line of ぁ is 82 9F 82 9F...) is
// walked once in all, not once per position asked.
#pragma once

#include <cstdint>

#include "base/shift_jis.h"

namespace varsik {

class TCharStarts {
 public:
  // `begin` starts a character (a line start does).
  explicit TCharStarts(const uint8_t* begin) : Known(begin) {}

  // Whether p starts a character; p is at or behind every position asked before.
  bool IsCharStart(const uint8_t* p) {
    // A line end is never a trail byte, whatever stands in front of it.
    if (IsLineEnd(*p)) {
      RunStart = p;
      KnownBefore = Known;
      Known = p;
      return true;
    }
    const uint8_t* q = p;
    while (q > Known && ShiftJis::IsLeadByte(q[-1])) --q;
    const bool start = ((p - q) & 1) == 0;
    RunStart = q;
    KnownBefore = Known;
    // A position that starts no character is the trail of the one in front of it.
    Known = start ? p : p - 1;
    return start;
  }

  // Right after IsCharStart(p) said true, for p behind `begin`: whether the byte in front
  // of p is the trail byte of a double-byte character.
  bool BeforeIsTrail(const uint8_t* p) const {
    // Inside the run of lead-range bytes in front of p, p - 1 pairs with the byte before.
    if (RunStart < p) return true;
    if (IsLineEnd(p[-1])) return false;
    const uint8_t* q = p - 1;
    while (q > KnownBefore && ShiftJis::IsLeadByte(q[-1])) --q;
    return ((p - 1 - q) & 1) != 0;
  }

 private:
  static bool IsLineEnd(uint8_t b) { return b == '\n' || b == '\r'; }

  const uint8_t* Known;
  const uint8_t* KnownBefore = nullptr;
  const uint8_t* RunStart = nullptr;
};

}  // namespace varsik
