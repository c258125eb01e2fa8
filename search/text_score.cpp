#include "search/text_score.h"

#include <array>

#include "platform/code_page_tables.h"

namespace varsik {

namespace {

// Weights are in eighths of a kanji of the first JIS level (8). Two half-width katakana of
// a run (3 each) weigh less than such a kanji, which EUC-JP reads their two bytes as: an
// EUC-JP file of a few kanji (名前, CC BE C1 B0, is ﾌｾﾁｰ in Shift JIS) is far more common
// than a Shift JIS file of a few half-width katakana that all pair up so. A Latin-1 letter
// written in UTF-8 (14) outweighs the two half-width katakana that Shift JIS reads its
// bytes as (é, C3 A9, is ﾃｩ).
struct TRange {
  char16_t First;
  char16_t Last;
  int8_t Weight;
};

constexpr int8_t kLevel1Kanji = 8;
constexpr int8_t kLevel2Kanji = 0;
constexpr int8_t kExtensionKanji = -4;    // NEC and IBM extensions
constexpr int8_t kForeignIdeograph = -8;  // no CP932 character

constexpr TRange kRanges[] = {
    {0x0080, 0x009F, -20},  // C1 controls
    {0x00A0, 0x00BF, 0},    // Latin-1 signs
    {0x00C0, 0x00FF, 14},   // Latin-1 letters (and the two signs x and ÷ among them)
    {0x0100, 0x024F, 4},    // Latin Extended
    {0x0250, 0x036F, -8},   // IPA, modifiers, combining marks
    {0x0370, 0x04FF, -4},   // Greek, Cyrillic
    {0x0500, 0x1FFF, -8},   // other scripts
    {0x2000, 0x206F, 4},    // general punctuation
    {0x2070, 0x2E7F, 0},    // symbols, arrows, mathematics, box drawing, enclosed numbers
    {0x2E80, 0x2FFF, -8},   // radicals
    {0x3000, 0x303F, 8},    // CJK punctuation
    {0x3040, 0x309F, 16},   // hiragana
    {0x30A0, 0x30FF, 12},   // katakana
    {0x3100, 0x33FF, -4},   // bopomofo, Hangul letters, CJK compatibility
    {0x3400, 0x9FFF, kForeignIdeograph},
    {0xA000, 0xDFFF, -8},   // Yi, Hangul syllables, surrogates
    {0xE000, 0xF8FF, -16},  // private use: user-defined characters
    {0xF900, 0xFAFF, kForeignIdeograph},
    {0xFB00, 0xFEFF, -4},  // presentation forms
    {0xFF00, 0xFF5E, 4},   // full-width ASCII
    {0xFF5F, 0xFF65, 0},   // half-width punctuation
    {0xFF66, 0xFFEF, 0},   // half-width katakana (counted in runs), half-width and full-width signs
    {0xFFF0, 0xFFFF, -20},  // specials, non-characters
};

std::array<int8_t, 0x10000> MakeWeights() {
  std::array<int8_t, 0x10000> weights{};
  for (const TRange& r : kRanges)
    for (char32_t cp = r.First; cp <= r.Last; ++cp) weights[cp] = r.Weight;
  // A kanji by its place in CP932: the first level is the common one.
  const Platform::TCodePageTables& tables = Platform::TCodePageTables::Get();
  for (char32_t cp = 0x3400; cp < 0xFB00; ++cp) {
    if (weights[cp] != kForeignIdeograph) continue;
    const uint16_t code = tables.Cp932FromUnicode(cp);
    if (code == Platform::TCodePageTables::kNone) continue;
    if (code >= 0x889F && code <= 0x9872)
      weights[cp] = kLevel1Kanji;
    else if (code >= 0x989F && code <= 0xEAA4)
      weights[cp] = kLevel2Kanji;
    else
      weights[cp] = kExtensionKanji;
  }
  // CP932's own symbols among the signs of other scripts count as symbols.
  for (char32_t cp = 0x0080; cp < 0x3000; ++cp)
    if (weights[cp] < 0 && tables.Cp932FromUnicode(cp) != Platform::TCodePageTables::kNone)
      weights[cp] = 0;
  return weights;
}

}  // namespace

const int8_t* TTextScore::MakeWeightTable() {
  static const std::array<int8_t, 0x10000> weights = MakeWeights();
  return weights.data();
}

}  // namespace varsik
