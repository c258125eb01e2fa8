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

// One reading of a folder (ending in "/"), "." and ".." left out, sorted by name
// regardless of case with ties by bytes, so that a walk is the same on every run. The
// walk asks it once per mask and once for the sub-folders instead of reading the folder
// again each time. A folder that cannot be read has no entries.
class TFolderListing {
 public:
  explicit TFolderListing(std::string folder);

  // The entries whose names match `mask`, in listing order.
  std::vector<TFolderEntry> Matching(std::string_view mask) const;
  // The names of the real folders in it (links to folders are not among them).
  std::vector<std::string> SubFolders() const;

 private:
  struct TRawEntry {
    std::string Name;
    unsigned char Type;  // the dirent type, resolved with lstat where it was unknown
  };
  std::string Folder;
  std::vector<TRawEntry> Entries;
};

// The entries of `folder` whose names match `mask` (a single reading).
std::vector<TFolderEntry> ListFolder(const std::string& folder, std::string_view mask);

// Everything up to and including the last "/" of `text`; empty when there is none.
std::string FolderPart(std::string_view text);

// `path` with a "/" appended unless it already ends in one.
std::string WithTrailingSlash(std::string path);

// The user's home folder with a trailing "/".
std::string HomeFolder();

bool FolderExists(const std::string& path);

}  // namespace Platform
