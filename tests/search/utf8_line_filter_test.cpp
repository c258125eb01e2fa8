// TUtf8LineFilter: the needle is the UTF-8 form only of characters that one code point
// alone becomes; a line made short keeps what the line rules read. And the line searcher
// over UTF-8 files, whose lines without the needle are not decoded, reports exactly what
// it reports with every line decoded: generated texts with NULs, lone CRs, Ctrl+Z at
// line starts, characters that CP932 lacks, bytes that do not decode and long lines,
// hits on both sides of the decoder's pieces, every plain switch and regular
// expressions, at several block and window sizes.
#include "search/utf8_line_filter.h"

#include <random>
#include <tuple>

#include <gtest/gtest.h>

#include "base/shift_jis.h"
#include "search/decoded_input.h"
#include "search/grep.h"
#include "search/grep_fast_path.h"
#include "search/line_searcher.h"
#include "search/plain_line_finder.h"
#include "tests/search/encoded_text.h"
#include "tests/support/temp_dir.h"

using namespace varsik;
using namespace std::string_literals;

namespace {

std::string Sjis(std::string_view utf8) {
  return EncodedText::FromUtf8(utf8, TEncoding::ShiftJis);
}

TEST(Utf8LineFilter, TheNeedleHoldsOnlyCharactersOfOneCodePoint) {
  TEngineCodes codes;
  TUtf8LineFilter filter;
  filter.Prepare({Sjis("日本語"), false, {}}, codes);
  EXPECT_EQ(filter.NeedleBytes(), "日本語");
  // A blank stands for a NUL too, and control bytes belong to the lines.
  filter.Prepare({Sjis("日本 語\t"), false, {}}, codes);
  EXPECT_EQ(filter.NeedleBytes(), "日本");
  // A word's own reserved code is its character's; kOther is every other one's.
  const std::string word = codes.AddWord("a😀b");
  filter.Prepare({word, false, {}}, codes);
  EXPECT_EQ(filter.NeedleBytes(), "a😀b");
  std::string other;
  ShiftJis::AppendCode(other, TEngineCodes::kOther);
  filter.Prepare({other, false, {}}, codes);
  EXPECT_FALSE(filter.Active());
  // A CP932 code that more than one code point becomes (NEC and IBM duplicates, one-way
  // fallbacks) is left out.
  size_t shared = 0;
  std::vector<int> count(0x10000);
  for (char32_t cp = 0; cp < 0x10000; ++cp)
    if (cp < 0xD800 || cp > 0xDFFF) ++count[codes.Packed(static_cast<char16_t>(cp))];
  for (size_t packed = 0x100; packed < count.size() && shared == 0; ++packed)
    if (count[packed] > 1 && !TEngineCodes::IsReserved(TEngineCodes::Unpack(packed)))
      shared = packed;
  ASSERT_NE(shared, 0u);
  std::string twice = Sjis("日");
  ShiftJis::AppendCode(twice, TEngineCodes::Unpack(static_cast<uint16_t>(shared)));
  twice += Sjis("本語");
  filter.Prepare({twice, false, {}}, codes);
  EXPECT_EQ(filter.NeedleBytes(), "本語");
}

TEST(Utf8LineFilter, AsciiLettersOfEitherCaseWhereTheCaseFolds) {
  TEngineCodes codes;
  TUtf8LineFilter filter;
  std::string text = "opt-ion OPTIOn 日本Option" + std::string(ByteScan::kPadding + 8, ' ');
  const auto* begin = reinterpret_cast<const uint8_t*>(text.data());
  const auto at = [&](const uint8_t* p) { return static_cast<size_t>(p - begin); };
  const size_t size = text.size() - ByteScan::kPadding - 8;
  filter.Prepare({"Option-", false, {}}, codes);
  EXPECT_EQ(at(filter.Find(begin, begin + size)), size);
  filter.Prepare({"Option", false, {}}, codes);
  EXPECT_EQ(at(filter.Find(begin, begin + size)), text.find("Option"));
  filter.Prepare({"Option", true, {}}, codes);
  EXPECT_EQ(at(filter.Find(begin, begin + size)), text.find("OPTIOn"));
  filter.Prepare({"option" + Sjis("日"), true, {}}, codes);
  EXPECT_EQ(at(filter.Find(begin, begin + size)), size);
}

TEST(Utf8LineFilter, OneOfSeveralCharacters) {
  TEngineCodes codes;
  TUtf8LineFilter filter;
  std::string text = "abc 本日 x" + std::string(ByteScan::kPadding + 8, ' ');
  const auto* begin = reinterpret_cast<const uint8_t*>(text.data());
  const size_t size = text.size() - ByteScan::kPadding - 8;
  const auto code = [](std::string_view utf8) {
    const std::string sjis = Sjis(utf8);
    return static_cast<uint16_t>(sjis.size() == 1 ? static_cast<uint8_t>(sjis[0])
                                                  : static_cast<uint8_t>(sjis[0]) << 8 |
                                                        static_cast<uint8_t>(sjis[1]));
  };
  const std::vector<uint16_t> some = {code("日"), code("x"), code("語")};
  filter.Prepare({"", false, some}, codes);
  ASSERT_TRUE(filter.Active());
  EXPECT_EQ(filter.Find(begin, begin + size) - begin, static_cast<ptrdiff_t>(text.find("日")));
  // A blank, which a NUL reads as too, leaves none.
  const std::vector<uint16_t> blank = {code("日"), code(" ")};
  filter.Prepare({"", false, blank}, codes);
  EXPECT_FALSE(filter.Active());
}

TEST(Utf8LineFilter, ALineMadeShortKeepsWhatTheLineRulesRead) {
  const std::string lines =
      "日本\nab\r\ncd\n\x1A"
      "ef\nx\x1Ay\ng\rh\ni\0j\nk\r\r\n\r\x1Az\nlast\n"s;
  std::string text = "\n" + lines + std::string(ByteScan::kPadding, 'p');
  const auto* begin = reinterpret_cast<const uint8_t*>(text.data()) + 1;
  const auto reduce = [&](const TLineRules& rules) {
    std::string out(lines.size(), '?');
    auto* o = reinterpret_cast<uint8_t*>(out.data());
    out.resize(
        static_cast<size_t>(TUtf8LineFilter::Reduce(begin, begin + lines.size(), rules, o) - o));
    return out;
  };
  EXPECT_EQ(reduce({.CrEndsLines = false, .TextEndsAtNul = true, .TextEndsBeforeCtrlZLine = true}),
            std::string("\n\n\n\x1A\n\n\r\x01\n\0\n\r\r\n\r\x1A\n\n", 18));
  // Regular-expression mode reads lone CRs alone: the NUL and the Ctrl+Z at a line's start
  // go, those in a line with a lone CR stay.
  EXPECT_EQ(reduce({.CrEndsLines = true}), "\n\n\n\n\n\r\x01\n\n\r\r\n\r\x1A\n\n");
}

// A line searcher's finder with its required bytes hidden: every line is decoded.
class TUnfiltered : public TLineFinder {
 public:
  explicit TUnfiltered(TLineFinder& inner) : Inner(inner) {}
  TLineRules Rules() const override { return Inner.Rules(); }
  bool FindLines(const uint8_t* begin, const uint8_t* end, bool loneCr,
                 std::vector<const uint8_t*>& hits) override {
    return Inner.FindLines(begin, end, loneCr, hits);
  }
  void BeginLine() override { Inner.BeginLine(); }
  void FeedLine(const uint8_t* begin, const uint8_t* end) override { Inner.FeedLine(begin, end); }
  bool LineMatched() const override { return Inner.LineMatched(); }
  bool EndLine() override { return Inner.EndLine(); }

 private:
  TLineFinder& Inner;
};

using THits = std::vector<std::tuple<int64_t, std::string, std::string, bool>>;

struct TSizes {
  size_t Block;
  size_t Window;
  size_t MaxLine;
};

THits Hits(const std::string& path, TLineFinder& finder, const TReadEncoding& encoding,
           const TSizes& sizes) {
  TLineSearcher searcher;
  searcher.SetReadEncoding(encoding);
  searcher.SetBlockSize(sizes.Block);
  searcher.SetWindowLineBytes(sizes.Window);
  searcher.SetMaxLineBytes(sizes.MaxLine);
  THits hits;
  searcher.Search(
      path, finder, [] { return false; },
      [&hits](const RE_LineInfo_t& info) {
        hits.emplace_back(info.LineNo, info.Line, info.Original, info.Cut);
      });
  return hits;
}

// A UTF-8 text of about `size` bytes: lines of Japanese, ASCII and characters that CP932
// lacks, some holding the words searched for, with NULs, lone CRs, Ctrl+Z at line
// starts, long lines, and `stray` bytes that do not decode near the end (past the
// detector's tolerance, the file is Shift JIS).
std::string Generate(std::mt19937& random, size_t size, size_t stray) {
  static const char* const kPieces[] = {
      "日本語", "文字列", "ｶﾀｶﾅ",     "カタカナ", "Option", "option", "é",  "😀",  "a", " ",
      "2024年", "の",     "テキスト", "表示",     "ＡＢ",   "ａｂ",   "\r", "\t", "-", "x😀b"};
  std::string text;
  while (text.size() < size) {
    const unsigned kind = random() % 100;
    if (kind == 0) text += "\x1A";
    if (kind == 1) text.push_back('\0');
    const size_t pieces = kind < 3 ? 200 : random() % 12;
    for (size_t i = 0; i < pieces; ++i) text += kPieces[random() % std::size(kPieces)];
    if (kind == 4) {
      text.push_back('\0');
      text += "日本語";
    }
    text += kind == 5 ? "\r\n" : "\n";
  }
  for (size_t i = 0; i < stray; ++i) text[text.size() - 100 - 2 * i] = static_cast<char>(0xFF);
  return text;
}

class Utf8LineFilterSearch : public ::testing::Test {
 protected:
  // The filtered search of every file gives the reports of the unfiltered one.
  void Check(TLineFinder& finder, const TEngineCodes* codes) {
    TUnfiltered unfiltered(finder);
    for (const std::string& path : Paths)
      for (const TEncodingChoice choice : {TEncodingChoice::Auto, TEncodingChoice::Utf8})
        for (const TSizes sizes :
             {TSizes{7, 64, 0}, TSizes{4096, 300, 40},
              TSizes{TLineWindow::kBlockSize, TLineWindow::kMaxLineBytes, 0}}) {
          SCOPED_TRACE(path + " " + std::to_string(sizes.Block) + " " +
                       std::to_string(sizes.Window));
          const TReadEncoding encoding{choice, codes};
          const THits expected = Hits(path, unfiltered, encoding, sizes);
          EXPECT_EQ(Hits(path, finder, encoding, sizes), expected);
          Searched += expected.size();
        }
  }

  void SetUp() override {
    std::mt19937 random(15);
    for (const size_t stray : {0, 1, 40}) {
      Paths.push_back(
          Dir.Write("stray" + std::to_string(stray), Generate(random, 300 * 1024, stray)));
      TDecodedInput input(Paths.back(), {TEncodingChoice::Auto, nullptr});
      std::vector<uint8_t> buffer(1 << 16);
      while (input.ReadSome(buffer.data(), buffer.size()) > 0) {
      }
      EXPECT_EQ(input.Encoding() == TEncoding::Utf8, stray < 40);
    }
  }

  TTempDir Dir;
  std::vector<std::string> Paths;
  size_t Searched = 0;
};

TEST_F(Utf8LineFilterSearch, PlainModeWithEverySwitch) {
  TEngineCodes codes;
  for (const std::string word :
       {"日本語", "文字列", "option", "Option", "カタカナ", "ｶﾀｶﾅ", "x😀b", "é", "ＡＢ", "年"}) {
    const std::string engine = codes.AddWord(word);
    for (int switches = 0; switches < 8; ++switches) {
      SCOPED_TRACE(word + " " + std::to_string(switches));
      TPlainLineFinder finder;
      finder.Prepare(engine, switches & 1, switches & 2, switches & 4);
      Check(finder, &codes);
    }
  }
  EXPECT_GT(Searched, 1000u);
}

TEST_F(Utf8LineFilterSearch, RegularExpressions) {
  TEngineCodes codes;
  TGrep grep;
  for (const std::string pattern : {"文字列", "[0-9]+年", "日本.", "^日本語", "x😀b", "a.b", "カ+タ",
                                    "(表示|テキスト)の", "表示|ｶﾀ|😀", "é|2", "の|ｶ|\t"}) {
    SCOPED_TRACE(pattern);
    grep.SetRegExp(codes.AddWord(pattern));
    const TGrepFastPath fast(grep.CurrentDFA());
    ASSERT_TRUE(fast.Usable());
    TGrepFastPathFinder finder(fast);
    Check(finder, &codes);
  }
  EXPECT_GT(Searched, 1000u);
}

}  // namespace
