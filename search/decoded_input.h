// TDecodedInput: the decoding stage of the readers. It reads one file as TInputFile does,
// but hands out the engine's bytes: a Shift JIS or ASCII file as it is, a file in another
// encoding decoded (search/decoder.h), so that both readers and every finder above them
// search Shift JIS. In automatic mode the encoding is detected from the whole file:
//
//  - the file's leading run of bytes that read alike in every encoding (ASCII, no JIS
//    escape to a Japanese set, no NUL in its first bytes, where UTF-16 shows) is handed
//    out as it is while it is read;
//  - at the first byte past that run the rest of the file is read ahead into the detector,
//    held up to kHoldLimit, until the detector is certain (a Shift JIS file within its
//    first few KB) or the file ends; the held bytes are then handed out (or decoded), or,
//    when they were too many to hold, the file is read again from that byte.
//
// A reader that can drop what it read of a file may let detection stop earlier
// (SetSpeculate): once only one encoding other than Shift JIS is left, which only too
// many bytes that do not decode in it can still turn into Shift JIS, the file is decoded
// in it at once, read only once, and those bytes are counted as it is decoded.
//
// So ASCII and Shift JIS files are read once and never decoded. Where a decoded file's
// text is let go, it can be read again from any offset (Seek) through checkpoints of the
// decoder, whose number is bounded; the same checkpoints find a hit line's own bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "search/decoder.h"
#include "search/encoding_detector.h"
#include "search/input_file.h"
#include "search/line_finder.h"
#include "search/read_encoding.h"
#include "search/utf8_line_filter.h"

namespace varsik {

// An allocator whose vectors leave new bytes as they are when they grow: the buffers below
// are written by reads and decoders before they are read, and zeroing them would cost as
// much as the reads (a tree of small files costs a block's zeroing each).
template <typename T>
struct TUninitializedAllocator : std::allocator<T> {
  template <typename U>
  struct rebind {
    using other = TUninitializedAllocator<U>;
  };
  TUninitializedAllocator() = default;
  template <typename U>
  TUninitializedAllocator(const TUninitializedAllocator<U>&) noexcept {}
  template <typename U>
  void construct(U* p) noexcept {
    ::new (static_cast<void*>(p)) U;
  }
  template <typename U, typename... TArgs>
  void construct(U* p, TArgs&&... args) {
    ::new (static_cast<void*>(p)) U(std::forward<TArgs>(args)...);
  }
};
using TByteBuffer = std::vector<uint8_t, TUninitializedAllocator<uint8_t>>;

class TDecodedInput {
 public:
  // The most bytes read ahead for detection and kept to be handed out afterwards.
  static constexpr size_t kHoldLimit = 1 << 20;

  // Opens the file; raises EFileNotFound as TInputFile does.
  TDecodedInput(const std::string& fileName, const TReadEncoding& encoding);
  TDecodedInput(const TDecodedInput&) = delete;
  TDecodedInput& operator=(const TDecodedInput&) = delete;

  // Runs after each block that detection reads ahead, on the reading thread: the reader's
  // poll, which may raise to stop.
  void SetPoll(std::function<void()> poll) { Poll = std::move(poll); }
  // Runs the poll, for a reader that reads through this stage.
  void RunPoll() const {
    if (Poll) Poll();
  }

  // As TInputFile's, over the engine bytes: ReadBlock fills `dest` unless the text ends,
  // ReadSome gives at least one byte unless it has ended. Raise EInOutError, and what
  // the poll raises.
  size_t ReadBlock(uint8_t* dest, size_t size);
  size_t ReadSome(uint8_t* dest, size_t size);
  // Engine bytes (whole characters) that every line the reader's search can match holds.
  // A UTF-8 file is then scanned in its own bytes first, and a line without them is
  // handed out as its line end and the control bytes its line rules read (see
  // TUtf8LineFilter), so that it costs no decoding; its engine bytes differ, so a reader
  // that sets this never seeks. `rules` are those of the reader's search. Set before the
  // first read.
  void SetRequired(const TRequiredText& required, const TLineRules& rules) {
    RequiredRules = rules;
    Required = required.Bytes;
    RequiredFoldsCase = required.AsciiCaseFolds;
    RequiredAnyOf.assign(required.AnyOf.begin(), required.AnyOf.end());
  }

  // Whether detection may stop as soon as one encoding other than Shift JIS alone is
  // left (TEncodingDetector::SoleCandidate) and decode the file in it from there, a guess
  // checked as the file is decoded. Where it was wrong, the read that reaches the file's
  // end (or Confirm) raises EMisreadEncoding: the file is Shift JIS, and the reader must
  // drop what it read of it and read it again with this off. Set before the first read.
  void SetSpeculate(bool on) { Speculate = on; }
  // Whether the encoding is such a guess, not yet checked.
  bool Speculating() const { return Guessing; }
  // Checks the guess now: the rest of the file is read only to count its bytes that do
  // not decode, and the text goes on from where it stands. Raises EMisreadEncoding where
  // the guess was wrong, EInOutError, and what the poll raises.
  void Confirm() {
    if (Guessing) CheckGuess();
  }

  // Whether no engine byte is left.
  bool AtEnd() const;
  // Goes back (or on) to engine byte `offset`, so that text let go of can be read again.
  void Seek(uint64_t offset);
  // Reads only the file's bytes [begin, end), before anything is read: for a file read as
  // cp932, whose engine bytes are its own (a part of a file cut for several searchers).
  void ReadRange(uint64_t begin, uint64_t end) { F.ReadRange(begin, end); }
  // The file's size as it was opened; UINT64_MAX when it is not known.
  uint64_t FileSize() const { return F.SizeOpened(); }

  // The file's encoding, as far as it is known: Ascii while only bytes that read alike in
  // every encoding have been read.
  TEncoding Encoding() const { return Enc; }
  // Whether the engine bytes are decoded ones, which differ from the file's own.
  bool Decodes() const { return Phase == TPhase::Decoding; }

  // The text of a line of a decoded file as the file holds it: the line whose engine bytes
  // begin at `offset`, as far as its first `textLength` bytes as a reader gives them (CRs
  // dropped, a NUL made a blank); the same characters in the file's bytes, a CR dropped
  // and a NUL made a blank there too. An ISO-2022-JP line begins with the escape sequence
  // of the set in force at its start (none for ASCII), so that it reads alone. The file
  // is read at its own offsets, apart from the reads above. Lines asked for in the order
  // of their offsets are found fastest.
  std::string OriginalLine(uint64_t offset, size_t textLength) {
    std::string text;
    AppendOriginalLine(offset, textLength, text);
    return text;
  }
  // The same text appended to `text`, whose room is used again.
  void AppendOriginalLine(uint64_t offset, size_t textLength, std::string& text);
  // The search's code table, which the decoders read (for OriginalSpans).
  const TEngineCodes& EngineCodes() const;

 private:
  enum class TPhase { Leading, AsIs, Decoding };
  // Where decoding can start again: an engine offset and the decoder's state there.
  struct TCheckpoint {
    uint64_t Engine = 0;
    TDecodePoint Point;
  };

  // The first of `points` past engine offset `offset`.
  static std::vector<TCheckpoint>::const_iterator FirstPast(const std::vector<TCheckpoint>& points,
                                                            uint64_t offset);
  // The same, searched from `hint` on where the point in front of it lies before offset;
  // `hint` is then moved to the point found.
  static std::vector<TCheckpoint>::const_iterator FirstPast(const std::vector<TCheckpoint>& points,
                                                            uint64_t offset, size_t& hint);
  // Reads the first block into Hold and, for a fixed choice, decides how to read.
  void Start();
  // How many of the `size` leading bytes at p (at file offset `offset`) read alike in
  // every encoding.
  size_t AlikePrefix(const uint8_t* p, size_t size, uint64_t offset) const;
  // Feeds the detector the bytes at p from file offset `offset`, those not fed before;
  // `alike` when they read alike in every encoding (AlikePrefix).
  void Detect(const uint8_t* p, size_t size, uint64_t offset, bool alike = false);
  // Reads ahead from the end of Hold until the detector is certain, then sets the phase
  // for the text from file offset From on.
  void Decide();
  // Whether the detector leaves one encoding other than Shift JIS alone, when the reader
  // allows a guess: the file is then decoded in it from From, and true.
  bool Guess();
  // Confirm's reading of the rest of the file, while the encoding is a guess.
  void CheckGuess();
  // The guess has been checked: `undecodable` bytes of the file did not decode.
  void EndGuess(uint64_t undecodable);
  // Decodes from file offset `from` (whose engine offset is the same: only ASCII lies
  // before it) in `encoding`.
  void StartDecoding(TEncoding encoding, uint64_t from);
  // Decodes the next `inSize` bytes of the file (or fewer, as one read gives them) at
  // `out`, which has room for TDecoder::MaxOutput(inSize), once Out is used up; returns
  // how many engine bytes it wrote.
  size_t DecodeBlock(uint8_t* out, size_t inSize);
  // Decodes the next block of the file into Out; false at the end.
  bool DecodeMore();
  // Hands out held bytes as they are.
  size_t TakeHeld(uint8_t* dest, size_t size);
  size_t ReadSomeLeading(uint8_t* dest, size_t size);
  size_t ReadSomeDecoded(uint8_t* dest, size_t size);
  void AddCheckpoint();
  // Decoder->Decode with the lines that cannot match made short (SetRequired); the
  // engine offset of `out` is `engine`.
  uint8_t* DecodeFiltered(std::span<const uint8_t> in, uint8_t* out, uint64_t engine);
  // OriginalLine's way through a UTF-8 line from file offset `pos`: appends its leading
  // characters that decode alone, moving pos and the engine offset on, until the line
  // ends (true) or `collected` engine bytes reach textLength or a byte that does not
  // decode alone comes (false: the decoder reads on from pos).
  bool TakeUtf8Characters(std::string& text, uint64_t& pos, uint64_t& engine, size_t& collected,
                          size_t textLength);
  // The bytes of the file from `offset`, at least `size` unless it ends first; for
  // OriginalLine, which makes Lines.
  std::span<const uint8_t> RawAt(uint64_t offset, size_t size);

  TInputFile F;
  TReadEncoding Choice;
  std::function<void()> Poll;
  bool Started = false;
  TPhase Phase = TPhase::Leading;
  TEncoding Enc = TEncoding::Ascii;

  // Bytes read from the file, not yet handed out or decoded: [HoldBegin, Hold.size()).
  TByteBuffer Hold;
  size_t HoldBegin = 0;
  // The file offset behind the last byte read.
  uint64_t RawOffset = 0;

  TEncodingDetector Detector;
  uint64_t DetectedTo = 0;  // the file offset up to which the detector has been fed
  uint64_t AlikeEnd = 0;    // the file offset up to which the bytes are known to read alike
  uint64_t From = 0;        // where the bytes that read alike end

  bool Speculate = false;
  bool Guessing = false;

  std::unique_ptr<TDecoder> Decoder;
  TByteBuffer In;
  // The file's bytes [InStart, InStart + InSize) that In holds from the last block decoded.
  uint64_t InStart = 0;
  size_t InSize = 0;
  // Decoded bytes not yet handed out: [OutBegin, OutEnd) of Out, whose first byte is at
  // engine offset OutOffset.
  TByteBuffer Out;
  size_t OutBegin = 0;
  size_t OutEnd = 0;
  uint64_t OutOffset = 0;
  bool Finished = false;
  std::vector<TCheckpoint> Checkpoints;
  uint64_t CheckpointSpacing;

  // The lines that need no decoding: the needle, and where the decoded text starts again
  // behind each run of lines made short (the checkpoints taken after the first such run
  // would not lead back to the same engine offsets).
  std::string Required;
  bool RequiredFoldsCase = false;
  TLineRules RequiredRules;
  std::vector<uint16_t> RequiredAnyOf;
  // Made for a UTF-8 file that is filtered only: the rest never pay for its making.
  std::unique_ptr<TUtf8LineFilter> Filter;
  bool Filtering = false;
  std::vector<TCheckpoint> Resumes;

  // OriginalLine's own decoder, the point where it stopped last, where it found the
  // checkpoints and resumes in front of the last line, and the file's bytes it read last;
  // made for the first hit line of a decoded file.
  struct TLineSource {
    std::unique_ptr<TDecoder> Decoder;
    TByteBuffer Out;
    TCheckpoint Cursor;
    bool CursorSet = false;
    size_t CheckpointHint = 0;
    size_t ResumeHint = 0;
    TByteBuffer Raw;
    uint64_t RawStart = 0;
  };
  std::unique_ptr<TLineSource> Lines;
};

}  // namespace varsik
