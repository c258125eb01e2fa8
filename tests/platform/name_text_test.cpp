// How names are shown: readable in the window, bytes on the command line, and never a
// control character raw in either.
#include "platform/name_text.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/utf8.h"

using namespace varsik;

using Platform::NameForOutput;
using Platform::NameForView;
using Platform::NameFullyEscaped;

namespace {

struct TCase {
  std::string Name;
  std::string View;
  std::string Output;
  std::string Escaped;
};

const TCase kCases[] = {
    {"/src/main.c", "/src/main.c", "/src/main.c", "/src/main.c"},
    {"/a/new\nline", "/a/new\\nline", "/a/new\\nline", "/a/new\\nline"},
    {"/a/cr\r\t.txt", "/a/cr\\r\\t.txt", "/a/cr\\r\\t.txt", "/a/cr\\r\\t.txt"},
    {"esc\x1b]0;pwned\x07\x1b[2J.txt", "esc\\x1b]0;pwned\\x07\\x1b[2J.txt",
     "esc\\x1b]0;pwned\\x07\\x1b[2J.txt", "esc\\x1b]0;pwned\\x07\\x1b[2J.txt"},
    {"del\x7f", "del\\x7f", "del\\x7f", "del\\x7f"},
    // U+009B, a CSI to some terminals.
    {"c1\xc2\x9b"
     "31m",
     "c1\\xc2\\x9b31m", "c1\\xc2\\x9b31m", "c1\\xc2\\x9b31m"},
    // The backslash: the command line prints it as it is (it is also a Shift JIS trail
    // byte there); the window escapes it so that its escapes read one way only.
    {"/back\\slash", "/back\\\\slash", "/back\\slash", "/back\\\\slash"},
    {"/utf8/日本.txt", "/utf8/日本.txt", "/utf8/日本.txt",
     "/utf8/\\xe6\\x97\\xa5\\xe6\\x9c\\xac.txt"},
    // A Shift JIS element among UTF-8 ones: decoded as CP932, its trail byte 5C inside
    // ソ is no backslash.
    {"/日本/\x83\x5c\x81[\x83X.txt", "/日本/ソース.txt", "/日本/\x83\x5c\x81[\x83X.txt",
     "/\\xe6\\x97\\xa5\\xe6\\x9c\\xac/\\x83\\\\\\x81[\\x83X.txt"},
    // Bytes that neither UTF-8 nor CP932 reads.
    {"/bad\xff\xfe.txt", "/bad\\xff\\xfe.txt", "/bad\xff\xfe.txt", "/bad\\xff\\xfe.txt"},
    {"/x\x80\x95", "/x\\x80\\x95", "/x\x80\x95", "/x\\x80\\x95"},
    // C2 before a byte that is no trail byte is no C1 control.
    {"/\xc2"
     "A",
     "/\xef\xbe\x82"
     "A",
     "/\xc2"
     "A",
     "/\\xc2A"},
    // A lead byte whose trail is a control character.
    {"/\x93\n", "/\\x93\\n", "/\x93\\n", "/\\x93\\n"},
    {"", "", "", ""},
};

}  // namespace

TEST(NameText, EachFormEscapesWhatItMust) {
  for (const TCase& c : kCases) {
    EXPECT_EQ(NameForView(c.Name), c.View) << c.Name;
    EXPECT_EQ(NameForOutput(c.Name), c.Output) << c.Name;
    EXPECT_EQ(NameFullyEscaped(c.Name), c.Escaped) << c.Name;
  }
}

// Every byte value in every position: no control character survives, and the view's
// text is always UTF-8 (the editor would show U+FFFD for anything else).
TEST(NameText, NoControlCharacterGetsThrough) {
  for (int a = 0; a < 256; ++a) {
    for (int b = 0; b < 256; ++b) {
      const std::string name = {'/', static_cast<char>(a), static_cast<char>(b), 'z'};
      for (const std::string& shown : {NameForView(name), NameForOutput(name)}) {
        for (size_t i = 0; i < shown.size(); ++i) {
          const auto byte = static_cast<unsigned char>(shown[i]);
          ASSERT_FALSE(byte < 0x20 || byte == 0x7f) << a << " " << b;
          const auto next = i + 1 < shown.size() ? static_cast<unsigned char>(shown[i + 1]) : 0;
          ASSERT_FALSE(byte == 0xc2 && next >= 0x80 && next < 0xa0) << a << " " << b;
        }
      }
      ASSERT_TRUE(Platform::IsValidUtf8(NameForView(name))) << a << " " << b;
    }
  }
}
