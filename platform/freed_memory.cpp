#include "platform/freed_memory.h"

// The C library's own header first: it says which library it is.
#include <cstdlib>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace varsik {

namespace Platform {

void KeepFreedMemory() {
#if defined(__GLIBC__)
  // Setting them turns off the C library's own adjustment of both, which raises the
  // first to the size of a mapped block once it is freed, and so maps the next larger
  // one afresh (a view's text grows block by block).
  mallopt(M_MMAP_THRESHOLD, 32 << 20);
  mallopt(M_TRIM_THRESHOLD, 64 << 20);
#endif
}

}  // namespace Platform

}  // namespace varsik
