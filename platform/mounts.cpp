#include "platform/mounts.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <iterator>
#include <sstream>

#include "platform/folder.h"

namespace varsik {

namespace Platform {
namespace {

constexpr std::array<std::string_view, 26> kPseudoTypes = {
    "autofs",      "binfmt_misc", "bpf",      "cgroup",   "cgroup2", "configfs",
    "debugfs",     "devpts",      "devtmpfs", "efivarfs", "fusectl", "hugetlbfs",
    "mqueue",      "nsfs",        "proc",     "pstore",   "ramfs",   "rpc_pipefs",
    "securityfs",  "selinuxfs",   "sysfs",    "tracefs",  "tmpfs",   "fuse.gvfsd-fuse",
    "fuse.portal", "squashfs"};

bool IsPseudo(std::string_view type, std::string_view point) {
  // A memory file system holds nothing worth searching, except the shared /tmp.
  if (type == "tmpfs" && point == "/tmp") return false;
  return std::find(kPseudoTypes.begin(), kPseudoTypes.end(), type) != kPseudoTypes.end();
}

bool IsBelow(std::string_view point, std::string_view root) {
  return point == root || (point.size() > root.size() && point.substr(0, root.size()) == root &&
                           point[root.size()] == '/');
}

// The table writes blanks, tabs, newlines and backslashes as three octal digits.
std::string Unescape(std::string_view field) {
  std::string s;
  for (size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size()) {
      auto octal = [](char c) { return c >= '0' && c <= '7'; };
      if (octal(field[i + 1]) && octal(field[i + 2]) && octal(field[i + 3])) {
        s += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 +
                               (field[i + 3] - '0'));
        i += 3;
        continue;
      }
    }
    s += field[i];
  }
  return s;
}

}  // namespace

std::vector<TMount> ParseMounts(std::string_view table) {
  std::vector<TMount> mounts;
  std::istringstream lines{std::string(table)};
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    std::string device, point, type;
    if (!(fields >> device >> point >> type)) continue;
    point = Unescape(point);
    if (point.empty() || point[0] != '/') continue;
    if (IsPseudo(type, point)) continue;
    if (IsBelow(point, "/proc") || IsBelow(point, "/sys") || IsBelow(point, "/dev")) continue;
    std::erase_if(mounts, [&](const TMount& m) { return m.MountPoint == point; });
    mounts.push_back({point, Unescape(device)});
  }
  if (std::none_of(mounts.begin(), mounts.end(),
                   [](const TMount& m) { return m.MountPoint == "/"; }))
    mounts.push_back({"/", "/"});
  std::sort(mounts.begin(), mounts.end(),
            [](const TMount& a, const TMount& b) { return a.MountPoint < b.MountPoint; });
  return mounts;
}

std::vector<TMount> MountedFileSystems() {
  std::ifstream in("/proc/self/mounts");
  std::string table((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<TMount> mounts = ParseMounts(table);
  std::erase_if(mounts, [](const TMount& m) { return !FolderExists(m.MountPoint); });
  return mounts;
}

int MountOf(const std::vector<TMount>& mounts, std::string_view path) {
  int best = -1;
  size_t bestLength = 0;
  for (size_t i = 0; i < mounts.size(); ++i) {
    const std::string& point = mounts[i].MountPoint;
    bool under = point == "/" || IsBelow(path, point);
    if (under && (best < 0 || point.size() > bestLength)) {
      best = static_cast<int>(i);
      bestLength = point.size();
    }
  }
  return best;
}

}  // namespace Platform

}  // namespace varsik
