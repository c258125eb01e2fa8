#include "shell/search_threads.h"

#include <sched.h>

#include <algorithm>
#include <thread>

namespace varsik {

namespace {

// The CPUs of this process's affinity mask, which a container or taskset may make fewer
// than the machine has.
int UsableCpus() {
  cpu_set_t set;
  CPU_ZERO(&set);
  if (sched_getaffinity(0, sizeof set, &set) == 0) return CPU_COUNT(&set);
  return static_cast<int>(std::thread::hardware_concurrency());
}

}  // namespace

int SearchThreads(int64_t requested) {
  const int64_t threads = requested > 0 ? requested : UsableCpus();
  return static_cast<int>(std::clamp<int64_t>(threads, 1, kMaxSearchThreads));
}

}  // namespace varsik
