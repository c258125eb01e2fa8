#include "search/decoded_input.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string_view>

#include "search/ascii_run.h"
#include "search/byte_scan.h"
#include "search/char_sequence.h"
#include "search/errors.h"
#include "search/jis_escape.h"
#include "search/original_text.h"
#include "search/utf8_engine_run.h"
#include "search/utf8_valid.h"

namespace varsik {

namespace {

// The first block, which holds the evidence of a byte-order mark and of UTF-16.
constexpr size_t kFirstBlock = 64 * 1024;
// What detection reads at once.
constexpr size_t kReadAhead = 256 * 1024;
// What is decoded at once.
constexpr size_t kDecodeBlock = 64 * 1024;
// The least a reader's buffer takes for a block to be decoded straight into it.
constexpr size_t kMinDirect = 4096;
// What is read at once to find hit lines' own bytes.
constexpr size_t kRawBlock = 256 * 1024;
// What is read at once of a hit line's bytes beside the block just decoded.
constexpr size_t kRawNear = 4096;
// What a line's UTF-8 characters are read in at once.
constexpr size_t kUtf8Span = 1024;
// UTF-16 without a byte-order mark shows in its first units: ASCII characters with a NUL
// byte beside each.
constexpr uint64_t kUtf16Head = 128;
// The most checkpoints kept: past them every second one goes and the spacing doubles.
constexpr size_t kMaxCheckpoints = 4096;
constexpr uint64_t kFirstSpacing = 256 * 1024;
// The most places where decoding resumes after lines made short: past them a file whose
// needle is that common is decoded whole from there on.
constexpr size_t kMaxResumes = 1 << 16;
constexpr uint8_t kEsc = 0x1B;

// The table of a search that has none of its own: no word character has a code.
const TEngineCodes& PlainCodes() {
  static const TEngineCodes codes;
  return codes;
}

bool IsUtf16(TEncoding e) {
  return e == TEncoding::Utf16Le || e == TEncoding::Utf16Be;
}

// A blank as the file's encoding writes it.
std::string_view Blank(TEncoding e) {
  using namespace std::string_view_literals;
  return e == TEncoding::Utf16Le ? " \0"sv : e == TEncoding::Utf16Be ? "\0 "sv : " "sv;
}

// The escape sequence that switches ISO-2022-JP text to `shift`.
std::string_view ShiftEscape(TJisShift shift) {
  switch (shift) {
    case TJisShift::Ascii:
      return "";
    case TJisShift::Roman:
      return "\x1B(J";
    case TJisShift::Kana:
      return "\x1B(I";
    case TJisShift::Jis0208:
      return "\x1B$B";
    case TJisShift::Jis0212:
      return "\x1B$(D";
  }
  return "";
}

// The encoding of a fixed choice; a UTF-16 one gives way to the byte-order mark that the
// file begins with.
TEncoding FixedEncoding(TEncodingChoice choice, std::span<const uint8_t> start) {
  const bool le = start.size() >= 2 && start[0] == 0xFF && start[1] == 0xFE;
  const bool be = start.size() >= 2 && start[0] == 0xFE && start[1] == 0xFF;
  switch (choice) {
    case TEncodingChoice::Auto:
    case TEncodingChoice::Cp932:
      return TEncoding::ShiftJis;
    case TEncodingChoice::Utf8:
      return TEncoding::Utf8;
    case TEncodingChoice::EucJp:
      return TEncoding::EucJp;
    case TEncodingChoice::Utf16Le:
      return be ? TEncoding::Utf16Be : TEncoding::Utf16Le;
    case TEncodingChoice::Utf16Be:
      return le ? TEncoding::Utf16Le : TEncoding::Utf16Be;
    case TEncodingChoice::Iso2022Jp:
      return TEncoding::Iso2022Jp;
  }
  return TEncoding::ShiftJis;
}

// Whether an engine offset comes before a checkpoint, for the searches of FirstPast.
constexpr auto kBeforePoint = [](uint64_t value, const auto& point) {
  return value < point.Engine;
};

}  // namespace

std::vector<TDecodedInput::TCheckpoint>::const_iterator TDecodedInput::FirstPast(
    const std::vector<TCheckpoint>& points, uint64_t offset) {
  return std::upper_bound(points.begin(), points.end(), offset, kBeforePoint);
}

std::vector<TDecodedInput::TCheckpoint>::const_iterator TDecodedInput::FirstPast(
    const std::vector<TCheckpoint>& points, uint64_t offset, size_t& hint) {
  auto from = points.begin() + static_cast<ptrdiff_t>(std::min(hint, points.size()));
  if (from != points.begin() && (from - 1)->Engine > offset) from = points.begin();
  // The next line's point is mostly one of the next few.
  for (int k = 0; k < 4 && from != points.end() && from->Engine <= offset; ++k) ++from;
  const auto past = from == points.end() || from->Engine > offset
                        ? from
                        : std::upper_bound(from, points.end(), offset, kBeforePoint);
  hint = static_cast<size_t>(past - points.begin());
  return past;
}

const TEngineCodes& TDecodedInput::EngineCodes() const {
  // A search's own table when its word has one; else one for the whole process, built
  // when a file is first decoded (a search of Shift JIS and ASCII files needs none).
  return Choice.Codes != nullptr ? *Choice.Codes : PlainCodes();
}

TDecodedInput::TDecodedInput(const std::string& fileName, const TReadEncoding& encoding)
    : F(fileName), Choice(encoding), CheckpointSpacing(kFirstSpacing) {
  if (Choice.Choice == TEncodingChoice::Cp932) {
    // Read as it is, straight from the file.
    Started = true;
    Phase = TPhase::AsIs;
    Enc = TEncoding::ShiftJis;
  }
}

void TDecodedInput::Start() {
  Started = true;
  Hold.resize(kFirstBlock);
  Hold.resize(F.ReadBlock(Hold.data(), kFirstBlock));
  RawOffset = Hold.size();
  if (Choice.Choice != TEncodingChoice::Auto) {
    const TEncoding encoding = FixedEncoding(Choice.Choice, Hold);
    StartDecoding(encoding, 0);
    return;
  }
  AlikeEnd = AlikePrefix(Hold.data(), Hold.size(), 0);
  Detect(Hold.data(), AlikeEnd, 0, /*alike=*/true);
  if (AlikeEnd == Hold.size() && F.AtEnd()) {
    Enc = Detector.Finish();
    Phase = TPhase::AsIs;
  }
}

size_t TDecodedInput::AlikePrefix(const uint8_t* p, size_t size, uint64_t offset) const {
  // The first block read holds the whole head, so the offset is 0 here when it matters.
  if (offset < kUtf16Head &&
      std::memchr(p, 0, static_cast<size_t>(std::min<uint64_t>(size, kUtf16Head - offset))))
    return 0;
  const uint8_t* const end = p + size;
  const uint8_t* const high = AsciiRun::End(p, end);
  for (const uint8_t* q = p; q < high;) {
    const void* esc = std::memchr(q, kEsc, static_cast<size_t>(high - q));
    if (esc == nullptr) break;
    q = static_cast<const uint8_t*>(esc);
    const TJisEscape e = ReadJisEscape(q, end);
    if (e.Kind == TJisEscape::TKind::Cut ||
        (e.Kind == TJisEscape::TKind::Shift && e.Shift != TJisShift::Ascii &&
         e.Shift != TJisShift::Roman))
      return static_cast<size_t>(q - p);
    ++q;
  }
  return static_cast<size_t>(high - p);
}

void TDecodedInput::Detect(const uint8_t* p, size_t size, uint64_t offset, bool alike) {
  // Text read again after a Seek has been fed before.
  if (offset + size <= DetectedTo) return;
  const auto skip = static_cast<size_t>(DetectedTo > offset ? DetectedTo - offset : 0);
  const std::span bytes(p + skip, size - skip);
  if (alike)
    Detector.FeedAlike(bytes);
  else
    Detector.Feed(bytes);
  DetectedTo = offset + size;
}

void TDecodedInput::Decide() {
  // Hold holds the file from From on, as far as it has been read.
  Hold.erase(Hold.begin(), Hold.begin() + static_cast<ptrdiff_t>(HoldBegin));
  HoldBegin = 0;
  Detect(Hold.data(), Hold.size(), From);
  bool dropped = false;
  while (!Detector.Decided() && !F.AtEnd()) {
    if (!dropped && Guess()) return;
    if (!dropped && Hold.size() + kReadAhead > kHoldLimit) {
      // Too much to hold: the text from From is read again once the encoding is known.
      dropped = true;
      TByteBuffer().swap(Hold);
    }
    uint8_t* dest;
    if (dropped) {
      InSize = 0;
      In.resize(kReadAhead);
      dest = In.data();
    } else {
      Hold.resize(Hold.size() + kReadAhead);
      dest = Hold.data() + Hold.size() - kReadAhead;
    }
    const size_t n = F.ReadBlock(dest, kReadAhead);
    if (!dropped) Hold.resize(Hold.size() - kReadAhead + n);
    Detect(dest, n, RawOffset);
    RawOffset += n;
    if (Poll) Poll();
  }
  Enc = Detector.Finish();
  if (dropped) {
    F.Seek(From);
    RawOffset = From;
  }
  if (ReadsAsShiftJis(Enc))
    Phase = TPhase::AsIs;
  else
    StartDecoding(Enc, From);
}

bool TDecodedInput::Guess() {
  if (!Speculate) return false;
  const std::optional<TEncoding> sole = Detector.SoleCandidate();
  if (!sole) return false;
  // The held bytes are decoded first, then the file from where detection stopped.
  StartDecoding(*sole, From);
  Guessing = true;
  return true;
}

void TDecodedInput::EndGuess(uint64_t undecodable) {
  Guessing = false;
  if (undecodable > TEncodingDetector::kMaxErrors) throw EMisreadEncoding();
}

void TDecodedInput::CheckGuess() {
  // From the first byte the decoder has not taken, with its count so far; the file is
  // read at its own offsets, apart from the reads that go on afterwards.
  const std::unique_ptr<TDecoder> counter = MakeDecoder(Enc, EngineCodes());
  const TDecodePoint at = Decoder->Checkpoint();
  counter->Restart(at);
  TByteBuffer in(kReadAhead);
  TByteBuffer out(TDecoder::MaxOutput(kReadAhead));
  for (uint64_t offset = at.Offset;;) {
    const size_t n = F.ReadAt(offset, in.data(), in.size());
    if (n == 0) break;
    counter->Decode(std::span(in.data(), n), out.data());
    offset += n;
    if (Poll) Poll();
  }
  counter->Finish(out.data());
  EndGuess(counter->Undecodable());
}

void TDecodedInput::StartDecoding(TEncoding encoding, uint64_t from) {
  Enc = encoding;
  Phase = TPhase::Decoding;
  Decoder = MakeDecoder(encoding, EngineCodes());
  const TDecodePoint start{from, 0, 0};
  Decoder->Restart(start);
  OutOffset = from;
  OutBegin = OutEnd = 0;
  // Only ASCII lies before `from`: it decodes to itself from the file's start too.
  Checkpoints.clear();
  if (from > 0) Checkpoints.push_back({0, TDecodePoint{}});
  Checkpoints.push_back({from, start});
  Resumes.clear();
  Filtering = false;
  if ((!Required.empty() || !RequiredAnyOf.empty()) &&
      (encoding == TEncoding::Utf8 || encoding == TEncoding::Utf8Bom)) {
    if (!Filter) Filter = std::make_unique<TUtf8LineFilter>();
    Filter->Prepare({Required, RequiredFoldsCase, RequiredAnyOf}, EngineCodes());
    Filtering = Filter->Active();
  }
}

void TDecodedInput::AddCheckpoint() {
  if (!Resumes.empty()) return;
  if (!Checkpoints.empty() && OutOffset < Checkpoints.back().Engine + CheckpointSpacing) return;
  Checkpoints.push_back({OutOffset, Decoder->Checkpoint()});
  if (Checkpoints.size() <= kMaxCheckpoints) return;
  size_t kept = 0;
  for (size_t i = 0; i < Checkpoints.size(); i += 2) Checkpoints[kept++] = Checkpoints[i];
  Checkpoints.resize(kept);
  CheckpointSpacing *= 2;
}

size_t TDecodedInput::DecodeBlock(uint8_t* out, size_t inSize) {
  OutOffset += OutEnd;
  OutBegin = OutEnd = 0;
  AddCheckpoint();
  std::span<const uint8_t> in;
  if (HoldBegin < Hold.size()) {
    const size_t n = std::min(inSize, Hold.size() - HoldBegin);
    in = std::span(Hold.data() + HoldBegin, n);
    HoldBegin += n;
  } else {
    In.resize(inSize);
    // One read of the system: a block read would read a byte ahead, a second read each
    // time, to learn what the file's size at opening tells ReadSome.
    const size_t n = F.ReadSome(In.data(), inSize);
    InStart = RawOffset;
    InSize = n;
    RawOffset += n;
    in = std::span(In.data(), n);
  }
  uint8_t* end = Filtering ? DecodeFiltered(in, out, OutOffset) : Decoder->Decode(in, out);
  if (HoldBegin >= Hold.size() && F.AtEnd()) {
    end = Decoder->Finish(end);
    Finished = true;
    if (Guessing) EndGuess(Decoder->Undecodable());
  }
  return static_cast<size_t>(end - out);
}

uint8_t* TDecodedInput::DecodeFiltered(std::span<const uint8_t> in, uint8_t* out, uint64_t engine) {
  // Only lines whole in the piece are made short: those after its first LF that end far
  // enough before its end for the scans to read on. The rest is decoded.
  const uint8_t* const begin = in.data();
  const uint8_t* const end = begin + in.size();
  const size_t margin = ByteScan::kPadding + Filter->Reach() + 1;
  const void* firstLf = in.size() > margin ? std::memchr(begin, '\n', in.size() - margin) : nullptr;
  if (firstLf == nullptr) return Decoder->Decode(in, out);
  const uint8_t* const from = static_cast<const uint8_t*>(firstLf) + 1;
  const auto* const to = static_cast<const uint8_t*>(::memrchr(
                             from - 1, '\n', static_cast<size_t>(end - margin - from + 1))) +
                         1;
  uint8_t* const outStart = out;
  out = Decoder->Decode(std::span(begin, from), out);
  for (const uint8_t* p = from; p < to;) {
    const uint8_t* const found = Filter->Find(p, to);
    const uint8_t* const lineStart = found == to ? to : ByteScan::LineStart(found, p);
    if (lineStart > p) {
      const uint64_t fileOffset =
          Decoder->Checkpoint().Offset + static_cast<uint64_t>(lineStart - p);
      out = TUtf8LineFilter::Reduce(p, lineStart, RequiredRules, out);
      // A guess is checked by the bytes of these lines too.
      const uint64_t undecodable =
          Decoder->Undecodable() + (Guessing ? Utf8Valid::UndecodableBytes(p, lineStart) : 0);
      Decoder->Restart({fileOffset, 0, undecodable});
      Resumes.push_back({engine + static_cast<uint64_t>(out - outStart), Decoder->Checkpoint()});
      if (Resumes.size() >= kMaxResumes) {
        Filtering = false;
        return Decoder->Decode(std::span(lineStart, end), out);
      }
    }
    if (found == to) break;
    const uint8_t* const lineEnd = ByteScan::LineEnd(found, to) + 1;
    out = Decoder->Decode(std::span(lineStart, lineEnd), out);
    p = lineEnd;
  }
  return Decoder->Decode(std::span(to, end), out);
}

bool TDecodedInput::DecodeMore() {
  if (Finished) return false;
  const size_t room = TDecoder::MaxOutput(kDecodeBlock);
  if (Out.size() < room) Out.resize(room);
  OutEnd = DecodeBlock(Out.data(), kDecodeBlock);
  return true;
}

size_t TDecodedInput::TakeHeld(uint8_t* dest, size_t size) {
  const size_t n = std::min(size, Hold.size() - HoldBegin);
  std::memcpy(dest, Hold.data() + HoldBegin, n);
  HoldBegin += n;
  return n;
}

size_t TDecodedInput::ReadSomeLeading(uint8_t* dest, size_t size) {
  if (HoldBegin < Hold.size()) {
    const uint64_t heldOffset = RawOffset - (Hold.size() - HoldBegin);
    if (heldOffset < AlikeEnd) {
      const size_t n =
          TakeHeld(dest, static_cast<size_t>(std::min<uint64_t>(size, AlikeEnd - heldOffset)));
      if (HoldBegin == Hold.size() && F.AtEnd()) {
        Enc = Detector.Finish();
        Phase = TPhase::AsIs;
      }
      return n;
    }
    From = heldOffset;
    Decide();
    return ReadSome(dest, size);
  }
  const uint64_t offset = RawOffset;
  // The head is read whole, so that a NUL in it is seen before a byte of it is handed out.
  const size_t n = offset < kUtf16Head ? F.ReadBlock(dest, size) : F.ReadSome(dest, size);
  RawOffset += n;
  // When the detector is sure of the encoding within the bytes read (most Shift JIS
  // files, and every one that ends there), Shift JIS goes out as it is, with no copy and
  // no look for where the bytes that read alike end: fed whole or cut there, the detector
  // comes to the same.
  Detect(dest, n, offset);
  if (Detector.Decided() || F.AtEnd()) {
    const TEncoding encoding = Detector.Finish();
    if (ReadsAsShiftJis(encoding)) {
      Enc = encoding;
      Phase = TPhase::AsIs;
      return n;
    }
  }
  const size_t alike = AlikePrefix(dest, n, offset);
  if (alike == n) {
    AlikeEnd = RawOffset;
    if (F.AtEnd()) {
      Enc = Detector.Finish();
      Phase = TPhase::AsIs;
    }
    return n;
  }
  // Else the bytes from the first that does not read alike wait for the encoding.
  Hold.assign(dest + alike, dest + n);
  HoldBegin = 0;
  From = offset + alike;
  Decide();
  return alike > 0 ? alike : ReadSome(dest, size);
}

size_t TDecodedInput::ReadSomeDecoded(uint8_t* dest, size_t size) {
  // A reader that takes a whole block's output gets it decoded in its own buffer, without
  // a copy.
  while (OutBegin == OutEnd && !Finished && size >= TDecoder::MaxOutput(kMinDirect)) {
    const size_t n =
        DecodeBlock(dest, std::min(kDecodeBlock * 4, size / 2 - TDecoder::kMaxPending));
    OutOffset += n;
    if (n > 0) return n;
    if (Poll) Poll();
  }
  while (OutBegin == OutEnd) {
    if (!DecodeMore()) return 0;
    // A block of escape sequences decodes to nothing: the reader's poll must still come.
    if (OutBegin == OutEnd && Poll) Poll();
  }
  const size_t n = std::min(size, OutEnd - OutBegin);
  std::memcpy(dest, Out.data() + OutBegin, n);
  OutBegin += n;
  return n;
}

size_t TDecodedInput::ReadSome(uint8_t* dest, size_t size) {
  if (size == 0) return 0;
  if (!Started) {
    // A first read that takes in the whole head goes straight to the reader's buffer
    // (ReadSomeLeading), with no copy through Hold: most files of a tree are that small.
    if (Choice.Choice == TEncodingChoice::Auto && size >= kUtf16Head)
      Started = true;
    else
      Start();
  }
  switch (Phase) {
    case TPhase::Leading:
      return ReadSomeLeading(dest, size);
    case TPhase::AsIs:
      if (HoldBegin < Hold.size()) return TakeHeld(dest, size);
      break;
    case TPhase::Decoding:
      return ReadSomeDecoded(dest, size);
  }
  const size_t n = F.ReadSome(dest, size);
  RawOffset += n;
  return n;
}

size_t TDecodedInput::ReadBlock(uint8_t* dest, size_t size) {
  if (Phase == TPhase::AsIs && HoldBegin >= Hold.size()) {
    const size_t n = F.ReadBlock(dest, size);
    RawOffset += n;
    return n;
  }
  size_t done = 0;
  while (done < size) {
    const size_t n = ReadSome(dest + done, size - done);
    if (n == 0) break;
    done += n;
  }
  return done;
}

bool TDecodedInput::AtEnd() const {
  if (!Started) return false;
  if (Phase == TPhase::Decoding) return Finished && OutBegin == OutEnd;
  return HoldBegin >= Hold.size() && F.AtEnd();
}

void TDecodedInput::Seek(uint64_t offset) {
  if (!Started) Start();
  if (Phase != TPhase::Decoding) {
    // Engine bytes are the file's own; those read again were looked at before.
    F.Seek(offset);
    RawOffset = offset;
    Hold.clear();
    HoldBegin = 0;
    return;
  }
  const TCheckpoint& from = *(FirstPast(Checkpoints, offset) - 1);
  Decoder->Restart(from.Point);
  F.Seek(from.Point.Offset);
  RawOffset = from.Point.Offset;
  Hold.clear();
  HoldBegin = 0;
  Finished = false;
  OutOffset = from.Engine;
  OutBegin = OutEnd = 0;
  while (DecodeMore())
    if (offset < OutOffset + OutEnd) {
      OutBegin = static_cast<size_t>(offset - OutOffset);
      return;
    }
  OutBegin = OutEnd;
}

std::span<const uint8_t> TDecodedInput::RawAt(uint64_t offset, size_t size) {
  // Most hit lines lie in the block just decoded: read a second time, the file's bytes
  // cost a frequent word as much again in the kernel as reading it.
  if (offset >= InStart && offset + size <= InStart + InSize)
    return std::span(In.data() + (offset - InStart), size);
  TLineSource& l = *Lines;
  if (offset < l.RawStart || offset + size > l.RawStart + l.Raw.size()) {
    // A line that runs into that block, or out of it, needs only a little more.
    const bool nearIn = offset + kRawBlock > InStart && offset < InStart + InSize;
    l.Raw.resize(std::max<size_t>(size, nearIn ? kRawNear : kRawBlock));
    l.Raw.resize(F.ReadAt(offset, l.Raw.data(), l.Raw.size()));
    l.RawStart = offset;
  }
  const auto at = static_cast<size_t>(offset - l.RawStart);
  return std::span(l.Raw.data() + at, std::min(size, l.Raw.size() - at));
}

bool TDecodedInput::TakeUtf8Characters(std::string& text, uint64_t& pos, uint64_t& engine,
                                       size_t& collected, size_t textLength) {
  const uint16_t* const table = EngineCodes().PackedTable();
  const uint16_t twoByteLeads = EngineCodes().Utf8TwoByteLeads();
  // Runs of plain text are counted a step at a time, until a step would pass the cut.
  bool runs = true;
  while (collected < textLength) {
    const std::span<const uint8_t> raw = RawAt(pos, kUtf8Span);
    const uint8_t* p = raw.data();
    const uint8_t* const end = p + raw.size();
    // Only sequences whole in the span, unless the file ends in it.
    const uint8_t* const stop = raw.size() == kUtf8Span ? end - 3 : end;
    // The characters from `run` on are the text's bytes as they stand: they go to it at
    // once, at a CR, a NUL or the span's end, not one by one.
    const uint8_t* run = p;
    const auto flush = [&text, &run](const uint8_t* to) {
      text.append(reinterpret_cast<const char*>(run), static_cast<size_t>(to - run));
    };
    while (p < stop && collected < textLength) {
      if (runs && end - p >= static_cast<ptrdiff_t>(Utf8EngineRun::kStep)) {
        const Utf8EngineRun::TRun r =
            Utf8EngineRun::Plain(p, end, textLength - collected, twoByteLeads);
        p += r.Bytes;
        collected += r.EngineBytes;
        engine += r.EngineBytes;
        runs = !r.AtLimit;
        if (p >= stop || collected == textLength) break;
      }
      const uint8_t b = *p;
      if (b >= 0x80) {
        // Japanese text is three-byte sequences: their engine length by table alone.
        const char32_t cp = end - p >= 4 ? Utf8ThreeByteCodePoint(p) : 0;
        size_t length = 3;
        bool two = cp != 0 && table[cp] > 0xFF;
        if (cp == 0) {
          const TCharSequence c = ReadUtf8Sequence(p, end);
          if (c.Status != TCharSequence::TStatus::Char) break;
          length = c.Length;
          two = c.CodePoint > 0xFFFF || table[c.CodePoint] > 0xFF;
        }
        p += length;
        collected += two ? 2 : 1;
        engine += two ? 2 : 1;
        continue;
      }
      if (b == '\n') {
        flush(p);
        pos += static_cast<uint64_t>(p + 1 - raw.data());
        ++engine;
        return true;
      }
      ++engine;
      // A CR is dropped and a NUL made a blank, as the reader does.
      if (b == '\r' || b == 0) {
        flush(p);
        run = p + 1;
        if (b == 0) text += ' ';
      }
      if (b != '\r') ++collected;
      ++p;
    }
    flush(p);
    pos += static_cast<uint64_t>(p - raw.data());
    if (p < stop || raw.empty()) return false;
  }
  return false;
}

void TDecodedInput::AppendOriginalLine(uint64_t offset, size_t textLength, std::string& text) {
  if (!Lines) Lines = std::make_unique<TLineSource>();
  TLineSource& l = *Lines;
  if (!l.Decoder) l.Decoder = MakeDecoder(Enc, EngineCodes());
  // From the last checkpoint before the line, or from where the last line stopped.
  TCheckpoint at = *(FirstPast(Checkpoints, offset, l.CheckpointHint) - 1);
  // Behind lines made short, from where decoding resumed last before the line.
  const auto resumed = FirstPast(Resumes, offset, l.ResumeHint);
  if (resumed != Resumes.begin() && (resumed - 1)->Engine > at.Engine) at = *(resumed - 1);
  if (l.CursorSet && l.Cursor.Engine <= offset && l.Cursor.Engine > at.Engine) at = l.Cursor;
  l.Decoder->Restart(at.Point);
  uint64_t engine = at.Engine;
  uint64_t pos = at.Point.Offset;
  uint8_t out[TDecoder::MaxOutput(1)];
  l.Out.resize(TDecoder::MaxOutput(kDecodeBlock));

  // On to the line's start. A piece gives at most two engine bytes for each of its bytes
  // and of those held before it, so pieces of about half the engine bytes still to go
  // never pass the line: they shrink as they come near it, down to single bytes.
  while (engine < offset) {
    const uint64_t ahead = offset - engine;
    const size_t piece = ahead > 2 * TDecoder::kMaxPending + 1
                             ? static_cast<size_t>(std::min<uint64_t>(
                                   (ahead - 2 * TDecoder::kMaxPending) / 2, kDecodeBlock))
                             : 1;
    const std::span<const uint8_t> raw = RawAt(pos, piece);
    if (raw.empty()) return;
    engine += static_cast<uint64_t>(l.Decoder->Decode(raw, l.Out.data()) - l.Out.data());
    pos += raw.size();
  }

  // The line's characters one by one: each fed byte that completes one gives its engine
  // bytes, and the file's bytes from the last such byte are that character's.
  // A piece that ended right at the line may have left the start of its first character
  // held: it is fed again from here.
  const TDecodePoint start = l.Decoder->Checkpoint();
  l.Decoder->Restart(start);
  const size_t textStart = text.size();
  text += ShiftEscape(static_cast<TJisShift>(start.Shift));
  uint64_t unitStart = start.Offset;
  pos = start.Offset;
  size_t collected = 0;
  bool ended = false;
  // UTF-8 characters that decode alone need no decoder (the file's first line may begin
  // with a byte-order mark, which the decoder drops).
  if ((Enc == TEncoding::Utf8 || Enc == TEncoding::Utf8Bom) && start.Offset > 0) {
    ended = TakeUtf8Characters(text, pos, engine, collected, textLength);
    l.Decoder->Restart({pos, 0, start.Undecodable});
    unitStart = pos;
  }
  while (!ended && collected < textLength) {
    const std::span<const uint8_t> raw = RawAt(pos, 1);
    const bool last = raw.empty();
    uint8_t* const end = last ? l.Decoder->Finish(out) : l.Decoder->Decode(raw, out);
    pos += raw.size();
    const auto size = static_cast<size_t>(end - out);
    if (size == 0) {
      if (last) break;
      continue;
    }
    const uint64_t unitEnd = last ? pos : l.Decoder->Checkpoint().Offset;
    const std::span<const uint8_t> unit =
        RawAt(unitStart, static_cast<size_t>(unitEnd - unitStart));
    const auto bytes = [&text](std::span<const uint8_t> b) {
      text.append(reinterpret_cast<const char*>(b.data()), b.size());
    };
    unitStart = unitEnd;
    engine += size;
    if (out[size - 1] == '\n') {
      // The line's end; bytes that did not decode may have come out with it.
      const size_t lineEnd = IsUtf16(Enc) ? 2 : 1;
      if (size > 1 && unit.size() > lineEnd) bytes(unit.first(unit.size() - lineEnd));
      break;
    }
    if (size == 1 && out[0] == '\r') continue;
    if (size == 1 && out[0] == 0) {
      text += Blank(Enc);
      ++collected;
    } else {
      bytes(unit);
      collected += size;
    }
    if (last) break;
  }
  if (start.Offset == 0)
    text.erase(textStart, ByteOrderMarkLength(std::string_view(text).substr(textStart), Enc));
  l.Cursor = {engine, l.Decoder->Checkpoint()};
  l.CursorSet = true;
}

}  // namespace varsik
