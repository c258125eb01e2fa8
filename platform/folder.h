// Folder enumeration and path helpers for the folder walk and the search dialog.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace Platform {

enum class TEntryKind {
  File,       // a regular file, or a symbolic link to one: searched
  Directory,  // a real folder: descended into
  Other,      // links to folders, dangling links, FIFOs, sockets, devices: never opened
};

struct TFolderEntry {
  std::string Name;
  TEntryKind Kind;
};

// The entries of `folder` (ending in "/") whose names match `mask`, "." and ".." left
// out, sorted by name regardless of case with ties by bytes, so that a walk is the
// same on every run. A folder that cannot be read gives no entries.
std::vector<TFolderEntry> ListFolder(const std::string& folder, std::string_view mask);

// Everything up to and including the last "/" of `text`; empty when there is none.
std::string FolderPart(std::string_view text);

// `path` with a "/" appended unless it already ends in one.
std::string WithTrailingSlash(std::string path);

// The user's home folder with a trailing "/".
std::string HomeFolder();

bool FolderExists(const std::string& path);

}  // namespace Platform
