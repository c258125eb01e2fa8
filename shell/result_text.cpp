#include "shell/result_text.h"

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
  std::string s = " :" + std::to_string(lineNo) + ": ";
  s += text;
  return s;
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
