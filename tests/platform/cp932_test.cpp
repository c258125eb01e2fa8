#include "platform/cp932.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

using namespace varsik;

using Platform::Cp932ToUtf8;
using Platform::Utf8ToCp932;

TEST(Cp932, RoundTripsJapaneseText) {
  auto sjis = Utf8ToCp932("表示ソポ、ｶﾀｶﾅ ABC");
  ASSERT_TRUE(sjis.has_value());
  EXPECT_EQ(*sjis, "\x95\x5c\x8e\xa6\x83\x5c\x83\x7c\x81\x41\xb6\xc0\xb6\xc5 ABC");
  EXPECT_EQ(Cp932ToUtf8(*sjis), "表示ソポ、ｶﾀｶﾅ ABC");
}

TEST(Cp932, TextThatCp932CannotHoldIsRefused) {
  EXPECT_FALSE(Utf8ToCp932("emoji \xF0\x9F\x98\x80").has_value());
  EXPECT_FALSE(Utf8ToCp932("한국어").has_value());
  EXPECT_FALSE(Utf8ToCp932("bad \xFF utf-8").has_value());
  EXPECT_EQ(Utf8ToCp932("").value(), "");
}

TEST(Cp932, LossyConversionWritesQuestionMarksForWhatCp932Lacks) {
  EXPECT_EQ(Platform::Utf8ToCp932Lossy("表示 ｶﾀｶﾅ ABC"), *Utf8ToCp932("表示 ｶﾀｶﾅ ABC"));
  // The one-way mappings as iconv has them.
  EXPECT_EQ(Platform::Utf8ToCp932Lossy("〜¥"), *Utf8ToCp932("〜¥"));
  EXPECT_EQ(Platform::Utf8ToCp932Lossy("café 😀 한"), "caf? ? ?");
  // Each byte that is no UTF-8 is one "?".
  EXPECT_EQ(Platform::Utf8ToCp932Lossy("x\xFF\xE3\x81y"), "x???y");
  EXPECT_EQ(Platform::Utf8ToCp932Lossy(""), "");
}

TEST(Cp932, UndefinedBytesDecodeAsReplacementCharacters) {
  EXPECT_EQ(Cp932ToUtf8("a\x80"
                        "b"),
            "a\xEF\xBF\xBD"
            "b");
  // A lead byte at the end of the text.
  EXPECT_EQ(Cp932ToUtf8("a\x95"), "a\xEF\xBF\xBD");
  EXPECT_EQ(Cp932ToUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));
}

namespace {

// What iconv itself makes of the bytes, going on behind each byte it refuses with a
// replacement character: the decoding that the display must match.
std::string DecodedByIconv(std::string_view in) {
  iconv_t cd = iconv_open("UTF-8", "CP932");
  std::string out;
  while (!in.empty()) {
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    char buf[64];
    char* dst = buf;
    size_t dstLeft = sizeof buf;
    const size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    out.append(buf, static_cast<size_t>(dst - buf));
    const bool refused = r == static_cast<size_t>(-1) && errno != E2BIG;
    in.remove_prefix(in.size() - srcLeft);
    if (refused) {
      out += "\xEF\xBF\xBD";
      in.remove_prefix(1);
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
  }
  iconv_close(cd);
  return out;
}

}  // namespace

TEST(Cp932, DecodesEveryByteAndPairAsIconvDoes) {
  for (int a = 0; a < 256; ++a) {
    const std::string one(1, static_cast<char>(a));
    ASSERT_EQ(Cp932ToUtf8(one), DecodedByIconv(one)) << a;
    for (int b = 0; b < 256; ++b) {
      const std::string two = one + static_cast<char>(b);
      ASSERT_EQ(Cp932ToUtf8(two), DecodedByIconv(two)) << a << " " << b;
    }
  }
  // Runs of high bytes, where a refused byte shifts the pairs that follow.
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> byte(0, 255);
  for (int round = 0; round < 20000; ++round) {
    std::string s;
    const int length = 1 + round % 12;
    for (int i = 0; i < length; ++i) {
      const int b = byte(rng);
      s += static_cast<char>(b < 0x40 ? b + 0x80 : b);
    }
    ASSERT_EQ(Cp932ToUtf8(s), DecodedByIconv(s)) << testing::PrintToString(s);
  }
}

TEST(Cp932, OneCharacterAtATime) {
  const auto at = [](std::string_view s) {
    const Platform::TCp932Char c = Platform::Cp932CharAt(s);
    return std::make_pair(std::string(c.Utf8), c.Length);
  };
  EXPECT_EQ(at("\x83\x5c"
               "x"),
            std::make_pair(std::string("ソ"), size_t{2}));
  EXPECT_EQ(at("\xb6"), std::make_pair(std::string("ｶ"), size_t{1}));
  EXPECT_EQ(at("A"), std::make_pair(std::string("A"), size_t{1}));
  // A lead byte with no trail, or with one that makes no character, is none.
  EXPECT_EQ(at("\x83"), std::make_pair(std::string(), size_t{0}));
  EXPECT_EQ(at("\x83\n"), std::make_pair(std::string(), size_t{0}));
  EXPECT_EQ(at("\x80"), std::make_pair(std::string(), size_t{0}));
  EXPECT_EQ(at(""), std::make_pair(std::string(), size_t{0}));
}

// A result line is converted eight ASCII bytes at a time, as far as the next offset to
// move. Character by character, each offset goes to where the first character that starts
// at or behind it begins in the text converted; the text is the same with or without
// offsets, wherever the ASCII runs and the offsets fall.
TEST(Cp932ToUtf8, OffsetsMoveWithTheirCharacters) {
  std::mt19937 rng(7);
  const std::string pieces[] = {"a", "abcdefgh", "\x93\xfa", "\xb1", "\x81", "\x80", "\r", "\xff"};
  for (int round = 0; round < 4000; ++round) {
    std::string text;
    for (size_t n = rng() % 12; n > 0; --n) text += pieces[rng() % std::size(pieces)];
    // Where each character starts, in the text and converted.
    std::vector<std::pair<size_t, size_t>> starts;
    std::string expected;
    for (size_t i = 0; i < text.size();) {
      starts.emplace_back(i, expected.size());
      const Platform::TCp932Char c = Platform::Cp932CharAt(std::string_view(text).substr(i));
      expected += c.Length != 0 ? std::string(c.Utf8) : "\xEF\xBF\xBD";
      i += c.Length != 0 ? c.Length : 1;
    }
    starts.emplace_back(text.size(), expected.size());
    std::vector<size_t> offsets;
    for (size_t n = rng() % 4; n > 0; --n) offsets.push_back(rng() % (text.size() + 2));
    std::sort(offsets.begin(), offsets.end());
    std::vector<size_t> moved = offsets;
    std::string converted = "x";
    Platform::AppendCp932AsUtf8(text, moved, converted);
    ASSERT_EQ(converted, "x" + expected) << round;
    for (size_t k = 0; k < offsets.size(); ++k) {
      const auto start = std::find_if(starts.begin(), starts.end(),
                                      [&](const auto& s) { return s.first >= offsets[k]; });
      const size_t want = 1 + (start != starts.end() ? start->second : expected.size());
      ASSERT_EQ(moved[k], want) << round << " offset " << offsets[k];
    }
    ASSERT_EQ(Cp932ToUtf8(text), expected) << round;
  }
}
