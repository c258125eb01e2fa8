#include "search/file_parts.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "search/encoding_detector.h"
#include "search/input_file.h"

namespace varsik::FileParts {

namespace {

// What is read at once, and the most of a file's head looked at for its encoding: a
// Shift JIS file is certain within its first few KB.
constexpr size_t kBlock = 64 * 1024;
constexpr uint64_t kHeadBytes = 1 << 20;

}  // namespace

bool ReadsAsItsBytes(const std::string& fileName, const TReadEncoding& encoding) {
  if (encoding.Choice == TEncodingChoice::Cp932) return true;
  if (encoding.Choice != TEncodingChoice::Auto) return false;
  TInputFile file(fileName);
  TEncodingDetector detector;
  std::vector<uint8_t> block(kBlock);
  for (uint64_t read = 0; read < kHeadBytes && !detector.Decided();) {
    const size_t n = file.ReadBlock(block.data(), block.size());
    if (n == 0) break;
    detector.Feed({block.data(), n});
    read += n;
    if (file.AtEnd()) break;
  }
  // A file read to its end is a file too small to cut.
  return detector.Decided() && detector.Finish() == TEncoding::ShiftJis;
}

std::optional<uint64_t> LineStartFrom(const std::string& fileName, uint64_t offset, uint64_t size,
                                      const std::function<bool()>& stop) {
  if (offset == 0 || offset >= size) return std::min(offset, size);
  TInputFile file(fileName);
  std::vector<uint8_t> block(kBlock);
  // The byte in front of the offset decides whether a line starts there.
  for (uint64_t at = offset - 1; at < size;) {
    const size_t n = file.ReadAt(at, block.data(), block.size());
    if (n == 0) break;
    if (const void* lf = std::memchr(block.data(), '\n', n))
      return at + static_cast<uint64_t>(static_cast<const uint8_t*>(lf) - block.data()) + 1;
    at += n;
    if (stop()) return std::nullopt;
  }
  return size;
}

}  // namespace varsik::FileParts
