// A hit line as the results show it: the line's own bytes, as the file holds them in its
// encoding, decoded to UTF-8 (the engine bytes it was searched as may differ: a character
// that CP932 lacks is a reserved code there, a one-way fallback another character). Each
// byte that does not decode is shown as U+FFFD, one for each byte, as the search counts
// one character for each; Shift JIS and ASCII lines are decoded as they always were.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "search/encoding.h"
#include "search/jis_escape.h"

namespace varsik {

// The line's bytes in `encoding`, as UTF-8. An ISO-2022-JP line begins in `shift`, the
// shift state that the file's text before the line left (JisShiftAfter); its escape
// sequences show nothing. A byte-order mark is shown as U+FEFF: a caller that passes the
// file's first line drops it first (ByteOrderMarkLength).
std::string OriginalToUtf8(std::string_view bytes, TEncoding encoding,
                           TJisShift shift = TJisShift::Ascii);

// The ISO-2022-JP shift state after `bytes`, read from `shift` on.
TJisShift JisShiftAfter(std::string_view bytes, TJisShift shift);

// How many bytes of the file's start `fileStart` are a byte-order mark of `encoding` that
// the decoder drops: 3 for UTF-8, 2 for UTF-16, else 0.
size_t ByteOrderMarkLength(std::string_view fileStart, TEncoding encoding);

}  // namespace varsik
