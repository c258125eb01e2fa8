// TUtf8Decoder: UTF-8 to engine bytes (search/decoder.h). Runs of ASCII are copied sixteen
// bytes at a time and the three-byte form that Japanese text is written in is read first;
// each byte of a sequence that is not well-formed UTF-8 (a stray or missing trail byte,
// an overlong form, a surrogate, a code point past U+10FFFF) becomes one kOther.
#pragma once

#include "search/decoder.h"

namespace varsik {

class TUtf8Decoder : public TDecoder {
 public:
  using TDecoder::TDecoder;

 protected:
  const uint8_t* Run(const uint8_t* p, const uint8_t* end, uint8_t*& out, bool final) override;
};

}  // namespace varsik
