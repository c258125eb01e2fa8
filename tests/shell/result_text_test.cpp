#include "shell/result_text.h"

#include <gtest/gtest.h>

#include "shell/search_driver.h"

using namespace varsik;

TEST(ResultText, LineFormats) {
  EXPECT_EQ(ResultText::FileHeader("/src/main.c"), "#\"/src/main.c\"");
  EXPECT_EQ(ResultText::LineEntry(12, "int main(void)"), " :12: int main(void)");
  EXPECT_EQ(ResultText::LineEntry(1, ""), " :1: ");
  EXPECT_EQ(ResultText::UnreadableLine("/a/b.txt"), "\"ファイル /a/b.txt は開けませんでした。\"");
}

TEST(ResultText, NumbersPast32Bits) {
  EXPECT_EQ(ResultText::LineEntry(int64_t{1} << 31, "x"), " :2147483648: x");
  EXPECT_EQ(ResultText::Status(int64_t{1} << 32, 1, (int64_t{1} << 31) + 1),
            "検索ファイル数 : 4294967296   一致ファイル数 : 1   一致行数 : 2147483649");
}

TEST(ResultText, StatusAndCaption) {
  EXPECT_EQ(ResultText::Status(3, 1, 2), "検索ファイル数 : 3   一致ファイル数 : 1   一致行数 : 2");
  EXPECT_EQ(ResultText::Caption("/src/", "*.c;*.h", "main"), "Varsik - /src/*.c;*.h - \"main\"");
  EXPECT_EQ(ResultText::Caption("/home/u/", "*.*", ""), "Varsik - /home/u/*.* - \"\"");
}

TEST(SplitMasks, KeepsEmptyPiecesAndBlanks) {
  using V = std::vector<std::string>;
  EXPECT_EQ(TSearchDriver::SplitMasks("*.c;*.h"), (V{"*.c", "*.h"}));
  EXPECT_EQ(TSearchDriver::SplitMasks("*.c;"), (V{"*.c", ""}));
  EXPECT_EQ(TSearchDriver::SplitMasks(""), (V{""}));
  EXPECT_EQ(TSearchDriver::SplitMasks(";; *.c "), (V{"", "", " *.c "}));
}

TEST(StartFolder, IsTheFolderPartOfTheText) {
  EXPECT_EQ(TSearchDriver::StartFolder("/home/u/src/"), "/home/u/src/");
  EXPECT_EQ(TSearchDriver::StartFolder("/home/u/src"), "/home/u/");
  EXPECT_EQ(TSearchDriver::StartFolder("/"), "/");
}
