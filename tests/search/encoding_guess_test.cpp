// A file decoded in the one encoding its head leaves besides Shift JIS, before the rest is
// read (TDecodedInput::SetSpeculate): the guess is checked by every byte that does not
// decode, also in the lines the UTF-8 line filter passes over, and the line searcher
// reports exactly what it reports when detection reads the whole file first: UTF-8 and
// EUC-JP files with bytes that do not decode late in them, up to the detector's tolerance
// and past it (Shift JIS then), hits before and after them, in both modes, with hits held
// or reported at once, at several block sizes, with the hits held on a guess bounded; and
// a file stopped while its encoding is a guess reports nothing.
#include <random>
#include <tuple>

#include <gtest/gtest.h>

#include "search/decoded_input.h"
#include "search/errors.h"
#include "search/grep.h"
#include "search/grep_fast_path.h"
#include "search/line_searcher.h"
#include "search/plain_line_finder.h"
#include "tests/search/encoded_text.h"
#include "tests/support/temp_dir.h"

using namespace varsik;

namespace {

// Every kind of UTF-8 fault: stray continuations, cut sequences, overlong forms,
// surrogates, code points past U+10FFFF, C0, C1, F5-FF.
const char* const kUtf8Faults[] = {"\x80",         "\xBF",         "\xC0\x80",     "\xC1\xBF",
                                   "\xE0\x80\x80", "\xED\xA0\x80", "\xF0\x8F\xBF", "\xF4\x90\x80",
                                   "\xF5\x80",     "\xFF",         "\xE6\x96",     "\xF0\x9F\x98",
                                   "\xC3",         "\xE6\x96\xE6"};
// Bytes that begin no EUC-JP code, and a code cut by a line end.
const char* const kEucFaults[] = {"\x80", "\xA0", "\xA4"};

// About `size` bytes of Japanese lines, some holding 文字列, with `undecodable` bytes that
// do not decode in `encoding` put in at line starts from `from` on.
std::string Generate(std::mt19937& random, size_t size, TEncoding encoding, uint64_t undecodable,
                     size_t from) {
  static const char* const kPieces[] = {"日本語",   "文字列", "ｶﾀｶﾅ",   "カタカナ", "Option", "の",
                                        "テキスト", "表示",   "2024年", " ",        "a",      "\t"};
  std::string utf8;
  while (utf8.size() < size) {
    for (size_t i = random() % 12; i > 0; --i) utf8 += kPieces[random() % std::size(kPieces)];
    utf8 += random() % 9 == 0 ? "\r\n" : "\n";
  }
  const bool isUtf8 = encoding == TEncoding::Utf8;
  std::string text = isUtf8 ? utf8 : EncodedText::FromUtf8(utf8, encoding);
  const TEngineCodes codes;
  const auto count = [&](const std::string& bytes) {
    const std::unique_ptr<TDecoder> decoder = MakeDecoder(encoding, codes);
    std::vector<uint8_t> out(TDecoder::MaxOutput(bytes.size()));
    const auto* const p = reinterpret_cast<const uint8_t*>(bytes.data());
    decoder->Finish(decoder->Decode(std::span(p, bytes.size()), out.data()));
    return decoder->Undecodable();
  };
  for (uint64_t made = 0; made < undecodable;) {
    const size_t at = text.find('\n', from + random() % (text.size() - from - 1000)) + 1;
    std::string fault = isUtf8 ? kUtf8Faults[random() % std::size(kUtf8Faults)]
                               : kEucFaults[random() % std::size(kEucFaults)];
    std::string next = text;
    next.insert(at, fault);
    const uint64_t n = count(next);
    if (n > undecodable) continue;
    text = std::move(next);
    made = n;
  }
  return text;
}

using THits = std::vector<std::tuple<int64_t, std::string, std::string, bool, int>>;

struct TWay {
  bool Speculate = true;
  bool Hold = false;
  size_t MaxHeld = TLineSearcher::kMaxHeldOnGuess;
  size_t Block = TLineWindow::kBlockSize;
  size_t Window = TLineWindow::kMaxLineBytes;
  // The poll that asks to stop (0: none).
  int StopAtPoll = 0;
  size_t MaxHeldHits = TLineSearcher::kMaxHeldHits;
};

std::pair<THits, TLineSearcher::TEnd> Hits(const std::string& path, TLineFinder& finder,
                                           const TEngineCodes& codes, const TWay& way) {
  TLineSearcher searcher;
  searcher.SetReadEncoding({TEncodingChoice::Auto, &codes});
  searcher.SetSpeculate(way.Speculate, way.MaxHeld);
  searcher.SetHoldHits(way.Hold, way.MaxHeldHits);
  searcher.SetBlockSize(way.Block);
  searcher.SetWindowLineBytes(way.Window);
  THits hits;
  int polls = 0;
  const TLineSearcher::TEnd end = searcher.Search(
      path, finder, [&] { return ++polls == way.StopAtPoll; },
      [&hits](const RE_LineInfo_t& info) {
        hits.emplace_back(info.LineNo, info.Line, info.Original, info.Cut,
                          static_cast<int>(info.Encoding));
      });
  return {hits, end};
}

class EncodingGuess : public ::testing::Test {
 protected:
  struct TFile {
    std::string Path;
    TEncoding Expected;
  };

  void SetUp() override {
    std::mt19937 random(16);
    const uint64_t tolerance = TEncodingDetector::kMaxErrors;
    for (const TEncoding encoding : {TEncoding::Utf8, TEncoding::EucJp})
      for (const uint64_t undecodable :
           {uint64_t{0}, uint64_t{1}, tolerance, tolerance + 1, uint64_t{40}}) {
        const std::string text = Generate(random, 300 * 1024, encoding, undecodable, 200 * 1024);
        const bool taken = undecodable <= tolerance;
        Files.push_back(
            {Dir.Write(std::string(EncodingName(encoding)) + std::to_string(undecodable), text),
             taken ? encoding : TEncoding::ShiftJis});
      }
  }

  // The hits of every way of searching are those of the search that detects first.
  void Check(TLineFinder& finder, const TEngineCodes& codes) {
    for (const TFile& file : Files)
      for (const bool hold : {false, true}) {
        const THits expected = Hits(file.Path, finder, codes, {false, hold}).first;
        for (const TWay way :
             {TWay{true, hold}, TWay{true, hold, 1}, TWay{true, hold, 4096},
              TWay{true, hold, TLineSearcher::kMaxHeldOnGuess, 4096, 300},
              TWay{true, hold, 1, 7, 64},
              // Hits held for the whole file go out past their bound.
              TWay{true, hold, TLineSearcher::kMaxHeldOnGuess, 4096, 300, 0, 1},
              TWay{true, hold, TLineSearcher::kMaxHeldOnGuess, 4096, 300, 0, 64 * 1024},
              TWay{false, hold, TLineSearcher::kMaxHeldOnGuess, 4096, 300, 0, 1}}) {
          SCOPED_TRACE(file.Path + " hold " + std::to_string(hold) + " max " +
                       std::to_string(way.MaxHeld) + " block " + std::to_string(way.Block) +
                       " max held hits " + std::to_string(way.MaxHeldHits));
          const auto [hits, end] = Hits(file.Path, finder, codes, way);
          EXPECT_EQ(end, TLineSearcher::TEnd::Done);
          ASSERT_EQ(hits.size(), expected.size());
          const auto differ = std::mismatch(hits.begin(), hits.end(), expected.begin());
          if (differ.first != hits.end()) {
            ADD_FAILURE() << "line " << std::get<0>(*differ.first) << " "
                          << testing::PrintToString(*differ.first) << " instead of "
                          << testing::PrintToString(*differ.second);
          }
        }
        Searched += expected.size();
      }
  }

  TTempDir Dir;
  std::vector<TFile> Files;
  size_t Searched = 0;
};

TEST_F(EncodingGuess, TheGuessIsCheckedByEveryByteThatDoesNotDecode) {
  TEngineCodes codes;
  std::vector<uint8_t> buffer(128 * 1024);
  for (const TFile& file : Files)
    for (const bool filtered : {false, true}) {
      SCOPED_TRACE(file.Path + (filtered ? " filtered" : ""));
      TDecodedInput whole(file.Path, {TEncodingChoice::Auto, &codes});
      std::string expected;
      while (const size_t n = whole.ReadSome(buffer.data(), buffer.size()))
        expected.append(reinterpret_cast<const char*>(buffer.data()), n);
      ASSERT_EQ(EncodingName(whole.Encoding()), EncodingName(file.Expected));

      TDecodedInput guessed(file.Path, {TEncodingChoice::Auto, &codes});
      guessed.SetSpeculate(true);
      // The lines without it are passed over undecoded.
      if (filtered)
        guessed.SetRequired({codes.AddWord("文字列"), false, {}},
                            {.TextEndsAtNul = true, .TextEndsBeforeCtrlZLine = true});
      std::string text;
      bool misread = false;
      try {
        while (const size_t n = guessed.ReadSome(buffer.data(), buffer.size())) {
          if (text.empty()) {
            EXPECT_TRUE(guessed.Speculating());
          }
          text.append(reinterpret_cast<const char*>(buffer.data()), n);
        }
      } catch (const EMisreadEncoding&) {
        misread = true;
      }
      EXPECT_EQ(misread, file.Expected == TEncoding::ShiftJis);
      if (misread) continue;
      EXPECT_FALSE(guessed.Speculating());
      EXPECT_EQ(EncodingName(guessed.Encoding()), EncodingName(file.Expected));
      if (!filtered) {
        EXPECT_EQ(text, expected);
      }
    }
}

TEST_F(EncodingGuess, PlainModeFindsWhatDetectionFirstFinds) {
  TEngineCodes codes;
  for (const std::string word : {"文字列", "Option"}) {
    const std::string engine = codes.AddWord(word);
    for (const int switches : {0, 1, 7}) {
      SCOPED_TRACE(word + " " + std::to_string(switches));
      TPlainLineFinder finder;
      finder.Prepare(engine, switches & 1, switches & 2, switches & 4);
      Check(finder, codes);
    }
  }
  EXPECT_GT(Searched, 1000u);
}

TEST_F(EncodingGuess, RegularExpressionsFindWhatDetectionFirstFinds) {
  TEngineCodes codes;
  TGrep grep;
  for (const std::string pattern : {"文字列", "表示|ｶﾀ", "[0-9]+年"}) {
    SCOPED_TRACE(pattern);
    grep.SetRegExp(codes.AddWord(pattern));
    const TGrepFastPath fast(grep.CurrentDFA());
    ASSERT_TRUE(fast.Usable());
    TGrepFastPathFinder finder(fast);
    Check(finder, codes);
  }
  EXPECT_GT(Searched, 1000u);
}

TEST_F(EncodingGuess, AFileStoppedWhileItsEncodingIsAGuessReportsNothing) {
  TEngineCodes codes;
  TPlainLineFinder finder;
  finder.Prepare(codes.AddWord("文字列"), false, false, false);
  for (const TFile& file : Files)
    for (const bool hold : {false, true}) {
      SCOPED_TRACE(file.Path + " hold " + std::to_string(hold));
      // Stopped at the third read of blocks of 4 KB: well within the file.
      auto [hits, end] = Hits(file.Path, finder, codes, {true, hold, 1 << 30, 4096, 300, 3});
      EXPECT_EQ(end, TLineSearcher::TEnd::Stopped);
      EXPECT_TRUE(hits.empty());
      // Once the guess is confirmed (held hits past their bound), the hits before the stop
      // are reported, as without a guess.
      if (hold || file.Expected == TEncoding::ShiftJis) continue;
      const THits all = Hits(file.Path, finder, codes, {false, hold}).first;
      std::tie(hits, end) = Hits(file.Path, finder, codes, {true, hold, 1, 4096, 300, 40});
      EXPECT_EQ(end, TLineSearcher::TEnd::Stopped);
      ASSERT_FALSE(hits.empty());
      EXPECT_LT(hits.size(), all.size());
      EXPECT_TRUE(std::equal(hits.begin(), hits.end(), all.begin()));
    }
}

}  // namespace
