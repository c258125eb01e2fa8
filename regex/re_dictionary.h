// TREDictionary: an ordered list of groups of equivalent variants (CP932 strings), the
// form of the fuzzy-character and synonym dictionaries that the preprocessor applies.
// Immutable once built; it keeps an index by first character so that a lookup tries
// only the variants that can match, in table order.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace varsik {

class TREDictionary {
 public:
  struct TVariantRef {
    int32_t Group;
    int32_t Variant;
  };

  // Raises ERegExpParser when a variant ends in a lone lead byte.
  explicit TREDictionary(std::vector<std::vector<std::string>> groups);

  const std::vector<std::vector<std::string>>& Groups() const { return GroupList; }

  // The non-empty variants whose first character is code, in table order (group by
  // group, variant by variant).
  std::span<const TVariantRef> VariantsStartingWith(uint16_t code) const;
  const std::vector<uint16_t>& VariantCodes(TVariantRef ref) const {
    return Codes[ref.Group][ref.Variant];
  }

  // The group as a pattern: "(" the variants, metacharacters quoted, joined by "|" ")".
  const std::string& GroupPattern(int32_t group) const { return GroupPatterns[group]; }

 private:
  std::vector<std::vector<std::string>> GroupList;
  std::vector<std::vector<std::vector<uint16_t>>> Codes;
  std::vector<std::string> GroupPatterns;
  std::unordered_map<uint16_t, std::vector<TVariantRef>> ByFirstCode;
};

// Splits comma text: items are separated by commas; an item holding a comma, a space or
// a double quotation mark is enclosed in double quotation marks, one inside written
// twice; a comma at the very end adds an empty item.
std::vector<std::string> SplitCommaText(std::string_view text);

}  // namespace varsik
