// TGrep against the reference grep on generated Shift JIS texts and patterns, at several
// block sizes: the same lines, numbers and texts must be reported. The texts mix
// double-byte characters whose trail bytes are "\", "|", "[" or letters, half-width
// kana, stray lead bytes, CR, LF, NUL and 1A bytes, and long lines; the patterns use
// every construct, anchors, and the code 0.
#include <random>

#include <gtest/gtest.h>

#include "search/grep.h"
#include "tests/search/grep_reference.h"
#include "tests/search/grep_test_support.h"
#include "tests/support/temp_dir.h"

namespace {

using GrepTest::Collect;
using GrepTest::ReferenceGrep;
using GrepTest::THits;

constexpr int32_t kBlocks[] = {1, 2, 3, 7, 64, TTxtFile::kBuffSize};

// Characters of the texts and of the patterns' literals.
const char* const kDoubleByte[] = {
    "\x95\x5C",  // 表: trail "\"
    "\x83\x5C",  // ソ: trail "\"
    "\x83\x7C",  // ポ: trail "|"
    "\x81\x5B",  // ー: trail "["
    "\x83\x41",  // ア: trail "A"
    "\x83\x61",  // ヂ: trail "a"
    "\x88\x9F",  // 亜
    "\x9F\x88",  // the pair of bytes between two 亜
    "\xE0\x5C",  // 漾: trail "\"
    "\x81\x40",  // full-width space
};
const char kSingle[] = {'a', 'b', 'c', 'x', 'A', ' ', '\\', '|',    '[',    ']',   '^',
                        '$', '(', ')', '.', '*', '0', '5',  '\xB1', '\xDF', '\xA1'};

class TGenerator {
 public:
  explicit TGenerator(uint32_t seed) : Rng(seed) {}

  int Below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(Rng); }

  std::string Text() {
    std::string t;
    const int pieces = Below(60);
    for (int i = 0; i < pieces; ++i) {
      const int k = Below(100);
      if (k < 35) {
        t += kSingle[Below(sizeof kSingle)];
      } else if (k < 60) {
        t += kDoubleByte[Below(std::size(kDoubleByte))];
      } else if (k < 70) {
        t += '\n';
      } else if (k < 76) {
        t += "\r\n";
      } else if (k < 80) {
        t += '\r';
      } else if (k < 84) {
        t += '\0';
      } else if (k < 86) {
        t += '\x1A';
      } else if (k < 90) {
        t += '\x81';  // a lead byte that takes whatever follows as its trail
      } else if (k < 93) {
        t += std::string(static_cast<size_t>(20 + Below(200)), "axb"[Below(3)]);
      } else {
        t += "abc";
      }
    }
    return t;
  }

  std::string Pattern() {
    std::string p;
    if (Below(5) == 0) p += '^';
    p += Alternation(2);
    if (Below(5) == 0) p += '$';
    return p;
  }

 private:
  std::string Alternation(int depth) {
    std::string s = Sequence(depth);
    while (Below(5) == 0) {
      s += '|';
      s += Sequence(depth);
    }
    return s;
  }
  std::string Sequence(int depth) {
    std::string s;
    const int n = 1 + Below(4);
    for (int i = 0; i < n; ++i) {
      s += Atom(depth);
      switch (Below(8)) {
        case 0:
          s += '*';
          break;
        case 1:
          s += '+';
          break;
        case 2:
          s += '?';
          break;
        default:
          break;
      }
    }
    return s;
  }
  std::string Atom(int depth) {
    const int k = Below(100);
    if (k < 30) return Literal(kSingle[Below(sizeof kSingle)]);
    if (k < 50) return kDoubleByte[Below(std::size(kDoubleByte))];
    if (k < 55) return ".";
    if (k < 60) return "\\n";
    if (k < 63) return "\\0";
    if (k < 66) return "[\\x00-\\x0a]";
    if (k < 72) return "[ab\\\\]";
    if (k < 76) return "[^a]";
    if (k < 80) return std::string(1, '[').append(kDoubleByte[Below(3)]).append("x]");
    if (k < 84) return "[a-c]";
    if (k < 86) return "\\r";
    if (depth == 0) return "a";
    std::string group(1, '(');
    group += Alternation(depth - 1);
    group += ')';
    return group;
  }
  static std::string Literal(char c) {
    if (std::string_view("\\|[]^$().*+?").find(c) != std::string_view::npos)
      return std::string("\\") + c;
    return std::string(1, c);
  }

  std::mt19937 Rng;
};

}  // namespace

TEST(GrepDifferential, GeneratedTextsAndPatterns) {
  TTempDir dir;
  TGenerator gen(20240611);
  std::vector<std::pair<std::string, std::string>> files;
  for (int i = 0; i < 12; ++i) {
    const std::string text = gen.Text();
    files.emplace_back(dir.Write(std::to_string(i).append(".txt"), text), text);
  }
  TGrep grep;
  int compiled = 0;
  int literal = 0;
  int reported = 0;
  for (int n = 0; n < 400; ++n) {
    const std::string pattern = gen.Pattern();
    try {
      grep.SetRegExp(pattern);
    } catch (const ERegExpParser&) {
      continue;
    }
    ++compiled;
    literal += grep.IsLiteral();
    for (const auto& [path, text] : files) {
      const THits expected = ReferenceGrep(grep.CurrentDFA(), text);
      reported += !expected.empty();
      for (int32_t block : kBlocks) {
        ASSERT_EQ(Collect(grep, path, block), expected)
            << "pattern " << testing::PrintToString(pattern) << ", text "
            << testing::PrintToString(text) << ", block " << block;
      }
    }
  }
  // The generator must reach both scans and produce reports at all.
  EXPECT_GT(compiled, 300);
  EXPECT_GT(literal, 20);
  EXPECT_GT(reported, 500);
}

// Every start position of short texts over a tiny alphabet, with patterns that begin or
// end at line ends, cross line ends and run into the end of the file.
TEST(GrepDifferential, AllShortTexts) {
  TTempDir dir;
  const char alphabet[] = {'a', 'b', '\n', '\r', '\x81'};
  const char* const patterns[] = {"ab", "a+b", "^a", "b$", "^$", "a\\nb", "a.b", "[^a]b", "b\\n?a",
                                  "^b*$", "\\n\\n", "a\\n\\0*b", "\\ra", "b|^", "\x81\\n", "\x81.",
                                  // A lead byte before a CR or LF, as each cursor reads it.
                                  "\\x810d", "\\x810a", "a+\\x810d", "a+\\x810a", "\\x810a$"};
  TGrep grep;
  std::string text;
  for (int length = 1; length <= 5; ++length) {
    for (int code = 0;; ++code) {
      text.clear();
      int rest = code;
      for (int i = 0; i < length; ++i, rest /= 5) text += alphabet[rest % 5];
      if (rest > 0) break;
      const std::string path = dir.Write("s.txt", text);
      for (const char* pattern : patterns) {
        grep.SetRegExp(pattern);
        const THits expected = ReferenceGrep(grep.CurrentDFA(), text);
        for (int32_t block : {1, 2, 3, 7, TTxtFile::kBuffSize})
          ASSERT_EQ(Collect(grep, path, block), expected)
              << "pattern " << testing::PrintToString(std::string(pattern)) << ", text "
              << testing::PrintToString(text) << ", block " << block;
      }
    }
  }
}
