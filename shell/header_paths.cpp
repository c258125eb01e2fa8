#include "shell/header_paths.h"

#include "platform/name_text.h"
#include "shell/result_text.h"

namespace varsik {

namespace {

// The header's text after its "#".
std::string_view FileNameOf(const std::string& header) {
  return std::string_view(header).substr(1);
}

}  // namespace

std::string THeaderPaths::Header(const std::string& path) {
  std::string header = ResultText::FileHeader(Platform::NameForView(path));
  auto [it, added] = Paths.try_emplace(std::string(FileNameOf(header)), path);
  if (added || it->second == path) return header;
  header = ResultText::FileHeader(Platform::NameFullyEscaped(path));
  Paths.try_emplace(std::string(FileNameOf(header)), path);
  return header;
}

std::optional<std::string> THeaderPaths::PathOf(std::string_view fileName) const {
  const auto it = Paths.find(std::string(fileName));
  if (it == Paths.end()) return std::nullopt;
  return it->second;
}

}  // namespace varsik
