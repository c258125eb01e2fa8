#include "platform/folder.h"

#include <dirent.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <utility>

#include "platform/wildcard.h"

namespace Platform {
namespace {

struct TDirCloser {
  void operator()(DIR* d) const { closedir(d); }
};

unsigned char TypeOf(const std::string& path, unsigned char type) {
  if (type != DT_UNKNOWN) return type;
  struct stat st;
  if (lstat(path.c_str(), &st) != 0) return DT_UNKNOWN;
  if (S_ISDIR(st.st_mode)) return DT_DIR;
  if (S_ISREG(st.st_mode)) return DT_REG;
  if (S_ISLNK(st.st_mode)) return DT_LNK;
  return DT_FIFO;  // any other kind: never opened
}

TEntryKind KindOf(const std::string& path, unsigned char type) {
  if (type == DT_REG) return TEntryKind::File;
  if (type == DT_DIR) return TEntryKind::Directory;
  if (type != DT_LNK) return TEntryKind::Other;
  // A link counts as a file only when it leads to a regular file; links to folders
  // are not followed, so a link loop cannot trap the walk.
  struct stat st;
  if (stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) return TEntryKind::File;
  return TEntryKind::Other;
}

int CompareFolded(const std::string& a, const std::string& b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    unsigned char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x += 32;
    if (y >= 'A' && y <= 'Z') y += 32;
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

}  // namespace

TFolderListing::TFolderListing(std::string folder) : Folder(std::move(folder)) {
  std::unique_ptr<DIR, TDirCloser> dir(opendir(Folder.empty() ? "." : Folder.c_str()));
  if (!dir) return;
  while (const dirent* e = readdir(dir.get())) {
    std::string_view name = e->d_name;
    if (name == "." || name == "..") continue;
    Entries.push_back({std::string(name), TypeOf(Folder + e->d_name, e->d_type)});
  }
  std::sort(Entries.begin(), Entries.end(), [](const TRawEntry& a, const TRawEntry& b) {
    int c = CompareFolded(a.Name, b.Name);
    return c != 0 ? c < 0 : a.Name < b.Name;
  });
}

std::vector<TFolderEntry> TFolderListing::Matching(std::string_view mask) const {
  std::vector<TFolderEntry> entries;
  for (const TRawEntry& e : Entries)
    if (WildcardMatch(mask, e.Name)) entries.push_back({e.Name, KindOf(Folder + e.Name, e.Type)});
  return entries;
}

std::vector<std::string> TFolderListing::SubFolders() const {
  std::vector<std::string> names;
  for (const TRawEntry& e : Entries)
    if (e.Type == DT_DIR) names.push_back(e.Name);
  return names;
}

std::vector<TFolderEntry> ListFolder(const std::string& folder, std::string_view mask) {
  if (mask.empty()) return {};
  return TFolderListing(folder).Matching(mask);
}

std::string FolderPart(std::string_view text) {
  size_t slash = text.rfind('/');
  return slash == std::string_view::npos ? std::string() : std::string(text.substr(0, slash + 1));
}

std::string WithTrailingSlash(std::string path) {
  if (path.empty() || path.back() != '/') path += '/';
  return path;
}

std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  if (!home || !*home)
    if (const passwd* pw = getpwuid(getuid())) home = pw->pw_dir;
  return WithTrailingSlash(home && *home ? std::string(home) : std::string(1, '/'));
}

bool FolderExists(const std::string& path) {
  struct stat st;
  return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace Platform
