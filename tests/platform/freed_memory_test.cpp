// The heap keeps blocks of megabytes that the program frees for its next allocations,
// instead of mapping each afresh and giving it back.
#include "platform/freed_memory.h"

#include <cstdlib>
#include <cstring>

#include <gtest/gtest.h>

#include "tests/support/sanitizers.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

using namespace varsik;

#if defined(__GLIBC__)
TEST(FreedMemory, ABlockOfMegabytesComesFromTheHeapAndStaysThereWhenFreed) {
  if (kSanitizerAllocator) GTEST_SKIP() << "a sanitizer's allocator replaces the C library's";
  Platform::KeepFreedMemory();
  constexpr size_t kBlock = size_t{8} << 20;
  const size_t mapped = mallinfo2().hblkhd;
  void* block = std::malloc(kBlock);
  ASSERT_NE(block, nullptr);
  std::memset(block, 1, kBlock);
  EXPECT_EQ(mallinfo2().hblkhd, mapped);
  std::free(block);
  EXPECT_GE(mallinfo2().fordblks, kBlock);
}
#endif
