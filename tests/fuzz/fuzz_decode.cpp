// Fuzz target: bytes as a file's content through the encoding detector and every decoder.
// Checks that nothing crashes; that the detector's result and each decoder's output do not
// depend on where the pieces are cut; that each decoder writes no more than it promises
// and well-formed engine bytes (a lead byte always with a trail, and no line end, NUL or
// Ctrl+Z as one); that where iconv reads the whole input, the engine bytes are its
// characters in CP932 (or their reserved codes); and that decoded text written back in the
// encoding decodes to the same bytes again.
//
// Input: one byte of set-up, then the file.
//   bits 0-2: the size of the pieces fed
//   bit 3:    the word "é😀" is given reserved codes first
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/shift_jis.h"
#include "platform/utf8.h"
#include "search/decoder.h"
#include "search/encoding_detector.h"
#include "tests/fuzz/fuzz_support.h"
#include "tests/search/encoded_text.h"

using namespace varsik;

namespace {

using FuzzSupport::Escaped;
using FuzzSupport::Fail;

constexpr size_t kPieceSizes[8] = {1, 2, 3, 5, 8, 64, 4096, 1 << 20};

std::span<const uint8_t> Bytes(std::string_view s) {
  return {reinterpret_cast<const uint8_t*>(s.data()), s.size()};
}

TEncoding Detect(std::string_view file, size_t piece) {
  TEncodingDetector detector;
  for (size_t i = 0; i < file.size(); i += piece)
    if (detector.Feed(Bytes(file).subspan(i, std::min(piece, file.size() - i)))) break;
  return detector.Finish();
}

// The engine bytes of the file in pieces of `piece` bytes, each call checked against the
// room it was promised.
std::string Decode(TEncoding encoding, const TEngineCodes& codes, std::string_view file,
                   size_t piece) {
  const std::unique_ptr<TDecoder> decoder = MakeDecoder(encoding, codes);
  std::string engine;
  std::vector<uint8_t> out;
  for (size_t i = 0; i < file.size(); i += piece) {
    const size_t size = std::min(piece, file.size() - i);
    out.resize(TDecoder::MaxOutput(size));
    const uint8_t* end = decoder->Decode(Bytes(file).subspan(i, size), out.data());
    if (end < out.data() || static_cast<size_t>(end - out.data()) > out.size())
      Fail("a decoder wrote more than MaxOutput");
    engine.append(reinterpret_cast<const char*>(out.data()), end - out.data());
  }
  out.resize(TDecoder::MaxOutput(0));
  const uint8_t* end = decoder->Finish(out.data());
  if (static_cast<size_t>(end - out.data()) > out.size()) Fail("Finish wrote more than it may");
  engine.append(reinterpret_cast<const char*>(out.data()), end - out.data());
  return engine;
}

void CheckWellFormed(std::string_view engine, TEncoding encoding) {
  for (size_t i = 0; i < engine.size(); ++i) {
    if (!ShiftJis::IsLeadByte(static_cast<uint8_t>(engine[i]))) continue;
    if (i + 1 == engine.size())
      Fail(std::string(EncodingName(encoding)) + ": a lead byte at the end");
    const char trail = engine[++i];
    if (trail == '\n' || trail == '\r' || trail == '\0' || trail == 0x1A)
      Fail(std::string(EncodingName(encoding)) + ": a control byte as trail at " +
           std::to_string(i));
  }
}

// The code points that iconv reads the whole file as, or nullopt when it refuses any of it.
std::optional<std::u32string> IconvCodePoints(const char* from, std::string_view file) {
  std::string utf8;
  try {
    utf8 = EncodedText::Iconv("UTF-8", from, file);
  } catch (const std::invalid_argument&) {
    return std::nullopt;
  }
  std::u32string cps;
  for (size_t i = 0; i < utf8.size();) {
    const size_t length = Platform::Utf8CharLength(utf8, i);
    if (length == 0) return std::nullopt;
    cps += Platform::Utf8CodePoint(utf8, i, length);
    i += length;
  }
  return cps;
}

// The engine bytes of code points: CP932 as iconv writes each, or the reserved code.
std::string EngineBytesOf(std::u32string_view cps, const TEngineCodes& codes) {
  std::string engine;
  for (char32_t cp : cps) {
    std::string utf8;
    Platform::AppendUtf8(utf8, cp);
    // iconv refuses what CP932 lacks, and passes over some (tag characters) in silence.
    std::string bytes;
    try {
      bytes = EncodedText::Iconv("CP932", "UTF-8", utf8);
    } catch (const std::invalid_argument&) {
    }
    if (bytes.empty())
      ShiftJis::AppendCode(engine, codes.Code(cp));
    else
      engine += bytes;
  }
  return engine;
}

// The iconv name under which a file in the encoding reads as the decoder reads it.
const char* IconvName(TEncoding encoding) {
  switch (encoding) {
    case TEncoding::Utf8:
      return "UTF-8";
    case TEncoding::Utf16Le:
      return "UTF-16LE";
    case TEncoding::Utf16Be:
      return "UTF-16BE";
    case TEncoding::EucJp:
      return "EUC-JP-MS";
    default:
      return nullptr;  // ISO-2022-JP: glibc's lacks the kana and NEC sets that it reads
  }
}

void CheckDecoder(TEncoding encoding, const TEngineCodes& codes, std::string_view file,
                  size_t piece) {
  const std::string name(EncodingName(encoding));
  const std::string engine = Decode(encoding, codes, file, std::max<size_t>(file.size(), 1));
  if (Decode(encoding, codes, file, piece) != engine)
    Fail(name + ": pieces of " + std::to_string(piece) + " decode otherwise");
  CheckWellFormed(engine, encoding);

  // Where iconv reads it all, the same characters. A byte-order mark at the start is the
  // decoder's to drop, and iconv's C1 controls in EUC-JP are its undecodable bytes.
  if (const char* iconvName = IconvName(encoding)) {
    std::optional<std::u32string> cps = IconvCodePoints(iconvName, file);
    if (cps && !cps->empty() && cps->front() == 0xFEFF) cps->erase(0, 1);
    bool c1 = false;
    if (cps && encoding == TEncoding::EucJp)
      for (char32_t cp : *cps) c1 = c1 || (cp >= 0x80 && cp < 0xA0);
    if (cps && !c1 && EngineBytesOf(*cps, codes) != engine)
      Fail(name + ": " + Escaped(file) + " decodes to " + Escaped(engine) + ", iconv reads " +
           Escaped(EngineBytesOf(*cps, codes)));
  }

  // Written back in the encoding, the text decodes to the same bytes: where it is CP932
  // text (no reserved code) that the encoding can hold.
  std::string utf8;
  try {
    utf8 = EncodedText::Iconv("UTF-8", "CP932", engine);
  } catch (const std::invalid_argument&) {
    return;
  }
  // ISO-2022-JP cannot hold an ESC of the text: it would be read as an escape sequence.
  if (encoding == TEncoding::Iso2022Jp && utf8.find('\x1B') != std::string::npos) return;
  std::string again;
  try {
    again = EncodedText::FromUtf8(utf8, encoding);
  } catch (const std::invalid_argument&) {
    return;
  }
  // The engine bytes of what was written: CP932 writes each character one way.
  const std::string canonical = EncodedText::Iconv("CP932", "UTF-8", utf8);
  if (Decode(encoding, codes, again, piece) != canonical)
    Fail(name + ": " + Escaped(engine) + " written back as " + Escaped(again) +
         " does not decode to itself");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return -1;
  const uint8_t setup = data[0];
  const size_t piece = kPieceSizes[setup & 7];
  const std::string_view file(reinterpret_cast<const char*>(data + 1), size - 1);

  const TEncoding whole = Detect(file, std::max<size_t>(file.size(), 1));
  if (Detect(file, piece) != whole)
    Fail("the detector's result depends on the pieces: " + std::to_string(piece));

  TEngineCodes codes;
  if (setup & 8) codes.AddWord("é😀");
  for (TEncoding encoding : {TEncoding::Utf8, TEncoding::Utf16Le, TEncoding::Utf16Be,
                             TEncoding::EucJp, TEncoding::Iso2022Jp})
    CheckDecoder(encoding, codes, file, piece);
  return 0;
}
