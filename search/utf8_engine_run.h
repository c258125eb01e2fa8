// Utf8EngineRun: the engine length of the plain run that a hit line of a UTF-8 file mostly
// is, counted 32 bytes a step where the processor has AVX2, for the reader that finds a hit
// line's own bytes (TDecodedInput::OriginalLine) without decoding it. Plain text is ASCII
// other than LF, CR and NUL (one engine byte each) and three-byte characters whose lead
// byte gives two engine bytes whatever follows it (TEngineCodes::Utf8TwoByteLeads): what
// Japanese lines are written in. Any other character (half-width katakana, two- and
// four-byte sequences, a byte that does not decode) ends a run, and the caller reads it
// one by one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace varsik {

namespace Utf8EngineRun {

constexpr size_t kStep = 32;

// The forms of the count: none (a run is always empty), and AVX2.
enum class TForm { Scalar, Avx2 };

// The forms that this processor runs, the baseline first. The best of them is used unless
// a test selects another; one the processor lacks is never used.
std::vector<TForm> UsableForms();
void SelectForm(TForm form);

struct TRun {
  size_t Bytes = 0;
  size_t EngineBytes = 0;
  // Whether the run stopped in front of a step that would pass the most engine bytes.
  bool AtLimit = false;
};

// The run of plain text from p, a character start, in whole characters: kStep bytes a
// step while as many are left before end, up to the first byte that is not plain, and
// never past `maxEngine` engine bytes (the step that would pass them is left to the
// caller). `twoByteLeads` is TEngineCodes::Utf8TwoByteLeads.
TRun Plain(const uint8_t* p, const uint8_t* end, size_t maxEngine, uint16_t twoByteLeads);

}  // namespace Utf8EngineRun

}  // namespace varsik
