// TUtf16Decoder: UTF-16, little- or big-endian, to engine bytes (search/decoder.h). A unit
// 000A or 000D is a line end and becomes one byte, as every unit below 80 hex does. A lone
// surrogate, and an odd byte at the end of the file, become one kOther each.
#pragma once

#include "search/decoder.h"

namespace varsik {

class TUtf16Decoder : public TDecoder {
 public:
  TUtf16Decoder(const TEngineCodes& codes, bool bigEndian)
      : TDecoder(codes), BigEndian(bigEndian) {}

 protected:
  const uint8_t* Run(const uint8_t* p, const uint8_t* end, uint8_t*& out, bool final) override;

 private:
  template <bool kBigEndian>
  const uint8_t* RunAs(const uint8_t* p, const uint8_t* end, uint8_t*& out, bool final);

  bool BigEndian;
};

}  // namespace varsik
