#include "platform/wildcard.h"

#include <gtest/gtest.h>

using namespace varsik;

using Platform::WildcardMatch;

TEST(Wildcard, StarDotStarMatchesEveryName) {
  EXPECT_TRUE(WildcardMatch("*.*", "a.c"));
  EXPECT_TRUE(WildcardMatch("*.*", "Makefile"));
  EXPECT_TRUE(WildcardMatch("*.*", ".hidden"));
  EXPECT_TRUE(WildcardMatch("*", "Makefile"));
}

TEST(Wildcard, LettersMatchRegardlessOfCase) {
  EXPECT_TRUE(WildcardMatch("*.c", "MAIN.C"));
  EXPECT_TRUE(WildcardMatch("*.TXT", "readme.txt"));
  EXPECT_TRUE(WildcardMatch("ReadMe.*", "README.md"));
  EXPECT_FALSE(WildcardMatch("*.c", "main.cpp"));
  EXPECT_FALSE(WildcardMatch("*.c", "main.h"));
}

TEST(Wildcard, QuestionMarkIsOneCharacter) {
  EXPECT_TRUE(WildcardMatch("a?c", "abc"));
  EXPECT_FALSE(WildcardMatch("a?c", "ac"));
  EXPECT_FALSE(WildcardMatch("a?c", "abbc"));
  // One UTF-8 character, however many bytes.
  EXPECT_TRUE(WildcardMatch("?.txt", "表.txt"));
  EXPECT_TRUE(WildcardMatch("??.txt", "日本.txt"));
  EXPECT_FALSE(WildcardMatch("?.txt", "日本.txt"));
}

TEST(Wildcard, StarsBacktrack) {
  EXPECT_TRUE(WildcardMatch("*a*b*c", "xxaxxbxxbxxc"));
  EXPECT_TRUE(WildcardMatch("*.tar.gz", "x.tar.tar.gz"));
  EXPECT_FALSE(WildcardMatch("*a*b", "xxaxxbxxa"));
  EXPECT_TRUE(WildcardMatch("**", ""));
}

TEST(Wildcard, EmptyMaskMatchesNothing) {
  EXPECT_FALSE(WildcardMatch("", "a"));
  EXPECT_FALSE(WildcardMatch("", ""));
}

TEST(Wildcard, NamesThatAreNotUtf8) {
  EXPECT_TRUE(WildcardMatch("*.txt", "\x95\x5c.txt"));
  EXPECT_TRUE(WildcardMatch("??.txt", "\x95\xff.txt"));
}
