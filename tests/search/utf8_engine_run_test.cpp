// Utf8EngineRun: a UTF-8 hit line's own bytes come out the same whether its plain runs are
// counted a step at a time or read character by character, whatever stands where a step
// begins or ends, where the reader's text is cut, and where what is read at once ends.
#include "search/utf8_engine_run.h"

#include <algorithm>

#include <gtest/gtest.h>

#include "search/decoded_input.h"
#include "search/engine_codes.h"
#include "tests/support/temp_dir.h"

using namespace varsik;

namespace {

// Every kind of character and fault that ends a plain run or may look like part of one.
const std::string kBreaks[] = {
    "ｱ",                     // half-width katakana: one engine byte
    "Ａ（",                  // full-width forms behind the same lead
    "é",                     // two bytes
    "😀",                     // four bytes
    "…※",                    // symbols of a lead that is not counted a step at a time
    "\r",                    // dropped
    std::string(1, '\0'),    // a blank
    "\x80",                  // a stray continuation
    "\xE6\x96",              // a lead and one continuation
    "\xE6",                  // a lead alone
    "\xE6\x96\xE6\x97\xA5",  // a broken character right before a whole one
    "\xE0\x80\x80",          // overlong
    "\xED\xA0\x80",          // a surrogate
    "\xC0\xAF",              // never a lead
    "\xF5\x80\x80\x80",      // past U+10FFFF
    "\t\x1A",                // control bytes that are text
};

// Plain text of `bytes` bytes, kanji and kana with ASCII between them so that characters
// start at every offset from a step's start.
std::string Plain(size_t bytes) {
  std::string text;
  const char* const kCharacters[] = {"日", "a", "本", "の", "b", "c", "語"};
  for (size_t k = 0; text.size() + 3 <= bytes; ++k) text += kCharacters[k % std::size(kCharacters)];
  return text + std::string(bytes - text.size(), 'x');
}

// Each vector form of the count, where the processor runs it, against the scalar form,
// which reads every character one by one.
class Utf8EngineRunForms : public testing::TestWithParam<Utf8EngineRun::TForm> {
 protected:
  void SetUp() override {
    const std::vector<Utf8EngineRun::TForm> usable = Utf8EngineRun::UsableForms();
    if (std::find(usable.begin(), usable.end(), GetParam()) == usable.end())
      GTEST_SKIP() << "the processor lacks this form of the count";
  }
  void TearDown() override { Utf8EngineRun::SelectForm(Utf8EngineRun::UsableForms().back()); }

  // The line's own bytes as far as `cut` engine bytes, by this form and character by
  // character.
  static void ExpectSameLine(TDecodedInput& input, uint64_t offset, size_t cut) {
    Utf8EngineRun::SelectForm(Utf8EngineRun::TForm::Scalar);
    const std::string expected = input.OriginalLine(offset, cut);
    Utf8EngineRun::SelectForm(GetParam());
    EXPECT_EQ(input.OriginalLine(offset, cut), expected) << "cut " << cut;
  }
};

std::string FormName(const testing::TestParamInfo<Utf8EngineRun::TForm>& info) {
  constexpr const char* kNames[] = {"Scalar", "Avx2"};
  return kNames[static_cast<int>(info.param)];
}

// The lines of a file behind a first line (whose own bytes are read by the decoder), each
// with its engine offset and length.
struct TLines {
  std::vector<uint64_t> Offsets;
  std::vector<size_t> Lengths;
};

TLines ReadLines(TDecodedInput& input) {
  std::string engine;
  std::vector<uint8_t> buffer(65536);
  while (const size_t n = input.ReadSome(buffer.data(), buffer.size()))
    engine.append(reinterpret_cast<const char*>(buffer.data()), n);
  TLines lines;
  for (size_t start = engine.find('\n') + 1; start < engine.size();) {
    const size_t end = std::min(engine.find('\n', start), engine.size());
    lines.Offsets.push_back(start);
    // The reader's text drops the CRs.
    lines.Lengths.push_back(
        end - start -
        static_cast<size_t>(std::count(engine.begin() + static_cast<ptrdiff_t>(start),
                                       engine.begin() + static_cast<ptrdiff_t>(end), '\r')));
    start = end + 1;
  }
  return lines;
}

TEST_P(Utf8EngineRunForms, EveryBreakAtEveryOffsetAroundTheStepsAndEveryCut) {
  TTempDir dir;
  for (const std::string& piece : kBreaks) {
    SCOPED_TRACE(piece);
    // Lines of the break from every offset of a step on, twice (the second time behind a
    // run that a break ended), and a line with the break at the file's end.
    std::string text = "first\n";
    for (size_t before = 0; before <= Utf8EngineRun::kStep + 2; ++before)
      text += Plain(before) + piece + Plain(40) + piece + "\r\n";
    text += Plain(70) + piece;
    TDecodedInput input(dir.Write("f", text), {TEncodingChoice::Utf8, nullptr});
    const TLines lines = ReadLines(input);
    ASSERT_EQ(lines.Offsets.size(), Utf8EngineRun::kStep + 4);
    for (size_t i = 0; i < lines.Offsets.size(); ++i) {
      SCOPED_TRACE("line " + std::to_string(i));
      for (size_t cut = 0; cut <= lines.Lengths[i] + 1; ++cut)
        ExpectSameLine(input, lines.Offsets[i], cut);
    }
  }
}

TEST_P(Utf8EngineRunForms, LongLinesAcrossWhatIsReadAtOnceAndTheirCuts) {
  // Lines longer than a piece that the line's bytes are read in, with breaks on both sides
  // of its end, and a line of a hundred thousand kanji cut near its end and its start.
  TTempDir dir;
  std::string text = "first\n";
  for (const std::string& piece : kBreaks)
    for (size_t before = 1000; before <= 1030; ++before)
      text += Plain(before) + piece + Plain(60) + "\n";
  std::string kanji;
  for (int k = 0; k < 100000; ++k) kanji += "日";
  text += kanji + "\n";
  TDecodedInput input(dir.Write("f", text), {TEncodingChoice::Utf8, nullptr});
  const TLines lines = ReadLines(input);
  for (size_t i = 0; i + 1 < lines.Offsets.size(); ++i) {
    SCOPED_TRACE("line " + std::to_string(i));
    for (size_t cut = 900; cut <= lines.Lengths[i] + 1; ++cut)
      ExpectSameLine(input, lines.Offsets[i], cut);
  }
  for (const size_t cut : {size_t{0}, size_t{1}, size_t{63}, size_t{64}, size_t{65}, size_t{199999},
                           size_t{200000}, size_t{200001}})
    ExpectSameLine(input, lines.Offsets.back(), cut);
  Utf8EngineRun::SelectForm(GetParam());
  EXPECT_EQ(input.OriginalLine(lines.Offsets.back(), 200000), kanji);
}

INSTANTIATE_TEST_SUITE_P(Forms, Utf8EngineRunForms, testing::Values(Utf8EngineRun::TForm::Avx2),
                         FormName);

TEST(Utf8EngineRun, KanaAndKanjiLeadsAreCountedAStepAtATimeHalfWidthKatakanaNot) {
  const uint16_t leads = TEngineCodes().Utf8TwoByteLeads();
  const auto counted = [leads](uint8_t lead) { return (leads >> (lead - 0xE0) & 1) != 0; };
  for (const uint8_t lead : {0xE3, 0xE4, 0xE5, 0xE6, 0xE7, 0xE8, 0xE9}) EXPECT_TRUE(counted(lead));
  // Half-width katakana; overlong forms and surrogates, which are not characters.
  for (const uint8_t lead : {0xEF, 0xE0, 0xED}) EXPECT_FALSE(counted(lead));
}

}  // namespace
