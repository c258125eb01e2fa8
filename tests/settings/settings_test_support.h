// Helpers of the settings tests: a file's bytes, a folder's names, and a write with what
// it said on standard error.
#pragma once

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "shell/settings.h"

namespace varsik {

inline std::string ReadBack(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// The names in `folder`, sorted.
inline std::vector<std::string> FolderNames(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(folder))
    names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

inline bool RunningAsRoot() {
  return geteuid() == 0;
}

// `size` bytes of noise, the same for the same `seed`.
inline std::string Garbage(size_t size, uint32_t seed) {
  std::string garbage;
  garbage.reserve(size);
  for (size_t i = 0; i < size; ++i) {
    seed = seed * 1103515245 + 12345;
    garbage += static_cast<char>(seed >> 24);
  }
  return garbage;
}

struct TWriteOutcome {
  bool Written;
  std::string Said;  // on standard error
};

inline TWriteOutcome WriteAndListen(const std::string& path, const TSettings& settings) {
  testing::internal::CaptureStderr();
  const bool written = WriteSettings(path, settings);
  return {written, testing::internal::GetCapturedStderr()};
}

// One line on standard error naming the file that was left as it is.
inline bool SaysOnceNotWritten(const std::string& said, const std::string& path) {
  return said.starts_with("varsik: " + path + " に書き込めません: ") &&
         std::count(said.begin(), said.end(), '\n') == 1 && said.ends_with('\n');
}

}  // namespace varsik
