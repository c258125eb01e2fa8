// The drive box's list of mounted file systems, from mount tables as Linux writes them.
#include "platform/mounts.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace varsik;

using Platform::MountOf;
using Platform::ParseMounts;
using Platform::TMount;

namespace {

std::vector<std::string> Points(const std::vector<TMount>& mounts) {
  std::vector<std::string> points;
  for (const TMount& m : mounts) points.push_back(m.MountPoint + " " + m.Name);
  return points;
}

}  // namespace

TEST(ParseMounts, KeepsWhatAUserSearchesAndSortsByMountPoint) {
  const char* table =
      "proc /proc proc rw,relatime 0 0\n"
      "sysfs /sys sysfs rw 0 0\n"
      "devtmpfs /dev devtmpfs rw 0 0\n"
      "tmpfs /dev/shm tmpfs rw 0 0\n"
      "tmpfs /run tmpfs rw 0 0\n"
      "tmpfs /run/user/1000 tmpfs rw 0 0\n"
      "/dev/sdb1 /media/usb\\040stick vfat rw 0 0\n"
      "/dev/sda2 /home ext4 rw 0 0\n"
      "/dev/sda1 / ext4 rw 0 0\n"
      "tmpfs /tmp tmpfs rw 0 0\n"
      "cgroup2 /sys/fs/cgroup cgroup2 rw 0 0\n"
      "server:/export /net/share nfs4 rw 0 0\n"
      "/dev/loop3 /snap/core/1 squashfs ro 0 0\n"
      "broken line\n"
      "\n";
  EXPECT_EQ(
      Points(ParseMounts(table)),
      (std::vector<std::string>{"/ /dev/sda1", "/home /dev/sda2", "/media/usb stick /dev/sdb1",
                                "/net/share server:/export", "/tmp tmpfs"}));
}

TEST(ParseMounts, APointMountedTwiceIsListedOnceWithItsLastMount) {
  EXPECT_EQ(Points(ParseMounts("/dev/a /data ext4 rw 0 0\n/dev/b /data xfs rw 0 0\n")),
            (std::vector<std::string>{"/ /", "/data /dev/b"}));
}

TEST(ParseMounts, TheRootIsAlwaysListed) {
  EXPECT_EQ(Points(ParseMounts("")), (std::vector<std::string>{"/ /"}));
  EXPECT_EQ(Points(ParseMounts("overlay / overlay rw 0 0\n")),
            (std::vector<std::string>{"/ overlay"}));
}

TEST(MountOf, TheLongestMountPointThatHoldsThePath) {
  const std::vector<TMount> mounts = ParseMounts(
      "/dev/a / ext4 rw 0 0\n/dev/b /home ext4 rw 0 0\n/dev/c /home/user/data ext4 rw 0 0\n");
  struct TCase {
    const char* Path;
    const char* Expected;
  };
  for (const TCase& c :
       {TCase{"/", "/"}, TCase{"/etc", "/"}, TCase{"/home", "/home"}, TCase{"/home/user", "/home"},
        TCase{"/homework", "/"}, TCase{"/home/user/data", "/home/user/data"},
        TCase{"/home/user/data/x/y", "/home/user/data"}, TCase{"/home/user/database", "/home"}}) {
    int index = MountOf(mounts, c.Path);
    ASSERT_GE(index, 0) << c.Path;
    EXPECT_EQ(mounts[index].MountPoint, c.Expected) << c.Path;
  }
  EXPECT_EQ(MountOf({}, "/home"), -1);
}

TEST(MountedFileSystems, ListsTheRootOfThisMachine) {
  const std::vector<TMount> mounts = Platform::MountedFileSystems();
  ASSERT_FALSE(mounts.empty());
  EXPECT_EQ(mounts.front().MountPoint, "/");
}
