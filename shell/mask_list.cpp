#include "shell/mask_list.h"

#include <algorithm>

#include "platform/wildcard.h"

namespace varsik {

TMaskList TMaskList::FromPieces(const std::vector<std::string>& pieces) {
  TMaskList list;
  for (const std::string& piece : pieces) {
    if (piece.starts_with('!'))
      list.ExcludedFiles.push_back(piece.substr(1));
    else if (piece.starts_with('#'))
      list.ExcludedFolders.push_back(piece.substr(1));
    else
      list.Masks.push_back(piece);
  }
  // "!test_*" alone, or with a ";" typed behind it, means every file but those.
  const bool noMask =
      std::all_of(list.Masks.begin(), list.Masks.end(), [](const auto& m) { return m.empty(); });
  if (noMask && (!list.ExcludedFiles.empty() || !list.ExcludedFolders.empty()))
    list.Masks = {"*.*"};
  return list;
}

bool TMaskList::MatchesAny(const std::vector<std::string>& masks, std::string_view name) {
  return std::any_of(masks.begin(), masks.end(), [name](const std::string& mask) {
    return Platform::WildcardMatch(mask, name);
  });
}

}  // namespace varsik
