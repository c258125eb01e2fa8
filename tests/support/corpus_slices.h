// Slices of the benchmark corpus's big Shift JIS file for differential tests, when the
// corpus is present (CI has none): from its start, across its middle, where its line
// ends change from LF to CR LF, and from its end.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

inline const std::filesystem::path kCorpusBigFile = "/work/corpus/big.sjis";

// Empty when there is no corpus.
inline std::vector<std::string> CorpusSlices(size_t sliceSize) {
  std::vector<std::string> slices;
  if (!std::filesystem::exists(kCorpusBigFile)) return slices;
  std::ifstream in(kCorpusBigFile, std::ios::binary);
  const size_t size = std::filesystem::file_size(kCorpusBigFile);
  if (size < 2 * sliceSize) return slices;
  for (size_t offset : {size_t{0}, size / 2 - sliceSize / 2, size - sliceSize}) {
    std::string text(sliceSize, '\0');
    in.seekg(static_cast<std::streamoff>(offset));
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<size_t>(in.gcount()));
    slices.push_back(std::move(text));
  }
  return slices;
}
