// Reading and writing the settings file. The file is kept as it stands (TProfile): a
// write changes only the values of the keys this program writes, and adds those that are
// missing, with the typed reads of a Windows profile file.

#include "shell/settings.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string_view>
#include <variant>

#include "platform/cp932.h"
#include "platform/file_replace.h"
#include "platform/folder.h"
#include "platform/utf8.h"
#include "shell/profile.h"

namespace varsik {

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

// Whether a line of `bytes` is UTF-8 beyond ASCII.
bool HasUtf8Line(std::string_view bytes) {
  while (!bytes.empty()) {
    const size_t end = std::min(bytes.find_first_of("\r\n"), bytes.size());
    const std::string_view line = bytes.substr(0, end);
    if (std::any_of(line.begin(), line.end(), [](char c) { return (c & 0x80) != 0; }) &&
        Platform::IsValidUtf8(line))
      return true;
    bytes.remove_prefix(std::min(bytes.find_first_not_of("\r\n", end), bytes.size()));
  }
  return false;
}

// The file's text in UTF-8. A file that is not UTF-8 was written in Shift JIS (CP932)
// by an older setup. Complete when every byte was understood, so that writing the text
// back loses nothing.
struct TFileText {
  std::string Text;
  bool Complete = true;
};

TFileText DecodedText(std::string bytes) {
  if (Platform::IsValidUtf8(bytes)) return {std::move(bytes), true};
  std::string text = Platform::Cp932ToUtf8(bytes);
  // U+FFFD stands for bytes that CP932 does not define; it holds no such character. A
  // line in UTF-8 beyond ASCII was most likely added in UTF-8 (Shift JIS text seldom
  // reads as UTF-8): read as Shift JIS it is garbled, and written back so for good.
  const bool complete = text.find("\xEF\xBF\xBD") == std::string::npos && !HasUtf8Line(bytes);
  return {std::move(text), complete};
}

// Typed reads and writes on the file's text, with the rules of a Windows profile file.
class TTypedProfile {
 public:
  explicit TTypedProfile(std::string text = {}) : Profile(std::move(text)) {}

  std::string Text() const { return Profile.Text(); }

  std::string ReadString(const char* section, const std::string& key,
                         const std::string& def) const {
    const std::optional<std::string_view> value = Profile.Value(section, key);
    return value ? CutToChars(Unquoted(*value), kMaxValueChars) : def;
  }
  int32_t ReadInteger(const char* section, const char* key, int32_t def) const {
    const std::optional<std::string_view> value = Profile.Value(section, key);
    return value ? ParseInteger(Unquoted(*value)).value_or(def) : def;
  }
  bool ReadBool(const char* section, const char* key, bool def) const {
    return ReadInteger(section, key, def ? 1 : 0) != 0;
  }
  // Reads into `value`, which keeps what it holds when the key is missing or unreadable.
  void Read(const char* section, const char* key, std::string& value) const {
    value = ReadString(section, key, value);
  }
  void Read(const char* section, const char* key, int32_t& value) const {
    value = ReadInteger(section, key, value);
  }
  void Read(const char* section, const char* key, bool& value) const {
    value = ReadBool(section, key, value);
  }
  // An encoding by its name; a name that is none keeps the value.
  void Read(const char* section, const char* key, TEncodingChoice& value) const {
    value = EncodingChoiceOf(ReadString(section, key, "")).value_or(value);
  }

  void Write(const char* section, const std::string& key, std::string_view value) {
    Profile.SetValue(section, key, StoredValue(value));
  }
  void Write(const char* section, const char* key, int32_t value) {
    Write(section, key, std::to_string(value));
  }
  void Write(const char* section, const char* key, bool value) {
    Write(section, key, std::string_view(value ? "1" : "0"));
  }
  void Write(const char* section, const char* key, TEncodingChoice value) {
    Write(section, key, EncodingChoiceName(value));
  }

 private:
  TProfile Profile;
};

std::string NumberedKey(const THistoryKeys& keys, size_t n) {
  return keys.Prefix + std::to_string(n);
}

// Key 1 gives the box text; keys 1 to Count each give an item, a missing one the default.
void ReadHistory(const TTypedProfile& profile, const THistoryKeys& keys, const std::string& def,
                 std::vector<std::string>& items, std::string& text) {
  int32_t count = std::clamp(profile.ReadInteger(keys.Section, "Count", kDefaultHistoryCount), 0,
                             kMaxHistoryCount);
  text = profile.ReadString(keys.Section, NumberedKey(keys, 1), def);
  items.clear();
  items.reserve(static_cast<size_t>(count));
  for (int32_t n = 1; n <= count; ++n)
    items.push_back(profile.ReadString(keys.Section, NumberedKey(keys, n), def));
}

void WriteHistory(TTypedProfile& profile, const THistoryKeys& keys,
                  const std::vector<std::string>& items) {
  for (size_t i = 0; i < items.size(); ++i)
    profile.Write(keys.Section, NumberedKey(keys, i + 1), items[i]);
}

// The settings that are one value each, in the order in which a fresh file lists them.
struct TValueKey {
  const char* Section;
  const char* Key;
  std::variant<bool TSearchSwitches::*, TEncodingChoice TSearchSwitches::*, bool TSettings::*,
               int32_t TSettings::*, std::string TSettings::*>
      Field;
  bool Written = true;
};
const TValueKey kValueKeys[] = {
    {"Option", "UpperLowerMatch", &TSearchSwitches::UpperLowerMatch},
    {"Option", "FuzzySearch", &TSearchSwitches::FuzzySearch},
    {"Option", "RegularExpSearch", &TSearchSwitches::RegularExpSearch},
    {"Option", "SearchAsWord", &TSearchSwitches::SearchAsWord},
    {"Option", "SubFolderSearch", &TSearchSwitches::SubFolderSearch},
    {"Option", "FileNameSearch", &TSearchSwitches::FileNameSearch},
    {"Option", "SkipBinary", &TSearchSwitches::SkipBinary},
    {"Option", "GitIgnore", &TSearchSwitches::GitIgnore},
    {"Option", "Encoding", &TSearchSwitches::Encoding},
    {"Option", "GrepDlgShowOnStart", &TSettings::GrepDlgShowOnStart, /*Written=*/false},
    {"Option", "ErrMsgBox", &TSettings::ErrMsgBox},
    {"Option", "Threads", &TSettings::Threads, /*Written=*/false},
    {"Window", "Left", &TSettings::Left},
    {"Window", "Top", &TSettings::Top},
    {"Window", "Width", &TSettings::Width},
    {"Window", "Height", &TSettings::Height},
    {"Editor", "Path", &TSettings::EditorPath},
    {"Editor", "JumpFormat", &TSettings::JumpFormat},
};

// The value a key's field names in the settings: a switch lies in their Switches.
template <typename T>
T& FieldOf(TSettings& s, T TSearchSwitches::*field) {
  return s.Switches.*field;
}
template <typename T>
const T& FieldOf(const TSettings& s, T TSearchSwitches::*field) {
  return s.Switches.*field;
}
template <typename TSettingsRef, typename T>
auto& FieldOf(TSettingsRef& s, T TSettings::*field) {
  return s.*field;
}

TSettings ReadFrom(const TTypedProfile& profile) {
  TSettings s;
  ReadHistory(profile, kWordKeys, "", s.Words, s.WordText);
  ReadHistory(profile, kFileKeys, kDefaultFileMask, s.Files, s.FileText);
  ReadHistory(profile, kDirKeys, Platform::HomeFolder(), s.Dirs, s.DirText);
  for (const TValueKey& key : kValueKeys)
    std::visit([&](auto field) { profile.Read(key.Section, key.Key, FieldOf(s, field)); },
               key.Field);
  return s;
}

void WriteInto(TTypedProfile& profile, const TSettings& s) {
  WriteHistory(profile, kWordKeys, s.Words);
  WriteHistory(profile, kFileKeys, s.Files);
  WriteHistory(profile, kDirKeys, s.Dirs);
  for (const TValueKey& key : kValueKeys)
    if (key.Written)
      std::visit([&](auto field) { profile.Write(key.Section, key.Key, FieldOf(s, field)); },
                 key.Field);
}

// The path as a terminal can show it: control characters, and every byte of a path that
// is not UTF-8, as \xNN, so that a hostile name cannot drive the terminal.
std::string Printable(std::string_view path) {
  const bool utf8 = Platform::IsValidUtf8(path);
  std::string out;
  for (size_t i = 0; i < path.size(); ++i) {
    const auto c = static_cast<unsigned char>(path[i]);
    // C1 controls, U+0080 to U+009F, are C2 80 to C2 9F in UTF-8.
    const bool c1 =
        c == 0xC2 && i + 1 < path.size() && static_cast<unsigned char>(path[i + 1]) < 0xA0;
    if (c >= 0x20 && c != 0x7F && (utf8 ? !c1 : c < 0x80)) {
      out += static_cast<char>(c);
      continue;
    }
    const size_t length = c1 ? 2 : 1;
    for (size_t k = 0; k < length; ++k) {
      char hex[5];
      std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned char>(path[i + k]));
      out += hex;
    }
    i += length - 1;
  }
  return out;
}

// Why a file is left as it is, for the message.
std::string Reason(Platform::TReplaceResult result) {
  using Platform::TReplaceResult;
  switch (result) {
    case TReplaceResult::Link:
      return "it is a symbolic link";
    case TReplaceResult::NotRegular:
      return "it is not a regular file";
    case TReplaceResult::NotOwned:
      return "it belongs to another user";
    case TReplaceResult::ReadOnly:
      return "it is read-only";
    case TReplaceResult::TooLarge:
      return "it is larger than a settings file can be";
    case TReplaceResult::Done:
    case TReplaceResult::Missing:
    case TReplaceResult::Failed:
      break;
  }
  return std::strerror(errno);
}

// Says once, on standard error, that the file at `path` was not written and why; false.
bool NotWritten(const std::string& path, const std::string& reason) noexcept {
  try {
    std::fprintf(stderr, "varsik: %s に書き込めません: %s\n", Printable(path).c_str(),
                 reason.c_str());
  } catch (...) {
  }
  return false;
}

}  // namespace

TSettings ReadSettings(const std::string& path) {
  try {
    std::string bytes;
    if (Platform::ReadWholeFile(path, bytes, kMaxFileBytes) != Platform::TReadResult::Read)
      bytes.clear();
    const TTypedProfile profile(DecodedText(std::move(bytes)).Text);
    return ReadFrom(profile);
  } catch (const std::exception&) {
    return ReadFrom(TTypedProfile());
  }
}

bool WriteSettings(const std::string& path, const TSettings& settings) noexcept {
  try {
    // What is in the file already is kept. A file that is not the user's own regular
    // file, or that was not read to its last byte, is left as it is: replacing it could
    // write through a link or lose what the file holds.
    std::string bytes;
    using Platform::TReplaceResult;
    const TReplaceResult read = Platform::ReadFileToReplace(path, bytes, kMaxFileBytes);
    if (read != TReplaceResult::Done && read != TReplaceResult::Missing)
      return NotWritten(path, Reason(read));
    TFileText text = DecodedText(std::move(bytes));
    if (!text.Complete) return NotWritten(path, "it is neither UTF-8 nor Shift JIS text");
    TTypedProfile profile(std::move(text.Text));
    WriteInto(profile, settings);
    const TReplaceResult written = Platform::ReplaceFile(path, profile.Text());
    return written == TReplaceResult::Done || NotWritten(path, Reason(written));
  } catch (const std::exception& error) {
    return NotWritten(path, error.what());
  } catch (...) {
    return false;
  }
}

}  // namespace varsik
