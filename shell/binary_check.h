// TBinaryCheck: whether a file taken up is binary, for the switch that leaves binary
// files unsearched. A file is binary when its first 64 KiB hold a NUL byte and it is not
// UTF-16 text, whose NULs are halves of characters. Only that head is ever read.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace varsik {

class TBinaryCheck {
 public:
  static constexpr size_t kHeadBytes = size_t{64} << 10;

  // Reads at most the file's first kHeadBytes. Raises EInOutError (or its kind
  // EFileNotFound) when the file cannot be opened or read.
  bool IsBinaryFile(const std::string& fileName);
  // Whether the search passes over the file: binary, as far as its head can be read. A
  // file whose head cannot be read is searched, and the search says that it cannot be.
  bool SkipsFile(const std::string& fileName);

  // Whether `head`, the first bytes of a file, make it binary.
  static bool IsBinaryHead(std::string_view head);
  // Whether the encoding detector, fed `head` alone, takes it for UTF-16: a byte order
  // mark (FF FE or FE FF), or ASCII text with its 00 bytes in place throughout.
  static bool IsUtf16Head(std::string_view head);

 private:
  std::string Head;  // reused from file to file
};

}  // namespace varsik
