// The walk's view of one ignore file's rules, for the rules' tests: a path is passed over
// when a folder on the way to it, or the path itself, is ignored.
#pragma once

#include <span>
#include <string_view>
#include <vector>

#include "platform/git_ignore_rules.h"

namespace varsik {

inline std::vector<std::string_view> Split(std::string_view path) {
  std::vector<std::string_view> parts;
  for (;;) {
    const size_t slash = path.find('/');
    parts.push_back(path.substr(0, slash));
    if (slash == std::string_view::npos) return parts;
    path.remove_prefix(slash + 1);
  }
}

// Whether the walk would pass over `path` (a trailing "/" for a folder): a folder on the
// way to it is ignored, or the path itself.
inline bool WalkIgnores(const Platform::TGitIgnoreRules& rules, std::string_view path,
                        bool foldCase = false) {
  const bool folder = path.ends_with('/');
  if (folder) path.remove_suffix(1);
  const std::vector<std::string_view> parts = Split(path);
  for (size_t n = 1; n <= parts.size(); ++n) {
    const bool isFolder = n < parts.size() || folder;
    if (rules.Match(std::span(parts).first(n), isFolder, foldCase) ==
        Platform::TGitIgnoreRules::TVerdict::Ignored)
      return true;
  }
  return false;
}

}  // namespace varsik
