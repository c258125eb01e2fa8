#include "platform/read_ahead.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace varsik {

namespace Platform {

bool ReadAhead(const std::string& fileName, uint64_t bytes) {
  const int fd = open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return false;
  posix_fadvise(fd, 0, static_cast<off_t>(bytes), POSIX_FADV_WILLNEED);
  close(fd);
  return true;
}

int64_t ThreadInputBlocks() {
  rusage usage{};
  if (getrusage(RUSAGE_THREAD, &usage) != 0) return 0;
  return usage.ru_inblock;
}

}  // namespace Platform

}  // namespace varsik
