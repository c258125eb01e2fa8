// Utf8Valid: the long runs of well-formed UTF-8 that Japanese text is, checked 64 bytes at
// a time where the processor has AVX-512, 32 where it has AVX2: each byte looked up with the one
// before it by their nibbles (a continuation where none may stand or none where one must, overlong
// forms, surrogates, code points past U+10FFFF), and the bytes that must continue a
// three- or four-byte sequence. A reader that only checks UTF-8 passes over them at
// memory speed and reads the rest one sequence at a time.
#pragma once

#include <cstdint>
#include <vector>

namespace varsik {

namespace Utf8Valid {

// The forms of the check: none (WellFormedEnd passes over nothing), AVX2, and AVX-512
// (with AVX2 for the block that holds the fault).
enum class TCheck { Scalar, Avx2, Avx512 };

// The forms that this processor runs, the baseline first. The best of them is used unless
// a test selects another to cover them all; one the processor lacks is never used (the
// scalar form stands for it).
std::vector<TCheck> UsableChecks();
void SelectCheck(TCheck check);

// A character start q from p (a character start) on such that [p, q) is well-formed
// UTF-8 of whole characters: it stops within 35 bytes before the first fault, or the end,
// and at p in the scalar form.
const uint8_t* WellFormedEnd(const uint8_t* p, const uint8_t* end);

// How many bytes of [p, end) do not decode, counted as the UTF-8 decoder and the encoding
// detector count them (each byte of a broken sequence on its own, a sequence cut by end
// too): [p, end) starts at a character and is all that is left of it, such as whole
// lines, which no sequence spans (an LF is ASCII). The well-formed runs are passed over
// as WellFormedEnd finds them.
uint64_t UndecodableBytes(const uint8_t* p, const uint8_t* end);

}  // namespace Utf8Valid

}  // namespace varsik
