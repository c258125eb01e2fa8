// The heap that the pattern-engine test program holds, counted by its own operator new and
// delete (they replace the library's for every test of this program), so that a test can
// tell how much a step held at its peak: hostile patterns must be refused within their
// memory budget, not merely in the end.
#pragma once

#include <cstddef>

namespace varsik {

namespace RegexTest {

// Measures from its creation; one at a time.
class THeapPeak {
 public:
  THeapPeak();
  // The most that was held since the start, above what was held then.
  size_t Rise() const;
  // What is held now above what was held at the start, or 0.
  size_t Held() const;

 private:
  size_t Start;
};

}  // namespace RegexTest

}  // namespace varsik
