// Fuzz target: bytes as a settings file, read, written back into the same file and read
// again. The second read must equal the first (writing loses nothing that the file can
// hold); every line that the program does not own must still be in the file, byte for
// byte and in its order; writing the same settings once more must not change the file
// (blank lines aside). A file that is left as it was is named once on standard error;
// one that is neither UTF-8 nor Shift JIS to its last byte always is, a UTF-8 one never.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/cp932.h"
#include "platform/utf8.h"
#include "shell/settings.h"
#include "tests/fuzz/fuzz_support.h"

using namespace varsik;

namespace {

using FuzzSupport::Escaped;
using FuzzSupport::Fail;

std::string Describe(const std::vector<std::string>& items) {
  std::string s = "{";
  for (const std::string& item : items) s += " \"" + Escaped(item) + "\"";
  return s + " }";
}

// The fields that differ, as "name: first / second" lines.
std::string Differences(const TSettings& a, const TSettings& b) {
  std::string d;
  auto list = [&](const char* name, const std::vector<std::string>& x,
                  const std::vector<std::string>& y) {
    if (x != y) d += std::string(name) + ": " + Describe(x) + " / " + Describe(y) + "\n";
  };
  auto text = [&](const char* name, const std::string& x, const std::string& y) {
    if (x != y) d += std::string(name) + ": \"" + Escaped(x) + "\" / \"" + Escaped(y) + "\"\n";
  };
  auto number = [&](const char* name, int64_t x, int64_t y) {
    if (x != y)
      d += std::string(name) + ": " + std::to_string(x) + " / " + std::to_string(y) + "\n";
  };
  list("Words", a.Words, b.Words);
  text("WordText", a.WordText, b.WordText);
  list("Files", a.Files, b.Files);
  text("FileText", a.FileText, b.FileText);
  list("Dirs", a.Dirs, b.Dirs);
  text("DirText", a.DirText, b.DirText);
  number("UpperLowerMatch", a.Switches.UpperLowerMatch, b.Switches.UpperLowerMatch);
  number("FuzzySearch", a.Switches.FuzzySearch, b.Switches.FuzzySearch);
  number("RegularExpSearch", a.Switches.RegularExpSearch, b.Switches.RegularExpSearch);
  number("SearchAsWord", a.Switches.SearchAsWord, b.Switches.SearchAsWord);
  number("SubFolderSearch", a.Switches.SubFolderSearch, b.Switches.SubFolderSearch);
  number("FileNameSearch", a.Switches.FileNameSearch, b.Switches.FileNameSearch);
  number("Left", a.Left, b.Left);
  number("Top", a.Top, b.Top);
  number("Width", a.Width, b.Width);
  number("Height", a.Height, b.Height);
  text("EditorPath", a.EditorPath, b.EditorPath);
  text("JumpFormat", a.JumpFormat, b.JumpFormat);
  number("GrepDlgShowOnStart", a.GrepDlgShowOnStart, b.GrepDlgShowOnStart);
  number("ErrMsgBox", a.ErrMsgBox, b.ErrMsgBox);
  return d;
}

// The file without its blank lines, which carry nothing; a signature (byte order mark)
// at its start is kept apart, so that a line holding nothing else counts as blank.
std::string FileLines(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string lines;
  for (std::string line; std::getline(in, line);) {
    if (lines.empty() && line.starts_with("\xEF\xBB\xBF")) {
      lines = "(signature)\n";
      line.erase(0, 3);
    }
    if (!line.empty() && line != "\r") lines += line + "\n";
  }
  return lines;
}

std::string FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// The lines of `text` without their ends, split as the settings file is: at CR LF, LF
// and a lone CR.
std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const size_t end = std::min(text.find_first_of("\r\n"), text.size());
    lines.push_back(text.substr(0, end));
    text.remove_prefix(end);
    text.remove_prefix(text.starts_with("\r\n") ? 2 : std::min<size_t>(1, text.size()));
  }
  return lines;
}

// Whether the program may write the value on `line`: one of the keys that it writes (case
// aside) before "=", behind blanks and byte order marks, in a line without NUL bytes.
// Every other line is the user's. Deliberately wide: the line's section is not looked at.
bool MayBeOwned(std::string_view line) {
  if (line.find('\0') != std::string_view::npos) return false;
  for (bool skipped = true; skipped;) {
    skipped = false;
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) {
      line.remove_prefix(1);
      skipped = true;
    }
    if (line.starts_with("\xEF\xBB\xBF")) {
      line.remove_prefix(3);
      skipped = true;
    }
  }
  const size_t equals = line.find('=');
  if (equals == std::string_view::npos) return false;
  std::string key(line.substr(0, equals));
  while (!key.empty() && (key.back() == ' ' || key.back() == '\t')) key.pop_back();
  for (char& c : key)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  for (const char* numbered : {"word", "file", "dir"}) {
    const std::string_view prefix(numbered);
    if (key.size() > prefix.size() && key.starts_with(prefix) &&
        std::all_of(key.begin() + prefix.size(), key.end(),
                    [](char c) { return c >= '0' && c <= '9'; }))
      return true;
  }
  for (const char* single :
       {"upperlowermatch", "fuzzysearch", "regularexpsearch", "searchasword", "subfoldersearch",
        "filenamesearch", "skipbinary", "gitignore", "encoding", "errmsgbox", "left", "top",
        "width", "height", "path", "jumpformat"})
    if (key == single) return true;
  return false;
}

// The first line of `before` that the program does not own and that `after` does not hold
// in the same order; empty when there is none.
std::string LostLine(std::string_view before, std::string_view after) {
  const std::vector<std::string_view> kept = Lines(after);
  auto next = kept.begin();
  for (std::string_view line : Lines(before)) {
    if (MayBeOwned(line)) continue;
    next = std::find(next, kept.end(), line);
    if (next == kept.end()) return "\"" + Escaped(line) + "\"";
    ++next;
  }
  return {};
}

struct TWrite {
  bool Written;
  std::string Said;  // on standard error
};

// WriteSettings, with what it says on standard error caught in a scratch file.
TWrite WriteAndListen(const std::string& path, const TSettings& settings) {
  const std::string saidPath = FuzzSupport::WriteScratchFile("stderr", "");
  std::fflush(stderr);
  const int saved = ::dup(2);
  const int said = ::open(saidPath.c_str(), O_WRONLY | O_CLOEXEC);
  if (saved < 0 || said < 0 || ::dup2(said, 2) < 0) Fail("standard error could not be caught");
  ::close(said);
  const bool written = WriteSettings(path, settings);
  std::fflush(stderr);
  ::dup2(saved, 2);
  ::close(saved);
  return {written, FileBytes(saidPath)};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::string path = FuzzSupport::WriteScratchFile("Varsik.ini", input);

  // The text as the program is to understand it. A UTF-8 file must be written; one that
  // is not Shift JIS to its last byte either must be left as it was; a Shift JIS file may
  // be left too, when lines of it read as UTF-8.
  const bool utf8 = Platform::IsValidUtf8(input);
  const std::string text = utf8 ? std::string(input) : Platform::Cp932ToUtf8(input);
  const bool undecodable = !utf8 && text.find("\xEF\xBF\xBD") != std::string::npos;

  const TSettings first = ReadSettings(path);
  const TWrite write = WriteAndListen(path, first);
  if (!write.Written) {
    if (utf8) Fail("the settings could not be written back: " + write.Said);
    if (FileBytes(path) != input) Fail("a file that was not written was changed");
    if (std::count(write.Said.begin(), write.Said.end(), '\n') != 1)
      Fail("a file left as it was is not named once on standard error: " + Escaped(write.Said));
    return 0;
  }
  if (undecodable) Fail("a file that was not read to its last byte was replaced");
  if (!write.Said.empty()) Fail("a write that worked said: " + write.Said);
  const TSettings second = ReadSettings(path);
  if (std::string d = Differences(first, second); !d.empty())
    Fail("the second read differs from the first:\n" + d + "written file:\n" +
         Escaped(FileBytes(path)));
  if (std::string lost = LostLine(text, FileBytes(path)); !lost.empty())
    Fail("a line that is not the program's was lost: " + lost + "\nwritten file:\n" +
         Escaped(FileBytes(path)));

  const std::string written = FileLines(path);
  if (!WriteSettings(path, second)) Fail("the settings could not be written a second time");
  if (FileLines(path) != written)
    Fail("writing the same settings again changed the file:\n" + Escaped(written) + "\n---\n" +
         Escaped(FileLines(path)));
  return 0;
}
