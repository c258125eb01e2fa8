// Utf8Valid: what it passes over is well-formed UTF-8 of whole characters, and it stops
// short of the first fault by less than one block and a character: generated texts of
// Japanese, ASCII, two- and four-byte characters, with every kind of fault (stray
// continuations, cut sequences, overlong forms, surrogates, code points past U+10FFFF,
// C0, C1, F5-FF) at every place. And it counts the bytes that do not decode as the decoder
// does, over the same texts with many faults.
#include "search/utf8_valid.h"

#include <algorithm>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "search/char_sequence.h"
#include "search/decoder.h"

using namespace varsik;

namespace {

// The first byte of `text` from which it is no well-formed UTF-8 of whole characters.
size_t FirstFault(const std::string& text) {
  const auto* const begin = reinterpret_cast<const uint8_t*>(text.data());
  const auto* const end = begin + text.size();
  const uint8_t* p = begin;
  while (p < end) {
    if (*p < 0x80) {
      ++p;
      continue;
    }
    const TCharSequence c = ReadUtf8Sequence(p, end);
    if (c.Status != TCharSequence::TStatus::Char) break;
    p += c.Length;
  }
  return static_cast<size_t>(p - begin);
}

const char* const kCharacters[] = {"a",
                                   " ",
                                   "\n",
                                   "日",
                                   "本",
                                   "語",
                                   "の",
                                   "é",
                                   "ß",
                                   "😀",
                                   "𠮷",
                                   "\xEF\xBF\xBF",
                                   "\xF4\x8F\xBF\xBF"};
const char* const kFaults[] = {"\x80",
                               "\xBF",
                               "\xC0\x80",
                               "\xC1\xBF",
                               "\xE0\x80\x80",
                               "\xE0\x9F\xBF",
                               "\xED\xA0\x80",
                               "\xED\xBF\xBF",
                               "\xF0\x80\x80\x80",
                               "\xF0\x8F\xBF\xBF",
                               "\xF4\x90\x80\x80",
                               "\xF5\x80\x80\x80",
                               "\xFF",
                               "\xE6\x96",
                               "\xE6",
                               "\xF0\x9F\x98",
                               "\xC3",
                               "\xE6\x96\xE6",
                               "\xE6\x96"
                               "a",
                               "\xF0\x9F\x98\x80\x80",
                               "\xC3\xA9\x80"};

// A text of `characters` characters with `faults` faults at random places.
std::string Generate(std::mt19937& random, size_t characters, size_t faults) {
  std::string text;
  for (size_t i = 0; i < characters; ++i) text += kCharacters[random() % std::size(kCharacters)];
  for (size_t i = 0; i < faults; ++i)
    text.insert(random() % (text.size() + 1), kFaults[random() % std::size(kFaults)]);
  return text;
}

// Each form of the check, where the processor runs it; the texts are long enough to
// span several of the widest form's blocks.
class Utf8ValidForms : public testing::TestWithParam<Utf8Valid::TCheck> {
 protected:
  void SetUp() override {
    const std::vector<Utf8Valid::TCheck> usable = Utf8Valid::UsableChecks();
    if (std::find(usable.begin(), usable.end(), GetParam()) == usable.end())
      GTEST_SKIP() << "the processor lacks this form of the check";
    Utf8Valid::SelectCheck(GetParam());
  }
  void TearDown() override { Utf8Valid::SelectCheck(Utf8Valid::UsableChecks().back()); }
};

std::string CheckName(const testing::TestParamInfo<Utf8Valid::TCheck>& info) {
  constexpr const char* kNames[] = {"Scalar", "Avx2", "Avx512"};
  return kNames[static_cast<int>(info.param)];
}

INSTANTIATE_TEST_SUITE_P(Utf8Valid, Utf8ValidForms,
                         testing::Values(Utf8Valid::TCheck::Scalar, Utf8Valid::TCheck::Avx2,
                                         Utf8Valid::TCheck::Avx512),
                         CheckName);

TEST_P(Utf8ValidForms, PassesOverWellFormedTextUpToNearItsFirstFault) {
  const bool vector = GetParam() != Utf8Valid::TCheck::Scalar;
  std::mt19937 random(8);
  for (int round = 0; round < 20000; ++round) {
    const std::string text = Generate(random, random() % 120, round % 4 != 0 ? 1 : 0);
    const size_t fault = FirstFault(text);
    const auto* const begin = reinterpret_cast<const uint8_t*>(text.data());
    const size_t passed =
        static_cast<size_t>(Utf8Valid::WellFormedEnd(begin, begin + text.size()) - begin);
    SCOPED_TRACE(testing::PrintToString(text));
    EXPECT_LE(passed, fault);
    EXPECT_EQ(FirstFault(text.substr(0, passed)), passed);
    if (vector) {
      EXPECT_GE(passed + 35, fault);
    }
  }
}

TEST_P(Utf8ValidForms, CountsTheBytesThatDoNotDecodeAsTheDecoderDoes) {
  const TEngineCodes codes;
  std::mt19937 random(9);
  for (int round = 0; round < 5000; ++round) {
    const std::string text = Generate(random, random() % 400, random() % 24);
    const auto* const begin = reinterpret_cast<const uint8_t*>(text.data());
    const std::unique_ptr<TDecoder> decoder = MakeDecoder(TEncoding::Utf8, codes);
    std::vector<uint8_t> out(TDecoder::MaxOutput(text.size()));
    decoder->Finish(decoder->Decode(std::span(begin, text.size()), out.data()));
    SCOPED_TRACE(testing::PrintToString(text));
    EXPECT_EQ(Utf8Valid::UndecodableBytes(begin, begin + text.size()), decoder->Undecodable());
  }
}

}  // namespace
