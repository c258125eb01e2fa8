// TEucJpDecoder: EUC-JP (eucJP-ms, as glibc's EUC-JP-MS converts it) to engine bytes
// (search/decoder.h): ASCII, two-byte JIS X 0208 codes, 8E and a half-width katakana, 8F
// and a two-byte JIS X 0212 code. A code that the table does not define becomes one kOther
// for each of its bytes, and so does each byte that begins no code (80-A0 but 8E and 8F,
// FF) or whose code is broken off.
#pragma once

#include "search/decoder.h"

namespace varsik {

class TEucJpDecoder : public TDecoder {
 public:
  using TDecoder::TDecoder;

 protected:
  const uint8_t* Run(const uint8_t* p, const uint8_t* end, uint8_t*& out, bool final) override;
};

}  // namespace varsik
