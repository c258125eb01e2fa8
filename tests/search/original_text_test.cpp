// Hit lines shown from their own bytes: each encoding's line as UTF-8, undecodable bytes
// as one U+FFFD each, an ISO-2022-JP line that begins in a shift state its file's text
// before it left, and the byte-order marks that the first line drops.
#include "search/original_text.h"

#include <gtest/gtest.h>

#include "tests/search/encoded_text.h"
#include "tests/search/sjis.h"

using namespace varsik;

namespace {

const std::string kLine = "環境変数 LANG と ｶﾀｶﾅ、①ⅰ〜‖¢ を読む";

TEST(OriginalText, EachEncodingsLineIsShownAsTheFileHoldsIt) {
  const std::string sjis = Sjis(kLine);
  for (TEncoding encoding : {TEncoding::Ascii, TEncoding::ShiftJis, TEncoding::Utf8,
                             TEncoding::Utf16Le, TEncoding::Utf16Be, TEncoding::EucJp}) {
    const std::string bytes = EncodedText::FromShiftJis(sjis, encoding);
    const size_t mark = ByteOrderMarkLength(bytes, encoding);
    EXPECT_EQ(OriginalToUtf8(std::string_view(bytes).substr(mark), encoding),
              EncodedText::Iconv("UTF-8", "CP932", sjis))
        << EncodingName(encoding);
  }
  // Characters that CP932 lacks are shown as they are.
  EXPECT_EQ(OriginalToUtf8("café 😀", TEncoding::Utf8), "café 😀");
  EXPECT_EQ(OriginalToUtf8(EncodedText::Iconv("UTF-16BE", "UTF-8", "café 😀"), TEncoding::Utf16Be),
            "café 😀");
  EXPECT_EQ(OriginalToUtf8(EncodedText::Iconv("EUC-JP-MS", "UTF-8", "café"), TEncoding::EucJp),
            "café");
}

TEST(OriginalText, UndecodableBytesAreOneReplacementCharacterEach) {
  EXPECT_EQ(OriginalToUtf8("x\xFFy\xE3\x81", TEncoding::Utf8), "x\uFFFDy\uFFFD\uFFFD");
  EXPECT_EQ(OriginalToUtf8(std::string("\x00\xD8y\x00z", 5), TEncoding::Utf16Le), "\uFFFDy\uFFFD");
  EXPECT_EQ(OriginalToUtf8("\xA9\xA1\x80\xA4", TEncoding::EucJp), "\uFFFD\uFFFD\uFFFD\uFFFD");
  EXPECT_EQ(OriginalToUtf8("\x1B$B$\xA4", TEncoding::Iso2022Jp), "\uFFFD\uFFFD");
  // Shift JIS lines are decoded as they always were.
  EXPECT_EQ(OriginalToUtf8("x\x80", TEncoding::ShiftJis), "x\uFFFD");
}

TEST(OriginalText, JisLinesBeginInTheShiftStateBeforeThem) {
  // こんにちは, then a line that goes on in JIS X 0208 without an escape of its own.
  const std::string file = "\x1B$B$3$s$K$A$O\n$\"$$\x1B(B!\n\x1B(I12\n";
  EXPECT_EQ(OriginalToUtf8("\x1B$B$3$s$K$A$O", TEncoding::Iso2022Jp), "こんにちは");
  const TJisShift second = JisShiftAfter("\x1B$B$3$s$K$A$O\n", TJisShift::Ascii);
  EXPECT_EQ(second, TJisShift::Jis0208);
  EXPECT_EQ(OriginalToUtf8("$\"$$\x1B(B!", TEncoding::Iso2022Jp, second), "あい!");
  EXPECT_EQ(JisShiftAfter(file, TJisShift::Ascii), TJisShift::Kana);
  EXPECT_EQ(OriginalToUtf8("\x1B(I12", TEncoding::Iso2022Jp), "ｱｲ");
  EXPECT_EQ(OriginalToUtf8("12", TEncoding::Iso2022Jp, TJisShift::Kana), "ｱｲ");
  // JIS X 0201 Roman: the yen sign and the overline.
  EXPECT_EQ(OriginalToUtf8("\x1B(J\\100~", TEncoding::Iso2022Jp), "¥100‾");
  EXPECT_EQ(OriginalToUtf8(EncodedText::FromShiftJis(Sjis(kLine), TEncoding::Iso2022Jp),
                           TEncoding::Iso2022Jp),
            EncodedText::Iconv("UTF-8", "CP932", Sjis(kLine)));
}

TEST(OriginalText, ByteOrderMarks) {
  EXPECT_EQ(ByteOrderMarkLength("\xEF\xBB\xBFx", TEncoding::Utf8Bom), 3u);
  EXPECT_EQ(ByteOrderMarkLength("\xEF\xBB\xBFx", TEncoding::Utf8), 3u);
  EXPECT_EQ(ByteOrderMarkLength("\xFF\xFEx", TEncoding::Utf16Le), 2u);
  EXPECT_EQ(ByteOrderMarkLength("\xFE\xFF", TEncoding::Utf16Be), 2u);
  EXPECT_EQ(ByteOrderMarkLength("\xFF\xFE", TEncoding::Utf16Be), 0u);
  EXPECT_EQ(ByteOrderMarkLength("\xEF\xBB\xBF", TEncoding::ShiftJis), 0u);
  EXPECT_EQ(ByteOrderMarkLength("", TEncoding::Utf8), 0u);
}

}  // namespace
