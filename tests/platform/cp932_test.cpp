#include "platform/cp932.h"

#include <iconv.h>

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

// A result line is converted without offsets to move, eight ASCII bytes at a time; the
// conversion that moves offsets goes byte by byte. Both give the same text, wherever the
// ASCII runs begin and end.
TEST(Cp932ToUtf8, BothWaysOfConvertingAgree) {
  std::mt19937 rng(7);
  const std::string pieces[] = {"a", "abcdefgh", "\x93\xfa", "\xb1", "\x81", "\x80", "\r", "\xff"};
  for (int round = 0; round < 2000; ++round) {
    std::string text;
    for (size_t n = rng() % 12; n > 0; --n) text += pieces[rng() % std::size(pieces)];
    std::string moved;
    std::vector<size_t> offsets{0};
    Platform::AppendCp932AsUtf8(text, offsets, moved);
    ASSERT_EQ(Cp932ToUtf8(text), moved) << round;
    std::string appended = "x";
    Platform::AppendCp932AsUtf8(text, {}, appended);
    ASSERT_EQ(appended, "x" + moved) << round;
  }
}
