// The mask list of a search, as the walk uses it: the masks that take files up, in their
// order, and the exclusions. "!mask" passes over the files whose names match it, "#mask"
// the folders (they are not entered); both follow the masks' wildcard rules.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace varsik {

struct TMaskList {
  // The pieces of the list between its ";"s, in their order: "!" and "#" pieces go to
  // the exclusions, the others (empty ones too) are masks. A list whose masks are all
  // empty takes every file ("*.*") when it holds an exclusion.
  static TMaskList FromPieces(const std::vector<std::string>& pieces);

  // Whether the walk passes over the file or the folder named `name`.
  bool ExcludesFile(std::string_view name) const { return MatchesAny(ExcludedFiles, name); }
  bool ExcludesFolder(std::string_view name) const { return MatchesAny(ExcludedFolders, name); }

  std::vector<std::string> Masks;
  std::vector<std::string> ExcludedFiles;    // without their "!"
  std::vector<std::string> ExcludedFolders;  // without their "#"

 private:
  static bool MatchesAny(const std::vector<std::string>& masks, std::string_view name);
};

}  // namespace varsik
