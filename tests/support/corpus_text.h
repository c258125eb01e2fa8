// Text of the benchmark corpus for differential tests: slices of its big Shift JIS file
// when the corpus is present (CI has none), and text of the same shape made here.
#pragma once

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "tests/search/sjis.h"

namespace varsik {

inline const std::filesystem::path kCorpusBigFile = "/work/corpus/big.sjis";

// From the big file's start, across its middle, where its line ends change from LF to
// CR LF, and from its end. Empty when there is no corpus.
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

// Lines like the corpus's (Japanese manual pages and sources, with dates, half-width
// katakana and the benchmark's words), in random order: the first half ending in LF, the
// second in CR LF.
inline std::string CorpusLikeText(int lineCount, uint32_t seed) {
  const std::string lines[] = {
      Sjis(".SH 名前"),
      Sjis("whoami \\- 実効ユーザ名を出力する"),
      "\\fB\\-\\-help\\fR",
      Sjis("使い方を表示して終了する"),
      Sjis("環境変数 LANG を設定する。文字列の長さ"),
      "int main(int argc, char** argv) { return OPTION_x; }",
      Sjis("// 日本語のコメント option"),
      Sjis("警告: 圧縮された暗号 2021年5月"),
      Sjis("ｶﾀｶﾅ の 半角 テキスト Option"),
  };
  std::mt19937 rng(seed);
  std::uniform_int_distribution<size_t> pick(0, std::size(lines) - 1);
  std::string text;
  for (int i = 0; i < lineCount; ++i)
    text += lines[pick(rng)] + (i < lineCount / 2 ? "\n" : "\r\n");
  return text;
}

}  // namespace varsik
