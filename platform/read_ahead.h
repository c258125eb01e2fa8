// Reading files ahead of their search, for a walk whose files come from the disk: the
// kernel is asked to start reading a file's head while earlier files are searched, so
// that the reads of several files are under way at once.
#pragma once

#include <cstdint>
#include <string>

namespace varsik {

namespace Platform {

// Asks the kernel to read up to `bytes` of the file's head into the page cache, without
// waiting for them. Opened without blocking (a FIFO put in a file's place does not
// stop the caller) and closed again; false when the file could not be opened.
bool ReadAhead(const std::string& fileName, uint64_t bytes);

// The reads from a storage device that the calling thread has made so far (in blocks):
// when it grows, what the thread read was not in the page cache.
int64_t ThreadInputBlocks();

}  // namespace Platform

}  // namespace varsik
