// TIso2022JpDecoder: ISO-2022-JP (JIS) to engine bytes (search/decoder.h). The escape
// sequences switch the character set (search/jis_escape.h) and give no bytes; the set in
// use is the decoder's shift state, kept across lines as iconv keeps it, so that a file
// that lacks the closing escape still decodes. Two-byte codes are read through the EUC-JP
// tables (their bytes are EUC-JP's less 80 hex each), which also holds NEC row 13 as
// Windows writes it. Control bytes and the space are themselves in every set; a byte
// above 7F, a katakana byte outside 21-5F, a two-byte code broken off or not defined
// become one kOther each.
#pragma once

#include "search/decoder.h"

namespace varsik {

class TIso2022JpDecoder : public TDecoder {
 public:
  using TDecoder::TDecoder;

 protected:
  const uint8_t* Run(const uint8_t* p, const uint8_t* end, uint8_t*& out, bool final) override;
};

}  // namespace varsik
