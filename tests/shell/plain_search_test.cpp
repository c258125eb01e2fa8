// Plain mode: line reading, case and katakana folding, the double-byte-aware find, the
// whole-word test, and the whole search through the driver.
#include "shell/plain_search.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "search/errors.h"
#include "shell/search_driver.h"
#include "tests/search/sjis.h"
#include "tests/support/recording_sink.h"
#include "tests/support/temp_dir.h"

using namespace varsik;

namespace {

using V = std::vector<std::string>;

using TSwitches = TSearchSwitches;
constexpr TSwitches kCaseSensitive{.UpperLowerMatch = true};
constexpr TSwitches kFuzzy{.FuzzySearch = true};
constexpr TSwitches kWord{.SearchAsWord = true};

class PlainSearchTest : public ::testing::Test {
 protected:
  // Searches a file holding `bytes` for `word`; returns the results view's lines.
  V Search(const std::string& bytes, const std::string& word, TSwitches s = {}) {
    return SearchFile(Dir.Write("f.txt", bytes), word, s);
  }
  V SearchFile(const std::string& path, const std::string& word, TSwitches s = {}) {
    Sink.Results.clear();
    State.CurrentFileName = path;
    State.FileHeaderPending = true;
    Plain.SetSwitches(s);
    Finished = Plain.SearchFileText(path, word);
    return Sink.Results;
  }
  // The entries alone, without the header.
  V Entries(const std::string& bytes, const std::string& word, TSwitches s = {}) {
    V r = Search(bytes, word, s);
    if (!r.empty()) r.erase(r.begin());
    return r;
  }
  bool Hit(const std::string& line, const std::string& word, TSwitches s = {}) {
    return !Search(line, word, s).empty();
  }

  TTempDir Dir;
  TRecordingSink Sink;
  TSearchState State;
  TResultWriter Writer{State, Sink};
  TPlainSearch Plain{State, Sink, Writer};
  bool Finished = false;
};

struct TWordCase {
  std::string Word;
  int Pos;
  std::string Line;
  bool Expected;
};

}  // namespace

// --- The whole-word test -----------------------------------------------------------

TEST(IsWholeWordAt, Examples) {
  const TWordCase cases[] = {
      {"ab", 1, "ab_cd", false},  {"ab", 2, "(ab)", true},   {"ab", 1, "ab" + Sjis("漢"), true},
      {"ab", 2, "xab ab", false}, {"ab", 5, "xab ab", true}, {"ab", 1, "ab", true},
      {"ab", 3, "  ab", true},    {"ab", 2, "xab", false},   {"ab", 3, "xyab", false},
      {"ab", 2, "_ab", false},    {"ab", 1, "abc", false},   {"ab", 1, "ab1", false},
  };
  for (const TWordCase& c : cases)
    EXPECT_EQ(TPlainSearch::IsWholeWordAt(c.Word, c.Pos, c.Line), c.Expected)
        << c.Word << " at " << c.Pos << " in " << c.Line;
}

TEST(IsWholeWordAt, TheTwentyEightDelimitersBoundAWord) {
  const std::string delimiters = "\t\r\n \\'\";:,.*+-/%[]{}()<>&!?=";
  ASSERT_EQ(delimiters.size(), 28u);
  for (char d : delimiters) {
    const std::string c(1, d);
    EXPECT_TRUE(TPlainSearch::IsWholeWordAt("ab", 2, c + "ab")) << int(d);
    EXPECT_TRUE(TPlainSearch::IsWholeWordAt("ab", 3, std::string("x").append(c) + "ab")) << int(d);
    EXPECT_TRUE(TPlainSearch::IsWholeWordAt("ab", 1, "ab" + c)) << int(d);
  }
}

TEST(IsWholeWordAt, EveryOtherSingleByteIsAWordCharacter) {
  const std::string delimiters = "\t\r\n \\'\";:,.*+-/%[]{}()<>&!?=";
  for (int b = 1; b < 0x80; ++b) {
    if (delimiters.find(static_cast<char>(b)) != std::string::npos) continue;
    const std::string c(1, static_cast<char>(b));
    EXPECT_FALSE(TPlainSearch::IsWholeWordAt("ab", 2, c + "ab")) << b;
    EXPECT_FALSE(TPlainSearch::IsWholeWordAt("ab", 3, " " + c + "ab")) << b;
    EXPECT_FALSE(TPlainSearch::IsWholeWordAt("ab", 1, "ab" + c)) << b;
  }
}

TEST(IsWholeWordAt, DoubleByteAndHalfWidthKanaNeighboursAreBoundaries) {
  // Trail bytes 41 ('A'), A0, 9F and 5C ('\'), and a half-width kana byte B1.
  for (const char* utf8 : {"ア", "あ", "ぁ", "ソ", "ｱ", "漢"}) {
    const std::string ch = Sjis(utf8);
    const int pos = static_cast<int>(ch.size()) + 1;
    EXPECT_TRUE(TPlainSearch::IsWholeWordAt("ab", pos, ch + "ab")) << utf8;
    EXPECT_TRUE(TPlainSearch::IsWholeWordAt("ab", pos + 1, "x" + ch + "ab")) << utf8;
    EXPECT_TRUE(TPlainSearch::IsWholeWordAt("ab", 1, "ab" + ch)) << utf8;
  }
  for (int b : {0x80, 0xA0, 0xFD, 0xFE, 0xFF})
    EXPECT_TRUE(TPlainSearch::IsWholeWordAt("ab", 2, std::string(1, char(b)) + "ab")) << b;
}

// A word character after a double-byte character whose trail byte lies in the lead
// byte range still binds the word: the characters are read from the line's start.
TEST(IsWholeWordAt, AWordCharacterAfterADoubleByteCharacterBindsTheWord) {
  for (const char* utf8 : {"あ", "ぁ", "ア", "漢"}) {
    const std::string ch = Sjis(utf8);
    EXPECT_FALSE(TPlainSearch::IsWholeWordAt("ab", 4, ch + "xab")) << utf8;
    EXPECT_FALSE(TPlainSearch::IsWholeWordAt("ab", 5, " " + ch + "xab")) << utf8;
  }
  // A half-width kana is a character of its own.
  EXPECT_FALSE(TPlainSearch::IsWholeWordAt("ab", 3, Sjis("ｱ") + "xab"));
}

// --- Finding and folding -----------------------------------------------------------

TEST_F(PlainSearchTest, CaseSwitchOffFoldsAToZBothWays) {
  EXPECT_TRUE(Hit("abc", "ABC"));
  EXPECT_TRUE(Hit("ABC", "abc"));
  EXPECT_TRUE(Hit("xAbCx", "aBc"));
  EXPECT_FALSE(Hit("abc", "ABC", kCaseSensitive));
  EXPECT_FALSE(Hit("ABC", "abc", kCaseSensitive));
  EXPECT_TRUE(Hit("ABC", "ABC", kCaseSensitive));
  // Only letters fold.
  EXPECT_FALSE(Hit("[", "{"));
  EXPECT_FALSE(Hit("@", "`"));
}

TEST_F(PlainSearchTest, FullWidthLatinGreekAndCyrillicCapitalsFold) {
  const std::pair<const char*, const char*> alphabets[] = {
      {"ＡＢＣＤＥＦＧＨＩＪＫＬＭＮＯＰＱＲＳＴＵＶＷＸＹＺ",
       "ａｂｃｄｅｆｇｈｉｊｋｌｍｎｏｐｑｒｓｔｕｖｗｘｙｚ"},
      {"ΑΒΓΔΕΖΗΘΙΚΛΜΝΞΟΠΡΣΤΥΦΧΨΩ", "αβγδεζηθικλμνξοπρστυφχψω"},
      {"АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ", "абвгдеёжзийклмнопрстуфхцчшщъыьэюя"},
  };
  for (const auto& [upper, lower] : alphabets) {
    const std::string u = Sjis(upper);
    const std::string l = Sjis(lower);
    ASSERT_EQ(u.size(), l.size());
    for (size_t i = 0; i < u.size(); i += 2) {
      const std::string uc = u.substr(i, 2);
      const std::string lc = l.substr(i, 2);
      EXPECT_TRUE(Hit(uc, lc)) << upper << " " << i / 2;
      EXPECT_TRUE(Hit(lc, uc)) << upper << " " << i / 2;
      EXPECT_FALSE(Hit(uc, lc, kCaseSensitive)) << upper << " " << i / 2;
    }
    // Neighbouring letters stay apart.
    EXPECT_FALSE(Hit(u.substr(0, 2), l.substr(2, 2)));
  }
}

TEST_F(PlainSearchTest, TrailBytesAndHalfWidthKanaAreNeverFolded) {
  // ア is 83 41: its trail byte is 'A', and ヂ is 83 61.
  const std::string a = Sjis("ア");
  const std::string di = Sjis("ヂ");
  ASSERT_EQ(static_cast<uint8_t>(di[1]), static_cast<uint8_t>(a[1]) + 0x20);
  EXPECT_FALSE(Hit(a, di));
  EXPECT_FALSE(Hit(di, a));
  // ﾁﾂ is C1 C2; a Latin-1 lower-casing would make it E1 E2, a kanji.
  const std::string kanji = "\xE1\xE2";
  ASSERT_NE(Platform::Cp932ToUtf8(kanji), "\xEF\xBF\xBD");
  EXPECT_FALSE(Hit(Sjis("ﾁﾂ"), kanji));
  EXPECT_FALSE(Hit(kanji, Sjis("ﾁﾂ")));
}

TEST_F(PlainSearchTest, AnOccurrenceNeverBeginsOnATrailByte) {
  const std::string ai = Sjis("アイ");  // 83 41 83 43
  EXPECT_FALSE(Hit(ai, "A", kCaseSensitive));
  EXPECT_FALSE(Hit(ai, "a"));
  EXPECT_FALSE(Hit(ai, "A" + Sjis("イ"), kCaseSensitive));
  EXPECT_TRUE(Hit("xA" + Sjis("イ"), "A" + Sjis("イ"), kCaseSensitive));
  // An occurrence after a trail-byte false start is still found.
  EXPECT_TRUE(Hit(ai + "A", "A", kCaseSensitive));
  // ぁ is 82 9F; 9F 82 is a false start inside ぁぁ.
  const std::string la = Sjis("ぁ");
  const std::string misaligned = std::string("\x9F\x82");
  EXPECT_FALSE(Hit(la + la, misaligned, kCaseSensitive));
  EXPECT_TRUE(Hit(la + la, la + la, kCaseSensitive));
}

TEST_F(PlainSearchTest, FuzzySwitchMatchesHalfAndFullWidthKanaBothWays) {
  const std::string half = Sjis("ｶﾞｷﾞｸｹｺﾊﾟ");
  const std::string full = Sjis("ガギクケコパ");
  EXPECT_TRUE(Hit(full, half, kFuzzy));
  EXPECT_TRUE(Hit(half, full, kFuzzy));
  EXPECT_TRUE(Hit("x" + half + "x", Sjis("ギク"), kFuzzy));
  EXPECT_FALSE(Hit(full, half));
  EXPECT_FALSE(Hit(half, full));
  // Folded after the lower-casing: case and width at once.
  EXPECT_TRUE(Hit(Sjis("ﾃｽﾄABC"), Sjis("テストabc"), kFuzzy));
  EXPECT_FALSE(Hit(Sjis("ﾃｽﾄABC"), Sjis("テストabc"), {true, true, false}));
  EXPECT_TRUE(Hit(Sjis("ﾃｽﾄabc"), Sjis("テストabc"), {true, true, false}));
}

TEST_F(PlainSearchTest, EntriesShowTheLineAsReadNotFolded) {
  EXPECT_EQ(Search(Sjis("xx\nHello ﾃｽﾄ\n"), Sjis("hello テスト"), kFuzzy),
            (V{"#\"" + Dir.Path() + "f.txt\"", " :2: " + Sjis("Hello ﾃｽﾄ")}));
}

TEST_F(PlainSearchTest, WholeWordExamples) {
  EXPECT_FALSE(Hit("ab_cd", "ab", kWord));
  EXPECT_TRUE(Hit("(ab)", "ab", kWord));
  EXPECT_TRUE(Hit("ab" + Sjis("漢字"), "ab", kWord));
  EXPECT_TRUE(Hit(Sjis("漢字") + "ab", "ab", kWord));
  EXPECT_EQ(Entries("xab ab\n", "ab", kWord), (V{" :1: xab ab"}));
  EXPECT_FALSE(Hit("xab abc", "ab", kWord));
  EXPECT_TRUE(Hit("xab_ab.ab", "ab", kWord));
  EXPECT_TRUE(Hit("xab abc", "ab"));
}

// A later occurrence is tested in the line cut behind the first character of the one
// before: one that begins right at the cut counts as preceded by a boundary.
TEST_F(PlainSearchTest, WholeWordRetriesInTheCutLine) {
  EXPECT_TRUE(Hit("xaaa", "aa", kWord));
  EXPECT_FALSE(Hit("xaab", "aa", kWord));
  // With a double-byte first character the cut falls behind the whole character.
  const std::string la = Sjis("ぁ");
  EXPECT_TRUE(Hit("x" + la + la, la, kWord));
  EXPECT_FALSE(Hit("x" + la + " " + la + "y" + la, la, kWord));
  EXPECT_TRUE(Hit("x" + la + " " + la + "y " + la, la, kWord));
  EXPECT_FALSE(Hit("x" + la + "y", la, kWord));
}

TEST_F(PlainSearchTest, OneEntryPerLineAndOneHeaderPerFile) {
  const std::string path = Dir.Write("g.txt", "abc abc\nnone\nxabcx\n");
  EXPECT_EQ(SearchFile(path, "abc"), (V{"#\"" + path + "\"", " :1: abc abc", " :3: xabcx"}));
  EXPECT_EQ(State.MatchedFileCount, 1);
  EXPECT_FALSE(State.FileHeaderPending);
  EXPECT_TRUE(Finished);
  EXPECT_TRUE(Search("abc\n", "zzz").empty());
  EXPECT_EQ(State.MatchedFileCount, 1);
  EXPECT_TRUE(State.FileHeaderPending);
}

TEST_F(PlainSearchTest, EmptyWordAndEmptyLinesNeverMatch) {
  EXPECT_TRUE(Search("abc\n\ndef\n", "").empty());
  EXPECT_TRUE(Finished);
  EXPECT_TRUE(Search("\n\n\n", " ").empty());
  // The file is still read, with its poll points: a stop is still seen.
  Sink.Polls = 0;
  Sink.OnPoll = [&] { State.CancelRequested = true; };
  EXPECT_TRUE(Search("abc\n\ndef\n", "").empty());
  EXPECT_EQ(Sink.Polls, 1);
  EXPECT_FALSE(Finished);
}

// --- Reading lines ----------------------------------------------------------------

TEST_F(PlainSearchTest, LineEndsAndNumbers) {
  EXPECT_EQ(Entries("abc\nabc\r\nx\nabc", "abc"), (V{" :1: abc", " :2: abc", " :4: abc"}));
  // A lone CR is dropped and does not start a new line.
  EXPECT_EQ(Entries("a\rb abc\r\nabc\n", "abc"), (V{" :1: ab abc", " :2: abc"}));
  EXPECT_EQ(Entries("x\r\r\nabc\r", "abc"), (V{" :2: abc"}));
  EXPECT_EQ(Entries("a\r\rbc\n", "abc"), (V{" :1: abc"}));
  EXPECT_EQ(Entries("\r\n\n\rabc", "abc"), (V{" :3: abc"}));
}

TEST_F(PlainSearchTest, NothingFromTheFirstNulOnIsSearched) {
  EXPECT_EQ(Entries(std::string("abc\nxy\0abc\nabc\n", 16), "abc"), (V{" :1: abc"}));
  EXPECT_EQ(Entries(std::string("abc\0", 4), "abc"), (V{" :1: abc"}));
  EXPECT_EQ(Entries(std::string("ab\0c", 4), "abc"), V{});
  EXPECT_EQ(Entries(std::string("\0abc", 4), "abc"), V{});
  EXPECT_EQ(Entries(std::string("abc\r\0", 5), "abc"), (V{" :1: abc"}));
}

TEST_F(PlainSearchTest, ReadingStopsBeforeALineThatBeginsWithCtrlZ) {
  EXPECT_TRUE(Search("\x1A"
                     "abc\nabc\n",
                     "abc")
                  .empty());
  EXPECT_EQ(Entries("abc\n\x1A"
                    "abc\nabc\n",
                    "abc"),
            (V{" :1: abc"}));
  EXPECT_EQ(Entries("abc\r\n\x1A", "abc"), (V{" :1: abc"}));
  // Inside a line it is an ordinary byte.
  EXPECT_EQ(Entries("x\x1A"
                    "abc\nabc",
                    "abc"),
            (V{" :1: x\x1A"
               "abc",
               " :2: abc"}));
}

TEST_F(PlainSearchTest, EmptyFileHasNoLines) {
  EXPECT_TRUE(Search("", "abc").empty());
  EXPECT_EQ(Sink.Polls, 0);
  EXPECT_TRUE(Finished);
}

// --- Cancellation and failures -------------------------------------------------------

// Each hit is written after a poll: a stop seen there keeps the hits before it and
// writes none after it.
TEST_F(PlainSearchTest, CancelIsSeenBeforeTheNextHit) {
  Sink.OnPoll = [&] {
    if (Sink.Results.size() == 3) State.CancelRequested = true;
  };
  EXPECT_EQ(Entries("abc 1\nabc 2\nabc 3\nabc 4\n", "abc"), (V{" :1: abc 1", " :2: abc 2"}));
  EXPECT_FALSE(Finished);
}

// While lines are scanned the sink is polled at least once per block read (here a few
// lines), so a stop ends the file early; the hits of the lines scanned before the poll
// that saw it are written, in order.
TEST_F(PlainSearchTest, CancelIsSeenWithinABlockOfLines) {
  std::string text;
  for (int i = 1; i <= 1000; ++i) text += "abc " + std::to_string(i) + "\n";
  Plain.SetBlockSize(32);
  Sink.OnPoll = [&] {
    if (Sink.Polls == 10) State.CancelRequested = true;
  };
  const V entries = Entries(text, "abc");
  EXPECT_FALSE(Finished);
  EXPECT_EQ(Sink.Polls, 10);
  ASSERT_FALSE(entries.empty());
  EXPECT_LT(entries.size(), 100u);
  for (size_t i = 0; i < entries.size(); ++i)
    EXPECT_EQ(entries[i], " :" + std::to_string(i + 1) + ": abc " + std::to_string(i + 1));
}

// A file without hits is polled through as well.
TEST_F(PlainSearchTest, CancelEndsAFileWithoutHits) {
  Plain.SetBlockSize(64);
  Sink.OnPoll = [&] {
    if (Sink.Polls == 3) State.CancelRequested = true;
  };
  std::string text;
  for (int i = 0; i < 1000; ++i) text += "xxxxxxxxxx\n";
  EXPECT_TRUE(Search(text, "abc").empty());
  EXPECT_FALSE(Finished);
  EXPECT_EQ(Sink.Polls, 3);
}

TEST_F(PlainSearchTest, AFileThatCannotBeReadRaises) {
  EXPECT_THROW(SearchFile(Dir.Path() + "missing.txt", "abc"), EFileNotFound);
  EXPECT_THROW(SearchFile(Dir.MakeDir("folder.txt"), "abc"), EInOutError);
  EXPECT_TRUE(Sink.Results.empty());
  EXPECT_EQ(Sink.Polls, 0);
}

// --- The whole search through the driver ----------------------------------------------

TEST(PlainSearchDriver, HeadersEntriesErrorsAndCounts) {
  TTempDir dir;
  dir.Write("a.txt", "first abc\r\nnothing\r\nABC again\r\n");
  dir.Write("b.txt", "nothing here\n");
  dir.Write("c.txt", "gone before it is searched");
  dir.Write("d.txt", Sjis("ｶﾅ abc\n"));
  dir.Write("e.bin", "abc\n");
  TRecordingSink sink;
  // The walk lists a folder first; c.txt disappears before it is taken up.
  sink.OnPoll = [&] {
    if (sink.Files.size() == 2) std::filesystem::remove(dir.Path() + "c.txt");
  };
  TSearchOptions o;
  o.Word = "abc";
  o.Masks = "*.txt";
  o.FolderText = dir.Path();
  o.ShowErrorBox = true;
  TSearchDriver driver(sink);
  driver.Run(o);
  const std::string p = dir.Path();
  EXPECT_EQ(sink.Results, (V{
                              "#\"" + p + "a.txt\"",
                              " :1: first abc",
                              " :3: ABC again",
                              "\"ファイル " + p + "c.txt は開けませんでした。\"",
                              "#\"" + p + "d.txt\"",
                              " :1: " + Sjis("ｶﾅ abc"),
                          }));
  EXPECT_EQ(sink.ErrorBoxes, (V{"ファイル " + p + "c.txt は開けませんでした。"}));
  EXPECT_EQ(driver.StatusText(), "検索ファイル数 : 4   一致ファイル数 : 2   一致行数 : 3");
  EXPECT_FALSE(driver.SearchState().FileHeaderPending);
}

TEST(PlainSearchDriver, SwitchesReachThePlainSearch) {
  TTempDir dir;
  dir.Write("a.txt", Sjis("ﾃｽﾄ_x\nテスト x\n"));
  TRecordingSink sink;
  TSearchOptions o;
  o.Word = Sjis("テスト");
  o.FolderText = dir.Path();
  o.Switches.FuzzySearch = true;
  o.Switches.SearchAsWord = true;
  TSearchDriver driver(sink);
  driver.Run(o);
  EXPECT_EQ(sink.Results, (V{"#\"" + dir.Path() + "a.txt\"", " :2: " + Sjis("テスト x")}));
}

TEST(PlainSearchDriver, CancelInAFileEndsTheWalk) {
  TTempDir dir;
  dir.Write("a.txt", "abc\nabc\nabc\n");
  dir.Write("b.txt", "abc\n");
  TRecordingSink sink;
  TSearchDriver driver(sink);
  sink.OnPoll = [&] {
    if (sink.Results.size() == 3) driver.RequestCancel();
  };
  TSearchOptions o;
  o.Word = "abc";
  o.FolderText = dir.Path();
  driver.Run(o);
  EXPECT_EQ(sink.Results, (V{"#\"" + dir.Path() + "a.txt\"", " :1: abc", " :2: abc"}));
  EXPECT_EQ(sink.Files.size(), 1u);
  EXPECT_EQ(driver.StatusText(), "検索ファイル数 : 1   一致ファイル数 : 1   一致行数 : 2");
}
