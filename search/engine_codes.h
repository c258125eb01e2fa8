// TEngineCodes: how characters become the engine's bytes when a file in another encoding
// than Shift JIS is decoded, and how the search word becomes the same bytes. One table per
// search, built from the word before the first file is read; the decoders read it.
//
// A character that CP932 holds becomes its CP932 bytes (as iconv converts it, one-way
// fallbacks included). A character that CP932 lacks (é, 𠮷, an emoji, a lone surrogate,
// an undecodable byte) becomes a reserved code: a lead byte and a trail byte in 01-1F
// other than 0A, 0D and 1A, a pair that no CP932 text holds and in which no line end,
// NUL or Ctrl+Z can be taken for one. Each character of the word that CP932 lacks gets a
// reserved code of its own; every other one shares kOther.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/errors.h"
#include "base/shift_jis.h"

namespace varsik {

// The word cannot be made engine bytes: it is no UTF-8, or holds more characters that
// CP932 lacks than there are reserved codes.
class EWordCodes : public EVarsikError {
 public:
  using EVarsikError::EVarsikError;
};

class TEngineCodes {
 public:
  // The code of every character that CP932 lacks and the word does not hold.
  static constexpr uint16_t kOther = 0xFC1F;
  // The reserved codes that words can have: 60 lead bytes x 28 trail bytes, less kOther.
  static constexpr size_t kMaxWordCodes = 60 * 28 - 1;

  // A table in which every character that CP932 lacks is kOther.
  TEngineCodes();

  // The engine bytes of a UTF-8 word or pattern. Each character that CP932 lacks gets a
  // reserved code, the same one wherever it comes again (in this word or a later one).
  // Raises EWordCodes when the text is no UTF-8, or when it would take more than
  // kMaxWordCodes reserved codes in all.
  std::string AddWord(std::string_view utf8);

  // The engine code of a code point: its CP932 code (a byte, or lead x 256 + trail) or a
  // reserved code.
  uint16_t Code(char32_t cp) const;

  // The code point that a reserved code of a word stands for, or 0 when no word
  // character has it (kOther, a CP932 code).
  char32_t WordCharacter(uint16_t code) const;

  // Whether a code is a reserved one (a word's or kOther).
  static constexpr bool IsReserved(uint16_t code) {
    const auto lead = static_cast<uint8_t>(code >> 8);
    const auto trail = static_cast<uint8_t>(code);
    return ShiftJis::IsLeadByte(lead) && trail >= 0x01 && trail <= 0x1F && trail != 0x0A &&
           trail != 0x0D && trail != 0x1A;
  }

  // For the decoders: the engine bytes of a BMP code point packed for one store, the first
  // byte in bits 0-7 and the second in bits 8-15; two bytes exactly when the value is above
  // FF (every second byte is at least 01).
  uint16_t Packed(char16_t cp) const { return Bmp[cp]; }
  // The same table as an array of 65536 entries, for a loop that holds it in a register.
  const uint16_t* PackedTable() const { return Bmp.data(); }
  // The same for a code point past U+FFFF (always a reserved code).
  uint16_t PackedAstral(char32_t cp) const;
  // The lead bytes E0-EF (bit n for E0 + n) of which every three-byte UTF-8 sequence, the
  // lead and any two continuation bytes, is a character of two engine bytes: a run of such
  // characters is counted without the table (search/utf8_engine_run.h).
  uint16_t Utf8TwoByteLeads() const { return TwoByteLeads; }
  // A code (a byte, or lead x 256 + trail) in packed form.
  static constexpr uint16_t Pack(uint16_t code) {
    return code > 0xFF ? static_cast<uint16_t>(code >> 8 | (code & 0xFF) << 8) : code;
  }
  // Packing swaps the bytes of a double-byte code, so it is its own inverse.
  static constexpr uint16_t Unpack(uint16_t packed) { return Pack(packed); }
  // Writes packed engine bytes at `out`, which has room for two; returns the end. The
  // length is found by arithmetic, not by a branch that Japanese text would mispredict.
  static uint8_t* Put(uint8_t* out, uint16_t packed) {
    out[0] = static_cast<uint8_t>(packed);
    out[1] = static_cast<uint8_t>(packed >> 8);
    return out + 1 + ((packed + 0xFF00u) >> 16);
  }

 private:
  // The reserved code of the n-th word character.
  static uint16_t NthReservedCode(size_t n);
  uint16_t ReserveFor(char32_t cp);

  // Packed engine bytes of every BMP code point, the word's reserved codes included.
  std::vector<uint16_t> Bmp;
  // Taken from the table before any word: a word's reserved codes are two bytes as kOther
  // is, so they never change it.
  uint16_t TwoByteLeads = 0;
  // The word characters that have a reserved code, in the order the codes were given.
  std::vector<char32_t> WordCharacters;
  // Those past U+FFFF with their codes, for PackedAstral.
  std::vector<std::pair<char32_t, uint16_t>> Astral;
};

}  // namespace varsik
