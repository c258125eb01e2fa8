// A deliberately simple grep for cross-checking TGrep: no blocks, no carried lines, no
// fixed-string scan. The whole file is held as the text that the reader's cursors walk
// (an LF in front, NUL bytes as spaces, an LF at the end), both cursors are plain reads
// at an index, and the automaton is stepped with the DFA's own NextState from every start
// position to its first acceptance.
#pragma once

#include <string>

#include "regex/re_dfa.h"
#include "tests/search/grep_test_support.h"

namespace varsik {

namespace GrepTest {

THits ReferenceGrep(const TRE_DFA& dfa, const std::string& fileBytes);

}  // namespace GrepTest

}  // namespace varsik
