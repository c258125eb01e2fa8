// TEngineCodes: a word that CP932 holds becomes the bytes that the search has always
// used; the characters that CP932 lacks get reserved codes that are distinct, stable,
// never CP932 text and never a line end, NUL or Ctrl+Z as trail byte, up to the limit.
#include "search/engine_codes.h"

#include <set>
#include <string>

#include <gtest/gtest.h>

#include "base/shift_jis.h"
#include "platform/cp932.h"
#include "platform/utf8.h"

using namespace varsik;

namespace {

TEST(EngineCodes, WordsThatCp932HoldsAreItsBytes) {
  TEngineCodes codes;
  // Kana and kanji, half-width katakana, the one-way mappings (WAVE DASH and the rest),
  // NEC and IBM extensions, ASCII with the bytes that trail bytes take.
  for (const char* word :
       {"環境変数", "ｶﾀｶﾅﾞ", "〜～‖∥−－¢£¬—―", "¥‾", "①ⅰ髙﨑纊", "\\|~abc", "表示ソポ", ""}) {
    EXPECT_EQ(codes.AddWord(word), Platform::Utf8ToCp932(word).value()) << word;
  }
}

TEST(EngineCodes, CharactersThatCp932LacksGetReservedCodesOfTheirOwn) {
  TEngineCodes codes;
  const std::string word = codes.AddWord("a😀é😀𠮷");
  ASSERT_EQ(word.size(), 1u + 2 * 4);
  const std::string smile = word.substr(1, 2);
  EXPECT_EQ(word.substr(5, 2), smile);  // the same character, the same code
  EXPECT_NE(word.substr(3, 2), smile);
  EXPECT_NE(word.substr(7, 2), smile);
  // Again in a later word, and as the decoders ask for them.
  EXPECT_EQ(codes.AddWord("😀"), smile);
  EXPECT_EQ(ShiftJis::CodeToBytes(codes.Code(U'😀')), smile);
  EXPECT_EQ(codes.WordCharacter(codes.Code(U'é')), U'é');
  EXPECT_EQ(codes.WordCharacter(codes.Code(U'𠮷')), U'𠮷');
  // Characters that no word holds share one code.
  EXPECT_EQ(codes.Code(U'한'), TEngineCodes::kOther);
  EXPECT_EQ(codes.Code(0x1F601), TEngineCodes::kOther);
  EXPECT_EQ(codes.WordCharacter(TEngineCodes::kOther), 0u);
  EXPECT_EQ(codes.Code(U'あ'), 0x82A0);
  EXPECT_EQ(codes.Code(U'ｱ'), 0xB1);
  // A table of its own knows nothing of these words.
  EXPECT_EQ(TEngineCodes().Code(U'😀'), TEngineCodes::kOther);
}

TEST(EngineCodes, ReservedCodesAreDistinctAndNoTextCanHoldThem) {
  TEngineCodes codes;
  std::set<uint16_t> seen;
  // Hangul syllables: none is in CP932.
  for (char32_t cp = 0xAC00; cp < 0xAC00 + TEngineCodes::kMaxWordCodes; ++cp) {
    std::string utf8;
    Platform::AppendUtf8(utf8, cp);
    const std::string bytes = codes.AddWord(utf8);
    ASSERT_EQ(bytes.size(), 2u);
    const auto lead = static_cast<uint8_t>(bytes[0]);
    const auto trail = static_cast<uint8_t>(bytes[1]);
    ASSERT_TRUE(ShiftJis::IsLeadByte(lead));
    ASSERT_TRUE(trail >= 0x01 && trail <= 0x1F && trail != '\n' && trail != '\r' && trail != 0x1A)
        << std::hex << int(trail);
    const uint16_t code = static_cast<uint16_t>(lead << 8 | trail);
    ASSERT_TRUE(TEngineCodes::IsReserved(code));
    ASSERT_NE(code, TEngineCodes::kOther);
    ASSERT_TRUE(seen.insert(code).second) << "code given twice";
    // No CP932 text decodes to it.
    ASSERT_EQ(Platform::Cp932CharAt(bytes).Length, 0u);
  }
  // The limit: one more character that CP932 lacks is refused, one known already is not.
  EXPECT_THROW(codes.AddWord("😀"), EWordCodes);
  EXPECT_EQ(codes.AddWord("가あ").size(), 4u);
}

TEST(EngineCodes, AWordThatIsNoUtf8IsRefused) {
  TEngineCodes codes;
  EXPECT_THROW(codes.AddWord("abc\xFF"), EWordCodes);
  EXPECT_THROW(codes.AddWord("\xE3\x81"), EWordCodes);
  EXPECT_THROW(codes.AddWord("\xED\xA0\x80"), EWordCodes);  // a surrogate
}

}  // namespace
