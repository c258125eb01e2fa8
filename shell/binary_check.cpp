#include "shell/binary_check.h"

#include <cstdint>
#include <span>

#include "search/encoding.h"
#include "search/encoding_detector.h"
#include "search/errors.h"
#include "search/input_file.h"

namespace varsik {

bool TBinaryCheck::IsBinaryFile(const std::string& fileName) {
  TInputFile file(fileName);
  Head.resize(kHeadBytes);
  auto* data = reinterpret_cast<uint8_t*>(Head.data());
  size_t got = 0;
  while (got < kHeadBytes) {
    const size_t n = file.ReadSome(data + got, kHeadBytes - got);
    if (n == 0) break;
    got += n;
  }
  return IsBinaryHead(std::string_view(Head).substr(0, got));
}

bool TBinaryCheck::SkipsFile(const std::string& fileName) {
  try {
    return IsBinaryFile(fileName);
  } catch (const EInOutError&) {
    return false;
  }
}

bool TBinaryCheck::IsBinaryHead(std::string_view head) {
  return head.find('\0') != std::string_view::npos && !IsUtf16Head(head);
}

bool TBinaryCheck::IsUtf16Head(std::string_view head) {
  // The head is all the detector sees: the rest of a large binary is never read.
  TEncodingDetector detector;
  detector.Feed(std::span(reinterpret_cast<const uint8_t*>(head.data()), head.size()));
  const TEncoding encoding = detector.Finish();
  return encoding == TEncoding::Utf16Le || encoding == TEncoding::Utf16Be;
}

}  // namespace varsik
