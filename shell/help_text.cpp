#include "shell/help_text.h"

#include <string_view>

#include "platform/message_catalog.h"

namespace varsik {

std::string HelpOptionLines(std::span<const THelpOption> rows, size_t textColumn) {
  constexpr std::string_view kIndent = "  ";
  std::string out;
  for (const THelpOption& row : rows) {
    const std::string_view names = row.Names;
    // A long option alone lines up with the long names after short ones ("-s, --x").
    const std::string_view indent = names.starts_with("--") ? "      " : kIndent;
    out += indent;
    out += names;
    const size_t used = indent.size() + names.size();
    // At least two blanks between the names and the text.
    if (used + 2 > textColumn)
      out += '\n' + std::string(textColumn, ' ');
    else
      out.append(textColumn - used, ' ');
    std::string_view text = Platform::Translate(row.Text);
    for (size_t end; (end = text.find('\n')) != std::string_view::npos;) {
      out += text.substr(0, end + 1);
      out.append(textColumn, ' ');
      text.remove_prefix(end + 1);
    }
    out += text;
    out += '\n';
  }
  return out;
}

std::string HelpPageText(const THelpPage& page) {
  // Operands are short words: their texts start close by.
  constexpr size_t kOperandColumn = 10;
  std::string text = Platform::Translate(page.Usage);
  text += '\n';
  text += HelpOptionLines(page.Operands, kOperandColumn);
  text += '\n';
  text += Platform::Translate("Options:\n");
  text += HelpOptionLines(page.Options, page.OptionColumn);
  text += '\n';
  text += Platform::Translate(page.Closing);
  return text;
}

}  // namespace varsik
