#include "shell/result_text.h"

#include <array>
#include <charconv>

namespace varsik {

namespace ResultText {

std::string FileHeader(std::string_view path) {
  std::string s;
  s.reserve(path.size() + 3);
  s += "#\"";
  s += path;
  s += '"';
  return s;
}

std::string LineEntry(int64_t lineNo, std::string_view text) {
  std::string s;
  AppendLineEntry(s, lineNo, text);
  return s;
}

void AppendLineEntry(std::string& out, int64_t lineNo, std::string_view text) {
  std::array<char, 24> digits;
  const char* end = std::to_chars(digits.data(), digits.data() + digits.size(), lineNo).ptr;
  out += " :";
  out.append(digits.data(), static_cast<size_t>(end - digits.data()));
  out += ": ";
  out += text;
}

std::string UnreadableMessage(std::string_view path) {
  std::string s(kUnreadableHead);
  s += path;
  s += kUnreadableTail;
  return s;
}

std::string UnreadableLine(std::string_view path) {
  return '"' + UnreadableMessage(path) + '"';
}

std::string Status(int64_t searchedFiles, int64_t matchedFiles, int64_t matchedLines) {
  return "検索ファイル数 : " + std::to_string(searchedFiles) +
         "   一致ファイル数 : " + std::to_string(matchedFiles) +
         "   一致行数 : " + std::to_string(matchedLines);
}

std::string Caption(std::string_view folder, std::string_view masks, std::string_view word) {
  std::string s = "Varsik - ";
  s += folder;
  s += masks;
  s += " - \"";
  s += word;
  s += '"';
  return s;
}

}  // namespace ResultText

}  // namespace varsik
