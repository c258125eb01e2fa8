// The search driver hands the matches on each line entry to the sink when its options ask
// for them, in both modes, and none when they do not.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "shell/search_driver.h"
#include "tests/support/recording_sink.h"
#include "tests/support/temp_dir.h"

using namespace varsik;

namespace {

using TMarks = std::vector<std::vector<TMatchSpan>>;

TMarks Search(const TTempDir& dir, const std::string& word, bool regex, bool mark) {
  TRecordingSink sink;
  TSearchDriver driver(sink);
  TSearchOptions o;
  o.Word = word;
  o.Masks = "*.txt";
  o.FolderText = dir.Path();
  o.Switches.RegularExpSearch = regex;
  o.Switches.SearchAsWord = !regex;
  o.MarkMatches = mark;
  driver.Run(o);
  return sink.Marks;
}

}  // namespace

TEST(MarkedHitsTest, TheSinkGetsTheMatchesOnlyWhenAsked) {
  TTempDir dir;
  dir.Write("a.txt", "Foo foo foobar\r\nnone\nx FOO\n");
  EXPECT_EQ(Search(dir, "foo", false, true), (TMarks{{{0, 3}, {4, 7}}, {{2, 5}}}));
  EXPECT_EQ(Search(dir, "fo+", true, true), (TMarks{{{4, 7}, {8, 11}}}));
  EXPECT_EQ(Search(dir, "foo", false, false), (TMarks{{}, {}}));
  EXPECT_EQ(Search(dir, "fo+", true, false), (TMarks{{}}));
}
