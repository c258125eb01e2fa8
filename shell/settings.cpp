// Reading and writing the settings file through SimpleIni, which keeps sections, keys
// and comments in the file's order, with the typed reads of a Windows profile file.

#include "shell/settings.h"

// Only the narrow-character classes are used; the file is UTF-8 and is kept as bytes.
#define SI_NO_CONVERSION
#include <SimpleIni.h>

#include <algorithm>
#include <charconv>
#include <optional>
#include <string_view>

#include "platform/file_replace.h"
#include "platform/folder.h"

namespace {

constexpr size_t kMaxValueChars = 2047;
constexpr int32_t kDefaultHistoryCount = 10;
// A hand-written Count must not make the start-up fill memory with default entries.
constexpr int32_t kMaxHistoryCount = 1000;
// Far beyond any real settings file; anything larger is not read, and not overwritten.
constexpr std::uintmax_t kMaxFileBytes = 64u << 20;

constexpr const char* kDefaultFileMask = "*.*";

struct THistoryKeys {
  const char* Section;
  const char* Prefix;
};
constexpr THistoryKeys kWordKeys{"GrepWord", "Word"};
constexpr THistoryKeys kFileKeys{"GrepFile", "File"};
constexpr THistoryKeys kDirKeys{"GrepDir", "Dir"};

// At most `maxChars` UTF-8 characters of `text`, cut before a character, never inside
// one. Bytes that are not UTF-8 count one each.
std::string CutToChars(std::string_view text, size_t maxChars) {
  size_t chars = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) continue;
    if (chars++ == maxChars) return std::string(text.substr(0, i));
  }
  return std::string(text);
}

// A profile integer: an optional sign, then decimal digits or "0x"/"0X" and hexadecimal
// digits, nothing else; nullopt when the text is not such a number or leaves 32 bits.
std::optional<int32_t> ParseInteger(std::string_view text) {
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  if (text.empty() || text.front() == '+' || text.front() == '-') return std::nullopt;
  int64_t magnitude = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), magnitude, base);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  int64_t value = negative ? -magnitude : magnitude;
  if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
  return static_cast<int32_t>(value);
}

// A value as the file holds it. Line breaks would end the entry and start a new one,
// so they become blanks; blanks at either end and a pair of outer quotes would be
// stripped when read, so such a value is put in quotes.
std::string StoredValue(std::string_view value) {
  std::string stored;
  stored.reserve(value.size() + 2);
  for (char c : value) {
    if (c == '\0') continue;
    stored += (c == '\r' || c == '\n') ? ' ' : c;
  }
  auto blank = [](char c) { return c == ' ' || c == '\t'; };
  bool quote =
      !stored.empty() && (blank(stored.front()) || blank(stored.back()) ||
                          (stored.size() >= 2 && stored.front() == '"' && stored.back() == '"'));
  return quote ? '"' + stored + '"' : stored;
}

// A value as the program sees it: a pair of outer quotes, which keeps blanks at either
// end, is taken off.
std::string_view Unquoted(std::string_view stored) {
  if (stored.size() >= 2 && stored.front() == '"' && stored.back() == '"')
    return stored.substr(1, stored.size() - 2);
  return stored;
}

// The text as SimpleIni should read it. A signature (byte order mark) at the start of a
// line (blanks aside), left there when files were joined or by an editor, is dropped:
// before a section line it would hide the section, so that its keys fell into the
// section before. A line that opens a section but does not close it is dropped too:
// SimpleIni passes over it but keeps its section name running on into the lines after
// it, so that the next key lands in a section whose name spans lines, and every write
// adds a line to the file. Without it, the keys after it stay in the section before. The
// file's own signature is noted before this (TProfile::Load).
std::string Normalised(std::string_view bytes) {
  constexpr std::string_view kSignature = "\xEF\xBB\xBF";
  std::string text;
  text.reserve(bytes.size());
  for (size_t start = 0; start < bytes.size();) {
    size_t end = bytes.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = bytes.size();
    const std::string_view line = bytes.substr(start, end - start);
    // Blanks before the line's text are dropped as SimpleIni drops them.
    std::string_view content = line.substr(std::min(line.find_first_not_of(" \t"), line.size()));
    while (content.starts_with(kSignature)) {
      content.remove_prefix(kSignature.size());
      content.remove_prefix(std::min(content.find_first_not_of(" \t"), content.size()));
    }
    const bool unclosed = content.starts_with('[') && content.find(']') == std::string_view::npos;
    if (!unclosed) text.append(content);
    const size_t next = std::min(bytes.find_first_not_of("\r\n", end), bytes.size());
    text.append(bytes.substr(end, next - end));
    start = next;
  }
  return text;
}

// Typed reads and writes on a loaded file, with the rules of a Windows profile file.
class TProfile {
 public:
  TProfile() : Ini(/*a_bIsUtf8=*/true, /*a_bMultiKey=*/false, /*a_bMultiLine=*/false) {
    Ini.SetSpaces(false);
    // Values stay as the file holds them, quotes and all, so that keys this program
    // does not write are written back unchanged; its own are unquoted as they are read.
    Ini.SetQuotes(false);
  }

  bool Load(const std::string& bytes) {
    HasSignature = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0;
    return Ini.LoadData(Normalised(bytes)) >= 0;
  }
  // The whole file as it is to be written, one blank line between sections (SimpleIni
  // puts two, and blank lines carry nothing in this file).
  bool Save(std::string& bytes) const {
    std::string text;
    if (Ini.Save(text, HasSignature) < 0) return false;
    bytes.clear();
    for (char c : text)
      if (c != '\n' || !bytes.ends_with("\n\n")) bytes += c;
    return true;
  }

  std::string ReadString(const char* section, const std::string& key,
                         const std::string& def) const {
    const char* value = Ini.GetValue(section, key.c_str(), nullptr);
    return value ? CutToChars(Unquoted(value), kMaxValueChars) : def;
  }
  int32_t ReadInteger(const char* section, const char* key, int32_t def) const {
    const char* value = Ini.GetValue(section, key, nullptr);
    return value ? ParseInteger(Unquoted(value)).value_or(def) : def;
  }
  bool ReadBool(const char* section, const char* key, bool def) const {
    return ReadInteger(section, key, def ? 1 : 0) != 0;
  }

  bool WriteString(const char* section, const std::string& key, std::string_view value) {
    return Ini.SetValue(section, key.c_str(), StoredValue(value).c_str()) >= 0;
  }
  bool WriteInteger(const char* section, const char* key, int32_t value) {
    return WriteString(section, key, std::to_string(value));
  }
  bool WriteBool(const char* section, const char* key, bool value) {
    return WriteString(section, key, value ? "1" : "0");
  }

 private:
  CSimpleIniA Ini;
  bool HasSignature = false;
};

std::string NumberedKey(const THistoryKeys& keys, size_t n) {
  return keys.Prefix + std::to_string(n);
}

// Key 1 gives the box text; keys 1 to Count each give an item, a missing one the default.
void ReadHistory(const TProfile& profile, const THistoryKeys& keys, const std::string& def,
                 std::vector<std::string>& items, std::string& text) {
  int32_t count = std::clamp(profile.ReadInteger(keys.Section, "Count", kDefaultHistoryCount), 0,
                             kMaxHistoryCount);
  text = profile.ReadString(keys.Section, NumberedKey(keys, 1), def);
  items.clear();
  items.reserve(static_cast<size_t>(count));
  for (int32_t n = 1; n <= count; ++n)
    items.push_back(profile.ReadString(keys.Section, NumberedKey(keys, n), def));
}

bool WriteHistory(TProfile& profile, const THistoryKeys& keys,
                  const std::vector<std::string>& items) {
  for (size_t i = 0; i < items.size(); ++i)
    if (!profile.WriteString(keys.Section, NumberedKey(keys, i + 1), items[i])) return false;
  return true;
}

TSettings ReadFrom(const TProfile& profile) {
  TSettings s;
  ReadHistory(profile, kWordKeys, "", s.Words, s.WordText);
  ReadHistory(profile, kFileKeys, kDefaultFileMask, s.Files, s.FileText);
  ReadHistory(profile, kDirKeys, Platform::HomeFolder(), s.Dirs, s.DirText);

  s.UpperLowerMatch = profile.ReadBool("Option", "UpperLowerMatch", s.UpperLowerMatch);
  s.FuzzySearch = profile.ReadBool("Option", "FuzzySearch", s.FuzzySearch);
  s.RegularExpSearch = profile.ReadBool("Option", "RegularExpSearch", s.RegularExpSearch);
  s.SearchAsWord = profile.ReadBool("Option", "SearchAsWord", s.SearchAsWord);
  s.SubFolderSearch = profile.ReadBool("Option", "SubFolderSearch", s.SubFolderSearch);
  s.FileNameSearch = profile.ReadBool("Option", "FileNameSearch", s.FileNameSearch);

  s.Left = profile.ReadInteger("Window", "Left", s.Left);
  s.Top = profile.ReadInteger("Window", "Top", s.Top);
  s.Width = profile.ReadInteger("Window", "Width", s.Width);
  s.Height = profile.ReadInteger("Window", "Height", s.Height);

  s.EditorPath = profile.ReadString("Editor", "Path", s.EditorPath);
  s.JumpFormat = profile.ReadString("Editor", "JumpFormat", s.JumpFormat);

  s.GrepDlgShowOnStart = profile.ReadBool("Option", "GrepDlgShowOnStart", s.GrepDlgShowOnStart);
  s.ErrMsgBox = profile.ReadBool("Option", "ErrMsgBox", s.ErrMsgBox);
  return s;
}

// In the order in which a fresh file lists them.
bool WriteInto(TProfile& p, const TSettings& s) {
  return WriteHistory(p, kWordKeys, s.Words) && WriteHistory(p, kFileKeys, s.Files) &&
         WriteHistory(p, kDirKeys, s.Dirs) &&
         p.WriteBool("Option", "UpperLowerMatch", s.UpperLowerMatch) &&
         p.WriteBool("Option", "FuzzySearch", s.FuzzySearch) &&
         p.WriteBool("Option", "RegularExpSearch", s.RegularExpSearch) &&
         p.WriteBool("Option", "SearchAsWord", s.SearchAsWord) &&
         p.WriteBool("Option", "SubFolderSearch", s.SubFolderSearch) &&
         p.WriteBool("Option", "FileNameSearch", s.FileNameSearch) &&
         p.WriteInteger("Window", "Left", s.Left) && p.WriteInteger("Window", "Top", s.Top) &&
         p.WriteInteger("Window", "Width", s.Width) &&
         p.WriteInteger("Window", "Height", s.Height) &&
         p.WriteString("Editor", "Path", s.EditorPath) &&
         p.WriteString("Editor", "JumpFormat", s.JumpFormat) &&
         p.WriteBool("Option", "ErrMsgBox", s.ErrMsgBox);
}

}  // namespace

TSettings ReadSettings(const std::string& path) {
  try {
    std::string bytes;
    TProfile profile;
    if (Platform::ReadWholeFile(path, bytes, kMaxFileBytes) == Platform::TReadResult::Read)
      profile.Load(bytes);
    return ReadFrom(profile);
  } catch (const std::exception&) {
    return ReadFrom(TProfile());
  }
}

bool WriteSettings(const std::string& path, const TSettings& settings) noexcept {
  try {
    std::string bytes;
    TProfile profile;
    // What is in the file already is kept; a file that exists but cannot be read is
    // not replaced, or everything in it would be lost.
    switch (Platform::ReadWholeFile(path, bytes, kMaxFileBytes)) {
      case Platform::TReadResult::Read:
        if (!profile.Load(bytes)) return false;
        break;
      case Platform::TReadResult::Missing:
        break;
      case Platform::TReadResult::Unreadable:
        return false;
    }
    return WriteInto(profile, settings) && profile.Save(bytes) &&
           Platform::ReplaceFile(path, bytes);
  } catch (...) {
    return false;
  }
}
