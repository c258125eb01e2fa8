// The paths behind the results view's headers: readable headers, one text per path, and
// the path back for exactly the texts that the search wrote.
#include "shell/header_paths.h"

#include <gtest/gtest.h>

using namespace varsik;

namespace {

std::string FileNameOf(const std::string& header) {
  return header.substr(1);
}

}  // namespace

TEST(HeaderPaths, EachHeaderLeadsBackToItsPath) {
  THeaderPaths headers;
  const std::string paths[] = {"/src/main.c", "/a/new\nline", "/a/sjis\x83\x5c.txt",
                               "/a/bad\xff.txt", "/a/back\\slash"};
  const std::string shown[] = {"#\"/src/main.c\"", "#\"/a/new\\nline\"", "#\"/a/sjisソ.txt\"",
                               "#\"/a/bad\\xff.txt\"", "#\"/a/back\\\\slash\""};
  for (size_t i = 0; i < std::size(paths); ++i) EXPECT_EQ(headers.Header(paths[i]), shown[i]);
  for (size_t i = 0; i < std::size(paths); ++i)
    EXPECT_EQ(headers.PathOf(FileNameOf(shown[i])), paths[i]) << shown[i];
  // A file taken up twice (masks "*.c;*.c") has one text.
  EXPECT_EQ(headers.Header(paths[0]), shown[0]);
}

TEST(HeaderPaths, TextsTheSearchDidNotWriteLeadNowhere) {
  THeaderPaths headers;
  headers.Header("/a/x.c");
  for (const char* fileName : {"\"/a/y.c\"", "/a/x.c", "\"/a/x.c", "\"/a/x.c\" ", ""})
    EXPECT_FALSE(headers.PathOf(fileName).has_value()) << fileName;
  headers.Clear();
  EXPECT_FALSE(headers.PathOf("\"/a/x.c\"").has_value());
}

// A Shift JIS name and a UTF-8 name that read alike, and a name that reads like another's
// escapes: the second of each pair gets a text of its own, and both lead to their files.
TEST(HeaderPaths, NamesThatLookAlikeGetTextsOfTheirOwn) {
  const std::pair<std::string, std::string> pairs[] = {
      {"/d/日本.txt", "/d/\x93\xfa\x96\x7b.txt"},
      {"/d/\x93\xfa\x96\x7b.txt", "/d/日本.txt"},
      {"/d/\x83\x5c", "/d/ソ"},
  };
  for (const auto& [first, second] : pairs) {
    THeaderPaths headers;
    const std::string a = headers.Header(first);
    const std::string b = headers.Header(second);
    EXPECT_NE(a, b) << first;
    EXPECT_EQ(headers.PathOf(FileNameOf(a)), first);
    EXPECT_EQ(headers.PathOf(FileNameOf(b)), second);
    // Asked again, each keeps its text.
    EXPECT_EQ(headers.Header(first), a);
    EXPECT_EQ(headers.Header(second), b);
  }
}
