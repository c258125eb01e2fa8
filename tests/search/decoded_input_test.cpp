// TDecodedInput: every encoding reads as the same engine bytes at every read size, the
// encoding is found from the whole file, Shift JIS and ASCII pass as they are, text let
// go is read again at any offset, and a line's own bytes are found back. The readers and
// the grep on top of it: line numbers and lines as the file holds them, and the engine's
// reserved codes as one character each.
#include "search/decoded_input.h"

#include <random>

#include <gtest/gtest.h>

#include "search/grep.h"
#include "search/line_searcher.h"
#include "search/original_text.h"
#include "search/plain_line_finder.h"
#include "tests/search/encoded_text.h"
#include "tests/support/temp_dir.h"

using namespace varsik;

namespace {

// Text that every encoding holds: kanji, kana, half-width katakana, the trail bytes 5C and
// 7C, every kind of line end, an empty line and no line end at the end.
const std::string kText =
    "#include <stdio.h>\n日本語のテキスト\r\nｶﾀｶﾅ and カタカナ\n\n表示 ソース ポート|番号\rend";

const TEncoding kEncodings[] = {TEncoding::ShiftJis, TEncoding::Utf8,    TEncoding::Utf8Bom,
                                TEncoding::Utf16Le,  TEncoding::Utf16Be, TEncoding::EucJp,
                                TEncoding::Iso2022Jp};

std::string Sjis(std::string_view utf8) {
  return EncodedText::FromUtf8(utf8, TEncoding::ShiftJis);
}

// The whole engine text, read `size` bytes at a time.
std::string ReadAll(TDecodedInput& input, size_t size, bool blocks = false) {
  std::string all;
  std::vector<uint8_t> buffer(size);
  for (;;) {
    const size_t n =
        blocks ? input.ReadBlock(buffer.data(), size) : input.ReadSome(buffer.data(), size);
    if (n == 0) break;
    all.append(reinterpret_cast<const char*>(buffer.data()), n);
    if (blocks && n < size) {
      EXPECT_TRUE(input.AtEnd());
    }
  }
  EXPECT_TRUE(input.AtEnd());
  return all;
}

TReadEncoding Auto() {
  return {TEncodingChoice::Auto, nullptr};
}

TEST(DecodedInput, EveryEncodingReadsAsItsShiftJisTextAtEveryReadSize) {
  TTempDir dir;
  // With a long ASCII head, read as it is before the rest is decided.
  const std::string head(300000, 'a');
  for (const std::string& text : {kText, head + "\n" + kText}) {
    const std::string expected = Sjis(text);
    for (const TEncoding encoding : kEncodings) {
      const std::string path = dir.Write("f", EncodedText::FromUtf8(text, encoding));
      for (const size_t size : {size_t{1}, size_t{3}, size_t{7}, size_t{4096}, size_t{1} << 20})
        for (const bool blocks : {false, true}) {
          // The long head read byte by byte adds nothing but time.
          if (size < 7 && text.size() > kText.size()) continue;
          SCOPED_TRACE(std::string(EncodingName(encoding)) + " " + std::to_string(size));
          TDecodedInput input(path, Auto());
          EXPECT_EQ(ReadAll(input, size, blocks), expected);
          EXPECT_EQ(input.Encoding(), encoding);
          EXPECT_EQ(input.Decodes(), !ReadsAsShiftJis(encoding));
        }
    }
  }
}

TEST(DecodedInput, TheEncodingIsFoundFromTheWholeFile) {
  TTempDir dir;
  // UTF-8 whose first byte above 7F lies 5 MB in: more than is held while detecting.
  const std::string late = std::string(5 << 20, 'x') + "\n日本語\n";
  const std::string path = dir.Write("late", late);
  TDecodedInput input(path, Auto());
  EXPECT_EQ(ReadAll(input, 65536), std::string(5 << 20, 'x') + "\n" + Sjis("日本語\n"));
  EXPECT_EQ(input.Encoding(), TEncoding::Utf8);

  // Shift JIS that begins with a valid UTF-8 pair (ﾃｽ is C3 BD) passes as it is.
  const std::string sjis = Sjis("ﾃｽﾄ 日本語のテキストを表示する\n");
  TDecodedInput shiftJis(dir.Write("sjis", sjis), Auto());
  EXPECT_EQ(ReadAll(shiftJis, 5), sjis);
  EXPECT_EQ(shiftJis.Encoding(), TEncoding::ShiftJis);
  EXPECT_FALSE(shiftJis.Decodes());

  // Pure ASCII, NULs and escapes that switch to no Japanese set included.
  const std::string ascii = std::string(200, 'a') + std::string("\0b\x1B(Bc\x1B[1m\n", 11);
  TDecodedInput plain(dir.Write("ascii", ascii), Auto());
  EXPECT_EQ(ReadAll(plain, 3), ascii);
  EXPECT_EQ(plain.Encoding(), TEncoding::Ascii);
}

TEST(DecodedInput, TrickyShortFiles) {
  TTempDir dir;
  struct TCase {
    const char* Name;
    std::string Bytes;
    TEncoding Encoding;
    std::string Engine;
  };
  const std::string kOther = "\xFC\x1F";
  const TCase cases[] = {
      {"two characters, Shift JIS", Sjis("日本"), TEncoding::ShiftJis, Sjis("日本")},
      {"two characters, UTF-8", "日本", TEncoding::Utf8, Sjis("日本")},
      {"two characters, EUC-JP", EncodedText::FromUtf8("日本", TEncoding::EucJp), TEncoding::EucJp,
       Sjis("日本")},
      {"half-width kana only", Sjis("ｱｲｳｴｵ"), TEncoding::ShiftJis, Sjis("ｱｲｳｴｵ")},
      {"UTF-8 with one stray byte", "日本語\xFFのテキスト", TEncoding::Utf8,
       Sjis("日本語") + kOther + Sjis("のテキスト")},
      {"a byte-order mark alone", "\xEF\xBB\xBF", TEncoding::Utf8Bom, ""},
      {"a UTF-16 byte-order mark alone", "\xFF\xFE", TEncoding::Utf16Le, ""},
      {"JIS without its closing escape", "a\x1B$BF|K\\", TEncoding::Iso2022Jp, Sjis("a日本")},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TDecodedInput input(dir.Write("f", c.Bytes), Auto());
    EXPECT_EQ(ReadAll(input, 1), c.Engine);
    EXPECT_EQ(input.Encoding(), c.Encoding);
  }
}

TEST(DecodedInput, AFixedChoiceReadsEveryFileSoWithoutFailing) {
  TTempDir dir;
  const std::string sjis = Sjis("日本語\n");
  // Shift JIS read as UTF-8: each byte that does not decode is a character of its own.
  TDecodedInput utf8(dir.Write("sjis", sjis), {TEncodingChoice::Utf8, nullptr});
  std::string expected;
  for (const char c : sjis)
    expected += static_cast<uint8_t>(c) < 0x80 ? std::string(1, c) : "\xFC\x1F";
  EXPECT_EQ(ReadAll(utf8, 7), expected);
  // UTF-16 follows the byte-order mark the file has.
  const std::string path = dir.Write("be", EncodedText::FromUtf8("日本語\n", TEncoding::Utf16Be));
  TDecodedInput be(path, {TEncodingChoice::Utf16Le, nullptr});
  EXPECT_EQ(ReadAll(be, 7), sjis);
  EXPECT_EQ(be.Encoding(), TEncoding::Utf16Be);
  // cp932 is the file's bytes as they are.
  const std::string utf8Text = "日本語\n";
  TDecodedInput cp932(dir.Write("u", utf8Text), {});
  EXPECT_EQ(ReadAll(cp932, 7), utf8Text);
  EXPECT_FALSE(cp932.Decodes());
}

TEST(DecodedInput, SeekReadsTheDecodedTextAgainAtAnyOffset) {
  TTempDir dir;
  std::string text;
  for (int i = 0; text.size() < (3 << 20); ++i)
    text += std::to_string(i) + " 日本語のテキスト ｶﾀｶﾅ\r\n";
  for (const TEncoding encoding : {TEncoding::Utf8, TEncoding::Utf16Le, TEncoding::Iso2022Jp}) {
    SCOPED_TRACE(EncodingName(encoding));
    const std::string path = dir.Write("f", EncodedText::FromUtf8(text, encoding));
    TDecodedInput input(path, Auto());
    const std::string engine = ReadAll(input, 100000);
    ASSERT_EQ(engine, Sjis(text));
    std::mt19937 rng(7);
    std::uniform_int_distribution<size_t> pick(0, engine.size());
    for (int k = 0; k < 40; ++k) {
      // Backwards and forwards, into the middle of a character too.
      const size_t offset = pick(rng);
      input.Seek(offset);
      std::vector<uint8_t> buffer(5000);
      const size_t n = input.ReadBlock(buffer.data(), buffer.size());
      EXPECT_EQ(std::string(reinterpret_cast<const char*>(buffer.data()), n),
                engine.substr(offset, buffer.size()));
    }
  }
}

TEST(DecodedInput, OriginalLineGivesTheLinesOwnBytes) {
  TTempDir dir;
  std::string text;
  for (int i = 0; i < 20000; ++i)
    text += std::to_string(i) + (i % 3 == 0 ? " 日本語\r\n" : i % 3 == 1 ? " ｶﾀｶﾅ\n" : "\n");
  const std::string engine = Sjis(text);
  for (const TEncoding encoding : {TEncoding::Utf8Bom, TEncoding::Utf16Le, TEncoding::Utf16Be,
                                   TEncoding::EucJp, TEncoding::Iso2022Jp}) {
    SCOPED_TRACE(EncodingName(encoding));
    TDecodedInput input(dir.Write("f", EncodedText::FromUtf8(text, encoding)), Auto());
    ASSERT_EQ(ReadAll(input, 65536), engine);
    size_t start = 0;
    size_t utf8Start = 0;
    for (int i = 0; i < 20000; ++i) {
      // Line i, in the engine text and as UTF-8, without its line end; now and then a line
      // further on than the one before, and now and then one before it.
      const size_t lineLength = engine.find_first_of("\r\n", start) - start;
      if (i % 97 == 0 || i % 5000 == 1) {
        const std::string utf8 =
            text.substr(utf8Start, text.find_first_of("\r\n", utf8Start) - utf8Start);
        EXPECT_EQ(OriginalToUtf8(input.OriginalLine(start, lineLength), encoding), utf8) << i;
      }
      start = engine.find('\n', start) + 1;
      utf8Start = text.find('\n', utf8Start) + 1;
    }
    EXPECT_EQ(OriginalToUtf8(input.OriginalLine(0, 1), encoding), "0");
  }
}

TEST(DecodedInput, OriginalLineDropsCrsAndBlanksNulsAsTheReadersDo) {
  TTempDir dir;
  const std::string text("a\r日本\0b\nnext\n", 15);
  const std::string path = dir.Write("f", EncodedText::FromUtf8(text, TEncoding::Utf16Le));
  TDecodedInput input(path, Auto());
  ReadAll(input, 100);
  EXPECT_EQ(OriginalToUtf8(input.OriginalLine(0, 7), TEncoding::Utf16Le), "a日本 b");
  // A line cut by the reader gives only its first characters.
  EXPECT_EQ(OriginalToUtf8(input.OriginalLine(0, 3), TEncoding::Utf16Le), "a日");
}

TEST(DecodedInput, OriginalLineOfALineWhoseFirstByteEndsAPieceRead) {
  // The line is found by decoding the file in pieces of 256 bytes: this one's first
  // character begins with the last byte of the first piece.
  TTempDir dir;
  std::string text;
  for (int i = 0; i < 126; ++i) text += "日";
  text += "ab\n本abcdef\n";
  const std::string engine = Sjis(text);
  ASSERT_EQ(engine.find('\n'), 254u);
  TDecodedInput input(dir.Write("f", EncodedText::FromUtf8(text, TEncoding::EucJp)), Auto());
  ASSERT_EQ(ReadAll(input, 4096), engine);
  EXPECT_EQ(OriginalToUtf8(input.OriginalLine(255, 8), TEncoding::EucJp), "本abcdef");
}

TEST(DecodedInput, AUtf8LinesOwnBytesAreTheDecodersAtEveryCut) {
  // A file's first line is read through the decoder byte by byte; a later one takes its
  // characters that decode alone straight from the file: both give the same bytes for
  // lines with CRs, NULs, characters CP932 lacks, broken sequences and a sequence cut by
  // the file's end, long enough to cross what is read at once.
  TTempDir dir;
  const std::string lines[] = {
      "日本語\r の a\0b é😀",
      "ab\xE6\x96xy 日本",
      "日\xE6\x96\r\x80\xC0語\xE6\x96",
      "x\xF0\x9F\x98 \xED\xA0\x80\xE0\x80z\xE6\x96\xE6\x97\xA5",
      std::string(70, 'a') + "日本語" + std::string(61, 'b') + "😀\r\r" + std::string(2, '\0') + "c",
      std::string(1018, 'a') + "😀日本\r" + std::string(1, '\0') + "語" + std::string(1030, 'c') +
          "é\xE6\x96",
      std::string(1020, 'a') + "日\r本" + std::string(1021, 'b') + "\xEF\xBD\xB1語",
      "日本語ｶﾀｶﾅ¥‾ＡＢ（）é😀 abc…※→",
      std::string(300, 'x') + "ｱ" + std::string(100, 'y'),
      "end\xE6\x96"};
  for (const std::string& line : lines)
    for (const bool lastLine : {false, true}) {
      const std::string ending = lastLine ? "" : "\nnext\n";
      TDecodedInput first(dir.Write("first", line + ending), {TEncodingChoice::Utf8, nullptr});
      const std::string engine = ReadAll(first, 4096);
      TDecodedInput later(dir.Write("later", "x\n" + line + ending),
                          {TEncodingChoice::Utf8, nullptr});
      ASSERT_EQ(ReadAll(later, 4096), "x\n" + engine);
      const size_t length =
          engine.find('\n') == std::string::npos ? engine.size() : engine.find('\n');
      for (size_t cut = 0; cut <= length + 1; ++cut) {
        SCOPED_TRACE(line + " " + std::to_string(cut));
        EXPECT_EQ(later.OriginalLine(2, cut), first.OriginalLine(0, cut));
      }
      if (!lastLine) {
        EXPECT_EQ(later.OriginalLine(2 + length + 1, 4), "next");
      }
    }
}

// The grep over a decoded file: both scans, the reports' line numbers, engine text and the
// file's own text.
struct TGrepRun {
  TEngineCodes Codes;
  TGrep Grep;
  std::vector<std::tuple<int64_t, std::string, std::string>> Hits;

  void Run(const std::string& utf8Pattern, const std::string& path, bool fast, int32_t block) {
    Grep.SetReadEncoding({TEncodingChoice::Auto, &Codes});
    Grep.SetRegExp(Codes.AddWord(utf8Pattern));
    Grep.SetUseFastPath(fast);
    Grep.SetBuffSize(block);
    Hits.clear();
    Grep.SetOnMatch([this](TGrep&, const RE_LineInfo_t& info) {
      Hits.emplace_back(info.LineNo, info.Line, OriginalToUtf8(info.OriginalText(), info.Encoding));
    });
    Grep.Grep(path);
  }
};

TEST(DecodedInput, GrepFindsTheSameLinesInEveryEncodingAndShowsThemAsHeld) {
  TTempDir dir;
  TGrepRun run;
  for (const TEncoding encoding : kEncodings)
    for (const bool fast : {true, false})
      for (const int32_t block : {1, 5, TTxtFile::kBuffSize}) {
        SCOPED_TRACE(std::string(EncodingName(encoding)) + (fast ? " fast " : " per position ") +
                     std::to_string(block));
        const std::string path = dir.Write("f", EncodedText::FromUtf8(kText, encoding));
        run.Run("(テ.ス|ｶ.ｶ|ポ.ト)", path, fast, block);
        const decltype(run.Hits) expected = {
            {2, Sjis("日本語のテキスト"), "日本語のテキスト"},
            {3, Sjis("ｶﾀｶﾅ and カタカナ"), "ｶﾀｶﾅ and カタカナ"},
            {5, Sjis("表示 ソース ポート|番号"), "表示 ソース ポート|番号"}};
        EXPECT_EQ(run.Hits, expected);
      }
}

TEST(DecodedInput, PlainSearchShowsLinesAsHeldAtEveryBlockAndLineSize) {
  TTempDir dir;
  // Lines longer than the window keeps, searched in pieces, and hits cut to their first
  // bytes.
  const std::string text = "x\n" + std::string(40, 'a') + " 日本語 " + std::string(30, 'b') +
                           "\nｶﾀｶﾅ 日本語\r\n\n日本語";
  TPlainLineFinder finder;
  finder.Prepare(Sjis("日本語"), false, false, false);
  for (const TEncoding encoding : {TEncoding::Utf8, TEncoding::Utf16Be, TEncoding::Iso2022Jp})
    for (const size_t block : {size_t{1}, size_t{7}, TLineWindow::kBlockSize})
      for (const size_t window : {size_t{8}, TLineWindow::kMaxLineBytes})
        for (const size_t maxLine : {size_t{0}, size_t{20}}) {
          SCOPED_TRACE(std::string(EncodingName(encoding)) + " " + std::to_string(block) + " " +
                       std::to_string(window) + " " + std::to_string(maxLine));
          const std::string path = dir.Write("f", EncodedText::FromUtf8(text, encoding));
          TLineSearcher searcher;
          searcher.SetReadEncoding({TEncodingChoice::Auto, nullptr});
          searcher.SetBlockSize(block);
          searcher.SetWindowLineBytes(window);
          searcher.SetMaxLineBytes(maxLine);
          searcher.SetHoldHits(block == 7);
          std::vector<std::pair<int64_t, std::string>> hits;
          searcher.Search(
              path, finder, [] { return false; },
              [&hits](const RE_LineInfo_t& info) {
                hits.emplace_back(info.LineNo, OriginalToUtf8(info.OriginalText(), info.Encoding));
              });
          const std::string longLine = std::string(40, 'a') + " 日本語 " + std::string(30, 'b');
          const decltype(hits) expected = {{2, maxLine == 0 ? longLine : std::string(20, 'a')},
                                           {3, "ｶﾀｶﾅ 日本語"},
                                           {5, "日本語"}};
          EXPECT_EQ(hits, expected);
        }
}

TEST(DecodedInput, AReservedCodeIsOneCharacterToTheEngine) {
  TTempDir dir;
  // 😀 and é lack in CP932: a word's own reserved codes, and kOther for the rest.
  const std::string path = dir.Write("f", "a😀b\na😀😀b\naéb\na𠮷b\nab\n");
  TGrepRun run;
  for (const bool fast : {true, false})
    for (const int32_t block : {1, 3, TTxtFile::kBuffSize}) {
      SCOPED_TRACE(std::string(fast ? "fast " : "per position ") + std::to_string(block));
      run.Run("a.b", path, fast, block);
      EXPECT_EQ(run.Hits.size(), 3u);
      run.Run("a[^x]b", path, fast, block);
      EXPECT_EQ(run.Hits.size(), 3u);
      run.Run("^a..b$", path, fast, block);
      ASSERT_EQ(run.Hits.size(), 1u);
      EXPECT_EQ(std::get<2>(run.Hits[0]), "a😀😀b");
      run.Run("😀b", path, fast, block);
      ASSERT_EQ(run.Hits.size(), 2u);
      EXPECT_EQ(std::get<0>(run.Hits[1]), 2);
      run.Run("a𠮷", path, fast, block);
      ASSERT_EQ(run.Hits.size(), 1u);
      EXPECT_EQ(std::get<0>(run.Hits[0]), 4);
    }
}

}  // namespace
