// Helpers for the grep component's tests: a file searched with a pattern at a given
// block size, the reports collected as (line number, text) pairs.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "search/grep.h"

namespace varsik {

namespace GrepTest {

using THits = std::vector<std::pair<int64_t, std::string>>;

// Tiny blocks put a boundary at every position; the real one is the normal case.
inline constexpr int32_t kBlockSizes[] = {1, 2, 3, 4, 5, 7, 16, TTxtFile::kBuffSize};

// Every report of one Grep call over `path`, with the grep's current pattern.
inline THits Collect(TGrep& grep, const std::string& path, int32_t block) {
  THits hits;
  grep.SetBuffSize(block);
  grep.SetOnMatch(
      [&hits](TGrep&, const RE_LineInfo_t& info) { hits.emplace_back(info.LineNo, info.Line); });
  grep.Grep(path);
  return hits;
}

}  // namespace GrepTest

}  // namespace varsik
