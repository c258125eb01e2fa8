// DetectorScan: the counts of undecodable bytes never pass what the decoders (which count
// as the encoding detector does) count over the same bytes, however the text is cut into
// pieces, and every vector form counts as the portable one; the first byte above 7F or
// escape is found at every place, before and after the vector steps. The texts are those that put
// the readings out (Shift JIS, EUC-JP read as UTF-8 and the reverse) and random bytes, whose lead
// and trail bytes stand next to each other in every way.
#include "search/detector_scan.h"

#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "search/byte_scan.h"
#include "search/decoder.h"
#include "search/engine_codes.h"
#include "tests/search/encoded_text.h"
#include "tests/search/sjis.h"

using namespace varsik;

namespace {

constexpr uint32_t kAll = std::numeric_limits<uint32_t>::max();

std::span<const uint8_t> Bytes(std::string_view s) {
  return {reinterpret_cast<const uint8_t*>(s.data()), s.size()};
}

uint64_t DecodersCount(TEncoding encoding, std::string_view bytes) {
  static const TEngineCodes codes;
  const std::unique_ptr<TDecoder> decoder = MakeDecoder(encoding, codes);
  std::vector<uint8_t> out(TDecoder::MaxOutput(bytes.size()));
  decoder->Finish(decoder->Decode(Bytes(bytes), out.data()));
  return decoder->Undecodable();
}

std::vector<std::string> Texts() {
  const std::string line = "環境変数を設定して、ﾌｧｲﾙ（ｶﾀｶﾅ）を読み込みます。 ① ─ ～\n";
  std::string sjis;
  for (int i = 0; i < 20; ++i) sjis += Sjis(line) + "int x = 1; // " + Sjis("値") + "\n";
  std::vector<std::string> texts = {sjis, EncodedText::FromShiftJis(sjis, TEncoding::EucJp),
                                    EncodedText::FromShiftJis(sjis, TEncoding::Utf8)};
  std::mt19937 random(15);
  for (int i = 0; i < 60; ++i) {
    std::string bytes(1 + random() % 700, '\0');
    // Mostly bytes above 7F, drawn from a few values or from all, and some ASCII.
    const int kind = i % 3;
    for (char& c : bytes) {
      const uint32_t r = random();
      c = static_cast<char>(r % 5 == 0  ? 'a'
                            : kind == 0 ? 0x80 + (r >> 8) % 128
                            : kind == 1
                                ? (r >> 8) % 256
                                : "\x82\xA0\xC2\xE3\x81\x8E\x8F\xF4\xBF\xFF\xA1"[(r >> 8) % 11]);
    }
    texts.push_back(bytes);
  }
  // Runs of ASCII long enough to fill steps, between a few bytes above 7F each.
  for (int i = 0; i < 60; ++i) {
    std::string bytes;
    while (bytes.size() < 1000) {
      bytes.append(random() % 150, 'a');
      for (uint32_t k = random() % 5; k > 0; --k)
        bytes += "\x82\xA0\xC2\xE3\x81\x8E\x8F\xF4\xBF\xFF\xA1"[random() % 11];
    }
    texts.push_back(bytes);
  }
  // The same runs between characters of well-formed UTF-8 and EUC-JP, where the decoders
  // count nothing and neither may the bounds.
  for (int i = 0; i < 30; ++i) {
    std::string utf8;
    std::string sjis;
    while (utf8.size() < 1000) {
      const std::string run(random() % 150, 'a');
      const char* const chars[] = {"é", "環", "ｶ", "😀", "あい"};
      const std::string c = chars[random() % 5];
      utf8 += run + c;
      if (c != "é" && c != "😀") sjis += run + Sjis(c);
    }
    texts.push_back(utf8);
    texts.push_back(EncodedText::FromShiftJis(sjis, TEncoding::EucJp));
  }
  return texts;
}

TEST(DetectorScan, CountsNoMoreThanTheDecodersInAnyPieces) {
  for (const std::string& text : Texts()) {
    const uint64_t utf8 = DecodersCount(TEncoding::Utf8, text);
    const uint64_t euc = DecodersCount(TEncoding::EucJp, text);
    for (size_t piece : {size_t{1}, size_t{2}, size_t{3}, size_t{7}, size_t{63}, size_t{64},
                         size_t{65}, size_t{200}, text.size()}) {
      uint64_t utf8Sum = 0;
      uint64_t eucSum = 0;
      for (size_t at = 0; at < text.size(); at += piece) {
        const DetectorScan::TCounts c = DetectorScan::CountUndecodable(
            Bytes(text).subspan(at, std::min(piece, text.size() - at)), kAll, kAll);
        utf8Sum += c.Utf8;
        eucSum += c.EucJp;
      }
      EXPECT_LE(utf8Sum, utf8) << "pieces of " << piece << " of " << text.size();
      EXPECT_LE(eucSum, euc) << "pieces of " << piece << " of " << text.size();
    }
  }
  // Shift JIS text is told from the others by these counts: nearly every character counts.
  const DetectorScan::TCounts sjis = DetectorScan::CountUndecodable(Bytes(Texts()[0]), kAll, kAll);
  EXPECT_GT(sjis.Utf8, 100u);
  EXPECT_GT(sjis.EucJp, 100u);
  const DetectorScan::TCounts some = DetectorScan::CountUndecodable(Bytes(Texts()[0]), 17, 17);
  EXPECT_LT(some.Utf8 + some.EucJp, 200u);
  // UTF-8 and EUC-JP text counts nothing in itself.
  EXPECT_EQ(DetectorScan::CountUndecodable(Bytes(Texts()[2]), kAll, kAll).Utf8, 0u);
  EXPECT_EQ(DetectorScan::CountUndecodable(Bytes(Texts()[1]), kAll, kAll).EucJp, 0u);
}

TEST(DetectorScan, VectorFormsCountAsThePortableOneAndStopWhenEnough) {
  for (const std::string& text : Texts()) {
    const auto expected = DetectorScan::CountUndecodablePortable(Bytes(text), kAll, kAll);
    for (ByteScan::TIsa isa : ByteScan::UsableIsas()) {
      const auto c = DetectorScan::CountUndecodableAs(isa, Bytes(text), kAll, kAll);
      EXPECT_EQ(c.Utf8, expected.Utf8) << static_cast<int>(isa) << " over " << text.size();
      EXPECT_EQ(c.EucJp, expected.EucJp) << static_cast<int>(isa) << " over " << text.size();
      // Asked for less, it stops once both are reached, and reads all when one is not.
      const auto enough = DetectorScan::CountUndecodableAs(isa, Bytes(text), 3, 5);
      if (expected.Utf8 < 3 || expected.EucJp < 5) {
        EXPECT_EQ(enough.Utf8, expected.Utf8);
        EXPECT_EQ(enough.EucJp, expected.EucJp);
      } else {
        EXPECT_TRUE(enough.Utf8 >= 3 && enough.Utf8 <= expected.Utf8);
        EXPECT_TRUE(enough.EucJp >= 5 && enough.EucJp <= expected.EucJp);
      }
    }
  }
}

TEST(DetectorScan, FindsTheFirstHighByteOrEscapeAtEveryPlace) {
  for (size_t size : {size_t{0}, size_t{1}, size_t{7}, size_t{8}, size_t{31}, size_t{32},
                      size_t{33}, size_t{100}}) {
    for (size_t at = 0; at <= size; ++at) {
      for (uint8_t stop : {uint8_t{0x1B}, uint8_t{0x80}, uint8_t{0x8A}, uint8_t{0xFF}}) {
        // ASCII around it, the bytes next to an escape's value among it.
        std::vector<uint8_t> bytes(size + 40);
        for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = "\x1A\x1Cz\x7F\x00"[i % 5];
        if (at < size) bytes[at] = stop;
        bytes[size] = 0x1B;  // past the end: never found
        const uint8_t* const begin = bytes.data();
        const uint8_t* const expected = begin + at;
        EXPECT_EQ(DetectorScan::FindHighOrEscape(begin, begin + size), expected)
            << size << " " << at;
        for (ByteScan::TIsa isa : ByteScan::UsableIsas())
          EXPECT_EQ(DetectorScan::FindHighOrEscapeAs(isa, begin, begin + size), expected)
              << size << " " << at << " " << static_cast<int>(isa);
      }
    }
  }
}

}  // namespace
