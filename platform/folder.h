// Folder enumeration and path helpers for the folder walk and the search dialog.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace varsik {

namespace Platform {

enum class TEntryKind {
  // A regular file, or a symbolic link to one: searched. Also a link that leads nowhere
  // (dangling, a loop, a target that cannot be looked at): taken up, it fails to open
  // and is reported as a file that cannot be opened.
  File,
  Directory,  // a real folder: descended into
  // Links to folders, FIFOs, sockets, devices, and files on pseudo file systems (proc,
  // sysfs and the like, whose sizes are not their lengths and whose reads may never
  // end): never opened.
  Other,
};

struct TFolderEntry {
  std::string Name;
  TEntryKind Kind;
};

// One reading of a folder (ending in "/"), "." and ".." left out, sorted by name
// regardless of case with ties by bytes, so that a walk is the same on every run. The
// walk asks it once per mask and once for the sub-folders instead of reading the folder
// again each time. A folder that cannot be read has no entries and says why; a folder on
// a pseudo file system has none either, as a device has no lines.
class TFolderListing {
 public:
  explicit TFolderListing(std::string folder);

  // 0 when the folder was read to its end (or passed over as a pseudo file system's);
  // else the errno of the failure, and the entries are those read before it.
  int Error() const { return ReadError; }

  // The entries whose names match `mask`, in listing order.
  std::vector<TFolderEntry> Matching(std::string_view mask) const;
  // The names of the real folders in it (links to folders are not among them).
  std::vector<std::string> SubFolders() const;

 private:
  struct TRawEntry {
    std::string Name;
    unsigned char Type;  // the dirent type, resolved with lstat where it was unknown
    // The name's first eight bytes with letters folded, the first byte highest, 0 behind a
    // shorter name: most names of a folder are told apart by it alone, in the sort's order.
    uint64_t FoldedHead;
  };
  std::string Folder;
  std::vector<TRawEntry> Entries;
  int ReadError = 0;
};

// The entries of `folder` whose names match `mask` (a single reading).
std::vector<TFolderEntry> ListFolder(const std::string& folder, std::string_view mask);

// Everything up to and including the last "/" of `text`; empty when there is none.
std::string FolderPart(std::string_view text);

// `path` with a "/" appended unless it already ends in one.
std::string WithTrailingSlash(std::string path);

// `path` unchanged when it is absolute, else behind the current folder (and a "/");
// unchanged when the current folder cannot be told.
std::string AbsolutePath(std::string path);

// The user's home folder with a trailing "/".
std::string HomeFolder();

bool FolderExists(const std::string& path);

}  // namespace Platform

}  // namespace varsik
