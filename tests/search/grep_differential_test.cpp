// TGrep against the reference grep on generated Shift JIS texts and patterns, at several
// block sizes: the same lines, numbers and texts must be reported. The texts mix
// double-byte characters whose trail bytes are "\", "|", "[" or letters, half-width
// kana, stray lead bytes, CR, LF, NUL and 1A bytes, and long lines; the patterns use
// every construct, anchors, and the code 0.
#include <random>

#include <gtest/gtest.h>

#include "search/grep.h"
#include "tests/search/grep_generator.h"
#include "tests/search/grep_reference.h"
#include "tests/search/grep_test_support.h"
#include "tests/support/temp_dir.h"

using namespace varsik;

namespace {

using GrepTest::Collect;
using GrepTest::ReferenceGrep;
using GrepTest::TGenerator;
using GrepTest::THits;

constexpr int32_t kBlocks[] = {1, 2, 3, 7, 64, TTxtFile::kBuffSize};

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
