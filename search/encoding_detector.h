// TEncodingDetector: decides which encoding a file is in, from the whole file (not its
// head), fed in pieces of any size; where the pieces are cut never changes the result.
//
//  1. A byte-order mark decides at once: UTF-8 (EF BB BF), UTF-16 LE (FF FE), BE (FE FF).
//  2. UTF-16 without one only on overwhelming evidence: at least kMinUtf16Units units, and
//     three in four of them, both among the first 64 and in the whole file, an ASCII
//     character with its 00 byte in the same place.
//  3. A file without a byte above 7F is ISO-2022-JP when it switches to a Japanese set
//     with an escape sequence, else ASCII.
//  4. Otherwise the file is read as Shift JIS, UTF-8 and EUC-JP at once. An encoding in
//     which more than kMaxErrors bytes do not decode is out; of those left, the one with
//     the best score (search/text_score.h) less kErrorWeight for each byte that does not
//     decode is taken, Shift JIS on a tie and when none is left. UTF-8 gains
//     kUtf8SequenceWeight for each character above U+007F, as its form is evidence too.
//
// Shift JIS text is told apart within its first few KB: misread as UTF-8 or EUC-JP it
// breaks at nearly every character, and once both are out no score can bring them back,
// so Feed says that the result is certain and the rest need not be read; bytes that
// cannot decode in them wherever they stand put them out without reading their
// characters one by one (search/detector_scan.h). Runs of ASCII
// are passed over sixteen bytes at a time, and an encoding that alone is left is only
// checked, no longer scored.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "search/cut_characters.h"
#include "search/encoding.h"
#include "search/text_score.h"

namespace varsik {

class TEncodingDetector {
 public:
  static constexpr uint32_t kMaxErrors = 16;
  static constexpr int64_t kErrorWeight = 64;
  static constexpr uint64_t kMinUtf16Units = 4;
  // What a well-formed UTF-8 sequence adds to its character's score: text in any other
  // encoding seldom holds one, let alone nothing else.
  static constexpr int64_t kUtf8SequenceWeight = 10;

  // Feeds the next bytes of the file. Returns true once the result is certain: nothing
  // more need be fed then, and what is fed is not looked at.
  bool Feed(std::span<const uint8_t> bytes);
  // The same for bytes that read alike in every encoding at the file's start: ASCII with
  // no escape sequence to a Japanese set, whole or cut. Only the byte-order mark and the
  // UTF-16 evidence of the head can be in them, so nothing else is looked for.
  bool FeedAlike(std::span<const uint8_t> bytes);

  // The encoding of the file, once all of it has been fed (or Feed said it is certain).
  TEncoding Finish();

  // Whether Feed has said that the result is certain.
  bool Decided() const { return Certain; }

  // When all that can still change the result is how many bytes of the rest do not decode
  // in one encoding (Shift JIS and all others but it are out, so that it is the result,
  // unless more than kMaxErrors bytes of the whole file fail in it, when Shift JIS is):
  // that encoding. A reader may stop feeding the detector then and decode the file from
  // its start with that encoding's decoder, which counts those bytes as the detector does
  // (TDecoder::Undecodable), and decide at the end. nullopt otherwise, or once certain.
  std::optional<TEncoding> SoleCandidate() const;

  // How many bytes were looked at: all that were fed, or those up to the end of the piece
  // in which the result became certain.
  uint64_t BytesRead() const { return Read; }

 private:
  // One encoding's reading of the file.
  struct TReading {
    uint32_t Errors = 0;
    TTextScore Score;
    int64_t Sequences = 0;  // UTF-8 only: the well-formed sequences read while scored
    TCutCharacters Cut;
    // Scored as long as another encoding is still in; checked only, afterwards.
    bool Scored = true;
    bool Out() const { return Errors > kMaxErrors; }
    int64_t Value() const {
      return Score.Value() + kUtf8SequenceWeight * Sequences - kErrorWeight * Errors;
    }
  };

  // Puts UTF-8 and EUC-JP out where the bytes that cannot decode in them whatever comes
  // around (search/detector_scan.h) are too many already, among the first kBoundSpan
  // of the piece: they would go out in it anyway, their characters read one by one.
  // Shift JIS text shows it within a few hundred bytes; a file in UTF-8 or EUC-JP, whose
  // own count stays 0, pays for no more than these.
  void PutOutSurely(std::span<const uint8_t> bytes);
  static constexpr size_t kBoundSpan = 512;

  // Keeps the file's first bytes and decides on a byte-order mark; `before` bytes came
  // before these.
  void ReadStart(std::span<const uint8_t> bytes, uint64_t before);
  // Counts the units that look like UTF-16 ASCII characters.
  void CountUtf16(std::span<const uint8_t> bytes);
  // Counts the escape sequences to Japanese sets up to the first byte above 7F; returns
  // where that byte stands in `bytes` (their size when there is none).
  size_t FindJisEscapes(std::span<const uint8_t> bytes);
  // Whether the evidence of the file's head leaves UTF-16 without byte-order mark possible.
  bool Utf16Possible() const;
  // 0 when neither byte order has the evidence, else 1 for LE and 2 for BE.
  int Utf16Order() const;

  bool Certain = false;
  bool Finished = false;
  TEncoding Result = TEncoding::ShiftJis;
  uint64_t Read = 0;

  uint8_t Start[3] = {};  // the file's first bytes, for the byte-order mark
  bool HighByteSeen = false;

  // UTF-16: per byte order, the units that are an ASCII character other than NUL, among the
  // first kHeadUnits and in all.
  static constexpr uint64_t kHeadUnits = 64;
  uint64_t Units = 0;
  uint64_t AsciiUnits[2] = {};
  uint64_t HeadAsciiUnits[2] = {};
  int OddByte = -1;  // the first byte of a unit cut by the end of a piece

  // ISO-2022-JP: escape sequences to a Japanese set, and the start of one cut by the end of
  // a piece.
  uint64_t JisEscapes = 0;
  TCutCharacters JisCut;

  TReading Sjis;
  TReading Utf8;
  TReading Euc;
};

}  // namespace varsik
