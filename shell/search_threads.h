// How many workers a search runs with, from what the user asked for.
#pragma once

#include <cstdint>

namespace varsik {

// More workers than this only take memory: the walk and the writer are one each.
inline constexpr int kMaxSearchThreads = 64;

// `requested` workers, or, when it is 0 or less (automatic), one per CPU that this
// process may run on; between 1 and kMaxSearchThreads.
int SearchThreads(int64_t requested);

}  // namespace varsik
