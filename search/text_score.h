// TTextScore: how much a run of decoded characters looks like ordinary Japanese text, by
// the classes of its characters. The encoding detector reads a file in each encoding that
// may be its own and keeps one score for each; where two decode the whole file, the one
// whose characters score higher is taken. Misread text yields rare kanji, private-use
// codes, scattered half-width katakana and letters of other scripts; real text yields
// kana, common kanji and punctuation, and half-width katakana in runs.
#pragma once

#include <cstdint>

namespace varsik {

class TTextScore {
 public:
  TTextScore() : Weights(WeightTable()) {}

  // A character above U+007F.
  void Add(char32_t cp) {
    if (cp >= kHalfKanaFirst && cp <= kHalfKanaLast) {
      ++KanaRun;
      return;
    }
    EndRun();
    Total += cp < 0x10000 ? Weights[cp] : kAstralWeight;
  }

  // An ASCII character, or any other that is no half-width katakana: ends a run of them.
  void EndRun() {
    if (KanaRun == 0) return;
    Total += KanaRun >= 2 ? kKanaInRunWeight * KanaRun : kLoneKanaWeight;
    KanaRun = 0;
  }

  // The score so far, an open run included.
  int64_t Value() const {
    if (KanaRun == 0) return Total;
    return Total + (KanaRun >= 2 ? kKanaInRunWeight * KanaRun : kLoneKanaWeight);
  }

 private:
  // The weight of each character of the Basic Multilingual Plane, made once; inline, as
  // each file's detector takes it three times.
  static const int8_t* WeightTable() {
    static const int8_t* const weights = MakeWeightTable();
    return weights;
  }
  static const int8_t* MakeWeightTable();

  // Half-width katakana and their marks, U+FF66-U+FF9F (the half-width punctuation before
  // them, which misread EUC-JP kana give at every other byte, counts by itself).
  static constexpr char32_t kHalfKanaFirst = 0xFF66;
  static constexpr char32_t kHalfKanaLast = 0xFF9F;
  static constexpr int kKanaInRunWeight = 3;
  static constexpr int kLoneKanaWeight = -4;
  static constexpr int kAstralWeight = 4;

  const int8_t* Weights;
  int64_t Total = 0;
  int64_t KanaRun = 0;
};

}  // namespace varsik
