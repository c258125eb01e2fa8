// Replaces the global operator new and delete of the test program with counting ones.
// Sizes are what the allocator gives (malloc_usable_size), so a block is counted the same
// when it is freed as when it was made.
#include "tests/regex/heap_meter.h"

#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<size_t> gHeld{0};
std::atomic<size_t> gPeak{0};

void* Allocate(size_t size) {
  void* p = std::malloc(size == 0 ? 1 : size);
  if (p == nullptr) throw std::bad_alloc();
  const size_t bytes = malloc_usable_size(p);
  const size_t now = gHeld.fetch_add(bytes) + bytes;
  size_t peak = gPeak.load();
  while (now > peak && !gPeak.compare_exchange_weak(peak, now)) {
  }
  return p;
}

void Release(void* p) {
  if (p == nullptr) return;
  gHeld.fetch_sub(malloc_usable_size(p));
  std::free(p);
}

}  // namespace

void* operator new(size_t size) {
  return Allocate(size);
}
void* operator new[](size_t size) {
  return Allocate(size);
}
void* operator new(size_t size, const std::nothrow_t&) noexcept {
  try {
    return Allocate(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
void* operator new[](size_t size, const std::nothrow_t& tag) noexcept {
  return operator new(size, tag);
}
void operator delete(void* p) noexcept {
  Release(p);
}
void operator delete[](void* p) noexcept {
  Release(p);
}
void operator delete(void* p, size_t) noexcept {
  Release(p);
}
void operator delete[](void* p, size_t) noexcept {
  Release(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
  Release(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
  Release(p);
}

namespace varsik::RegexTest {

THeapPeak::THeapPeak() : Start(gHeld.load()) {
  gPeak.store(Start);
}

size_t THeapPeak::Rise() const {
  return gPeak.load() - Start;
}

size_t THeapPeak::Held() const {
  const size_t now = gHeld.load();
  return now > Start ? now - Start : 0;
}

}  // namespace varsik::RegexTest
