#include "shell/search_state.h"

#include "platform/cp932.h"
#include "platform/utf8.h"

namespace varsik {

bool TSearchOptions::SetWord(std::string_view utf8) {
  if (!Platform::IsValidUtf8(utf8)) return false;
  if (Switches.Encoding == TEncodingChoice::Cp932) {
    // Every file is read as Shift JIS: a character that it cannot hold is no word.
    std::optional<std::string> word = Platform::Utf8ToCp932(utf8);
    if (!word) return false;
    Word = std::move(*word);
    Codes.reset();
    return true;
  }
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
