#include "platform/read_ahead.h"

#include <sys/stat.h>

#include <string>

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"

using namespace varsik;

namespace {

// Reading ahead opens what the walk hands it, which may be anything by then: a FIFO in a
// file's place must not hold the walk (nothing writes to it), a missing file is no error
// to anyone.
TEST(ReadAhead, AnyNameAndNoWaiting) {
  TTempDir dir;
  const std::string file = dir.Write("ファイル.txt", std::string(200000, 'a'));
  EXPECT_TRUE(Platform::ReadAhead(file, 512 * 1024));
  EXPECT_TRUE(Platform::ReadAhead(file, 0));
  EXPECT_TRUE(Platform::ReadAhead(dir.Write("empty", ""), 4096));
  ASSERT_EQ(mkfifo((dir.Path() + "fifo").c_str(), 0600), 0);
  EXPECT_TRUE(Platform::ReadAhead(dir.Path() + "fifo", 4096));
  EXPECT_FALSE(Platform::ReadAhead(dir.Path() + "missing", 4096));
  EXPECT_FALSE(Platform::ReadAhead("", 4096));
}

TEST(ReadAhead, TheThreadsInputOnlyGrows) {
  const int64_t before = Platform::ThreadInputBlocks();
  EXPECT_GE(before, 0);
  TTempDir dir;
  Platform::ReadAhead(dir.Write("f", std::string(100000, 'b')), 1 << 20);
  EXPECT_GE(Platform::ThreadInputBlocks(), before);
}

}  // namespace
