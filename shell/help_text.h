// The programs' --help: tables of options (or operands) laid out in two columns, their
// texts in the user's language. A row's text is English; the message catalogue
// translates it when the table is laid out.
#pragma once

#include <cstddef>
#include <span>
#include <string>

namespace varsik {

struct THelpOption {
  const char* Names;  // "-s, --case-sensitive": the same in every language
  const char* Text;   // what it does; after a "\n" it goes on in the text column
};

// A row of a table. Its text reaches the message catalogue by this name (xgettext's
// keyword HelpOption:2).
constexpr THelpOption HelpOption(const char* names, const char* text) {
  return {names, text};
}

// A paragraph of a help page. Its text reaches the message catalogue by this name
// (xgettext's keyword HelpParagraph).
constexpr const char* HelpParagraph(const char* english) {
  return english;
}

// One line per row, and one more per "\n" in its text: the names indented by two, the
// translated text from `textColumn` on (on a line of its own when the names reach it).
std::string HelpOptionLines(std::span<const THelpOption> rows, size_t textColumn);

// A program's whole --help, translated: the usage line and what the program does, the
// operands, "Options:" and the options (their texts from `OptionColumn` on), then a
// closing paragraph. The parts are marked for the catalogue with HelpParagraph and
// HelpOption.
struct THelpPage {
  const char* Usage;
  std::span<const THelpOption> Operands;
  std::span<const THelpOption> Options;
  size_t OptionColumn;
  const char* Closing;
};
std::string HelpPageText(const THelpPage& page);

}  // namespace varsik
