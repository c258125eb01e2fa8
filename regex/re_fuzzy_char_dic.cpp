// The fuzzy-character table. The group texts are written in UTF-8 here and converted to
// CP932 once, when the dictionary is first needed.
#include "regex/re_fuzzy_char_dic.h"

#include "platform/cp932.h"
#include "regex/errors.h"

namespace varsik {

namespace {

// Groups 27 to 145; groups 1 to 26 (the letters) are generated.
constexpr const char* kGroupTexts[] = {
    "0,０,零",
    "1,１,一,①,Ⅰ,壱",
    "2,２,二,②,Ⅱ,弐",
    "3,３,三,③,Ⅲ,参",
    "4,４,四,④,Ⅳ",
    "5,５,五,⑤,Ⅴ,伍",
    "6,６,六,⑥,Ⅵ",
    "7,７,七,⑦,Ⅶ",
    "8,８,八,⑧,Ⅷ",
    "9,９,九,⑨,Ⅸ",
    "\"　\",\" \"",
    "!,！",
    "\"\"\"\",”",
    "#,＃",
    "$,＄",
    "%,％",
    "&,＆",
    "',’",
    "(,（",
    "),）",
    "*,＊",
    "+,＋",
    "ー,～,ｰ,",  // the empty variant makes a long-vowel mark optional
    "-,ー,－,～,ｰ",
    "･,・",
    "/,／",
    ":,：",
    ";,；",
    "<,＜",
    "=,＝",
    ">,＞",
    "?,？",
    "@,＠",
    "[,［,〔",
    "\\,￥",
    "],］,〕",
    "^,＾",
    "_,＿",
    "{,｛",
    "|,｜",
    "},｝",
    "~,￣",
    "\",\",､,、,，",
    "｡,.,。,．",
    "「,『,｢",
    "」,』,｣",
    "ん,ン,ﾝ",
    "が,ガ,ｶﾞ,か゛,カ゛",
    "ぎ,ギ,ｷﾞ,き゛,キ゛",
    "ぐ,グ,ｸﾞ,く゛,ク゛",
    "げ,ゲ,ｹﾞ,け゛,ケ゛",
    "ご,ゴ,ｺﾞ,こ゛,コ゛",
    "ざ,ザ,ｻﾞ,さ゛,サ゛",
    "じ,ジ,ｼﾞ,し゛,シ゛,ぢ,ヂ,ﾁﾞ,ち゛,チ゛",
    "ず,ズ,ｽﾞ,す゛,ス゛,づ,ヅ,ﾂﾞ,つ゛,ツ゛",
    "ぜ,ゼ,ｾﾞ,せ゛,セ゛",
    "ぞ,ゾ,ｿﾞ,そ゛,ソ゛",
    "だ,ダ,ﾀﾞ,た゛,タ゛",
    "で,デ,ﾃﾞ,て゛,テ゛",
    "ど,ド,ﾄﾞ,と゛,ト゛",
    "ば,バ,ﾊﾞ,は゛,ハ゛,ヴァ,う゛ぁ,ウ゛ァ,ｳﾞｧ",
    "び,ビ,ﾋﾞ,ひ゛,ヒ゛,ヴィ,う゛ぃ,ウ゛ィ,ｳﾞｨ",
    "ぶ,ブ,ﾌﾞ,ふ゛,フ゛,ヴ,ウ゛,う゛,ｳﾞ",
    "べ,ベ,ﾍﾞ,へ゛,ヘ゛,ヴェ,う゛ぇ,ウ゛ェ,ｳﾞｪ",
    "ぼ,ボ,ﾎﾞ,ほ゛,ホ゛,ヴォ,う゛ぉ,ウ゛ォ,ｳﾞｫ",
    "ぱ,パ,ﾊﾟ,は゜,ハ゜",
    "ぴ,ピ,ﾋﾟ,ひ゜,ヒ゜",
    "ぷ,プ,ﾌﾟ,ふ゜,フ゜",
    "ぺ,ペ,ﾍﾟ,へ゜,ヘ゜",
    "ぽ,ポ,ﾎﾟ,ほ゜,ホ゜",
    "あ,ア,ｱ,ぁ,ァ,ｧ",
    "い,イ,ｲ,ぃ,ィ,ｨ",
    "う,ウ,ｳ,ぅ,ゥ,ｩ",
    "え,エ,ｴ,ぇ,ェ,ｪ",
    "お,オ,ｵ,ぉ,ォ,ｫ",
    "か,カ,ｶ",
    "き,キ,ｷ",
    "く,ク,ｸ",
    "け,ケ,ｹ",
    "こ,コ,ｺ",
    "さ,サ,ｻ",
    "し,シ,ｼ",
    "す,ス,ｽ",
    "せ,セ,ｾ",
    "そ,ソ,ｿ",
    "た,タ,ﾀ",
    "ち,チ,ﾁ",
    "つ,ツ,ﾂ,っ,ッ,ｯ",
    "て,テ,ﾃ",
    "と,ト,ﾄ",
    "な,ナ,ﾅ",
    "に,ニ,ﾆ",
    "ぬ,ヌ,ﾇ",
    "ね,ネ,ﾈ",
    "の,ノ,ﾉ",
    "は,ハ,ﾊ",
    "ひ,ヒ,ﾋ",
    "ふ,フ,ﾌ",
    "へ,ヘ,ﾍ",
    "ほ,ホ,ﾎ",
    "ま,マ,ﾏ",
    "み,ミ,ﾐ",
    "む,ム,ﾑ",
    "め,メ,ﾒ",
    "も,モ,ﾓ",
    "や,ヤ,ﾔ,ゃ,ャ,ｬ",
    "ゆ,ユ,ﾕ,ゅ,ュ,ｭ",
    "よ,ヨ,ﾖ,ょ,ョ,ｮ",
    "ら,ラ,ﾗ",
    "り,リ,ﾘ",
    "る,ル,ﾙ",
    "れ,レ,ﾚ",
    "ろ,ロ,ﾛ",
    "わ,ワ,ﾜ,うぁ,ウァ,ｳｧ",
    "ヰ,ゐ,うぃ,ウィ,ｳｨ",
    "ヱ,ゑ,うぇ,ウェ,ｳｪ",
    "を,ヲ,ｦ,うぉ,ウォ,ｳｫ",
    "ﾞ,゛",
    "ﾟ,゜",
};

// UTF-8 of a code point of the Basic Multilingual Plane.
std::string Utf8(char32_t cp) {
  std::string s;
  if (cp < 0x80) {
    s += static_cast<char>(cp);
  } else if (cp < 0x800) {
    s += static_cast<char>(0xC0 | cp >> 6);
    s += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    s += static_cast<char>(0xE0 | cp >> 12);
    s += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
    s += static_cast<char>(0x80 | (cp & 0x3F));
  }
  return s;
}

TREDictionary BuildBuiltInFuzzyCharDic() {
  std::vector<std::vector<std::string>> groups;
  for (const std::string& text : BuiltInFuzzyCharGroupTexts()) {
    std::vector<std::string> variants;
    for (const std::string& item : SplitCommaText(text)) {
      auto cp932 = Platform::Utf8ToCp932(item);
      if (!cp932)
        throw EVarsikError("あいまい検索辞書を作れません: \"" + item +
                           "\" をCP932に変換できません。");
      variants.push_back(std::move(*cp932));
    }
    groups.push_back(std::move(variants));
  }
  return TREDictionary(std::move(groups));
}

}  // namespace

std::vector<std::string> BuiltInFuzzyCharGroupTexts() {
  std::vector<std::string> texts;
  // Groups 1 to 26: fullwidth capital, fullwidth small, ASCII capital, ASCII small.
  for (char32_t i = 0; i < 26; ++i)
    texts.push_back(Utf8(U'Ａ' + i) + "," + Utf8(U'ａ' + i) + "," + Utf8(U'A' + i) + "," +
                    Utf8(U'a' + i));
  for (const char* text : kGroupTexts) texts.emplace_back(text);
  return texts;
}

const TREDictionary& BuiltInFuzzyCharDic() {
  static const TREDictionary dictionary = BuildBuiltInFuzzyCharDic();
  return dictionary;
}

}  // namespace varsik
