// The basic facts of Shift JIS text: lead bytes, the bytes of a code, and where
// characters start, told forward from the text's start and by TCharStarts' walks back.
#include "base/shift_jis.h"

#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/char_starts.h"

using namespace varsik;

namespace {

bool ModelIsLead(int b) {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

TEST(ShiftJis, LeadBytesAreExactlyTheTwoRanges) {
  for (int b = 0; b < 256; ++b)
    EXPECT_EQ(ShiftJis::IsLeadByte(static_cast<uint8_t>(b)), ModelIsLead(b)) << b;
}

TEST(ShiftJis, ACodeIsWrittenAsItsCharacter) {
  EXPECT_EQ(ShiftJis::CodeToBytes(0x824F), "\x82\x4F");
  EXPECT_EQ(ShiftJis::CodeToBytes(0x0041), "A");
  EXPECT_EQ(ShiftJis::CodeToBytes(0x00B1), "\xB1");
  // A code whose high byte leads nothing has no text of its own: its low byte stands.
  EXPECT_EQ(ShiftJis::CodeToBytes(0x0141), "A");
  // A lead byte alone, as one in front of a line end reads.
  EXPECT_EQ(ShiftJis::CodeToBytes(0x0082), "\x82");
}

// Every position of random lines, asked in order (each also after a jump): the answers
// are those of reading the characters forward from the line's start.
TEST(CharStarts, AgreeWithReadingForward) {
  std::mt19937 rng(9);
  const uint8_t alphabet[] = {'a', '\n', '\r', 0x82, 0x9F, 0xE0, 0x40, 0x5C, 0xB1, 0xFC};
  std::uniform_int_distribution<size_t> pick(0, sizeof alphabet - 1);
  for (int round = 0; round < 2000; ++round) {
    std::vector<uint8_t> text{'\n'};
    for (int i = 0; i < 40; ++i) text.push_back(alphabet[pick(rng)]);
    std::vector<bool> start(text.size(), false);
    for (size_t i = 1; i < text.size();) {
      start[i] = true;
      // A line end is never a trail byte.
      i += ModelIsLead(text[i]) && i + 1 < text.size() && text[i + 1] != '\n' && text[i + 1] != '\r'
               ? 2
               : 1;
    }
    const uint8_t* begin = text.data() + 1;
    TCharStarts starts(begin);
    for (size_t i = 1; i < text.size(); i += 1 + rng() % 3) {
      const uint8_t* p = text.data() + i;
      ASSERT_EQ(starts.IsCharStart(p), start[i]) << round << " at " << i;
      if (start[i] && i > 1) {
        ASSERT_EQ(starts.BeforeIsTrail(p), !start[i - 1]) << round << " before " << i;
      }
    }
  }
}

}  // namespace
