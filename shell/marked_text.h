// MarkedText: a line's text moved into an output's encoding together with the matches
// on it. The command line wraps the moved matches in colour, the results view marks
// them; the text itself is converted whole, so it comes out as it does unmarked.
#pragma once

#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "search/encoding.h"
#include "search/match_span.h"

namespace varsik {

namespace MarkedText {

// Appends `text` in the output's encoding to `out` and moves each of `bounds` (ascending
// bytes of `text`, between characters) to the byte of `out` where its character begins.
using TConvert =
    std::function<void(std::string_view text, std::span<size_t> bounds, std::string& out)>;

// Appends `text` converted to `out`, and `matches` moved along with it to `moved` (as
// bytes of `out`), in one conversion of the whole text. A match that comes out empty, or
// that lies outside the text or before the one in front of it, is passed over.
void AppendConverted(std::string& out, std::string_view text, std::span<const TMatchSpan> matches,
                     const TConvert& convert, std::vector<TMatchSpan>& moved);

// The conversions of the outputs: CP932 kept as it is, and CP932 to UTF-8.
void KeepCp932(std::string_view text, std::span<size_t> bounds, std::string& out);
void Cp932ToUtf8(std::string_view text, std::span<size_t> bounds, std::string& out);

// The conversion of a line as a file in `encoding` holds it (TLineEntry::Text) to UTF-8,
// or else to CP932 with "?" for what CP932 lacks; Shift JIS lines take the two above.
TConvert FromFile(TEncoding encoding, bool toUtf8);

}  // namespace MarkedText

}  // namespace varsik
