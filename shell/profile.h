// An INI file held as the text it is, read and changed as the Windows profile functions
// do: a value is found by section and key, ignoring ASCII case, the first of duplicates
// counting; setting one changes only the value on the key's line, or adds a line behind
// the last entry of the key's section, or the section at the end of the file. Every other
// byte stays as it stands: comments, blank lines, lines that are no entries, line ends.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace varsik {

class TProfile {
 public:
  // `text` is the whole file. Lines end with CR LF, LF or a lone CR. A line is an entry
  // when, behind blanks and byte order marks, it holds a key, "=" and the value, lies
  // below a section line ("[Name]", anything behind "]" aside), holds no NUL byte and
  // does not start with ";" or "#".
  explicit TProfile(std::string text = {});
  // Views into the text are kept: the profile stays where it was made.
  TProfile(const TProfile&) = delete;
  TProfile& operator=(const TProfile&) = delete;

  // The value of `key` in `section`, with the blanks around it taken off; nullopt when
  // there is no such entry.
  std::optional<std::string_view> Value(std::string_view section, std::string_view key) const;

  // Sets the value of `key` in `section` to `value`, as the file is to hold it. None of
  // the three may hold a line break or a NUL byte.
  void SetValue(std::string_view section, std::string_view key, std::string_view value);

  // The file with the values that were set.
  std::string Text() const;

 private:
  static constexpr size_t kAdded = SIZE_MAX;  // not in the text that was read

  struct TEntryName {
    uint32_t Section;
    std::string_view Key;
  };
  struct TEntryHash {
    size_t operator()(const TEntryName& name) const;
  };
  struct TEntryEqual {
    bool operator()(const TEntryName& a, const TEntryName& b) const;
  };
  struct TNameHash {
    size_t operator()(std::string_view name) const;
  };
  struct TNameEqual {
    bool operator()(std::string_view a, std::string_view b) const;
  };
  struct TEntry {
    // The bytes of the value that a new value replaces, blanks behind it included;
    // kAdded for an entry that SetValue added.
    size_t ValueBegin = kAdded;
    size_t ValueEnd = kAdded;
    std::string_view Value;
    bool Changed = false;
  };

  struct TSection {
    std::string_view Name;
    // Where keys added to the section go: behind the line end of its last entry (or of
    // its section line) in its first block; kAdded for a section added to the file.
    size_t InsertAt = kAdded;
    std::vector<std::pair<std::string_view, const TEntry*>> Added;  // key, entry
  };

  void ReadLine(size_t begin, size_t contentEnd, size_t end, uint32_t& section, bool& firstBlock);
  uint32_t SectionId(std::string_view name, size_t insertAt);
  std::string_view Own(std::string_view text);
  void AppendAdded(std::string& out, const TSection& section) const;

  std::string Original;
  std::string LineEnd;            // of the lines that are added
  std::deque<std::string> Owned;  // texts that views point into; a deque never moves them
  std::vector<TSection> Sections;
  std::unordered_map<std::string_view, uint32_t, TNameHash, TNameEqual> SectionIds;
  std::unordered_map<TEntryName, TEntry, TEntryHash, TEntryEqual> Entries;
  std::vector<const TEntry*> ChangedEntries;  // read entries whose value was set
  std::vector<uint32_t> AddedSections;
};

}  // namespace varsik
