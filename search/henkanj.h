// HenkanJ: half-width to full-width conversion of Shift JIS (CP932) text. The plain
// search's fuzzy switch uses HalfKanaToFullWidth; the rest serves it and its tests.
// Every operation works on byte strings and keeps no state.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/shift_jis.h"

namespace varsik {

namespace HenkanJ {

// The half-width voiced or semi-voiced sound mark (DE or DF hex), which joins the
// katakana in front of it.
bool IsSoundMark(uint8_t b);

// The Shift JIS code of a JIS X 0208 code whose two bytes lie in 21 to 7E hex (other
// values give a meaningless code).
uint16_t JisToShiftJis(uint16_t jis);

// The full-width code of a half-width symbol, or the byte itself when it has none.
uint16_t SymbolToFullWidth(uint8_t b);

// Letters, digits, symbols, punctuation and katakana (with their voiced marks) to
// their full-width forms; double-byte characters and everything else unchanged.
std::string HalfToFullWidth(std::string_view s);

// Only half-width katakana, their marks and the half-width punctuation to full width.
std::string HalfKanaToFullWidth(std::string_view s);
// The same into `out` (replacing its contents), so that a caller converting line after
// line reuses one buffer.
void HalfKanaToFullWidth(std::string_view s, std::string& out);

}  // namespace HenkanJ

}  // namespace varsik
