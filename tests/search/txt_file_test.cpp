// TTxtFile: the code stream of both cursors, line texts and numbers, end of file,
// polls and cancellation, at the real block size and at tiny ones so that every block
// boundary case is reached. A simple model of the expected stream, computed from the
// bytes alone, is compared with the reader on many generated files.
#include "search/txt_file.h"

#include <cerrno>
#include <cstring>
#include <optional>
#include <random>

#include <gtest/gtest.h>

#include "tests/search/sjis.h"
#include "tests/support/cut_model.h"
#include "tests/support/temp_dir.h"

using namespace varsik;

namespace {

using V = std::vector<std::string>;
using Codes = std::vector<uint16_t>;

constexpr int32_t kRealBlock = TTxtFile::kBuffSize;
// Tiny blocks put a boundary at every position; the real one is the normal case.
const int32_t kBlockSizes[] = {1, 2, 3, 4, 5, 7, 16, kRealBlock};

bool IsLead(uint8_t b) {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// What the reader must deliver for a file, computed without blocks or cursors: the
// text with an LF in front, NUL made a space, a final LF ensured and every line end
// (CR LF, lone CR, LF) made one LF.
struct TModel {
  explicit TModel(const std::string& bytes) {
    std::string t = "\n" + bytes;
    for (char& c : t)
      if (c == '\0') c = ' ';
    if (t.back() != '\n') t += '\n';
    for (size_t i = 0; i < t.size(); ++i) {
      if (t[i] != '\r') {
        Text += t[i];
      } else if (i + 1 < t.size() && t[i + 1] == '\n') {
        // The LF of the pair follows.
      } else {
        Text += '\n';
      }
    }
    size_t start = 0;
    for (size_t lf = Text.find('\n'); lf != std::string::npos; lf = Text.find('\n', start)) {
      Lines.push_back(Text.substr(start, lf - start));
      start = lf + 1;
    }
  }

  // The main cursor: the next code, or nullopt at the end of the file.
  std::optional<uint16_t> GetWChar() {
    const size_t last = Text.size() - 1;  // the final LF, never delivered here
    if (Pos >= last) {
      Pos = Ahead = Text.size();
      return std::nullopt;
    }
    uint16_t code = Byte(Pos++);
    if (code == '\n') ++LineNo;
    // A line end is never a trail byte.
    if (IsLead(static_cast<uint8_t>(code)) && Byte(Pos) != '\n')
      code = static_cast<uint16_t>(code << 8 | Byte(Pos++));
    Ahead = Pos;
    return code;
  }
  uint16_t GetAheadWChar() {
    if (Ahead >= Text.size()) return 0;
    uint16_t code = Byte(Ahead++);
    if (IsLead(static_cast<uint8_t>(code)) && Ahead < Text.size() && Byte(Ahead) != '\n')
      code = static_cast<uint16_t>(code << 8 | Byte(Ahead++));
    return code;
  }
  bool AheadAtEnd() const { return Ahead >= Text.size(); }
  std::string GetThisLine() {
    Pos = Ahead = Text.find('\n', Pos);
    return CutModel(Lines[static_cast<size_t>(LineNo)], MaxLineBytes);
  }
  uint8_t Byte(size_t i) const { return static_cast<uint8_t>(Text[i]); }

  std::string Text;
  V Lines;  // Lines[0] is the empty text before the leading LF
  size_t Pos = 0;
  size_t Ahead = 0;
  int64_t LineNo = 0;
  size_t MaxLineBytes = 0;
};

// Every line of the file as the grep engine would report it if every line matched.
struct TReadResult {
  V Lines;
  std::vector<int64_t> Numbers;
  Codes Stream;
};

TReadResult ReadEverything(TTxtFile& f) {
  TReadResult r;
  try {
    for (;;) {
      r.Stream.push_back(f.GetWChar());
      if (f.LineNo() > static_cast<int64_t>(r.Lines.size())) {
        RE_LineInfo_t info;
        f.GetThisLine(info);
        r.Lines.push_back(info.Line);
        r.Numbers.push_back(info.LineNo);
      }
    }
  } catch (const EEndOfFile&) {
  }
  return r;
}

V LinesOf(const std::string& path, int32_t block) {
  TTxtFile f(path, nullptr, {}, block);
  return ReadEverything(f).Lines;
}

Codes MainStream(const std::string& path, int32_t block) {
  TTxtFile f(path, nullptr, {}, block);
  Codes codes;
  try {
    for (;;) codes.push_back(f.GetWChar());
  } catch (const EEndOfFile&) {
  }
  return codes;
}

class TxtFileTest : public ::testing::Test {
 protected:
  std::string File(const std::string& bytes) { return Dir.Write("f.txt", bytes); }
  TTempDir Dir;
};

}  // namespace

// --- Opening ----------------------------------------------------------------------

TEST_F(TxtFileTest, EmptyFileRaisesEndOfFileAtCreate) {
  for (int32_t block : kBlockSizes)
    EXPECT_THROW(TTxtFile(File(""), nullptr, {}, block), EEndOfFile);
}

TEST_F(TxtFileTest, MissingFileRaisesFileNotFoundWithTheSystemsMessage) {
  try {
    TTxtFile f(Dir.Path() + "missing.txt", nullptr);
    FAIL() << "no exception";
  } catch (const EFileNotFound& e) {
    EXPECT_STREQ(e.what(), std::strerror(ENOENT));
  }
}

TEST_F(TxtFileTest, FolderRaisesFileNotFound) {
  EXPECT_THROW(TTxtFile(Dir.MakeDir("sub"), nullptr), EFileNotFound);
}

TEST_F(TxtFileTest, FirstCodeIsTheLeadingLf) {
  for (int32_t block : kBlockSizes) {
    TTxtFile f(File("abc"), nullptr, {}, block);
    EXPECT_EQ(f.LineNo(), 0);
    EXPECT_EQ(f.GetWChar(), '\n');
    EXPECT_EQ(f.LineNo(), 1);
    EXPECT_EQ(f.GetWChar(), 'a');
  }
}

// --- Lines and codes ----------------------------------------------------------------

TEST_F(TxtFileTest, LineEndsAndTheFinalLf) {
  const std::pair<std::string, V> cases[] = {
      {"abc", {"abc"}},
      {"abc\n", {"abc"}},
      {"a\r\nb", {"a", "b"}},
      {"a\rb", {"a", "b"}},
      {"a\nb", {"a", "b"}},
      {"a\r\r\nb", {"a", "", "b"}},
      {"a\r", {"a"}},
      {"\r\n", {""}},
      {"\r", {""}},
      {"\n\n", {"", ""}},
      {"\r\r\n\n\r", {"", "", "", ""}},
      {"a\n\rb\r\n", {"a", "", "b"}},
  };
  for (const auto& [bytes, lines] : cases)
    for (int32_t block : kBlockSizes)
      EXPECT_EQ(LinesOf(File(bytes), block), lines) << testing::PrintToString(bytes) << block;
}

TEST_F(TxtFileTest, NulBytesAreSpaces) {
  for (int32_t block : kBlockSizes) {
    EXPECT_EQ(LinesOf(File(std::string("a\0b\0", 4)), block), (V{"a b "})) << block;
    EXPECT_EQ(LinesOf(File(std::string("\0\0\n\0", 4)), block), (V{"  ", " "})) << block;
    EXPECT_EQ(MainStream(File(std::string("\0", 1)), block), (Codes{'\n', ' '})) << block;
  }
}

TEST_F(TxtFileTest, DoubleByteCharactersAreOneCode) {
  const std::string text = Sjis("漢字") + "\x80\xA0\xB1\xDF\xFD\xFE\xFF" + Sjis("表");
  for (int32_t block : kBlockSizes)
    EXPECT_EQ(MainStream(File(text), block),
              (Codes{'\n', 0x8ABF, 0x8E9A, 0x80, 0xA0, 0xB1, 0xDF, 0xFD, 0xFE, 0xFF, 0x955C}))
        << block;
}

// A line end is never a trail byte: a lead byte in front of one is a character of its
// own, and the line end is still delivered and counted.
TEST_F(TxtFileTest, LeadByteBeforeALineEndStandsAlone) {
  for (int32_t block : kBlockSizes) {
    TTxtFile f(File("\x82\r\nx\x82\ny\x82\rz"), nullptr, {}, block);
    EXPECT_EQ(f.GetWChar(), '\n');
    EXPECT_EQ(f.GetWChar(), 0x82);
    EXPECT_EQ(f.LineNo(), 1);
    EXPECT_EQ(f.GetWChar(), '\n');
    EXPECT_EQ(f.GetWChar(), 'x');
    EXPECT_EQ(f.GetWChar(), 0x82);
    EXPECT_EQ(f.GetWChar(), '\n');
    EXPECT_EQ(f.GetWChar(), 'y');
    EXPECT_EQ(f.GetWChar(), 0x82);
    EXPECT_EQ(f.GetWChar(), '\n');
    EXPECT_EQ(f.LineNo(), 4);
    EXPECT_EQ(f.GetWChar(), 'z');
    EXPECT_THROW(f.GetWChar(), EEndOfFile);
    // A lead byte as the file's last byte is its last character.
    TTxtFile g(File("z\x82"), nullptr, {}, block);
    EXPECT_EQ(g.GetWChar(), '\n');
    EXPECT_EQ(g.GetWChar(), 'z');
    EXPECT_EQ(g.GetWChar(), 0x82);
    EXPECT_THROW(g.GetWChar(), EEndOfFile);
  }
}

TEST_F(TxtFileTest, GetCharReadsBytesWithLineEnds) {
  for (int32_t block : kBlockSizes) {
    TTxtFile f(File("a\r\n" + Sjis("漢") + "\r"), nullptr, {}, block);
    std::string bytes;
    try {
      for (;;) bytes += static_cast<char>(f.GetChar());
    } catch (const EEndOfFile&) {
    }
    EXPECT_EQ(bytes, "\na\n" + Sjis("漢")) << block;
    EXPECT_EQ(f.LineNo(), 2);
  }
}

TEST_F(TxtFileTest, GetThisLineLeavesTheCursorOnTheLf) {
  for (int32_t block : kBlockSizes) {
    TTxtFile f(File("xyz\r\nnext"), nullptr, {}, block);
    f.GetWChar();
    f.GetWChar();
    RE_LineInfo_t info;
    f.GetThisLine(info);
    EXPECT_EQ(info.Line, "xyz");
    EXPECT_EQ(info.LineNo, 1);
    // Asking again gives the same line.
    f.GetThisLine(info);
    EXPECT_EQ(info.Line, "xyz");
    EXPECT_EQ(f.GetAheadWChar(), '\n');
    EXPECT_EQ(f.GetWChar(), '\n');
    EXPECT_EQ(f.LineNo(), 2);
    f.GetThisLine(info);
    EXPECT_EQ(info.Line, "next");
    EXPECT_EQ(info.LineNo, 2);
    EXPECT_THROW(f.GetWChar(), EEndOfFile);
  }
}

// --- The look-ahead -------------------------------------------------------------------

TEST_F(TxtFileTest, LookAheadReadsOnWithoutMovingTheMainCursor) {
  for (int32_t block : kBlockSizes) {
    TTxtFile f(File("ab\r\n" + Sjis("漢") + "\rc"), nullptr, {}, block);
    EXPECT_EQ(f.GetWChar(), '\n');
    EXPECT_EQ(f.GetWChar(), 'a');
    EXPECT_EQ(f.GetAheadWChar(), 'b');
    EXPECT_EQ(f.GetAheadWChar(), '\n');
    EXPECT_EQ(f.GetAheadWChar(), 0x8ABF);
    EXPECT_EQ(f.GetAheadWChar(), '\n');
    EXPECT_EQ(f.GetAheadWChar(), 'c');
    EXPECT_FALSE(f.AheadAtEnd());
    EXPECT_EQ(f.GetAheadWChar(), '\n');  // the final LF
    EXPECT_TRUE(f.AheadAtEnd());
    EXPECT_EQ(f.GetAheadWChar(), 0);
    EXPECT_EQ(f.GetAheadWChar(), 0);
    EXPECT_EQ(f.LineNo(), 1);
    // The main cursor goes on from where it stood.
    EXPECT_EQ(f.GetWChar(), 'b');
    EXPECT_FALSE(f.AheadAtEnd());
    RE_LineInfo_t info;
    f.GetThisLine(info);
    EXPECT_EQ(info.Line, "ab");
    EXPECT_EQ(MainStream(File("ab\r\n" + Sjis("漢") + "\rc"), block),
              (Codes{'\n', 'a', 'b', '\n', 0x8ABF, '\n', 'c'}));
  }
}

// The look-ahead takes the byte after a lead byte as its trail, but never a line end.
TEST_F(TxtFileTest, LookAheadNeverTakesALineEndAsTrailByte) {
  for (int32_t block : kBlockSizes) {
    TTxtFile f(File("x\x82\r\ny\x82\rz\x82"), nullptr, {}, block);
    EXPECT_EQ(f.GetWChar(), '\n');
    for (uint16_t code :
         std::initializer_list<uint16_t>{'x', 0x82, '\n', 'y', 0x82, '\n', 'z', 0x82, '\n', 0})
      EXPECT_EQ(f.GetAheadWChar(), code) << block;
  }
}

// A lead byte before a lone CR and an empty line: when the look-ahead passes there first,
// the main cursor still counts both line ends, so later lines keep their numbers.
TEST_F(TxtFileTest, LeadByteBeforeALoneCrSeenFirstByTheLookAhead) {
  for (int32_t block : kBlockSizes) {
    TTxtFile f(File("a\xFC\r\rb\nc\n"), nullptr, {}, block);
    EXPECT_EQ(f.GetWChar(), '\n');
    EXPECT_EQ(f.GetWChar(), 'a');
    EXPECT_EQ(f.GetAheadWChar(), 0xFC);
    EXPECT_EQ(f.GetAheadWChar(), '\n');
    EXPECT_EQ(f.GetAheadWChar(), '\n');
    EXPECT_EQ(f.GetAheadWChar(), 'b');
    EXPECT_EQ(f.GetWChar(), 0xFC);
    EXPECT_EQ(f.GetWChar(), '\n');
    EXPECT_EQ(f.LineNo(), 2);
    EXPECT_EQ(f.GetWChar(), '\n');
    EXPECT_EQ(f.LineNo(), 3);
    EXPECT_EQ(f.GetWChar(), 'b');
    EXPECT_EQ(f.GetWChar(), '\n');
    EXPECT_EQ(f.GetWChar(), 'c');
    RE_LineInfo_t info;
    f.GetThisLine(info);
    EXPECT_EQ(info.Line, "c");
    EXPECT_EQ(info.LineNo, 4) << block;
  }
}

// A lone CR that the look-ahead turned into LF stays one for the main cursor.
TEST_F(TxtFileTest, LoneCrSeenFirstByTheLookAhead) {
  for (int32_t block : kBlockSizes) {
    TTxtFile f(File("ab\rc"), nullptr, {}, block);
    EXPECT_EQ(f.GetWChar(), '\n');
    EXPECT_EQ(f.GetWChar(), 'a');
    EXPECT_EQ(f.GetAheadWChar(), 'b');
    EXPECT_EQ(f.GetAheadWChar(), '\n');
    EXPECT_EQ(f.GetAheadWChar(), 'c');
    EXPECT_EQ(f.GetWChar(), 'b');
    EXPECT_EQ(f.GetWChar(), '\n');
    EXPECT_EQ(f.LineNo(), 2);
    EXPECT_EQ(f.GetWChar(), 'c');
    RE_LineInfo_t info;
    f.GetThisLine(info);
    EXPECT_EQ(info.Line, "c");
    EXPECT_EQ(info.LineNo, 2);
  }
}

// --- End of file ------------------------------------------------------------------------

TEST_F(TxtFileTest, EndOfFileIsRaisedAgainAndTheLookAheadStaysAtZero) {
  for (const std::string& bytes : {std::string("ab"), std::string("ab\n"), std::string("\n")}) {
    for (int32_t block : kBlockSizes) {
      TTxtFile f(File(bytes), nullptr, {}, block);
      ReadEverything(f);
      const int64_t lines = f.LineNo();
      EXPECT_EQ(lines, 1);
      for (int i = 0; i < 3; ++i) {
        EXPECT_THROW(f.GetWChar(), EEndOfFile);
        EXPECT_TRUE(f.AheadAtEnd());
        EXPECT_EQ(f.GetAheadWChar(), 0);
        EXPECT_EQ(f.LineNo(), lines);
      }
      RE_LineInfo_t info;
      EXPECT_THROW(f.GetThisLine(info), EEndOfFile);
    }
  }
}

TEST_F(TxtFileTest, AFileOfExactlyOneBlock) {
  std::string withLf(kRealBlock, 'x');
  withLf[100] = '\n';
  withLf.back() = '\n';
  std::string withoutLf(kRealBlock, 'y');
  withoutLf[100] = '\n';
  for (int32_t block : {kRealBlock, kRealBlock / 2, kRealBlock / 3}) {
    TTxtFile a(File(withLf), nullptr, {}, block);
    TReadResult r = ReadEverything(a);
    EXPECT_EQ(r.Lines, (V{std::string(100, 'x'), std::string(kRealBlock - 102, 'x')}));
    EXPECT_EQ(r.Numbers, (std::vector<int64_t>{1, 2}));
    EXPECT_THROW(a.GetWChar(), EEndOfFile);

    TTxtFile b(File(withoutLf), nullptr, {}, block);
    r = ReadEverything(b);
    EXPECT_EQ(r.Lines, (V{std::string(100, 'y'), std::string(kRealBlock - 101, 'y')}));
    EXPECT_THROW(b.GetWChar(), EEndOfFile);
  }
}

TEST_F(TxtFileTest, ALineLongerThanThreeBlocks) {
  const std::string longLine(3 * kRealBlock + 777, 'L');
  const std::string path = File("first\r\n" + longLine + "\r\nafter\n");
  for (int32_t block : {kRealBlock, 1000, 7}) {
    TTxtFile f(path, nullptr, {}, block);
    TReadResult r = ReadEverything(f);
    EXPECT_EQ(r.Lines, (V{"first", longLine, "after"})) << block;
    EXPECT_EQ(r.Numbers, (std::vector<int64_t>{1, 2, 3})) << block;
  }
}

// A match attempt reported only near the end of a long line still gets the whole line.
TEST_F(TxtFileTest, ALongLineReportedAfterTheLookAheadCrossedBlocks) {
  const std::string longLine = std::string(2 * kRealBlock + 5, 'a') + "b";
  const std::string path = File("x\n" + longLine + "\ny");
  TTxtFile f(path, nullptr, {});
  EXPECT_EQ(f.GetWChar(), '\n');
  EXPECT_EQ(f.GetWChar(), 'x');
  EXPECT_EQ(f.GetWChar(), '\n');
  EXPECT_EQ(f.GetWChar(), 'a');
  for (size_t i = 1; i < longLine.size(); ++i) ASSERT_EQ(f.GetAheadWChar(), longLine[i]) << i;
  RE_LineInfo_t info;
  f.GetThisLine(info);
  EXPECT_EQ(info.Line, longLine);
  EXPECT_EQ(info.LineNo, 2);
  EXPECT_EQ(f.GetWChar(), '\n');
  EXPECT_EQ(f.GetWChar(), 'y');
  f.GetThisLine(info);
  EXPECT_EQ(info.Line, "y");
  EXPECT_EQ(info.LineNo, 3);
}

// Block boundaries at the real size: a CR LF split by one, a lone CR just before one,
// and a NUL as the first byte of a block, met by either cursor.
TEST_F(TxtFileTest, BoundaryCasesAtTheRealBlockSize) {
  const size_t b = kRealBlock;
  std::string crlf(b - 1, 'a');  // the CR is the first block's last byte
  crlf += "\r\nz";
  EXPECT_EQ(LinesOf(File(crlf), kRealBlock), (V{std::string(b - 1, 'a'), "z"}));
  std::string secondBlock(2 * b - 1, 'a');
  secondBlock += "\r\nz";
  EXPECT_EQ(LinesOf(File(secondBlock), kRealBlock), (V{std::string(2 * b - 1, 'a'), "z"}));
  std::string lone(b - 1, 'a');
  lone += "\rz";
  EXPECT_EQ(LinesOf(File(lone), kRealBlock), (V{std::string(b - 1, 'a'), "z"}));

  std::string nul(2 * b + 10, 'n');
  nul[b] = '\0';
  nul[2 * b] = '\0';
  std::string expected = nul;
  expected[b] = expected[2 * b] = ' ';
  EXPECT_EQ(LinesOf(File(nul), kRealBlock), (V{expected}));
  // The look-ahead crosses the boundary first.
  TTxtFile f(File(nul), nullptr, {});
  f.GetWChar();
  f.GetWChar();
  for (size_t i = 1; i < nul.size(); ++i) ASSERT_EQ(f.GetAheadWChar(), expected[i]) << i;
  RE_LineInfo_t info;
  f.GetThisLine(info);
  EXPECT_EQ(info.Line, expected);
}

// --- Polls and cancellation ---------------------------------------------------------------

TEST_F(TxtFileTest, PollsAfterEveryBlockReadAndAtEveryLine) {
  const std::string bytes = "line one\nline two\nthree";  // 23 bytes
  for (int32_t block : {1, 2, 5, 23, 24, kRealBlock}) {
    int polls = 0;
    TTxtFile f(
        File(bytes), nullptr, [&] { ++polls; }, block);
    EXPECT_EQ(polls, 1);
    Codes stream;
    try {
      for (;;) stream.push_back(f.GetWChar());
    } catch (const EEndOfFile&) {
    }
    EXPECT_EQ(polls, (23 + block - 1) / block) << block;
  }
  int polls = 0;
  TTxtFile g(File(bytes), nullptr, [&] { ++polls; });
  RE_LineInfo_t info;
  g.GetWChar();
  g.GetThisLine(info);
  g.GetThisLine(info);
  EXPECT_EQ(polls, 3);
}

TEST_F(TxtFileTest, CancelBeforeCreateIsSeenAfterTheFirstBlock) {
  bool cancel = true;
  int polls = 0;
  EXPECT_THROW(TTxtFile(File("abc"), &cancel, [&] { ++polls; }), EGrepCancel);
  EXPECT_EQ(polls, 1);
  // An empty file ends before the poll.
  EXPECT_THROW(TTxtFile(File(""), &cancel), EEndOfFile);
}

TEST_F(TxtFileTest, CancelDuringReadingIsSeenAtTheNextBlock) {
  for (int32_t block : {1, 3, 4}) {
    bool cancel = false;
    int polls = 0;
    // The event pump sets the flag, as the stop command would; the reader reads it
    // right after.
    TTxtFile f(
        File("abcdefghijkl"), &cancel, [&] { cancel = ++polls == 3; }, block);
    Codes codes;
    EXPECT_THROW(
        {
          for (;;) codes.push_back(f.GetWChar());
        },
        EGrepCancel);
    EXPECT_EQ(polls, 3);
    // Everything of the two blocks read before the cancelling read was delivered.
    EXPECT_EQ(codes.size(), static_cast<size_t>(2 * block)) << block;
  }
}

TEST_F(TxtFileTest, CancelIsSeenAtGetThisLineAndByTheLookAhead) {
  bool cancel = false;
  TTxtFile f(File("abc\ndef"), &cancel, {}, 2);
  f.GetWChar();
  cancel = true;
  RE_LineInfo_t info;
  EXPECT_THROW(f.GetThisLine(info), EGrepCancel);
  bool cancel2 = false;
  TTxtFile g(File("abcdef"), &cancel2, {}, 2);
  g.GetWChar();
  cancel2 = true;
  EXPECT_EQ(g.GetAheadWChar(), 'a');
  EXPECT_THROW(g.GetAheadWChar(), EGrepCancel);
}

// --- Every block size against the model, on generated files ------------------------------

namespace {

// Bytes that exercise the reader: line ends, NUL, lead bytes (also as trail), bytes of
// the half-width katakana range, and plain letters.
std::string RandomFile(std::mt19937& rng) {
  static const uint8_t kAlphabet[] = {'a',  'b',  'A',  ' ',  '\n', '\r', '\0', 0x82,
                                      0xE0, 0x9F, 0xA0, 0xB1, 0x1A, 0xFD, 0x5C, 0x40};
  std::uniform_int_distribution<int> length(0, 40);
  std::uniform_int_distribution<size_t> pick(0, sizeof kAlphabet - 1);
  std::string s;
  const int n = length(rng);
  for (int i = 0; i < n; ++i) s += static_cast<char>(kAlphabet[pick(rng)]);
  return s;
}

// One step of a scan and what it gave: a code (or -1 for end of file), a line, the
// line number, whether the look-ahead was at the end.
struct TStep {
  char Op;
  int Code;
  std::string Line;
  int64_t LineNo;
  bool AheadAtEnd;
  bool operator==(const TStep&) const = default;
};

std::ostream& operator<<(std::ostream& os, const TStep& s) {
  return os << s.Op << ":" << s.Code << ":" << testing::PrintToString(s.Line) << ":" << s.LineNo
            << ":" << s.AheadAtEnd;
}

// Runs the same script of operations on the reader and on the model.
template <typename TScanner>
std::vector<TStep> Scan(TScanner& s, uint32_t seed) {
  std::mt19937 rng(seed);
  std::uniform_int_distribution<int> op(0, 99);
  std::uniform_int_distribution<int> run(1, 6);
  std::vector<TStep> steps;
  for (int guard = 0; guard < 1000; ++guard) {
    const int o = op(rng);
    if (o < 55) {
      const std::optional<uint16_t> c = s.GetWChar();
      steps.push_back({'w', c ? *c : -1, "", s.LineNo(), s.AheadAtEnd()});
      if (!c) break;
    } else if (o < 85) {
      for (int i = run(rng); i > 0; --i)
        steps.push_back({'a', s.GetAheadWChar(), "", s.LineNo(), s.AheadAtEnd()});
    } else {
      steps.push_back({'l', 0, s.GetThisLine(), s.LineNo(), s.AheadAtEnd()});
    }
  }
  return steps;
}

// The reader behind the model's interface.
struct TReaderScanner {
  TTxtFile& F;
  std::optional<uint16_t> GetWChar() {
    try {
      return F.GetWChar();
    } catch (const EEndOfFile&) {
      return std::nullopt;
    }
  }
  uint16_t GetAheadWChar() { return F.GetAheadWChar(); }
  std::string GetThisLine() {
    RE_LineInfo_t info;
    F.GetThisLine(info);
    EXPECT_EQ(info.LineNo, F.LineNo());
    return info.Line;
  }
  int64_t LineNo() const { return F.LineNo(); }
  bool AheadAtEnd() const { return F.AheadAtEnd(); }
};

struct TModelScanner : TModel {
  using TModel::TModel;
  int64_t LineNo() const { return TModel::LineNo; }
};

}  // namespace

// Text kept within a few bytes: lines are cut to their first bytes, and text that the
// look-ahead runs past is let go and read again. The stream of codes, the line numbers
// and the cut line texts are those of the model.
TEST_F(TxtFileTest, BoundedMemoryAgreesWithTheModel) {
  std::mt19937 rng(77);
  constexpr size_t kMaxLine = 3;
  for (int file = 0; file < 400; ++file) {
    const std::string bytes = RandomFile(rng);
    if (bytes.empty()) continue;
    const std::string path = File(bytes);
    for (uint32_t seed = 0; seed < 4; ++seed) {
      TModelScanner model(bytes);
      model.MaxLineBytes = kMaxLine;
      const std::vector<TStep> expected = Scan(model, seed);
      for (int32_t block : {1, 2, 3, 7}) {
        for (size_t keep : {size_t{0}, size_t{5}, size_t{9}}) {
          TTxtFile f(path, nullptr, {}, block);
          f.SetMaxLineBytes(kMaxLine);
          f.SetKeepLimit(keep);
          TReaderScanner reader{f};
          ASSERT_EQ(Scan(reader, seed), expected) << testing::PrintToString(bytes) << " block "
                                                  << block << " keep " << keep << " seed " << seed;
        }
      }
    }
  }
}

TEST_F(TxtFileTest, EveryBlockSizeAgreesWithTheModel) {
  std::mt19937 rng(20240601);
  for (int file = 0; file < 600; ++file) {
    const std::string bytes = RandomFile(rng);
    const std::string path = File(bytes);
    if (bytes.empty()) {
      EXPECT_THROW(TTxtFile(path, nullptr, {}, 1), EEndOfFile);
      continue;
    }
    for (uint32_t seed = 0; seed < 4; ++seed) {
      std::vector<TStep> first;
      for (int32_t block : kBlockSizes) {
        TTxtFile f(path, nullptr, {}, block);
        TReaderScanner reader{f};
        const std::vector<TStep> got = Scan(reader, seed);
        if (first.empty()) {
          first = got;
          TModelScanner model(bytes);
          ASSERT_EQ(got, Scan(model, seed)) << testing::PrintToString(bytes) << " seed " << seed;
        } else {
          ASSERT_EQ(got, first) << testing::PrintToString(bytes) << " block " << block << " seed "
                                << seed;
        }
      }
    }
    // Main cursor and lines alone follow the model for every file.
    for (int32_t block : kBlockSizes) {
      TTxtFile f(path, nullptr, {}, block);
      TReadResult r = ReadEverything(f);
      TModel model(bytes);
      Codes expected;
      while (auto c = model.GetWChar()) expected.push_back(*c);
      ASSERT_EQ(MainStream(path, block), expected)
          << testing::PrintToString(bytes) << " block " << block;
      ASSERT_EQ(r.Lines, V(model.Lines.begin() + 1, model.Lines.end()))
          << testing::PrintToString(bytes) << " block " << block;
    }
  }
}
