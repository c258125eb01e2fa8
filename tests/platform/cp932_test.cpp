#include "platform/cp932.h"

#include <gtest/gtest.h>

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

TEST(Cp932, UndefinedBytesDecodeAsReplacementCharacters) {
  EXPECT_EQ(Cp932ToUtf8("a\x80"
                        "b"),
            "a\xEF\xBF\xBD"
            "b");
  // A lead byte at the end of the text.
  EXPECT_EQ(Cp932ToUtf8("a\x95"), "a\xEF\xBF\xBD");
  EXPECT_EQ(Cp932ToUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));
}
