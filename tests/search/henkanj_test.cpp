// HenkanJ against its two tables, checked character by character against the system's
// own CP932 conversion, and the edge cases of the two string conversions.
#include "search/henkanj.h"

#include <iconv.h>

#include <gtest/gtest.h>

#include "tests/search/sjis.h"

using namespace varsik;

namespace {

using HenkanJ::HalfKanaToFullWidth;
using HenkanJ::HalfToFullWidth;

std::string Byte(int b) {
  return std::string(1, static_cast<char>(b));
}

// The i-th character of a CP932 string of double-byte characters.
std::string Wide(const std::string& s, size_t i) {
  return s.substr(2 * i, 2);
}

// Every half-width katakana that has a full-width form, and those forms.
const std::string kHalfKana = Sjis("ｦｧｨｩｪｫｬｭｮｯｱｲｳｴｵｶｷｸｹｺｻｼｽｾｿﾀﾁﾂﾃﾄﾅﾆﾇﾈﾉﾊﾋﾌﾍﾎﾏﾐﾑﾒﾓﾔﾕﾖﾗﾘﾙﾚﾛﾜﾝ");
const std::string kFullKana = Sjis(
    "ヲァィゥェォャュョッアイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホマミムメモヤユ"
    "ヨラリルレロワン");

const std::string kVoicedMark = Sjis("ﾞ");
const std::string kSemiVoicedMark = Sjis("ﾟ");

// Printable ASCII 20 to 7E hex, and the full-width forms HalfToFullWidth gives them.
std::string PrintableAscii() {
  std::string s;
  for (int b = 0x20; b <= 0x7E; ++b) s += static_cast<char>(b);
  return s;
}
const std::string kFullAscii = Sjis(
    "　！”＃＄％＆’（）＊＋，－．／０１２３４５６７８９：；＜＝＞？"
    "＠ＡＢＣＤＥＦＧＨＩＪＫＬＭＮＯＰＱＲＳＴＵＶＷＸＹＺ［￥］＾＿"
    "‘ａｂｃｄｅｆｇｈｉｊｋｌｍｎｏｐｑｒｓｔｕｖｗｘｙｚ｛｜｝￣");

// Which kana combine with a mark into one character.
bool TakesVoicedMark(uint8_t b) {
  return (b >= 0xB6 && b <= 0xC4) || (b >= 0xCA && b <= 0xCE);
}
bool TakesSemiVoicedMark(uint8_t b) {
  return b >= 0xCA && b <= 0xCE;
}

// Both conversions treat katakana alike; the tests of them run through both.
using TConversion = std::string (*)(std::string_view);
std::string KanaOnly(std::string_view s) {
  return HalfKanaToFullWidth(s);
}
const TConversion kBothConversions[] = {HalfToFullWidth, KanaOnly};

}  // namespace

TEST(HenkanJ, JisToShiftJisExamples) {
  EXPECT_EQ(HenkanJ::JisToShiftJis(0x2330), 0x824F);
  EXPECT_EQ(HenkanJ::JisToShiftJis(0x2521), 0x8340);
  EXPECT_EQ(HenkanJ::JisToShiftJis(0x3021), 0x889F);
  EXPECT_EQ(HenkanJ::JisToShiftJis(0x2121), 0x8140);
  EXPECT_EQ(HenkanJ::JisToShiftJis(0x5E7E), 0x9FFC);
  EXPECT_EQ(HenkanJ::JisToShiftJis(0x5F21), 0xE040);
  EXPECT_EQ(HenkanJ::JisToShiftJis(0x7E7E), 0xEFFC);
}

// Every code of the JIS X 0208 grid against the system's converter (EUC-JP holds the
// JIS code with both high bits set).
TEST(HenkanJ, JisToShiftJisAgreesWithTheSystemOnTheWholeGrid) {
  iconv_t cd = iconv_open("SHIFT_JIS", "EUC-JP");
  ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1));
  int checked = 0;
  for (int j1 = 0x21; j1 <= 0x7E; ++j1) {
    for (int j2 = 0x21; j2 <= 0x7E; ++j2) {
      char in[2] = {static_cast<char>(j1 | 0x80), static_cast<char>(j2 | 0x80)};
      char out[8];
      char* src = in;
      char* dst = out;
      size_t srcLeft = 2, dstLeft = sizeof out;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
      if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) == static_cast<size_t>(-1)) continue;
      ASSERT_EQ(dst - out, 2);
      const int expected = static_cast<uint8_t>(out[0]) << 8 | static_cast<uint8_t>(out[1]);
      EXPECT_EQ(HenkanJ::JisToShiftJis(static_cast<uint16_t>(j1 << 8 | j2)), expected)
          << std::hex << (j1 << 8 | j2);
      ++checked;
    }
  }
  iconv_close(cd);
  EXPECT_GT(checked, 6000);
}

TEST(HenkanJ, SymbolToFullWidthFollowsTheSymbolTable) {
  const std::string half = " !\"#$%&'()=`|-^\\~{@[+*};:]<>?_" + Sjis("､｡･") + ",./" + Sjis("ｰ｢｣");
  const std::string full =
      Sjis("　！”＃＄％＆’（）＝‘｜－＾￥￣｛＠［＋＊｝；：］＜＞？＿、。・，．／ー「」");
  ASSERT_EQ(half.size(), 39u);
  ASSERT_EQ(full.size(), 78u);
  for (size_t i = 0; i < half.size(); ++i)
    EXPECT_EQ(ShiftJis::CodeToBytes(HenkanJ::SymbolToFullWidth(static_cast<uint8_t>(half[i]))),
              Wide(full, i))
        << i;
  for (int b = 0; b < 256; ++b) {
    if (half.find(static_cast<char>(b)) != std::string::npos) continue;
    EXPECT_EQ(HenkanJ::SymbolToFullWidth(static_cast<uint8_t>(b)), b) << std::hex << b;
  }
}

TEST(HenkanJ, HalfToFullWidthConvertsAllPrintableAscii) {
  EXPECT_EQ(HalfToFullWidth(PrintableAscii()), kFullAscii);
  EXPECT_EQ(HalfToFullWidth("ABC"), Sjis("ＡＢＣ"));
  EXPECT_EQ(HalfToFullWidth("09"), Sjis("０９"));
  EXPECT_EQ(HalfToFullWidth(" "), "\x81\x40");
  EXPECT_EQ(HalfToFullWidth("\\"), Sjis("￥"));
}

TEST(HenkanJ, HalfToFullWidthLeavesControlsAndUnmappedBytes) {
  for (int b : {0x00, 0x09, 0x0A, 0x0D, 0x1A, 0x7F, 0x80, 0xA0, 0xDE, 0xDF, 0xFD, 0xFE, 0xFF})
    EXPECT_EQ(HalfToFullWidth(Byte(b)), Byte(b)) << std::hex << b;
}

TEST(HenkanJ, HalfKanaToFullWidthLeavesAsciiAndDoubleByteAlone) {
  EXPECT_EQ(HalfKanaToFullWidth(PrintableAscii()), PrintableAscii());
  EXPECT_EQ(HalfKanaToFullWidth(Sjis("漢字")), Sjis("漢字"));
  EXPECT_EQ(HalfKanaToFullWidth("ABC"), "ABC");
  for (int b : {0x00, 0x0A, 0x0D, 0x7F, 0x80, 0xA0, 0xFD, 0xFF})
    EXPECT_EQ(HalfKanaToFullWidth(Byte(b)), Byte(b)) << std::hex << b;
}

TEST(HenkanJ, HalfKanaToFullWidthConvertsTheHalfWidthPunctuation) {
  EXPECT_EQ(HalfKanaToFullWidth(Sjis("｡｢｣､･ｰ")), Sjis("。「」、・ー"));
  EXPECT_EQ(HalfKanaToFullWidth(Sjis("a｡b")), Sjis("a。b"));
}

// A trail byte in A1 to DF hex looks like a half-width kana; it must stay the trail.
TEST(HenkanJ, TrailBytesInTheKanaRangeStayPartOfTheirCharacter) {
  const std::string text = Sjis("あいうアイウ");  // trail bytes A0, A2, A4, 41, 43, 45
  EXPECT_EQ(HalfKanaToFullWidth(text), text);
  EXPECT_EQ(HalfToFullWidth(text), text);
  EXPECT_EQ(HalfKanaToFullWidth(Sjis("いｱ")), Sjis("いア"));
}

TEST(HenkanJ, EveryKanaTurnsIntoItsFullWidthForm) {
  ASSERT_EQ(kHalfKana.size(), 55u);
  ASSERT_EQ(kFullKana.size(), 110u);
  for (TConversion convert : kBothConversions) {
    for (size_t i = 0; i < kHalfKana.size(); ++i) {
      EXPECT_EQ(convert(kHalfKana.substr(i, 1)), Wide(kFullKana, i)) << i;
      // A kana followed by another character converts alone.
      EXPECT_EQ(convert(kHalfKana.substr(i, 1) + "\t"), Wide(kFullKana, i) + "\t") << i;
    }
    EXPECT_EQ(convert(kHalfKana), kFullKana);
  }
}

TEST(HenkanJ, TheTableCoversExactlyA6ToAFAndB1ToDD) {
  for (size_t i = 0; i < kHalfKana.size(); ++i) {
    const int b = static_cast<uint8_t>(kHalfKana[i]);
    EXPECT_EQ(b, i < 10 ? 0xA6 + static_cast<int>(i) : 0xB1 + static_cast<int>(i) - 10);
  }
}

TEST(HenkanJ, VoicedAndSemiVoicedKanaCombineWithTheirMark) {
  const std::string voicedHalf = Sjis("ｶﾞｷﾞｸﾞｹﾞｺﾞｻﾞｼﾞｽﾞｾﾞｿﾞﾀﾞﾁﾞﾂﾞﾃﾞﾄﾞﾊﾞﾋﾞﾌﾞﾍﾞﾎﾞ");
  const std::string voicedFull = Sjis("ガギグゲゴザジズゼゾダヂヅデドバビブベボ");
  const std::string semiHalf = Sjis("ﾊﾟﾋﾟﾌﾟﾍﾟﾎﾟ");
  const std::string semiFull = Sjis("パピプペポ");
  for (TConversion convert : kBothConversions) {
    EXPECT_EQ(convert(voicedHalf), voicedFull);
    EXPECT_EQ(convert(semiHalf), semiFull);
    for (size_t i = 0; i < voicedFull.size() / 2; ++i)
      EXPECT_EQ(convert(voicedHalf.substr(2 * i, 2)), Wide(voicedFull, i)) << i;
  }
  EXPECT_EQ(HalfKanaToFullWidth(Sjis("ｶﾞｷﾞ")), Sjis("ガギ"));
  EXPECT_EQ(HalfKanaToFullWidth(Sjis("ﾊﾟ")), Sjis("パ"));
}

// A mark after a kana that does not combine with it becomes the full-width mark.
TEST(HenkanJ, AMarkThatDoesNotCombineBecomesAFullWidthMark) {
  const std::string fullVoiced = Sjis("゛");
  const std::string fullSemiVoiced = Sjis("゜");
  for (TConversion convert : kBothConversions) {
    for (size_t i = 0; i < kHalfKana.size(); ++i) {
      const uint8_t b = static_cast<uint8_t>(kHalfKana[i]);
      const std::string kana = kHalfKana.substr(i, 1);
      if (!TakesVoicedMark(b)) {
        EXPECT_EQ(convert(kana + kVoicedMark), Wide(kFullKana, i) + fullVoiced) << i;
      }
      if (!TakesSemiVoicedMark(b)) {
        EXPECT_EQ(convert(kana + kSemiVoicedMark), Wide(kFullKana, i) + fullSemiVoiced) << i;
      }
    }
    EXPECT_EQ(convert(Sjis("ｳﾞ")), Sjis("ウ゛"));
    EXPECT_EQ(convert(Sjis("ｶﾟ")), Sjis("カ゜"));
    EXPECT_EQ(convert(Sjis("ﾄﾟ")), Sjis("ト゜"));
    // Only one mark is taken; the second stands alone.
    EXPECT_EQ(convert(Sjis("ｶﾞﾞ")), Sjis("ガ") + kVoicedMark);
    EXPECT_EQ(convert(Sjis("ｱﾞﾞ")), Sjis("ア゛") + kVoicedMark);
  }
}

TEST(HenkanJ, AMarkStandingAloneIsKept) {
  for (TConversion convert : kBothConversions) {
    EXPECT_EQ(convert(kVoicedMark), kVoicedMark);
    EXPECT_EQ(convert(kSemiVoicedMark), kSemiVoicedMark);
    EXPECT_EQ(convert(kVoicedMark + kSemiVoicedMark), kVoicedMark + kSemiVoicedMark);
    EXPECT_EQ(convert("\t" + kVoicedMark), "\t" + kVoicedMark);
  }
  EXPECT_EQ(HalfToFullWidth("a" + kVoicedMark), Sjis("ａ") + kVoicedMark);
  // Punctuation does not take a mark.
  EXPECT_EQ(HalfKanaToFullWidth(Sjis("｡ﾞ")), Sjis("。") + kVoicedMark);
}

TEST(HenkanJ, AStringEndingInALeadByteKeepsIt) {
  for (TConversion convert : kBothConversions) {
    EXPECT_EQ(convert("\x82"), "\x82");
    EXPECT_EQ(convert(Sjis("ｱ") + "\x82"), Sjis("ア") + "\x82");
    EXPECT_EQ(convert(Sjis("漢") + "\xE0"), Sjis("漢") + "\xE0");
    EXPECT_EQ(convert(""), "");
  }
  EXPECT_EQ(HalfToFullWidth("a\x82"), Sjis("ａ") + "\x82");
}

TEST(HenkanJ, TheBufferOverloadReplacesTheOutput) {
  std::string out = "old contents";
  HenkanJ::HalfKanaToFullWidth(Sjis("ｶﾞx"), out);
  EXPECT_EQ(out, Sjis("ガ") + "x");
  HenkanJ::HalfKanaToFullWidth("", out);
  EXPECT_EQ(out, "");
}
