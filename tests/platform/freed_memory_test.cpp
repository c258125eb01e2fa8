// The heap keeps blocks of megabytes that the program frees for its next allocations,
// instead of mapping each afresh and giving it back.
#include "platform/freed_memory.h"

#include <cstdlib>
#include <cstring>

#include <gtest/gtest.h>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

using namespace varsik;

// A sanitizer's own allocator takes the C library's place: its heap is not the one asked.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kOwnAllocator = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || \
    __has_feature(memory_sanitizer)
constexpr bool kOwnAllocator = true;
#else
constexpr bool kOwnAllocator = false;
#endif
#else
constexpr bool kOwnAllocator = false;
#endif

#if defined(__GLIBC__)
TEST(FreedMemory, ABlockOfMegabytesComesFromTheHeapAndStaysThereWhenFreed) {
  if (kOwnAllocator) GTEST_SKIP() << "a sanitizer's allocator replaces the C library's";
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
