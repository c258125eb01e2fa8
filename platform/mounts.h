// The mounted file systems that the search dialog's drive box offers: the Linux
// counterpart of a drive list, read from /proc/self/mounts.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace varsik {

namespace Platform {

struct TMount {
  std::string MountPoint;  // absolute, without a trailing "/" except for the root
  std::string Name;        // the device or source, as the mount table gives it
};

// The file systems of a mount table's text (the format of /proc/self/mounts) that a
// user would search: kernel pseudo file systems, memory file systems other than /tmp
// and anything below /proc, /sys or /dev are left out. Sorted by mount point; a point
// mounted twice is listed once, with its last mount. The root is always listed.
std::vector<TMount> ParseMounts(std::string_view table);

// The same for this process's mount table; mounts that are not folders (single files
// bound into a container) are left out.
std::vector<TMount> MountedFileSystems();

// The mount whose point is the longest prefix of `path` (an absolute folder); -1 when
// `mounts` is empty.
int MountOf(const std::vector<TMount>& mounts, std::string_view path);

}  // namespace Platform

}  // namespace varsik
