// How a search reads its files: each in the encoding detected from the whole file, or
// every one in the encoding the user chose. The readers (TLineWindow, TTxtFile) take it
// through TDecodedInput.
#pragma once

#include <array>
#include <optional>
#include <string_view>

#include "search/encoding.h"
#include "search/engine_codes.h"

namespace varsik {

enum class TEncodingChoice {
  Auto,   // detected file by file
  Cp932,  // every file as Shift JIS, byte for byte as it is
  Utf8,
  EucJp,
  Utf16Le,  // a file that begins with a byte-order mark is read in the order it gives
  Utf16Be,
  Iso2022Jp
};

// The names the command line and the settings file use, in the order of the choices.
inline constexpr std::array<std::string_view, 7> kEncodingChoiceNames = {
    "auto", "cp932", "utf-8", "euc-jp", "utf-16le", "utf-16be", "iso-2022-jp"};

constexpr std::string_view EncodingChoiceName(TEncodingChoice choice) {
  return kEncodingChoiceNames[static_cast<size_t>(choice)];
}

// The choice of a name, or nullopt for a name that is none.
constexpr std::optional<TEncodingChoice> EncodingChoiceOf(std::string_view name) {
  for (size_t i = 0; i < kEncodingChoiceNames.size(); ++i)
    if (kEncodingChoiceNames[i] == name) return static_cast<TEncodingChoice>(i);
  return std::nullopt;
}

struct TReadEncoding {
  TEncodingChoice Choice = TEncodingChoice::Cp932;
  // The search's code table (its word's characters that CP932 lacks have codes in it),
  // shared read-only by every reader of the search; null: a table without such codes.
  const TEngineCodes* Codes = nullptr;
};

}  // namespace varsik
