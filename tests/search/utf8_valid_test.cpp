// Utf8Valid: what it passes over is well-formed UTF-8 of whole characters, and it stops
// short of the first fault by less than one block and a character: generated texts of
// Japanese, ASCII, two- and four-byte characters, with every kind of fault (stray
// continuations, cut sequences, overlong forms, surrogates, code points past U+10FFFF,
// C0, C1, F5-FF) at every place.
#include "search/utf8_valid.h"

#include <random>
#include <string>

#include <gtest/gtest.h>

#include "search/byte_scan.h"
#include "search/char_sequence.h"

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

TEST(Utf8Valid, PassesOverWellFormedTextUpToNearItsFirstFault) {
  static const char* const kCharacters[] = {"a",
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
  static const char* const kFaults[] = {"\x80",
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
#if VARSIK_SCAN_X86
  const bool avx2 = ByteScan::BestIsa() == ByteScan::TIsa::Avx2;
#else
  const bool avx2 = false;
#endif
  std::mt19937 random(8);
  for (int round = 0; round < 20000; ++round) {
    std::string text;
    const size_t characters = random() % 120;
    for (size_t i = 0; i < characters; ++i) text += kCharacters[random() % std::size(kCharacters)];
    if (round % 4 != 0)
      text.insert(random() % (text.size() + 1), kFaults[random() % std::size(kFaults)]);
    const size_t fault = FirstFault(text);
    const auto* const begin = reinterpret_cast<const uint8_t*>(text.data());
    const size_t passed =
        static_cast<size_t>(Utf8Valid::WellFormedEnd(begin, begin + text.size()) - begin);
    SCOPED_TRACE(testing::PrintToString(text));
    EXPECT_LE(passed, fault);
    EXPECT_EQ(FirstFault(text.substr(0, passed)), passed);
    if (avx2) {
      EXPECT_GE(passed + 35, fault);
    }
  }
}

}  // namespace
