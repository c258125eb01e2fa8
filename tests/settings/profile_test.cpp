// The settings file's text as a profile: which lines are entries, and that setting values
// changes those values only.
#include "shell/profile.h"

#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

using namespace varsik;

namespace {

using namespace std::string_literals;

TEST(Profile, Lookups) {
  struct TRow {
    std::string Text;
    const char* Section;
    const char* Key;
    std::optional<std::string> Expected;
  };
  const TRow rows[] = {
      {"[A]\nk=v\n", "A", "k", "v"},
      {"[sEc]\nKey=v\n", "SEC", "kEY", "v"},
      {"  [ A ]  \n  k  =  v w  \n", "A", "k", "v w"},
      {"[A]\nk=\n", "A", "k", ""},
      {"[A]\nk=a=b\n", "A", "k", "a=b"},
      {"[A]\nk=1\nk=2\n", "A", "k", "1"},             // the first of duplicates
      {"[A]\nx=1\n[B]\n[A]\nk=2\n", "A", "k", "2"},   // a section in two blocks
      {"k=1\n[A]\n", "A", "k", std::nullopt},         // above every section
      {"[A]\n;k=1\n#k=2\n", "A", "k", std::nullopt},  // comments
      {"[A]\n;k=1\n#k=2\n", "A", ";k", std::nullopt},
      {"[A]\nk\n", "A", "k", std::nullopt},
      {"[A]\n=1\n", "A", "", std::nullopt},
      {"[A]\nk=1\0x\nj=2\n"s, "A", "k", std::nullopt},  // a NUL byte: no entry
      {"[A]\nk=1\0x\nj=2\n"s, "A", "j", "2"},
      {"[A]\n[B\nk=1\n", "A", "k", "1"},  // an unclosed section line is passed over
      {"[A]\n[B\nk=1\n", "B", "k", std::nullopt},
      {"[A] ; note\nk=1", "A", "k", "1"},
      {"\xEF\xBB\xBF[A]\n \xEF\xBB\xBF k=1\n", "A", "k", "1"},
      {"[A]\r\nk=1\r\n", "A", "k", "1"},
      {"[A]\rk=1\rj=2", "A", "j", "2"},
      {"[A]\rk=1\rj=2", "A", "k", "1"},
  };
  for (const TRow& row : rows) {
    const TProfile profile(row.Text);
    EXPECT_EQ(profile.Value(row.Section, row.Key), row.Expected)
        << testing::PrintToString(row.Text) << " " << row.Section << "." << row.Key;
    EXPECT_EQ(profile.Text(), row.Text);
  }
}

TEST(Profile, SettingValuesChangesNothingElse) {
  struct TSet {
    const char* Section;
    const char* Key;
    const char* Value;
  };
  struct TRow {
    std::string Text;
    std::vector<TSet> Sets;
    std::string Expected;
  };
  const TRow rows[] = {
      // The value's bytes change, the rest of its line stays.
      {"[A]\r\nk = old  \r\n; c\r\n", {{"A", "k", "new"}}, "[A]\r\nk = new\r\n; c\r\n"},
      {"[A]\nk=v   \n", {{"A", "k", "v"}}, "[A]\nk=v   \n"},
      {"[A]\nk=", {{"A", "k", "1"}}, "[A]\nk=1"},
      // A key is added behind the last entry of its section.
      {"[A]\nx=1\n; about B\n[B]\n", {{"A", "k", "2"}}, "[A]\nx=1\nk=2\n; about B\n[B]\n"},
      {"[A]\n; note\nno entry\n", {{"A", "k", "1"}}, "[A]\nk=1\n; note\nno entry\n"},
      {"[A]\nx=1", {{"A", "k", "2"}}, "[A]\nx=1\nk=2\n"},
      // No lone CR: it would join the LF behind it into one line end.
      {"[A]\rx=1\n\n[B]\n", {{"A", "k", "2"}}, "[A]\rx=1\nk=2\r\n\n[B]\n"},
      {"[A]\nk=", {{"A", "k", "1"}, {"A", "j", "2"}}, "[A]\nk=1\nj=2\n"},
      {"[A]\nk=1\0\n"s, {{"A", "k", "2"}}, "[A]\nk=2\nk=1\0\n"s},
      {"[A]\nx=1\n[B]\n[A]\ny=1\n",
       {{"A", "k", "1"}, {"a", "Y", "2"}},
       "[A]\nx=1\nk=1\n[B]\n[A]\ny=2\n"},
      // A section is added at the end, behind an empty line.
      {"", {{"A", "k", "1"}, {"B", "j", "2"}}, "[A]\nk=1\n\n[B]\nj=2\n"},
      {"; c", {{"A", "k", "1"}}, "; c\n\n[A]\nk=1\n"},
      {"; c\n\n", {{"A", "k", "1"}}, "; c\n\n[A]\nk=1\n"},
      {"[B]\r\nx=1\r\n", {{"A", "k", "1"}}, "[B]\r\nx=1\r\n\r\n[A]\r\nk=1\r\n"},
      {"", {{"A", "k", "1"}, {"A", "k", "2"}}, "[A]\nk=2\n"},
  };
  for (const TRow& row : rows) {
    TProfile profile(row.Text);
    for (const TSet& set : row.Sets) {
      profile.SetValue(set.Section, set.Key, set.Value);
      EXPECT_EQ(profile.Value(set.Section, set.Key), set.Value);
    }
    EXPECT_EQ(profile.Text(), row.Expected) << testing::PrintToString(row.Text);
  }
}

}  // namespace
