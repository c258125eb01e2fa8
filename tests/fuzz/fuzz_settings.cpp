// Fuzz target: bytes as a settings file, read, written back into the same file and read
// again. The second read must equal the first (writing loses nothing that the file can
// hold), and writing the same settings once more must not change the file (blank lines
// aside).
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "shell/settings.h"
#include "tests/fuzz/fuzz_support.h"

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
  number("UpperLowerMatch", a.UpperLowerMatch, b.UpperLowerMatch);
  number("FuzzySearch", a.FuzzySearch, b.FuzzySearch);
  number("RegularExpSearch", a.RegularExpSearch, b.RegularExpSearch);
  number("SearchAsWord", a.SearchAsWord, b.SearchAsWord);
  number("SubFolderSearch", a.SubFolderSearch, b.SubFolderSearch);
  number("FileNameSearch", a.FileNameSearch, b.FileNameSearch);
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::string path = FuzzSupport::WriteScratchFile("Varsik.ini", input);

  const TSettings first = ReadSettings(path);
  if (!WriteSettings(path, first)) Fail("the settings could not be written back");
  const TSettings second = ReadSettings(path);
  if (std::string d = Differences(first, second); !d.empty())
    Fail("the second read differs from the first:\n" + d + "written file:\n" +
         Escaped(FileBytes(path)));

  const std::string written = FileLines(path);
  if (!WriteSettings(path, second)) Fail("the settings could not be written a second time");
  if (FileLines(path) != written)
    Fail("writing the same settings again changed the file:\n" + Escaped(written) + "\n---\n" +
         Escaped(FileLines(path)));
  return 0;
}
