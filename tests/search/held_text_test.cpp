// THeldText under the line searcher: hit lines held until their file has been read (plain
// mode) or its encoding confirmed (a UTF-8 guess) come out whole and in order, however
// many chunks they fill and however long one of them is.
#include "search/held_text.h"

#include <tuple>

#include <gtest/gtest.h>

#include "search/line_searcher.h"
#include "search/plain_line_finder.h"
#include "tests/search/encoded_text.h"
#include "tests/support/temp_dir.h"

using namespace varsik;

namespace {

using THits = std::vector<std::tuple<int64_t, std::string, std::string>>;

// Every line of `text` holds "x": short lines, Japanese ones, and a few longer than a chunk.
std::string Lines() {
  std::string text;
  for (int i = 0; i < 20000; ++i) {
    text += 'x';
    text += std::to_string(i);
    text.append(static_cast<size_t>(i % 50), 'a');
    if (i % 3 == 0) text += "日本語のテキスト";
    if (i % 7000 == 1) {
      for (size_t k = 0; k < THeldText::kChunk / 2; ++k) text += "語";
    }
    text += "\n";
  }
  return text;
}

TEST(HeldText, HeldLinesComeOutWholeAcrossChunks) {
  TTempDir dir;
  const std::string utf8 = Lines();
  TPlainLineFinder finder;
  finder.Prepare("x", false, false, false);
  for (const TEncoding encoding : {TEncoding::Utf8, TEncoding::ShiftJis}) {
    SCOPED_TRACE(EncodingName(encoding));
    const std::string path = dir.Write("f", EncodedText::FromUtf8(utf8, encoding));
    // Held until the file has been read, or, not so, until the UTF-8 guess is confirmed.
    for (const bool holdHits : {true, false}) {
      TLineSearcher searcher;
      searcher.SetReadEncoding({TEncodingChoice::Auto, nullptr});
      searcher.SetHoldHits(holdHits);
      searcher.SetMaxLineBytes(0);
      THits hits;
      searcher.Search(
          path, finder, [] { return false; },
          [&hits](const RE_LineInfo_t& info) {
            hits.emplace_back(info.LineNo, info.Line, info.Original);
          });
      ASSERT_EQ(hits.size(), 20000u);
      size_t start = 0;
      for (size_t i = 0; i < hits.size(); ++i) {
        const size_t end = utf8.find('\n', start);
        const std::string line = utf8.substr(start, end - start);
        const bool decoded = encoding == TEncoding::Utf8;
        EXPECT_EQ(hits[i], std::make_tuple(static_cast<int64_t>(i + 1),
                                           EncodedText::FromUtf8(line, TEncoding::ShiftJis),
                                           decoded ? line : std::string()))
            << i;
        start = end + 1;
      }
    }
  }
}

}  // namespace
