// The paths behind the results view's headers. A header shows its path readably (see
// Platform::NameForView), which cannot always be read back into the path's bytes: a
// Shift JIS name and a UTF-8 name can look alike. So the window keeps, for the current
// search, each header's text with the path it was made for; the tag jump takes the
// file from here, never from the text itself, and so opens only files that were
// searched, however the view was edited.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace varsik {

class THeaderPaths {
 public:
  // Forgets every header (a new search).
  void Clear() { Paths.clear(); }

  // The header line for `path`, remembered. Its text is the readable form unless
  // another path of this search already has that text; then every byte outside
  // printable ASCII is escaped, which no other path shares.
  std::string Header(const std::string& path);

  // The path of a header, given its text after the "#" (with its double quotes);
  // nullopt when no header of this search has that text.
  std::optional<std::string> PathOf(std::string_view fileName) const;

 private:
  // Text after the "#" -> the path's bytes.
  std::unordered_map<std::string, std::string> Paths;
};

}  // namespace varsik
