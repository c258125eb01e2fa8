// Dictionary build-up: decoding the variants once and indexing them by first character.
#include "regex/re_dictionary.h"

#include "regex/re_char_code.h"

namespace varsik {

TREDictionary::TREDictionary(std::vector<std::vector<std::string>> groups)
    : GroupList(std::move(groups)) {
  Codes.resize(GroupList.size());
  GroupPatterns.resize(GroupList.size());
  for (int32_t g = 0; g < static_cast<int32_t>(GroupList.size()); ++g) {
    const auto& variants = GroupList[g];
    std::string pattern = "(";
    for (int32_t v = 0; v < static_cast<int32_t>(variants.size()); ++v) {
      if (v > 0) pattern += '|';
      pattern += QuoteMetaChars(variants[v]);
      std::vector<uint16_t> codes;
      int32_t p = 1;
      for (uint16_t c; (c = ReadCharCode(variants[v], p)) != 0;) codes.push_back(c);
      if (!codes.empty()) ByFirstCode[codes.front()].push_back({g, v});
      Codes[g].push_back(std::move(codes));
    }
    GroupPatterns[g] = pattern + ")";
  }
}

std::span<const TREDictionary::TVariantRef> TREDictionary::VariantsStartingWith(
    uint16_t code) const {
  auto it = ByFirstCode.find(code);
  if (it == ByFirstCode.end()) return {};
  return it->second;
}

std::vector<std::string> SplitCommaText(std::string_view text) {
  std::vector<std::string> items;
  if (text.empty()) return items;
  size_t i = 0;
  for (;;) {
    std::string item;
    if (i < text.size() && text[i] == '"') {
      for (++i; i < text.size(); ++i) {
        if (text[i] != '"') {
          item += text[i];
        } else if (i + 1 < text.size() && text[i + 1] == '"') {
          item += '"';
          ++i;
        } else {
          ++i;
          break;
        }
      }
      // Anything between the closing quote and the next comma belongs to the item.
      while (i < text.size() && text[i] != ',') item += text[i++];
    } else {
      while (i < text.size() && text[i] != ',') item += text[i++];
    }
    items.push_back(std::move(item));
    if (i >= text.size()) break;
    ++i;  // the comma; a comma at the very end still adds the empty item behind it
  }
  return items;
}

}  // namespace varsik
