#include "platform/folder.h"

#include <dirent.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

#include "platform/wildcard.h"

namespace Platform {
namespace {

struct TDirCloser {
  void operator()(DIR* d) const { closedir(d); }
};

TEntryKind KindOf(const std::string& folder, const dirent& e) {
  if (e.d_type == DT_REG) return TEntryKind::File;
  if (e.d_type == DT_DIR) return TEntryKind::Directory;
  if (e.d_type != DT_LNK && e.d_type != DT_UNKNOWN) return TEntryKind::Other;
  std::string path = folder + e.d_name;
  struct stat st;
  if (e.d_type == DT_UNKNOWN) {
    if (lstat(path.c_str(), &st) != 0) return TEntryKind::Other;
    if (S_ISDIR(st.st_mode)) return TEntryKind::Directory;
    if (S_ISREG(st.st_mode)) return TEntryKind::File;
    if (!S_ISLNK(st.st_mode)) return TEntryKind::Other;
  }
  // A link counts as a file only when it leads to a regular file; links to folders
  // are not followed, so a link loop cannot trap the walk.
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

std::vector<TFolderEntry> ListFolder(const std::string& folder, std::string_view mask) {
  std::vector<TFolderEntry> entries;
  if (mask.empty()) return entries;
  std::unique_ptr<DIR, TDirCloser> dir(opendir(folder.empty() ? "." : folder.c_str()));
  if (!dir) return entries;
  while (const dirent* e = readdir(dir.get())) {
    std::string_view name = e->d_name;
    if (name == "." || name == "..") continue;
    if (!WildcardMatch(mask, name)) continue;
    entries.push_back({std::string(name), KindOf(folder, *e)});
  }
  std::sort(entries.begin(), entries.end(), [](const TFolderEntry& a, const TFolderEntry& b) {
    int c = CompareFolded(a.Name, b.Name);
    return c != 0 ? c < 0 : a.Name < b.Name;
  });
  return entries;
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
