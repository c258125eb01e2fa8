// MarkedText: a line's matches moved with its text into the outputs' encodings; the text
// always converted whole, whatever the matches and the bytes.
#include "shell/marked_text.h"

#include <gtest/gtest.h>

#include "platform/cp932.h"
#include "tests/search/sjis.h"

using namespace varsik;

namespace {

using TSpans = std::vector<TMatchSpan>;

std::string Converted(std::string_view text, const TSpans& matches, TSpans& moved,
                      bool utf8 = true) {
  std::string out = "> ";
  MarkedText::AppendConverted(out, text, matches,
                              utf8 ? MarkedText::Cp932ToUtf8 : MarkedText::KeepCp932, moved);
  return out;
}

}  // namespace

TEST(MarkedTextTest, TheMatchesMoveWithTheText) {
  const std::string text = Sjis("日本 x 日本語");  // 日本 at 0 and 7, x at 5
  TSpans moved;
  EXPECT_EQ(Converted(text, {{0, 4}, {5, 6}, {7, 11}}, moved), "> 日本 x 日本語");
  EXPECT_EQ(moved, (TSpans{{2, 8}, {9, 10}, {11, 17}}));
  moved.clear();
  EXPECT_EQ(Converted(text, {{0, 4}, {7, 11}}, moved, false), "> " + text);
  EXPECT_EQ(moved, (TSpans{{2, 6}, {9, 13}}));
}

TEST(MarkedTextTest, TheTextIsConvertedWholeWhateverTheMatches) {
  // Matches out of order, empty or beyond the text are passed over.
  TSpans moved;
  EXPECT_EQ(Converted("abcdef", {{2, 3}, {1, 2}, {3, 3}, {4, 7}}, moved), "> abcdef");
  EXPECT_EQ(moved, (TSpans{{4, 5}}));
  // 85 81 is no character: 85 reads alone, and 81 61 as the pair it makes with the next
  // byte. A bound between 81 and 61 moves behind the pair; a match left empty goes.
  const std::string bytes = "\x85\x81\x61z";
  moved.clear();
  const std::string whole = "> " + Platform::Cp932ToUtf8(bytes);
  EXPECT_EQ(Converted(bytes, {{0, 2}, {2, 3}, {3, 4}}, moved), whole);
  EXPECT_EQ(moved, (TSpans{{2, whole.size() - 1}, {whole.size() - 1, whole.size()}}));
}
