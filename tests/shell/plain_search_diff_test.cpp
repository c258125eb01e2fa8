// The fast plain search held against the simple reference (the whole file split into
// lines, each folded and searched): generated Shift JIS texts full of the bytes that
// trip a byte-wise scan, every switch combination, block sizes from one byte up, both
// instruction sets; then slices of the benchmark corpus when it is present.
#include <iterator>
#include <random>

#include <gtest/gtest.h>

#include "search/byte_scan.h"
#include "search/henkanj.h"
#include "shell/plain_search.h"
#include "tests/search/sjis.h"
#include "tests/support/corpus_text.h"
#include "tests/support/plain_reference.h"
#include "tests/support/recording_sink.h"
#include "tests/support/temp_dir.h"

using namespace varsik;

namespace {

using PlainReference::THits;
using PlainReference::TSwitches;

// Keeps the entries as (line number, text).
class THitSink : public TRecordingSink {
 public:
  THits Hits;
  int Headers = 0;
  void AppendFileHeader(const std::string&) override { ++Headers; }
  void AppendLineEntry(const TLineEntry& entry) override {
    Hits.emplace_back(entry.LineNo, std::string(entry.Text));
  }
};

std::string Escaped(std::string_view s) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : s) {
    if (c >= 0x20 && c < 0x7F && c != '\\') {
      out += static_cast<char>(c);
    } else {
      out += "\\x";
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

std::string Describe(const THits& hits) {
  std::string s;
  for (const auto& [n, text] : hits) s += "\n  " + std::to_string(n) + ": " + Escaped(text);
  return s;
}

// Shift JIS text made of the pieces that matter to a byte-wise scan: double-byte
// characters whose trail bytes are \, |, [, letters or lie in the lead-byte range,
// full-width capitals and small letters, half-width katakana with their marks, ASCII
// words and delimiters, and every kind of line end, with a rare NUL, 1A or lone lead.
class TTextGen {
 public:
  explicit TTextGen(uint32_t seed) : Rng(seed) {}

  std::string Text(size_t pieces) {
    std::string s;
    for (size_t i = 0; i < pieces; ++i) s += Piece();
    return s;
  }

  std::string Piece() {
    static const uint8_t kLeads[] = {0x81, 0x82, 0x83, 0x84, 0x88, 0x95, 0x9F, 0xE0, 0xEA, 0xFC};
    static const uint8_t kTrails[] = {0x40, 0x41, 0x5A, 0x5B, 0x5C, 0x5F, 0x60, 0x61,
                                      0x7A, 0x7C, 0x7E, 0x80, 0x81, 0x9A, 0x9F, 0xA0,
                                      0xB1, 0xCA, 0xDE, 0xDF, 0xE0, 0xF1, 0xFC};
    static const char kAscii[] = "abcABC xyz_09#()-.,\\|[]";
    const int k = Pick(100);
    if (k < 30) return std::string(1, kAscii[Pick(sizeof kAscii - 1)]);
    if (k < 45) return Bytes(kLeads[Pick(std::size(kLeads))], kTrails[Pick(std::size(kTrails))]);
    if (k < 55) {
      // Full-width letters, capital and small: Latin, Greek, Cyrillic.
      static const uint16_t kFirst[] = {0x8260, 0x8281, 0x839F, 0x83BF,
                                        0x8440, 0x844F, 0x8470, 0x8480};
      const uint16_t code = static_cast<uint16_t>(kFirst[Pick(std::size(kFirst))] + Pick(3));
      return Bytes(code >> 8, code & 0xFF);
    }
    if (k < 65) {
      static const uint8_t kKana[] = {0xA0, 0xA1, 0xA4, 0xB0, 0xB1, 0xB3,
                                      0xB6, 0xCA, 0xCE, 0xDE, 0xDF};
      return std::string(1, static_cast<char>(kKana[Pick(std::size(kKana))]));
    }
    if (k < 75) return Sjis(Pick(2) ? "テスト" : "ガパ");
    if (k < 85) return Pick(3) ? "\n" : "\r\n";
    if (k < 88) return "\r";
    if (k < 89) return std::string(1, static_cast<char>(Pick(2) ? 0x80 : 0xFD + Pick(3)));
    if (k < 90) return std::string(1, static_cast<char>(kLeads[Pick(std::size(kLeads))]));
    if (k < 91 && Pick(3) == 0) return std::string(1, '\0');
    if (k < 92) return Pick(2) ? "\n\x1A" : "\x1A";
    return " ";
  }

  // A word to look for: a piece of `text` (which may begin on a trail byte), often with
  // its letters' case or its katakana's width changed, or a short word of its own.
  std::string Word(const std::string& text) {
    std::string w;
    if (!text.empty() && Pick(4) != 0) {
      const size_t at = Pick(text.size());
      w = text.substr(at, 1 + Pick(6));
    } else {
      w = Piece() + (Pick(2) ? Piece() : "");
    }
    switch (Pick(4)) {
      case 0:
        for (char& c : w)
          if (std::isalpha(static_cast<unsigned char>(c))) c ^= 0x20;
        break;
      case 1:
        w = HenkanJ::HalfKanaToFullWidth(w);
        break;
      default:
        break;
    }
    return w;
  }

  size_t Pick(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(Rng); }

 private:
  static std::string Bytes(int a, int b) {
    return std::string{static_cast<char>(a), static_cast<char>(b)};
  }
  std::mt19937 Rng;
};

class PlainSearchDiffTest : public ::testing::Test {
 protected:
  void TearDown() override { ByteScan::SelectIsa(ByteScan::BestIsa()); }

  // Searches the file at `path` (holding `text`) for `word` with the switches, the
  // block size and the instruction set given, and compares with the reference.
  void Check(const std::string& path, std::string_view text, const std::string& word, TSwitches s,
             const THits& expected, size_t blockSize, size_t windowLine, ByteScan::TIsa isa) {
    ByteScan::SelectIsa(isa);
    THitSink sink;
    TSearchState state;
    TResultWriter writer(state, sink);
    TPlainSearch plain(state, sink, writer);
    plain.SetSwitches(s.Search());
    plain.SetBlockSize(blockSize);
    plain.SetWindowLineBytes(windowLine);
    state.CurrentFileName = path;
    state.FileHeaderPending = true;
    ASSERT_TRUE(plain.SearchFileText(path, word));
    ASSERT_EQ(sink.Hits, expected)
        << "word " << Escaped(word) << " case=" << s.UpperLowerMatch << " fuzzy=" << s.FuzzySearch
        << " word=" << s.SearchAsWord << " block=" << blockSize << " window line=" << windowLine
        << " isa=" << int(isa) << "\ntext: " << Escaped(text.substr(0, 2000))
        << "\nsearch:" << Describe(sink.Hits) << "\nreference:" << Describe(expected);
    ASSERT_EQ(sink.Headers, expected.empty() ? 0 : 1);
    ASSERT_EQ(state.MatchedFileCount, sink.Headers);
  }

  void CheckAllSwitches(const std::string& path, std::string_view text, const std::string& word,
                        std::initializer_list<size_t> blockSizes) {
    for (int bits = 0; bits < 8; ++bits) {
      const TSwitches s{(bits & 1) != 0, (bits & 2) != 0, (bits & 4) != 0};
      const THits expected = PlainReference::Search(text, word, s);
      // Lines longer than the window keeps (a few bytes here) are searched in pieces.
      for (size_t block : blockSizes)
        for (size_t windowLine : {size_t{5}, TLineWindow::kMaxLineBytes})
          for (ByteScan::TIsa isa : ByteScan::UsableIsas()) {
            Check(path, text, word, s, expected, block, windowLine, isa);
            if (HasFatalFailure()) return;
          }
    }
  }

  TTempDir Dir;
};

}  // namespace

TEST_F(PlainSearchDiffTest, GeneratedTextsAtEveryBlockSize) {
  TTextGen gen(20240611);
  for (int round = 0; round < 250; ++round) {
    const std::string text = gen.Text(20 + gen.Pick(300));
    const std::string path = Dir.Write("t.txt", text);
    for (int w = 0; w < 4; ++w) {
      CheckAllSwitches(path, text, gen.Word(text), {1, 3, 17, 200, TLineWindow::kBlockSize});
      if (HasFatalFailure()) return;
    }
  }
}

// Words that are all lower-case letters, and lines that are long, so that whole words
// and case folding meet many occurrences per line and lines across many blocks.
TEST_F(PlainSearchDiffTest, LongLinesAndRepeatedOccurrences) {
  TTextGen gen(7);
  for (int round = 0; round < 40; ++round) {
    std::string text;
    for (int i = 0; i < 400; ++i) {
      const size_t k = gen.Pick(10);
      text += k < 4 ? "ab" : k < 6 ? "AB" : k < 7 ? "a" : gen.Piece();
    }
    const std::string path = Dir.Write("long.txt", text);
    for (const std::string word : {"ab", "aba", "b", "AB", "abab", "ba"}) {
      CheckAllSwitches(path, text, word, {5, 64, 1000, TLineWindow::kBlockSize});
      if (HasFatalFailure()) return;
    }
  }
}

TEST_F(PlainSearchDiffTest, EdgeTexts) {
  const std::string ai = Sjis("アイ");
  const std::pair<std::string, std::string> cases[] = {
      {"", "a"},
      {"a", "a"},
      {"\r", "a"},
      {"a\r", "a"},
      {"a\rb", "ab"},
      {"x\x82\rA\n",
       "\x82"
       "A"},
      {std::string("ab\0ab\nab", 8), "ab"},
      {"\x1A"
       "ab",
       "ab"},
      {"ab\n\x1A"
       "ab\nab",
       "ab"},
      {"ab\r\n\x1A"
       "ab",
       "ab"},
      {"x\x1A"
       "ab\nab\x1A\n\r\x1A",
       "ab"},
      {"\x82\n"
       "A\n",
       "A"},
      {ai + "A\n" + ai + "\r\nA\r\n", "A"},
      {"\x82\x60x \x82\x60 y\n", "\x82"},
      {"ab\x82\x60 ab\x82\x81\n", "ab\x82"},
      {Sjis("ｶﾞｷﾞ ｶﾞ\r\nガギ\n"), Sjis("ｶﾞ")},
      {std::string(300, 'a') + "\n" + std::string(300, 'a'), "aa"},
  };
  for (const auto& [text, word] : cases) {
    const std::string path = Dir.Write("e.txt", text);
    CheckAllSwitches(path, text, word, {1, 2, 4, 7, TLineWindow::kBlockSize});
    if (HasFatalFailure()) return;
  }
}

// Text shaped like the benchmark corpus (Japanese manual pages and sources, LF and CR LF
// halves), so that CI covers that shape without the corpus.
TEST_F(PlainSearchDiffTest, CorpusLikeText) {
  const std::string text = CorpusLikeText(3000, 99);
  const std::string path = Dir.Write("corpus-like.txt", text);
  for (const char* word :
       {"文字列", "日本語", "option", "環境変数", "テキスト", "ﾃｷｽﾄ", "年", "\\f"}) {
    CheckAllSwitches(path, text, Sjis(word), {4096, TLineWindow::kBlockSize});
    if (HasFatalFailure()) return;
  }
}

TEST_F(PlainSearchDiffTest, BenchmarkCorpusSlices) {
  const std::vector<std::string> slices = CorpusSlices(3 << 20);
  if (slices.empty()) GTEST_SKIP() << "no corpus at " << kCorpusBigFile;
  for (const std::string& text : slices) {
    const std::string path = Dir.Write("slice.sjis", text);
    for (const char* word :
         {"文字列", "日本語", "option", "OPTION", "環境変数", "ｱ", "\\fB", "a"}) {
      CheckAllSwitches(path, text, Sjis(word), {TLineWindow::kBlockSize});
      if (HasFatalFailure()) return;
    }
  }
}
