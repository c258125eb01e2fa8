// PlainLineRule: plain mode's rule for one line, applied to the line as a whole: the
// switches' folding, the find that respects double-byte characters, and the whole-word
// test with its retry. The fast scan of TPlainSearch gives the same answers without
// folding lines; this is what it falls back to for lines it does not take on (a lone
// CR, half-width katakana under the fuzzy switch) and what the tests hold it against.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace varsik {

namespace PlainLineRule {

// One of the 28 delimiters (tab, CR, LF, blank and \'";:,.*+-/%[]{}()<>&!?=) or a byte
// from 80 hex up: a byte that ends a word.
bool IsBoundaryByte(uint8_t b);

// The length of the character at byte i: 2 for a lead byte with a byte behind it.
size_t CharLength(std::string_view s, size_t i);

// The lower-case form of a full-width Latin, Greek or Cyrillic capital; any other code
// unchanged. Lead bytes and lengths never change.
uint16_t LowerDoubleByte(uint16_t code);

// `text` as the switches fold it (lower-cased unless upperLowerMatch, then half-width
// katakana to full width with fuzzySearch), in `out`; `scratch` is a second buffer
// reused from call to call. Returns the folded text (`text` itself when nothing folds).
std::string_view Fold(std::string_view text, bool upperLowerMatch, bool fuzzySearch,
                      std::string& out, std::string& scratch);

// The first occurrence of `word` in `line` at or after `from` (a character start) that
// begins on a character start; npos when there is none.
size_t FindWord(std::string_view line, std::string_view word, size_t from);

// True when the occurrence of `word` at the 1-based byte position `pos` of `line`
// stands as a word. The characters are read from the line's start.
bool IsWholeWordAt(std::string_view word, int pos, std::string_view line);

// True when the folded line holds the folded word; with asWord, as a word: each later
// occurrence is tested in the line cut behind the first character of the one before.
bool LineMatches(std::string_view line, std::string_view word, bool asWord);

}  // namespace PlainLineRule

}  // namespace varsik
