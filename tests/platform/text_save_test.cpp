// Saving a view's text: Shift JIS with CR LF (a character that CP932 lacks becomes "?"),
// UTF-8 as it is, and a save that fails leaves the old file as it was.
#include "platform/text_save.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "platform/cp932.h"
#include "tests/support/temp_dir.h"

using namespace varsik;

using Platform::ShiftJisCrLf;
using Platform::TReplaceResult;
using Platform::TTextEncoding;

namespace {

std::string Cp932(const std::string& utf8) {
  return Platform::Utf8ToCp932(utf8).value();
}

std::string Contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void Write(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

}  // namespace

TEST(ShiftJisCrLf, LinesEndInCrLf) {
  EXPECT_EQ(ShiftJisCrLf(""), "");
  EXPECT_EQ(ShiftJisCrLf("a\nb\n"), "a\r\nb\r\n");
  EXPECT_EQ(ShiftJisCrLf("no end"), "no end");
  EXPECT_EQ(ShiftJisCrLf("\n\n"), "\r\n\r\n");
  EXPECT_EQ(ShiftJisCrLf("#\"/検索/ソ.txt\"\n :3: 表示…\n"),
            Cp932("#\"/検索/ソ.txt\"") + "\r\n" + Cp932(" :3: 表示…") + "\r\n");
}

TEST(ShiftJisCrLf, WhatCp932LacksBecomesAQuestionMark) {
  EXPECT_EQ(ShiftJisCrLf("한국어\n"), "???\r\n");
  EXPECT_EQ(ShiftJisCrLf("a\xF0\x9F\x98\x80z\n"), "a?z\r\n");
  EXPECT_EQ(ShiftJisCrLf("日\xEF\xBF\xBD本"), Cp932("日") + "?" + Cp932("本"));
  // Bytes that are no UTF-8: each is one mark, and what follows is kept.
  EXPECT_EQ(ShiftJisCrLf("x\xFFy\xE6\x97z"), "x?y??z");
}

// A character that CP932 lacks deep inside a large text costs no more than its piece:
// the rest comes out exactly as a conversion of its own would give it.
TEST(ShiftJisCrLf, OneMissingCharacterInALargeText) {
  std::string text, expected;
  for (int i = 0; i < 100000; ++i) {
    const std::string line = " :" + std::to_string(i) + ": 文字列を検索する (" +
                             std::string(i == 77777 ? "한" : "ｶﾅ") + ")\n";
    text += line;
    expected += i == 77777 ? Cp932(" :77777: 文字列を検索する (") + "?)\r\n"
                           : Cp932(line.substr(0, line.size() - 1)) + "\r\n";
  }
  EXPECT_EQ(ShiftJisCrLf(text), expected);
}

TEST(SaveText, WritesEitherEncoding) {
  TTempDir dir;
  const std::string path = dir.Path() + "results.txt";
  ASSERT_EQ(Platform::SaveText(path, "日本\n", TTextEncoding::Utf8Lf), TReplaceResult::Done);
  EXPECT_EQ(Contents(path), "日本\n");
  ASSERT_EQ(Platform::SaveText(path, "日本\n", TTextEncoding::ShiftJisCrLf), TReplaceResult::Done);
  EXPECT_EQ(Contents(path), Cp932("日本") + "\r\n");
}

// Refused or failed, the old file keeps its bytes, and nothing is left beside it.
TEST(SaveText, AFailureLeavesTheOldFile) {
  TTempDir dir;
  const std::string old = dir.Path() + "old.txt";
  Write(old, "old bytes");

  ASSERT_EQ(chmod(old.c_str(), 0444), 0);
  EXPECT_EQ(Platform::SaveText(old, "new", TTextEncoding::Utf8Lf), TReplaceResult::ReadOnly);
  EXPECT_EQ(Contents(old), "old bytes");
  ASSERT_EQ(chmod(old.c_str(), 0644), 0);

  const std::string link = dir.Path() + "link.txt";
  std::filesystem::create_symlink(old, link);
  EXPECT_EQ(Platform::SaveText(link, "new", TTextEncoding::Utf8Lf), TReplaceResult::Link);
  EXPECT_EQ(Contents(old), "old bytes");

  // A folder where the file's folder should be: the write fails with the system's error.
  errno = 0;
  EXPECT_EQ(Platform::SaveText(old + "/x.txt", "new", TTextEncoding::Utf8Lf),
            TReplaceResult::Failed);
  const int error = errno;
  EXPECT_NE(error, 0);
  EXPECT_EQ(Contents(old), "old bytes");

  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"link.txt", "old.txt"}));
  EXPECT_EQ(Platform::SaveFailureReason(TReplaceResult::Failed, error), std::strerror(error));
}

TEST(SaveText, EveryRefusalHasAReason) {
  for (TReplaceResult r : {TReplaceResult::Link, TReplaceResult::NotRegular,
                           TReplaceResult::NotOwned, TReplaceResult::ReadOnly})
    EXPECT_FALSE(Platform::SaveFailureReason(r, 0).empty());
}
