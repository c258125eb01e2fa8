#include "shell/search_state.h"

#include "platform/cp932.h"
#include "platform/utf8.h"

namespace varsik {

bool TSearchOptions::SetWord(std::string_view utf8) {
  if (!Platform::IsValidUtf8(utf8)) return false;
  // A word that Shift JIS holds needs no table of its own: the readers share one without
  // word codes, made only once a file needs decoding.
  if (std::optional<std::string> word = Platform::Utf8ToCp932(utf8)) {
    Word = std::move(*word);
    Codes.reset();
    return true;
  }
  // With every file read as Shift JIS, a character that it cannot hold is no word.
  if (Switches.Encoding == TEncodingChoice::Cp932) return false;
  auto codes = std::make_shared<TEngineCodes>();
  try {
    Word = codes->AddWord(utf8);
  } catch (const EWordCodes&) {
    return false;
  }
  Codes = std::move(codes);
  return true;
}

}  // namespace varsik
