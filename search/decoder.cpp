#include "search/decoder.h"

#include "search/euc_jp_decoder.h"
#include "search/iso2022jp_decoder.h"
#include "search/utf16_decoder.h"
#include "search/utf8_decoder.h"

namespace varsik {

auto TDecoder::RunInto(uint8_t*& out) {
  return [this, &out](const uint8_t* p, const uint8_t* end, bool final, ptrdiff_t offset) {
    StartsFile = Fed + static_cast<uint64_t>(offset) == 0;
    return Run(p, end, out, final);
  };
}

uint8_t* TDecoder::Decode(std::span<const uint8_t> in, uint8_t* out) {
  Cut.Feed(in, RunInto(out));
  Fed += in.size();
  return out;
}

uint8_t* TDecoder::Finish(uint8_t* out) {
  Cut.Finish(RunInto(out));
  return out;
}

void TDecoder::Restart(TDecodePoint point) {
  Fed = point.Offset;
  Shift = point.Shift;
  UndecodableBytes = point.Undecodable;
  Cut.Clear();
}

std::unique_ptr<TDecoder> MakeDecoder(TEncoding encoding, const TEngineCodes& codes) {
  switch (encoding) {
    case TEncoding::Ascii:
    case TEncoding::ShiftJis:
      return nullptr;
    case TEncoding::Utf8:
    case TEncoding::Utf8Bom:
      return std::make_unique<TUtf8Decoder>(codes);
    case TEncoding::Utf16Le:
      return std::make_unique<TUtf16Decoder>(codes, false);
    case TEncoding::Utf16Be:
      return std::make_unique<TUtf16Decoder>(codes, true);
    case TEncoding::EucJp:
      return std::make_unique<TEucJpDecoder>(codes);
    case TEncoding::Iso2022Jp:
      return std::make_unique<TIso2022JpDecoder>(codes);
  }
  return nullptr;
}

}  // namespace varsik
