// Lines held between a search and the output come back as they went in, each rebuilt in
// one record that the lines share: nothing of a line before may stay in it.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "shell/held_hits.h"

using namespace varsik;

namespace {

RE_LineInfo_t Line(int64_t lineNo, std::string line, TEncoding encoding, std::string original,
                   bool cut, std::vector<TMatchSpan> matches) {
  RE_LineInfo_t info;
  info.LineNo = lineNo;
  info.Line = std::move(line);
  info.Encoding = encoding;
  info.Original = std::move(original);
  info.Cut = cut;
  info.Matches = std::move(matches);
  return info;
}

void ExpectSame(const RE_LineInfo_t& got, const RE_LineInfo_t& want, int64_t lineBase) {
  EXPECT_EQ(got.LineNo, want.LineNo + lineBase);
  EXPECT_EQ(got.Line, want.Line);
  EXPECT_EQ(got.Encoding, want.Encoding);
  EXPECT_EQ(got.Original, want.Original);
  EXPECT_EQ(got.Cut, want.Cut);
  EXPECT_EQ(got.Matches, want.Matches);
}

std::vector<RE_LineInfo_t> PutOut(const THeldHits& hits, RE_LineInfo_t& record, int64_t base) {
  std::vector<RE_LineInfo_t> out;
  hits.ForEach(record, base, [&](const RE_LineInfo_t& line) { out.push_back(line); });
  return out;
}

}  // namespace

TEST(HeldHitsTest, LinesComeBackWholeAndInOrder) {
  const std::vector<RE_LineInfo_t> lines{
      Line(3, "\x95\xb6\x8e\x9a needle", TEncoding::ShiftJis, "", false, {{5, 11}, {2, 4}}),
      Line(7, "\x95\xb6\x8e\x9a", TEncoding::Utf8, "\xe6\x96\x87\xe5\xad\x97", false, {{0, 6}}),
      Line(8, "", TEncoding::Ascii, "", false, {}),
      Line(9, std::string(300, 'x'), TEncoding::Ascii, "", true, {}),
      Line(12, std::string("a\0b", 3), TEncoding::Utf16Le, std::string("a\0\0\0b\0", 6), false,
           {{0, 2}}),
  };
  THeldHits hits;
  EXPECT_TRUE(hits.Empty());
  for (const RE_LineInfo_t& line : lines) hits.Add(line);
  EXPECT_FALSE(hits.Empty());
  EXPECT_GE(hits.Capacity(), hits.Bytes());
  for (const int64_t base : {0, 1000}) {
    RE_LineInfo_t record;
    const std::vector<RE_LineInfo_t> out = PutOut(hits, record, base);
    ASSERT_EQ(out.size(), lines.size());
    for (size_t i = 0; i < out.size(); ++i) ExpectSame(out[i], lines[i], base);
  }

  // Emptied, it holds new lines alone; the record a line with matches and an original
  // text was rebuilt in carries neither into the next.
  RE_LineInfo_t record = lines[1];
  hits.Clear();
  EXPECT_TRUE(hits.Empty());
  EXPECT_EQ(hits.Bytes(), 0u);
  hits.Add(lines[2]);
  const std::vector<RE_LineInfo_t> out = PutOut(hits, record, 0);
  ASSERT_EQ(out.size(), 1u);
  ExpectSame(out[0], lines[2], 0);
}
