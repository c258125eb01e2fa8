#include "platform/folder.h"

#include <dirent.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <utility>

#include "platform/wildcard.h"

namespace varsik {

namespace Platform {
namespace {

struct TDirCloser {
  void operator()(DIR* d) const { closedir(d); }
};

// File systems that the kernel makes up as they are read (their magic numbers, as
// <linux/magic.h> and the file systems' sources give them): a file's size says nothing
// of its length, and a read may never end (/proc/self/pagemap, /sys/kernel/debug/...).
constexpr uint32_t kPseudoFileSystems[] = {
    0x00009fa0,  // proc
    0x62656572,  // sysfs
    0x64626720,  // debugfs
    0x74726163,  // tracefs
    0x0027e0eb,  // cgroup
    0x63677270,  // cgroup2
    0x73636673,  // securityfs
    0x6165676c,  // pstore
    0xcafe4a11,  // bpf
    0x62656570,  // configfs
    0xde5e81e4,  // efivarfs
    0x42494e4d,  // binfmt_misc
    0x65735543,  // fusectl
    0xf97cff8c,  // selinuxfs
    0x43415d53,  // smackfs
    0x07655821,  // resctrl
    0x6e736673,  // nsfs
    0x00001cd1,  // devpts
    0x19800202,  // mqueue
    0xabba1974,  // xenfs
    0x00009fa2,  // usbdevfs
    0x67596969,  // rpc_pipefs
    0x6e667364,  // nfsd
};

bool IsPseudo(const struct statfs& fs) {
  const auto type = static_cast<uint32_t>(fs.f_type);
  return std::find(std::begin(kPseudoFileSystems), std::end(kPseudoFileSystems), type) !=
         std::end(kPseudoFileSystems);
}

// Asked once per folder and once per link to a file, never per file: the walk's speed
// stays that of reading the folders.
bool OnPseudoFileSystem(int fd) {
  struct statfs fs;
  return fstatfs(fd, &fs) == 0 && IsPseudo(fs);
}

bool OnPseudoFileSystem(const std::string& path) {
  struct statfs fs;
  return statfs(path.c_str(), &fs) == 0 && IsPseudo(fs);
}

// The entry's path is made only where it is needed: for most entries the dirent type is
// known and they are plain files, and a tree's walk made two paths for each otherwise.
unsigned char TypeOf(const std::string& folder, std::string_view name, unsigned char type) {
  if (type != DT_UNKNOWN) return type;
  struct stat st;
  if (lstat((folder + std::string(name)).c_str(), &st) != 0) return DT_UNKNOWN;
  if (S_ISDIR(st.st_mode)) return DT_DIR;
  if (S_ISREG(st.st_mode)) return DT_REG;
  if (S_ISLNK(st.st_mode)) return DT_LNK;
  return DT_FIFO;  // any other kind: never opened
}

TEntryKind KindOf(const std::string& folder, const std::string& name, unsigned char type) {
  if (type == DT_REG) return TEntryKind::File;
  if (type == DT_DIR) return TEntryKind::Directory;
  if (type != DT_LNK) return TEntryKind::Other;
  // A link counts as a file when it leads to a regular file; links to folders are not
  // followed, so a link loop cannot trap the walk. A link that leads nowhere is a file
  // that cannot be opened: the search says so rather than pass it over in silence.
  const std::string path = folder + name;
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return TEntryKind::File;
  if (!S_ISREG(st.st_mode) || OnPseudoFileSystem(path)) return TEntryKind::Other;
  return TEntryKind::File;
}

unsigned char Folded(char c) {
  const auto x = static_cast<unsigned char>(c);
  return x >= 'A' && x <= 'Z' ? static_cast<unsigned char>(x + 32) : x;
}

int CompareFolded(const std::string& a, const std::string& b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    const unsigned char x = Folded(a[i]), y = Folded(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

// A name holds no NUL, so the 0 behind a shorter name sorts it first, as CompareFolded does.
uint64_t FoldedHead(std::string_view name) {
  uint64_t head = 0;
  for (size_t i = 0; i < 8; ++i) head = head << 8 | (i < name.size() ? Folded(name[i]) : 0);
  return head;
}

}  // namespace

TFolderListing::TFolderListing(std::string folder) : Folder(std::move(folder)) {
  std::unique_ptr<DIR, TDirCloser> dir(opendir(Folder.empty() ? "." : Folder.c_str()));
  if (!dir) {
    ReadError = errno;
    return;
  }
  if (OnPseudoFileSystem(dirfd(dir.get()))) return;
  for (;;) {
    errno = 0;
    const dirent* e = readdir(dir.get());
    if (!e) {
      ReadError = errno;
      break;
    }
    std::string_view name = e->d_name;
    if (name == "." || name == "..") continue;
    Entries.push_back({std::string(name), TypeOf(Folder, name, e->d_type), FoldedHead(name)});
  }
  std::sort(Entries.begin(), Entries.end(), [](const TRawEntry& a, const TRawEntry& b) {
    if (a.FoldedHead != b.FoldedHead) return a.FoldedHead < b.FoldedHead;
    const int c = CompareFolded(a.Name, b.Name);
    return c != 0 ? c < 0 : a.Name < b.Name;
  });
}

std::vector<TFolderEntry> TFolderListing::Matching(std::string_view mask) const {
  std::vector<TFolderEntry> entries;
  for (const TRawEntry& e : Entries)
    if (WildcardMatch(mask, e.Name)) entries.push_back({e.Name, KindOf(Folder, e.Name, e.Type)});
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

std::string AbsolutePath(std::string path) {
  if (!path.empty() && path.front() == '/') return path;
  const std::unique_ptr<char, decltype(&std::free)> current(getcwd(nullptr, 0), &std::free);
  if (!current) return path;
  return WithTrailingSlash(current.get()) + path;
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

}  // namespace varsik
