#include "search/original_spans.h"

#include <algorithm>
#include <cstdint>
#include <utility>

#include "search/decoder.h"

namespace varsik {

std::vector<TMatchSpan> OriginalSpans(std::string_view original, TEncoding encoding,
                                      std::span<const TMatchSpan> spans,
                                      const TEngineCodes& codes) {
  if (ReadsAsShiftJis(encoding) || spans.empty()) return {spans.begin(), spans.end()};
  // The character boundaries: engine offset and original offset, in order.
  std::vector<std::pair<size_t, size_t>> bounds = {{0, 0}};
  const std::unique_ptr<TDecoder> decoder = MakeDecoder(encoding, codes);
  // Not the file's start: a byte-order mark in a line is a character like any other.
  decoder->Restart({1, 0, 0});
  uint8_t out[TDecoder::MaxOutput(1)];
  size_t engine = 0;
  const auto* bytes = reinterpret_cast<const uint8_t*>(original.data());
  for (size_t i = 0; i <= original.size(); ++i) {
    const bool last = i == original.size();
    const uint8_t* end =
        last ? decoder->Finish(out) : decoder->Decode(std::span(bytes + i, 1), out);
    if (end == out) continue;
    engine += static_cast<size_t>(end - out);
    bounds.emplace_back(engine, last ? original.size() : decoder->Checkpoint().Offset - 1);
  }
  // A span's begin goes to the start of its character, its end to the end of its last.
  std::vector<TMatchSpan> moved;
  moved.reserve(spans.size());
  for (const TMatchSpan& span : spans) {
    const auto begin =
        std::upper_bound(bounds.begin(), bounds.end(), span.Begin,
                         [](size_t value, const auto& b) { return value < b.first; });
    const auto end = std::lower_bound(bounds.begin(), bounds.end(), span.End,
                                      [](const auto& b, size_t value) { return b.first < value; });
    moved.push_back({(begin - 1)->second, end == bounds.end() ? original.size() : end->second});
  }
  return moved;
}

}  // namespace varsik
