// TGitIgnoreRules: the patterns of one ignore file (a .gitignore, info/exclude or the
// user's excludes file) and which of them decides a path, with git's rules: the last
// pattern that matches wins, "!" turns a match into an inclusion, a trailing "/" only
// matches folders, a pattern with a "/" before its end is anchored to the file's folder
// (else it matches names at any depth), and "*", "?", "[...]" and "**" are git's
// wildcards. Matching is linear in practice, with one backtrack point per level.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace varsik {

namespace Platform {

class TGitIgnoreRules {
 public:
  enum class TVerdict { None, Ignored, Included };

  TGitIgnoreRules() = default;
  // The patterns of an ignore file's text (lines ended by LF or CR LF).
  explicit TGitIgnoreRules(std::string_view text);

  bool Empty() const { return Rules.empty(); }

  // What the last pattern that matches says of the path whose components, from the
  // file's folder down, are `path` (the entry's own name last); None when none matches.
  // `foldCase`: letters match regardless of case (core.ignorecase).
  TVerdict Match(std::span<const std::string_view> path, bool isFolder, bool foldCase) const;

 private:
  struct TRule {
    std::string Pattern;                // without "!", the leading and the trailing "/"
    std::vector<std::string> Segments;  // Pattern split at "/" when anchored
    bool Negated = false;
    bool FolderOnly = false;
    bool Anchored = false;
  };
  void Add(std::string_view line);

  std::vector<TRule> Rules;
};

}  // namespace Platform

}  // namespace varsik
