// Match spans moved from a line's engine bytes, where the searches find them, onto the
// line's own bytes, which the outputs show (RE_LineInfo_t::OriginalText): each engine
// character is one character of the file, so the spans move character by character.
#pragma once

#include <span>
#include <string_view>
#include <vector>

#include "search/encoding.h"
#include "search/engine_codes.h"
#include "search/match_span.h"

namespace varsik {

// `spans` (at character boundaries of the engine bytes) as bytes of `original`, the same
// line in `encoding` as TDecodedInput::OriginalLine gives it; `codes` is the search's
// table. A character's bytes begin with the escape sequences in front of it. Shift JIS
// and ASCII lines are their engine bytes: the spans stay as they are.
std::vector<TMatchSpan> OriginalSpans(std::string_view original, TEncoding encoding,
                                      std::span<const TMatchSpan> spans, const TEngineCodes& codes);

}  // namespace varsik
