#include "shell/profile.h"

#include <algorithm>
#include <tuple>

namespace varsik {

namespace {

constexpr std::string_view kSignature = "\xEF\xBB\xBF";
constexpr uint32_t kNoSection = UINT32_MAX;

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string_view TrimmedRight(std::string_view text) {
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  return TrimmedRight(text);
}

// The line behind its leading blanks and byte order marks. A mark inside the file, left
// there when files were joined or by an editor, would otherwise hide a section line, so
// that its keys fell into the section before.
std::string_view Content(std::string_view line) {
  for (;;) {
    while (!line.empty() && IsBlank(line.front())) line.remove_prefix(1);
    if (!line.starts_with(kSignature)) return line;
    line.remove_prefix(kSignature.size());
  }
}

// Whether `text` ends with an empty line: a line end right behind another or at the start.
bool EndsWithBlankLine(std::string_view text) {
  if (text.ends_with("\r\n"))
    text.remove_suffix(2);
  else if (text.ends_with('\n') || text.ends_with('\r'))
    text.remove_suffix(1);
  else
    return false;
  return text.empty() || text.back() == '\n' || text.back() == '\r';
}

}  // namespace

size_t TProfile::TNameHash::operator()(std::string_view name) const {
  size_t hash = 14695981039346656037u;
  for (char c : name) hash = (hash ^ static_cast<unsigned char>(Lower(c))) * 1099511628211u;
  return hash;
}

bool TProfile::TNameEqual::operator()(std::string_view a, std::string_view b) const {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](char x, char y) { return Lower(x) == Lower(y); });
}

size_t TProfile::TEntryHash::operator()(const TEntryName& name) const {
  return TNameHash()(name.Key) * 31 + name.Section;
}

bool TProfile::TEntryEqual::operator()(const TEntryName& a, const TEntryName& b) const {
  return a.Section == b.Section && TNameEqual()(a.Key, b.Key);
}

TProfile::TProfile(std::string text) : Original(std::move(text)) {
  uint32_t section = kNoSection;
  bool firstBlock = false;
  for (size_t begin = 0; begin < Original.size();) {
    const size_t contentEnd = std::min(Original.find_first_of("\r\n", begin), Original.size());
    size_t end = contentEnd;
    if (end < Original.size()) end += Original.compare(end, 2, "\r\n") == 0 ? 2 : 1;
    ReadLine(begin, contentEnd, end, section, firstBlock);
    begin = end;
  }
  // Added lines end as the file's first line does, but never with a lone CR: followed by
  // the LF of an empty line, it would make one line end of the two, and the line vanish.
  const size_t firstEnd = Original.find_first_of("\r\n");
  LineEnd = firstEnd != std::string::npos && Original[firstEnd] == '\r' ? "\r\n" : "\n";
}

void TProfile::ReadLine(size_t begin, size_t contentEnd, size_t end, uint32_t& section,
                        bool& firstBlock) {
  const std::string_view line(Original.data() + begin, contentEnd - begin);
  // A NUL byte is no text: such a line is kept, but not read.
  if (line.find('\0') != std::string_view::npos) return;
  const std::string_view content = Content(line);
  if (content.starts_with('[')) {
    // A line that opens a section but does not close it is passed over, and the keys
    // behind it stay in the section before.
    const size_t close = content.find(']');
    if (close == std::string_view::npos) return;
    const std::string_view name = Trimmed(content.substr(1, close - 1));
    const size_t sections = Sections.size();
    section = SectionId(name, end);
    firstBlock = Sections.size() > sections;
    return;
  }
  if (section == kNoSection || content.starts_with(';') || content.starts_with('#')) return;
  const size_t equals = content.find('=');
  if (equals == std::string_view::npos) return;
  const std::string_view key = TrimmedRight(content.substr(0, equals));
  if (key.empty()) return;
  std::string_view value = content.substr(equals + 1);
  while (!value.empty() && IsBlank(value.front())) value.remove_prefix(1);
  TEntry entry;
  entry.ValueBegin = static_cast<size_t>(value.data() - Original.data());
  entry.ValueEnd = contentEnd;
  entry.Value = TrimmedRight(value);
  Entries.try_emplace(TEntryName{section, key}, entry);
  if (firstBlock) Sections[section].InsertAt = end;
}

uint32_t TProfile::SectionId(std::string_view name, size_t insertAt) {
  const auto [it, added] = SectionIds.try_emplace(name, static_cast<uint32_t>(Sections.size()));
  if (added) Sections.push_back(TSection{name, insertAt, {}});
  return it->second;
}

std::string_view TProfile::Own(std::string_view text) {
  return Owned.emplace_back(text);
}

std::optional<std::string_view> TProfile::Value(std::string_view section,
                                                std::string_view key) const {
  const auto id = SectionIds.find(section);
  if (id == SectionIds.end()) return std::nullopt;
  const auto entry = Entries.find(TEntryName{id->second, key});
  if (entry == Entries.end()) return std::nullopt;
  return entry->second.Value;
}

void TProfile::SetValue(std::string_view section, std::string_view key, std::string_view value) {
  if (Value(section, key) == value) return;  // the line stays as it stands
  uint32_t id;
  if (const auto found = SectionIds.find(section); found != SectionIds.end()) {
    id = found->second;
  } else {
    id = SectionId(Own(section), kAdded);
    AddedSections.push_back(id);
  }
  const auto found = Entries.find(TEntryName{id, key});
  if (found == Entries.end()) {
    // The map keeps a view of the key: it must outlive the caller's text.
    const std::string_view ownKey = Own(key);
    TEntry& entry = Entries[TEntryName{id, ownKey}];
    entry.Value = Own(value);
    Sections[id].Added.emplace_back(ownKey, &entry);
    return;
  }
  TEntry& entry = found->second;
  if (!entry.Changed && entry.ValueBegin != kAdded) ChangedEntries.push_back(&entry);
  entry.Changed = true;
  entry.Value = Own(value);
}

void TProfile::AppendAdded(std::string& out, const TSection& section) const {
  if (section.Added.empty()) return;
  if (!out.empty() && !out.ends_with('\n') && !out.ends_with('\r')) out += LineEnd;
  for (const auto& [key, entry] : section.Added)
    out.append(key).append("=").append(entry->Value).append(LineEnd);
}

std::string TProfile::Text() const {
  // Changes to the text that was read, in the order of the text: new values, then the
  // keys added behind a line.
  struct TEdit {
    size_t Begin;
    size_t End;
    const TEntry* Entry;      // a new value, or
    const TSection* Section;  // the keys added to a section
  };
  std::vector<TEdit> edits;
  for (const TEntry* entry : ChangedEntries)
    edits.push_back({entry->ValueBegin, entry->ValueEnd, entry, nullptr});
  for (const TSection& section : Sections)
    if (section.InsertAt != kAdded && !section.Added.empty())
      edits.push_back({section.InsertAt, section.InsertAt, nullptr, &section});
  std::sort(edits.begin(), edits.end(), [](const TEdit& a, const TEdit& b) {
    return std::tuple(a.Begin, a.Entry == nullptr) < std::tuple(b.Begin, b.Entry == nullptr);
  });

  std::string out;
  out.reserve(Original.size() + Original.size() / 8 + 1024);
  size_t done = 0;
  for (const TEdit& edit : edits) {
    out.append(Original, done, edit.Begin - done);
    done = edit.End;
    if (edit.Entry)
      out.append(edit.Entry->Value);
    else
      AppendAdded(out, *edit.Section);
  }
  out.append(Original, done);

  // New sections at the end, each behind an empty line.
  for (uint32_t id : AddedSections) {
    const TSection& section = Sections[id];
    if (!out.empty() && !out.ends_with('\n') && !out.ends_with('\r')) out += LineEnd;
    if (!out.empty() && !EndsWithBlankLine(out)) out += LineEnd;
    out.append("[").append(section.Name).append("]").append(LineEnd);
    AppendAdded(out, section);
  }
  return out;
}

}  // namespace varsik
