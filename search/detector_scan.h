// DetectorScan: the vector scans of the encoding detector, which tell a Shift JIS file
// from the others in a few steps of 32 or 64 bytes instead of character by character.
//
// CountUndecodable counts, 64 bytes a step, bytes that cannot decode as UTF-8 or as
// EUC-JP wherever the text around them comes from, so that the detector can put an
// encoding out without reading its characters (Shift JIS text misread as either breaks at
// nearly every character). Each count is at most what the detector's reading of the same
// bytes counts, as part of a file:
//
//  - UTF-8: a byte that begins no sequence (C0, C1, F5-FF); a lead byte (C2-F4) that no
//    trail byte (80-BF) follows; a trail byte without a lead byte among the three before
//    it. Each of these the reading takes alone, one error each.
//  - EUC-JP: a byte 80-A0 other than 8E and 8F, and FF: no code holds one.
//
// The three bytes before `bytes` are taken for lead bytes and the byte after them for a
// trail byte, so that a character cut by a piece's edge is never counted.
#pragma once

#include <cstdint>
#include <span>

#include "search/byte_scan.h"

namespace varsik {

namespace DetectorScan {

struct TCounts {
  uint32_t Utf8 = 0;
  uint32_t EucJp = 0;
};

// The counts over `bytes`, or over as many of their steps as it takes for both counts to
// reach their `enough` (0: not looked for).
TCounts CountUndecodable(std::span<const uint8_t> bytes, uint32_t utf8Enough, uint32_t eucEnough);
// The same in the vector form `isa` (one that the processor runs: ByteScan::UsableIsas).
TCounts CountUndecodableAs(ByteScan::TIsa isa, std::span<const uint8_t> bytes, uint32_t utf8Enough,
                           uint32_t eucEnough);
// The same, one byte at a time on any processor; the vector form must agree with it.
TCounts CountUndecodablePortable(std::span<const uint8_t> bytes, uint32_t utf8Enough,
                                 uint32_t eucEnough);

// The first byte in [begin, end) that is above 7F or an escape (1B), or end: where the
// ASCII that reads alike in every encoding ends, or may switch to a Japanese set.
const uint8_t* FindHighOrEscape(const uint8_t* begin, const uint8_t* end);
const uint8_t* FindHighOrEscapeAs(ByteScan::TIsa isa, const uint8_t* begin, const uint8_t* end);

}  // namespace DetectorScan

}  // namespace varsik
