// The decoders: generated text in each encoding decodes, at every piece size, to the engine
// bytes that iconv's own reading of it gives (each character in CP932, or a reserved code);
// undecodable bytes are one character each; line ends, NUL and Ctrl+Z are the file's own
// and never a trail byte, whatever the bytes; a checkpoint restarts the decoding; and the
// word's characters keep their reserved codes.
#include "search/decoder.h"

#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/shift_jis.h"
#include "platform/utf8.h"
#include "search/ascii_run.h"
#include "tests/search/encoded_text.h"

using namespace varsik;

namespace {

using EncodedText::Iconv;

std::span<const uint8_t> Bytes(std::string_view s) {
  return {reinterpret_cast<const uint8_t*>(s.data()), s.size()};
}

// The engine bytes of `bytes` decoded in pieces whose sizes come from `sizes` in turn.
std::string Decode(TEncoding encoding, const TEngineCodes& codes, std::string_view bytes,
                   const std::vector<size_t>& sizes) {
  const std::unique_ptr<TDecoder> decoder = MakeDecoder(encoding, codes);
  std::string engine;
  std::vector<uint8_t> out;
  size_t at = 0;
  for (size_t k = 0; at < bytes.size(); ++k) {
    const size_t size = std::min(sizes[k % sizes.size()], bytes.size() - at);
    out.resize(TDecoder::MaxOutput(size));
    const uint8_t* end = decoder->Decode(Bytes(bytes).subspan(at, size), out.data());
    EXPECT_LE(static_cast<size_t>(end - out.data()), TDecoder::MaxOutput(size));
    engine.append(reinterpret_cast<const char*>(out.data()), end - out.data());
    at += size;
  }
  out.resize(TDecoder::MaxOutput(0));
  const uint8_t* end = decoder->Finish(out.data());
  engine.append(reinterpret_cast<const char*>(out.data()), end - out.data());
  return engine;
}

// Decoded whole, then in pieces of every size up to 16 and of random sizes: the same bytes
// each time, which are returned.
std::string DecodeAtEveryPieceSize(TEncoding encoding, const TEngineCodes& codes,
                                   std::string_view bytes) {
  const std::string whole = Decode(encoding, codes, bytes, {std::max<size_t>(bytes.size(), 1)});
  for (size_t piece = 1; piece <= 16; ++piece)
    EXPECT_EQ(Decode(encoding, codes, bytes, {piece}), whole) << "pieces of " << piece;
  EXPECT_EQ(Decode(encoding, codes, bytes, {1, 5, 2, 17, 3, 64, 1, 1, 4}), whole);
  return whole;
}

// What the engine bytes of a text are, from iconv's reading of its code points: each
// code point in CP932 as iconv converts it, or its reserved code.
std::string EngineBytesOf(std::u32string_view codePoints, const TEngineCodes& codes) {
  std::string engine;
  for (char32_t cp : codePoints) {
    std::string utf8;
    Platform::AppendUtf8(utf8, cp);
    // iconv refuses what CP932 lacks, and passes over some (tag characters) in silence.
    std::string bytes;
    try {
      bytes = Iconv("CP932", "UTF-8", utf8);
    } catch (const std::invalid_argument&) {
    }
    if (bytes.empty())
      ShiftJis::AppendCode(engine, codes.Code(cp));
    else
      engine += bytes;
  }
  return engine;
}

std::u32string CodePoints(std::string_view utf8) {
  std::u32string cps;
  for (size_t i = 0; i < utf8.size();) {
    const size_t length = Platform::Utf8CharLength(utf8, i);
    cps += Platform::Utf8CodePoint(utf8, i, length);
    i += length;
  }
  return cps;
}

// Characters of every kind: ASCII and the controls that rule lines, kana and kanji of both
// levels, half-width katakana, the characters that CP932 maps one way (U+301C and the rest)
// or twice (NEC and IBM extensions), private use, and characters that CP932 lacks.
const char32_t kPool[] = {
    'a',    'Z',    '0',    ' ',    '\\',   '~',    '|',    '\t',   '\r',   '\n',    '\0',
    0x1A,   0x3042, 0x3093, 0x30A2, 0x30F3, 0x30FC, 0x65E5, 0x672C, 0x8A9E, 0x5F0C,  0x9ED1,
    0xFF61, 0xFF76, 0xFF9E, 0xFF9F, 0x301C, 0xFF5E, 0x2016, 0x2225, 0x2212, 0xFF0D,  0x00A2,
    0x00A3, 0x00AC, 0x2014, 0x2015, 0x00A5, 0x203E, 0x2460, 0x2170, 0x2160, 0x9AD9,  0xFA11,
    0x7E8A, 0xE000, 0xE757, 0x00E9, 0x00A0, 0x0085, 0xFEFF, 0xD55C, 0x4E02, 0x20BB7, 0x1F600,
};

std::u32string RandomText(std::mt19937& rng, size_t length) {
  std::u32string text;
  for (size_t i = 0; i < length; ++i) text += kPool[rng() % std::size(kPool)];
  return text;
}

std::string ToUtf8(std::u32string_view cps) {
  std::string utf8;
  for (char32_t cp : cps) Platform::AppendUtf8(utf8, cp);
  return utf8;
}

// The code points that EUC-JP-MS (and so the JIS sets) can hold, but for the C1 controls
// that it writes as single bytes 80-9F, which no EUC-JP text holds and its decoder takes
// for undecodable bytes.
std::u32string EucJpOnly(std::u32string_view cps) {
  std::u32string kept;
  for (char32_t cp : cps) {
    if (cp >= 0x80 && cp < 0xA0) continue;
    try {
      Iconv("EUC-JP-MS", "UTF-8", ToUtf8(std::u32string(1, cp)));
      kept += cp;
    } catch (const std::invalid_argument&) {
    }
  }
  return kept;
}

TEST(Decoder, GeneratedTextDecodesAsIconvReadsItAtEveryPieceSize) {
  TEngineCodes codes;
  codes.AddWord("😀é");
  std::mt19937 rng(15);
  for (int round = 0; round < 20; ++round) {
    const std::u32string text = RandomText(rng, 60);
    const std::string utf8 = ToUtf8(text);
    const std::string expected = EngineBytesOf(text, codes);
    EXPECT_EQ(DecodeAtEveryPieceSize(TEncoding::Utf8, codes, utf8), expected);
    EXPECT_EQ(DecodeAtEveryPieceSize(TEncoding::Utf8Bom, codes, "\xEF\xBB\xBF" + utf8), expected);
    EXPECT_EQ(DecodeAtEveryPieceSize(TEncoding::Utf16Le, codes,
                                     "\xFF\xFE" + Iconv("UTF-16LE", "UTF-8", utf8)),
              expected);
    EXPECT_EQ(DecodeAtEveryPieceSize(TEncoding::Utf16Be, codes, Iconv("UTF-16BE", "UTF-8", utf8)),
              expected);
    // EUC-JP and JIS hold fewer characters; what they hold is read back as iconv reads it
    // (U+00A5 is written 5C, and read as the backslash).
    const std::string euc = Iconv("EUC-JP-MS", "UTF-8", ToUtf8(EucJpOnly(text)));
    const std::string eucExpected =
        EngineBytesOf(CodePoints(Iconv("UTF-8", "EUC-JP-MS", euc)), codes);
    EXPECT_EQ(DecodeAtEveryPieceSize(TEncoding::EucJp, codes, euc), eucExpected);
    EXPECT_EQ(
        DecodeAtEveryPieceSize(TEncoding::Iso2022Jp, codes, EncodedText::EucJpToIso2022Jp(euc)),
        eucExpected);
  }
}

// "O" in the expected text stands for kOther.
std::string Engine(std::string_view pattern) {
  std::string s;
  for (char c : pattern) {
    if (c == 'O')
      ShiftJis::AppendCode(s, TEngineCodes::kOther);
    else
      s += c;
  }
  return s;
}

struct TCase {
  TEncoding Encoding;
  std::string Bytes;
  std::string Expected;  // as Engine writes it
  uint64_t Undecodable;
};

TEST(Decoder, EachUndecodableByteIsOneCharacter) {
  // Letters that are no hex digits follow the escapes.
  const TCase cases[] = {
      {TEncoding::Utf8, "x\xFFy", "xOy", 1},
      {TEncoding::Utf8, "\xE3\x81y", "OOy", 2},
      {TEncoding::Utf8, "\xE3\x81", "OO", 2},
      {TEncoding::Utf8, "\xE3\x81\n", "OO\n", 2},
      {TEncoding::Utf8, "\xC0\xAF", "OO", 2},
      {TEncoding::Utf8, "\xE0\x80\xAF", "OOO", 3},
      {TEncoding::Utf8, "\xED\xA0\x80", "OOO", 3},
      {TEncoding::Utf8, "\xF4\x90\x80\x80", "OOOO", 4},
      {TEncoding::Utf8, "\x80\xBF", "OO", 2},
      {TEncoding::Utf8, "\xEF\xBB\xBFy", "y", 0},
      {TEncoding::Utf8, "y\xEF\xBB\xBF", "yO", 0},  // U+FEFF inside: a character CP932 lacks
      {TEncoding::Utf16Le, std::string("\x00\xD8y\x00", 4), "Oy", 1},
      {TEncoding::Utf16Le, std::string("\x00\xDC", 2), "O", 1},
      {TEncoding::Utf16Le, std::string("y\x00z", 3), "yO", 1},
      {TEncoding::Utf16Le, std::string("\n\x00\r\x00\x00\x00\x1A\x00", 8),
       std::string("\n\r\0\x1A", 4), 0},
      {TEncoding::Utf16Be, std::string("\xFE\xFF\x00y\xD8\x3D\xDE\x00", 8), "yO", 0},
      {TEncoding::EucJp, "\xA4", "O", 1},
      {TEncoding::EucJp, "\xA4\n", "O\n", 1},
      {TEncoding::EucJp, "\x8E\xE0", "OO", 2},
      {TEncoding::EucJp, "\xA9\xA1", "OO", 2},
      {TEncoding::EucJp, "\x80y", "Oy", 1},
      {TEncoding::EucJp, "\x8F\xA2", "OO", 2},
      {TEncoding::EucJp, "\x8F\xA1\xA1", "OOO", 3},
      {TEncoding::Iso2022Jp, "\x1B$B$\n", "O\n", 1},
      {TEncoding::Iso2022Jp, "\x1B$B)!", "OO", 2},
      {TEncoding::Iso2022Jp, "\x1B(I`1", "O\xB1", 1},
      {TEncoding::Iso2022Jp, "\xA4y", "Oy", 1},
      {TEncoding::Iso2022Jp, "\x1B[31m", "\x1B[31m", 0},
      {TEncoding::Iso2022Jp, "\x1B(J\\~\x1B(B", "\\~", 0},
      {TEncoding::Iso2022Jp, "\x1B$", "\x1B$", 0},
  };
  TEngineCodes codes;
  for (const TCase& c : cases) {
    SCOPED_TRACE(std::string(EncodingName(c.Encoding)) + " case " + std::to_string(&c - cases));
    EXPECT_EQ(DecodeAtEveryPieceSize(c.Encoding, codes, c.Bytes), Engine(c.Expected));
    const std::unique_ptr<TDecoder> decoder = MakeDecoder(c.Encoding, codes);
    std::vector<uint8_t> out(TDecoder::MaxOutput(c.Bytes.size()));
    decoder->Finish(decoder->Decode(Bytes(c.Bytes), out.data()));
    EXPECT_EQ(decoder->Undecodable(), c.Undecodable);
  }
  EXPECT_EQ(MakeDecoder(TEncoding::ShiftJis, codes), nullptr);
  EXPECT_EQ(MakeDecoder(TEncoding::Ascii, codes), nullptr);
}

// Whatever the bytes, the engine bytes are well formed (a lead byte is followed by a trail
// byte, never by a line end, NUL or Ctrl+Z), and their line ends, NULs and Ctrl+Zs are the
// file's own, in the same order.
TEST(Decoder, LineEndsNulAndCtrlZAreTheFilesOwnWhateverTheBytes) {
  const std::string fragments[] = {
      "\n",     "\r",       std::string("\0", 1),
      "\x1A",   "\xE3\x81", "\xA4",
      "\x8F",   "\x8E",     "\x1B$B",
      "\x1B(I", "\x1B(B",   "\xFF",
      "\x82",   "$",        "ab",
      "\xD8",   "\xDC",     "\xEF\xBB",
      "\xBF",   "\xA1",     "!",
  };
  const std::string controls("\n\r\0\x1A", 4);
  TEngineCodes codes;
  std::mt19937 rng(3);
  for (int round = 0; round < 400; ++round) {
    std::string bytes;
    const int count = static_cast<int>(rng() % 60);
    for (int k = 0; k < count; ++k) bytes += fragments[rng() % std::size(fragments)];
    for (TEncoding encoding : {TEncoding::Utf8, TEncoding::Utf16Le, TEncoding::Utf16Be,
                               TEncoding::EucJp, TEncoding::Iso2022Jp}) {
      const std::string engine = Decode(encoding, codes, bytes, {1 + rng() % 9});
      ASSERT_LE(engine.size(), TDecoder::MaxOutput(bytes.size()));
      std::string engineControls;
      for (size_t i = 0; i < engine.size(); ++i) {
        const auto b = static_cast<uint8_t>(engine[i]);
        if (ShiftJis::IsLeadByte(b)) {
          ASSERT_LT(i + 1, engine.size()) << "a lead byte at the end";
          ASSERT_EQ(controls.find(engine[i + 1]), std::string::npos) << "a control as trail";
          ++i;
        } else if (controls.find(engine[i]) != std::string::npos) {
          engineControls += engine[i];
        }
      }
      // The file's own: bytes in the byte encodings, units in UTF-16.
      std::string fileControls;
      const bool utf16 = encoding == TEncoding::Utf16Le || encoding == TEncoding::Utf16Be;
      for (size_t i = 0; i < bytes.size(); i += utf16 ? 2 : 1) {
        if (utf16 && i + 1 == bytes.size()) break;
        const char other = utf16 ? bytes[encoding == TEncoding::Utf16Le ? i + 1 : i] : '\0';
        const char c = utf16 ? bytes[encoding == TEncoding::Utf16Le ? i : i + 1] : bytes[i];
        if (other == '\0' && controls.find(c) != std::string::npos) fileControls += c;
      }
      ASSERT_EQ(engineControls, fileControls) << EncodingName(encoding) << " round " << round;
    }
  }
}

TEST(Decoder, CheckpointsRestartTheDecoding) {
  TEngineCodes codes;
  std::mt19937 rng(21);
  const std::u32string text = RandomText(rng, 3000);
  const std::string utf8 = ToUtf8(text);
  const std::string euc = Iconv("EUC-JP-MS", "UTF-8", ToUtf8(EucJpOnly(text)));
  const std::pair<TEncoding, std::string> files[] = {
      {TEncoding::Utf8, "\xEF\xBB\xBF" + utf8 + "\xFF\xE3"},
      {TEncoding::Utf16Le, "\xFF\xFE" + Iconv("UTF-16LE", "UTF-8", utf8) + "\x00"},
      {TEncoding::EucJp, euc + "\xA9\xA1\x8F"},
      {TEncoding::Iso2022Jp, EncodedText::EucJpToIso2022Jp(euc) + "\x1B$B$"},
  };
  for (const auto& [encoding, bytes] : files) {
    SCOPED_TRACE(EncodingName(encoding));
    const std::string whole = Decode(encoding, codes, bytes, {bytes.size()});
    // Decoded in random pieces; after each, the checkpoint and the output so far.
    const std::unique_ptr<TDecoder> decoder = MakeDecoder(encoding, codes);
    std::vector<std::pair<TDecodePoint, size_t>> points;
    std::vector<uint8_t> out(TDecoder::MaxOutput(bytes.size()));
    uint8_t* o = out.data();
    for (size_t at = 0; at < bytes.size();) {
      const size_t size = std::min<size_t>(1 + rng() % 700, bytes.size() - at);
      o = decoder->Decode(Bytes(bytes).subspan(at, size), o);
      at += size;
      points.emplace_back(decoder->Checkpoint(), static_cast<size_t>(o - out.data()));
    }
    o = decoder->Finish(o);
    ASSERT_EQ(std::string(reinterpret_cast<const char*>(out.data()), o - out.data()), whole);
    // A decoder restarted at a checkpoint gives the rest, and counts on from its count.
    for (const auto& [point, done] : points) {
      const std::unique_ptr<TDecoder> again = MakeDecoder(encoding, codes);
      again->Restart(point);
      const std::string_view rest = std::string_view(bytes).substr(point.Offset);
      std::vector<uint8_t> restOut(TDecoder::MaxOutput(rest.size()));
      const uint8_t* end = again->Finish(again->Decode(Bytes(rest), restOut.data()));
      ASSERT_EQ(std::string(reinterpret_cast<const char*>(restOut.data()), end - restOut.data()),
                whole.substr(done))
          << "from " << point.Offset;
      ASSERT_EQ(again->Undecodable(), decoder->Undecodable());
    }
  }
}

TEST(Decoder, TheWordsCharactersKeepTheirReservedCodes) {
  TEngineCodes codes;
  const std::string word = codes.AddWord("😀é");
  const std::string smile = word.substr(0, 2);
  const std::string eAcute = word.substr(2, 2);
  ASSERT_NE(smile, eAcute);
  const std::string other = ShiftJis::CodeToBytes(TEngineCodes::kOther);
  const std::string expected = "x" + smile + "y" + eAcute + "z" + other;
  const std::string utf8 = "x😀yéz한";
  EXPECT_EQ(DecodeAtEveryPieceSize(TEncoding::Utf8, codes, utf8), expected);
  EXPECT_EQ(DecodeAtEveryPieceSize(TEncoding::Utf16Le, codes, Iconv("UTF-16LE", "UTF-8", utf8)),
            expected);
  // EUC-JP and JIS hold é (in JIS X 0212) but not the others.
  const std::string euc = Iconv("EUC-JP-MS", "UTF-8", "yéz");
  EXPECT_EQ(DecodeAtEveryPieceSize(TEncoding::EucJp, codes, euc), "y" + eAcute + "z");
  EXPECT_EQ(DecodeAtEveryPieceSize(TEncoding::Iso2022Jp, codes, EncodedText::EucJpToIso2022Jp(euc)),
            "y" + eAcute + "z");
}

}  // namespace

// The ASCII runs that the detector and the decoders pass over: every length around the
// scan's steps, with the first high byte anywhere (or none), ends exactly there.
TEST(AsciiRunTest, EndStopsAtTheFirstHighByteWhateverTheRunsLength) {
  for (size_t size = 0; size <= 100; ++size)
    for (size_t high = 0; high <= size; ++high) {
      std::vector<uint8_t> bytes(size, 'a');
      if (high < size) bytes[high] = 0x80;
      if (high + 1 < size) bytes[high + 1] = 0xFF;
      EXPECT_EQ(AsciiRun::End(bytes.data(), bytes.data() + size) - bytes.data(),
                static_cast<ptrdiff_t>(high))
          << size << " " << high;
    }
}
