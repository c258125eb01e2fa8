// TEncodingDetector: the tricky short files (two characters, half-width katakana only,
// text that is valid in two encodings, a stray byte, a bare byte-order mark, JIS without
// its closing escape), files whose first non-ASCII byte lies megabytes in, UTF-16 without
// a byte-order mark, the early decision on Shift JIS, and the rule that the result never
// depends on where the pieces fed are cut: every case is fed at every piece size.
#include "search/encoding_detector.h"

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "search/decoder.h"
#include "tests/search/encoded_text.h"
#include "tests/search/sjis.h"
#include "tests/support/corpus_text.h"

using namespace varsik;

namespace {

using EncodedText::FromShiftJis;

std::span<const uint8_t> Bytes(std::string_view s) {
  return {reinterpret_cast<const uint8_t*>(s.data()), s.size()};
}

// The detector's result with the bytes fed in pieces of `piece` bytes.
TEncoding Detect(std::string_view bytes, size_t piece) {
  TEncodingDetector detector;
  const std::span<const uint8_t> all = Bytes(bytes);
  for (size_t i = 0; i < all.size(); i += piece)
    if (detector.Feed(all.subspan(i, std::min(piece, all.size() - i)))) break;
  return detector.Finish();
}

// The result when fed whole; a failure names every piece size that gives another.
TEncoding DetectAtEveryPieceSize(std::string_view bytes) {
  const TEncoding whole = Detect(bytes, std::max<size_t>(bytes.size(), 1));
  for (size_t piece = 1; piece < bytes.size(); ++piece)
    EXPECT_EQ(EncodingName(Detect(bytes, piece)), EncodingName(whole)) << "pieces of " << piece;
  return whole;
}

std::string Utf8(std::string_view utf8) {
  return std::string(utf8);
}
std::string EucJp(std::string_view utf8) {
  return FromShiftJis(Sjis(utf8), TEncoding::EucJp);
}
std::string Jis(std::string_view utf8) {
  return FromShiftJis(Sjis(utf8), TEncoding::Iso2022Jp);
}

bool IsCp932(std::string_view bytes) {
  try {
    EncodedText::Iconv("UTF-8", "CP932", bytes);
    return true;
  } catch (const std::invalid_argument&) {
    return false;
  }
}

struct TCase {
  const char* Name;
  std::string Bytes;
  TEncoding Expected;
};

TEST(EncodingDetector, TrickyShortFilesAtEveryPieceSize) {
  const std::string halfKana = "ｶﾀｶﾅ ﾃｷｽﾄ ﾃﾞｰﾀ ｱｲｳｴｵ\r\n";
  const TCase cases[] = {
      {"empty", "", TEncoding::Ascii},
      {"ASCII", "int main() { return 0; }\n", TEncoding::Ascii},
      {"NUL and Ctrl+Z", std::string("a\0b\x1A\n", 5), TEncoding::Ascii},
      // Two characters.
      {"Shift JIS 日本", Sjis("日本"), TEncoding::ShiftJis},
      {"UTF-8 日本", Utf8("日本"), TEncoding::Utf8},
      {"EUC-JP 日本", EucJp("日本"), TEncoding::EucJp},
      {"Shift JIS あい", Sjis("あい"), TEncoding::ShiftJis},
      {"UTF-8 あい", Utf8("あい"), TEncoding::Utf8},
      {"EUC-JP あい", EucJp("あい"), TEncoding::EucJp},
      {"UTF-16 LE 日本", FromShiftJis(Sjis("日本"), TEncoding::Utf16Le), TEncoding::Utf16Le},
      {"UTF-16 BE 日本", FromShiftJis(Sjis("日本"), TEncoding::Utf16Be), TEncoding::Utf16Be},
      {"JIS 日本", Jis("日本"), TEncoding::Iso2022Jp},
      // Half-width katakana only.
      {"Shift JIS half-width katakana", Sjis(halfKana), TEncoding::ShiftJis},
      {"UTF-8 half-width katakana", Utf8(halfKana), TEncoding::Utf8},
      // EUC-JP writes each as 8E and a byte, which Shift JIS reads as common kanji (8E B6 is
      // 失): without another character to tell them apart, Shift JIS is taken.
      {"EUC-JP half-width katakana", EucJp(halfKana), TEncoding::ShiftJis},
      {"EUC-JP half-width katakana in a sentence",
       EucJp("これは半角カナで書かれた文字列のテキストです：" + halfKana), TEncoding::EucJp},
      {"JIS half-width katakana", Jis(halfKana), TEncoding::Iso2022Jp},
      // Valid in two encodings (checked below): the one that reads as Japanese text wins.
      // EUC-JP 名前 (CC BE C1 B0) is ﾌｾﾁｰ in Shift JIS; UTF-8 名前 is 蜷榊燕 there.
      {"UTF-8 名前, also Shift JIS", Utf8("名前"), TEncoding::Utf8},
      {"UTF-8 café, also Shift JIS", Utf8("café"), TEncoding::Utf8},
      {"EUC-JP 名前, also Shift JIS", EucJp("名前"), TEncoding::EucJp},
      // A Shift JIS file that begins with a valid UTF-8 pair (ﾃｩ is C3 A9, é in UTF-8).
      {"Shift JIS from ﾃｩ", Sjis("ﾃｩ の 設定を読み込みます。\n"), TEncoding::ShiftJis},
      // A stray byte in UTF-8, inside and first.
      {"UTF-8 stray byte", "日本語の\xFFテキストです。\n", TEncoding::Utf8},
      {"UTF-8 stray first", "\x80日本語のテキストです。\n", TEncoding::Utf8},
      {"UTF-8 cut at the end", "日本語のテキスト\xE3\x81", TEncoding::Utf8},
      // A byte-order mark with nothing after it.
      {"UTF-8 mark alone", "\xEF\xBB\xBF", TEncoding::Utf8Bom},
      {"UTF-16 LE mark alone", "\xFF\xFE", TEncoding::Utf16Le},
      {"UTF-16 BE mark alone", "\xFE\xFF", TEncoding::Utf16Be},
      {"UTF-8 mark and Shift JIS", "\xEF\xBB\xBF" + Sjis("日本"), TEncoding::Utf8Bom},
      // JIS without the closing escape, and escapes that are not JIS.
      {"JIS unclosed", "\x1B$B$3$s$K$A$O\n", TEncoding::Iso2022Jp},
      {"JIS unclosed, one byte", "\x1B$B$", TEncoding::Iso2022Jp},
      {"ANSI colours", "\x1B[31mred\x1B[0m\n", TEncoding::Ascii},
      {"JIS Roman only", "\x1B(J\\100\x1B(B\n", TEncoding::Ascii},
      {"JIS with a byte above 7F", "\x1B$B$3$s\x1B(B \xA4\xA2\n", TEncoding::EucJp},
  };
  EXPECT_TRUE(IsCp932(Utf8("名前")));
  EXPECT_TRUE(IsCp932(Utf8("café")));
  EXPECT_TRUE(IsCp932(EucJp("名前")));
  EXPECT_TRUE(IsCp932("\xC3\xA9"));
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(EncodingName(DetectAtEveryPieceSize(c.Bytes)), EncodingName(c.Expected));
  }
}

// `bytes` with a stray byte FF put in front of `count` lines from line `from` (0-based)
// on, each one byte that does not decode in any encoding.
std::string WithStrayBytes(std::string bytes, uint32_t count, size_t from = 0) {
  size_t at = 0;
  for (size_t line = 0; line < from; ++line) at = bytes.find('\n', at) + 1;
  for (; count > 0; --count) {
    bytes.insert(at, 1, '\xFF');
    at = bytes.find('\n', at) + 1;
  }
  return bytes;
}

// Lines of ASCII source text, `size` bytes or a little more.
std::string AsciiLines(size_t size) {
  std::string text;
  while (text.size() < size) text += "static int counter = 0;  /* a comment of some length */\n";
  return text;
}

TEST(EncodingDetector, FirstNonAsciiByteFiveMegabytesIn) {
  const std::string head = AsciiLines(5 << 20);
  const std::string tail = Sjis("// 環境変数を読み込む。ファイルがなければ作る。\n");
  for (TEncoding encoding : {TEncoding::ShiftJis, TEncoding::Utf8, TEncoding::EucJp}) {
    const std::string bytes = FromShiftJis(head + tail, encoding);
    for (size_t piece : {size_t{4099}, size_t{128 * 1024}, bytes.size()})
      EXPECT_EQ(EncodingName(Detect(bytes, piece)), EncodingName(encoding)) << piece;
  }
}

// The ASCII before the first byte above 7F is scanned for escapes many bytes at a time:
// an escape or a byte above 7F at any place in or after those steps.
TEST(EncodingDetector, EscapeOrHighByteAtEveryPlaceOfTheHead) {
  const std::string jis = Jis("環境変数\n");
  const std::string sjis = Sjis("環境変数を読み込む。\n");
  for (size_t at = 0; at < 70; at += at < 40 ? 1 : 7) {
    const std::string head(at, 'a');
    EXPECT_EQ(EncodingName(DetectAtEveryPieceSize(head + jis)), EncodingName(TEncoding::Iso2022Jp))
        << at;
    EXPECT_EQ(EncodingName(DetectAtEveryPieceSize(head + sjis)), EncodingName(TEncoding::ShiftJis))
        << at;
    // An escape to ASCII is none to a Japanese set; the high byte after it decides.
    EXPECT_EQ(EncodingName(DetectAtEveryPieceSize(head + "\x1B(B" + sjis)),
              EncodingName(TEncoding::ShiftJis))
        << at;
  }
}

TEST(EncodingDetector, ShiftJisIsDecidedWithinItsFirstKilobytes) {
  const std::string text = CorpusLikeText(20000, 3);
  TEncodingDetector detector;
  size_t fed = 0;
  while (fed < text.size() && !detector.Feed(Bytes(text).subspan(fed, 1024))) fed += 1024;
  EXPECT_TRUE(detector.Decided());
  EXPECT_LE(detector.BytesRead(), 4096u);
  EXPECT_EQ(detector.Finish(), TEncoding::ShiftJis);
  // Fed whole, it looks no further than it must either: the rest is not read.
  TEncodingDetector whole;
  EXPECT_TRUE(whole.Feed(Bytes(text)));
  EXPECT_EQ(whole.Finish(), TEncoding::ShiftJis);
}

std::string Utf16(std::string_view ascii, bool bigEndian) {
  std::string s;
  for (char c : ascii) {
    s += bigEndian ? '\0' : c;
    s += bigEndian ? c : '\0';
  }
  return s;
}

TEST(EncodingDetector, Utf16WithoutByteOrderMarkOnlyOnOverwhelmingEvidence) {
  const std::string text = "Hello, world.\r\nThis file was written by a Windows tool.\r\n";
  EXPECT_EQ(DetectAtEveryPieceSize(Utf16(text, false)), TEncoding::Utf16Le);
  EXPECT_EQ(DetectAtEveryPieceSize(Utf16(text, true)), TEncoding::Utf16Be);
  // With Japanese among the ASCII.
  const std::string mixed = Utf16(text, false) +
                            EncodedText::Iconv("UTF-16LE", "UTF-8", "日本語の行\r\n") +
                            Utf16(text, false);
  EXPECT_EQ(DetectAtEveryPieceSize(mixed), TEncoding::Utf16Le);
  // Too short, an odd length, NUL bytes that do not alternate, and a head without them.
  EXPECT_EQ(DetectAtEveryPieceSize(Utf16("abc", false)), TEncoding::Ascii);
  EXPECT_EQ(DetectAtEveryPieceSize(Utf16(text, false) + "x"), TEncoding::Ascii);
  EXPECT_EQ(DetectAtEveryPieceSize(std::string("ab\0\0cd\0\0ef\0\0gh\0\0", 16)), TEncoding::Ascii);
  EXPECT_EQ(DetectAtEveryPieceSize(AsciiLines(200) + Utf16(AsciiLines(400), false)),
            TEncoding::Ascii);
  // Japanese alone, without a byte-order mark, is not enough.
  EXPECT_NE(DetectAtEveryPieceSize(EncodedText::Iconv("UTF-16LE", "UTF-8", "日本語の文書です")),
            TEncoding::Utf16Le);
}

TEST(EncodingDetector, ErrorsPutAnEncodingOutAndAreWeighed) {
  const std::string text = "設定ファイルを読み込みます。\n";
  // Up to kMaxErrors stray bytes in a long UTF-8 file: still UTF-8; more: Shift JIS, the
  // fallback.
  std::string lines;
  for (int i = 0; i < 40; ++i) lines += text;
  for (uint32_t strays : {1u, TEncodingDetector::kMaxErrors, TEncodingDetector::kMaxErrors + 1}) {
    const std::string bytes = WithStrayBytes(lines, strays);
    EXPECT_EQ(EncodingName(DetectAtEveryPieceSize(bytes)),
              EncodingName(strays <= TEncodingDetector::kMaxErrors ? TEncoding::Utf8
                                                                   : TEncoding::ShiftJis))
        << strays;
  }
  // Bytes that are no text in any encoding: Shift JIS, decided early.
  std::mt19937 rng(7);
  std::string binary(64 * 1024, '\0');
  for (char& c : binary) c = static_cast<char>(rng() | 0x80);
  TEncodingDetector detector;
  EXPECT_TRUE(detector.Feed(Bytes(binary)));
  EXPECT_EQ(detector.Finish(), TEncoding::ShiftJis);
}

// Random files made of pieces of every kind (characters of each encoding, stray bytes,
// escape sequences, NULs, line ends): the result is the same at every piece size.
TEST(EncodingDetector, ResultDoesNotDependOnWhereThePiecesAreCut) {
  const std::string fragments[] = {
      "abc ",       "\r\n",          std::string("\0", 1),
      Sjis("漢字"), Sjis("ｶﾀｶﾅ"),    Utf8("ひらがな"),
      Utf8("😀"),    EucJp("日本語"), "\x1B$B",
      "\x1B(B",     "$3$s",          "\xEF\xBB\xBF",
      "\xFF",       "\xE3\x81",      "\x8F\xA2",
      "\x82",       "\xFE\xFF",      "é",
      Sjis("表ソ"),
  };
  std::mt19937 rng(15);
  for (int round = 0; round < 300; ++round) {
    std::string bytes;
    // Mostly one kind, as files are, with a few of the others.
    const size_t main = rng() % std::size(fragments);
    const int count = static_cast<int>(rng() % 40);
    for (int k = 0; k < count; ++k)
      bytes += fragments[rng() % 4 == 0 ? rng() % std::size(fragments) : main];
    const TEncoding whole = Detect(bytes, std::max<size_t>(bytes.size(), 1));
    // The leading ASCII without an escape, which reads alike in every encoding, may be fed
    // as such: nothing changes.
    const auto alike =
        static_cast<size_t>(std::find_if(bytes.begin(), bytes.end(),
                                         [](char c) { return (c & 0x80) != 0 || c == 0x1B; }) -
                            bytes.begin());
    for (size_t piece = 1; piece < std::min<size_t>(bytes.size(), 40); ++piece) {
      ASSERT_EQ(EncodingName(Detect(bytes, piece)), EncodingName(whole))
          << "round " << round << ", pieces of " << piece;
      TEncodingDetector detector;
      const std::span<const uint8_t> all = Bytes(bytes);
      for (size_t i = 0; i < all.size() && !detector.Decided(); i += piece) {
        const std::span<const uint8_t> next = all.subspan(i, std::min(piece, all.size() - i));
        if (i + next.size() <= alike) {
          detector.FeedAlike(next);
        } else if (i < alike) {
          detector.FeedAlike(next.first(alike - i));
          detector.Feed(next.subspan(alike - i));
        } else {
          detector.Feed(next);
        }
      }
      ASSERT_EQ(EncodingName(detector.Finish()), EncodingName(whole))
          << "round " << round << ", pieces of " << piece << " fed alike up to " << alike;
    }
  }
}

// When only one encoding can still be the result, its decoder's count of undecodable
// bytes over the whole file decides it as the detector does.
TEST(EncodingDetector, SoleCandidateIsDecidedByTheDecodersCount) {
  const std::string line = Sjis("環境変数を設定して、ファイルを読み込みます。\n");
  std::string text;
  for (int i = 0; i < 200; ++i) text += line;
  TEngineCodes codes;
  for (TEncoding encoding : {TEncoding::Utf8, TEncoding::EucJp}) {
    for (uint32_t strays : {0u, TEncodingDetector::kMaxErrors, TEncodingDetector::kMaxErrors + 1}) {
      // The stray bytes come late, after the detector has stopped reading.
      const std::string bytes = WithStrayBytes(FromShiftJis(text, encoding), strays, 150);
      TEncodingDetector detector;
      std::optional<TEncoding> sole;
      for (size_t i = 0; i < bytes.size() && !sole; i += 256) {
        detector.Feed(Bytes(bytes).subspan(i, std::min<size_t>(256, bytes.size() - i)));
        sole = detector.SoleCandidate();
      }
      ASSERT_EQ(sole, encoding) << EncodingName(encoding);
      EXPECT_LT(detector.BytesRead(), 4096u);
      std::unique_ptr<TDecoder> decoder = MakeDecoder(encoding, codes);
      std::vector<uint8_t> out(TDecoder::MaxOutput(bytes.size()));
      decoder->Finish(decoder->Decode(Bytes(bytes), out.data()));
      const bool taken = decoder->Undecodable() <= TEncodingDetector::kMaxErrors;
      EXPECT_EQ(taken, strays <= TEncodingDetector::kMaxErrors);
      EXPECT_EQ(EncodingName(Detect(bytes, 1000)),
                EncodingName(taken ? encoding : TEncoding::ShiftJis));
    }
  }
}

}  // namespace
