// TDecoder: turns the bytes of a file in another encoding than Shift JIS into the engine's
// Shift JIS (CP932) bytes, piece by piece as the file is read, so that every matcher
// searches it unchanged. The engine bytes keep the file's lines: each line end (CR, LF),
// NUL and Ctrl+Z of the file, and every ASCII character, becomes exactly that one byte,
// and no other character becomes one of those; so lines are numbered, and NUL, Ctrl+Z and
// lone CR are ruled, by the file's own characters. A character that CP932 holds becomes
// its CP932 bytes; any other, and each byte that does not decode, a reserved code
// (search/engine_codes.h). A byte-order mark at the start of the file is dropped.
//
// A character cut by the end of a piece is kept and finished with the next piece, and a
// decoder can start again at a checkpoint, so that a reader that lets text go can read it
// again. MakeDecoder is the entry point; the encodings have a class each.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "search/cut_characters.h"
#include "search/encoding.h"
#include "search/engine_codes.h"

namespace varsik {

// Where decoding can start: a byte offset in the file, (ISO-2022-JP only) the shift state
// there, a TJisShift, and how many bytes before it did not decode.
struct TDecodePoint {
  uint64_t Offset = 0;
  uint8_t Shift = 0;
  uint64_t Undecodable = 0;
};

class TDecoder {
 public:
  // The most bytes of a character kept from one piece for the next.
  static constexpr size_t kMaxPending = TCutCharacters::kMaxHeld;

  explicit TDecoder(const TEngineCodes& codes) : Codes(codes) {}
  virtual ~TDecoder() = default;
  TDecoder(const TDecoder&) = delete;
  TDecoder& operator=(const TDecoder&) = delete;

  // The room that decoding `size` more bytes (and finishing) may need: at most two engine
  // bytes for each byte, the kept ones included.
  static constexpr size_t MaxOutput(size_t size) { return 2 * (size + kMaxPending); }

  // Decodes the next bytes of the file into `out`, which has room for MaxOutput(in.size());
  // returns the end of what it wrote. A character cut at the end of `in` is kept for the
  // next call.
  uint8_t* Decode(std::span<const uint8_t> in, uint8_t* out);

  // The file has ended: the kept bytes of a cut character become one code each. Returns
  // the end of what it wrote at `out` (room for MaxOutput(0)).
  uint8_t* Finish(uint8_t* out);

  // The point from which decoding again gives what follows the output so far: the offset
  // of the first byte not yet decoded (a kept byte, or the next one to be fed).
  TDecodePoint Checkpoint() const { return {Fed - Cut.HeldSize(), Shift, UndecodableBytes}; }

  // How many bytes of the file did not decode (each became a kOther): those decoded since
  // the start, or since a restart and before its checkpoint. The encoding detector counts
  // the same bytes as errors (see TEncodingDetector::SoleCandidate).
  uint64_t Undecodable() const { return UndecodableBytes; }

  // Forgets what is kept and goes on as if the bytes before `point` had been decoded; the
  // caller feeds the file from point.Offset on. TDecodePoint{} is the start of the file.
  void Restart(TDecodePoint point);

 protected:
  // Decodes the characters of [p, end) into `out` and returns where it stopped: at end, or
  // (unless `final`) at a character that end cuts, at most kMaxPending bytes before end.
  // `final` says that nothing follows end: a cut character's bytes are undecodable then.
  virtual const uint8_t* Run(const uint8_t* p, const uint8_t* end, uint8_t*& out, bool final) = 0;

  // Writes a kOther for each of `count` bytes that do not decode, and counts them.
  uint8_t* PutUndecodable(uint8_t* out, size_t count = 1) {
    for (size_t k = 0; k < count; ++k) out = TEngineCodes::Put(out, kPackedOther);
    UndecodableBytes += count;
    return out;
  }

  // Whether the bytes that Run is given begin at the file's first byte (where a byte-order
  // mark may stand).
  bool StartsFile = false;
  // The shift state of encodings that have one, kept across pieces.
  uint8_t Shift = 0;
  const TEngineCodes& Codes;

 private:
  static constexpr uint16_t kPackedOther = TEngineCodes::Pack(TEngineCodes::kOther);

  // Run as the cut characters' reader calls it, writing at `out`.
  auto RunInto(uint8_t*& out);

  uint64_t Fed = 0;  // file offset behind the last byte fed
  uint64_t UndecodableBytes = 0;
  TCutCharacters Cut;
};

// The decoder of an encoding that needs one; nullptr for Ascii and ShiftJis, which are
// searched as they are. `codes` must outlive the decoder.
std::unique_ptr<TDecoder> MakeDecoder(TEncoding encoding, const TEngineCodes& codes);

}  // namespace varsik
