#include "shell/tag_jump.h"

namespace varsik {

namespace TagJump {

namespace {

std::string WithoutLineEnd(std::string line) {
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
  return line;
}

bool IsDecimal(std::string_view s) {
  return !s.empty() && s.find_first_not_of("0123456789") == std::string_view::npos;
}

// The bytes of the UTF-8 character at `i`, for a message.
std::string_view CharacterAt(std::string_view s, size_t i) {
  const unsigned char b = static_cast<unsigned char>(s[i]);
  const size_t length = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
  return s.substr(i, length);
}

ETagJumpFormat TooFewValues(std::string_view tmpl, size_t count) {
  std::string m = "タグジャンプのコマンド \"";
  m += tmpl;
  m += "\" の %s が多すぎます（渡す値は " + std::to_string(count) + " 個です）。";
  m += "エディタの設定 (Path, JumpFormat) で % を書くときは %% としてください。";
  return ETagJumpFormat(m);
}

ETagJumpFormat UnknownDirective(std::string_view tmpl, std::string_view directive) {
  std::string m = "タグジャンプのコマンド \"";
  m += tmpl;
  m += "\" の \"";
  m += directive;
  m += "\" は使えない書式指定です。エディタの設定 (Path, JumpFormat) で使えるのは %s と %% "
       "だけです。";
  return ETagJumpFormat(m);
}

// Walks the template: every literal character goes to `literal`, every value that a %s
// takes goes to `value`. Both expansions below share it, so that they accept and refuse
// the same templates.
template <typename TLiteral, typename TValue>
void Expand(std::string_view tmpl, const std::vector<std::string>& values, TLiteral literal,
            TValue value) {
  size_t next = 0;
  for (size_t i = 0; i < tmpl.size(); ++i) {
    if (tmpl[i] != '%') {
      literal(tmpl[i]);
      continue;
    }
    if (i + 1 < tmpl.size() && tmpl[i + 1] == '%') {
      literal('%');
      ++i;
    } else if (i + 1 < tmpl.size() && (tmpl[i + 1] == 's' || tmpl[i + 1] == 'S')) {
      if (next == values.size()) throw TooFewValues(tmpl, values.size());
      value(values[next++]);
      ++i;
    } else {
      std::string directive = "%";
      if (i + 1 < tmpl.size()) directive += CharacterAt(tmpl, i + 1);
      throw UnknownDirective(tmpl, directive);
    }
  }
}

// Splits text as QProcess::splitCommand does, with values appended to the argument
// being built as they are, never split or unquoted.
class TCommandSplitter {
 public:
  void Literal(char c) {
    if (c == '"') {
      if (++QuoteCount == 3) {
        QuoteCount = 0;
        Current += c;
      }
      return;
    }
    SettleQuotes();
    if (!InQuote && (c == ' ' || (c >= '\t' && c <= '\r'))) {
      Flush();
    } else {
      Current += c;
    }
  }
  void Value(const std::string& v) {
    SettleQuotes();
    Current += v;
  }
  std::vector<std::string> Finish() {
    Flush();
    return std::move(Parts);
  }

 private:
  void SettleQuotes() {
    if (QuoteCount == 1) InQuote = !InQuote;
    QuoteCount = 0;
  }
  void Flush() {
    if (!Current.empty()) Parts.push_back(std::move(Current));
    Current.clear();
  }

  std::vector<std::string> Parts;
  std::string Current;
  int QuoteCount = 0;
  bool InQuote = false;
};

}  // namespace

std::optional<TTagJumpTarget> FindTarget(const TLineGetter& lineAt, int lineCount, int caretLine,
                                         const THeaderAbove& headerAbove, const TPathOf& pathOf) {
  if (caretLine < 0 || caretLine >= lineCount) return std::nullopt;
  const std::string entry = WithoutLineEnd(lineAt(caretLine));
  // A header or an unreadable-file line is no entry, even when its path holds colons.
  if (entry.empty() || entry.front() == '#' || entry.front() == '"') return std::nullopt;
  const size_t first = entry.find(':');
  if (first == std::string::npos) return std::nullopt;
  const size_t second = entry.find(':', first + 1);
  if (second == std::string::npos) return std::nullopt;
  std::string jumpLine = entry.substr(first + 1, second - first - 1);
  if (!IsDecimal(jumpLine)) return std::nullopt;

  const int header = headerAbove(caretLine);
  if (header < 0 || header > caretLine) return std::nullopt;
  const std::string line = WithoutLineEnd(lineAt(header));
  if (line.empty() || line.front() != '#') return std::nullopt;
  std::string fileName = line.substr(1);
  std::optional<std::string> path = pathOf(fileName);
  if (!path || path->empty() || path->front() != '/') return std::nullopt;
  return TTagJumpTarget{std::move(jumpLine), std::move(fileName), std::move(*path)};
}

std::optional<TTagJumpTarget> FindTarget(const TLineGetter& lineAt, int lineCount, int caretLine,
                                         const TPathOf& pathOf) {
  const auto walkUp = [&](int line) {
    for (; line >= 0; --line) {
      const std::string text = lineAt(line);
      if (!text.empty() && text.front() == '#') return line;
    }
    return -1;
  };
  return FindTarget(lineAt, lineCount, caretLine, walkUp, pathOf);
}

std::optional<TTagJumpTarget> FindTarget(const std::vector<std::string>& lines, int caretLine,
                                         const TPathOf& pathOf) {
  return FindTarget([&](int i) { return lines[static_cast<size_t>(i)]; },
                    static_cast<int>(lines.size()), caretLine, pathOf);
}

std::string CommandTemplate(std::string_view editorPath, std::string_view jumpFormat) {
  std::string t(editorPath);
  if (jumpFormat.empty()) return t + " %s";
  t += ' ';
  t += jumpFormat;
  return t + "%s %s";
}

std::string FormatCommand(std::string_view commandTemplate,
                          const std::vector<std::string>& values) {
  std::string out;
  Expand(
      commandTemplate, values, [&](char c) { out += c; }, [&](const std::string& v) { out += v; });
  return out;
}

TTagJumpCommand BuildCommand(std::string_view editorPath, std::string_view jumpFormat,
                             const TTagJumpTarget& target) {
  TTagJumpCommand command;
  command.Template = CommandTemplate(editorPath, jumpFormat);
  const bool withLine = !jumpFormat.empty();
  std::vector<std::string> values;
  if (withLine) values.push_back(target.JumpLine);
  values.push_back(target.FileName);
  command.CommandLine = FormatCommand(command.Template, values);

  values.back() = target.Path;
  TCommandSplitter splitter;
  Expand(
      command.Template, values, [&](char c) { splitter.Literal(c); },
      [&](const std::string& v) { splitter.Value(v); });
  std::vector<std::string> parts = splitter.Finish();
  if (!parts.empty()) {
    command.Program = std::move(parts.front());
    command.Arguments.assign(std::make_move_iterator(parts.begin() + 1),
                             std::make_move_iterator(parts.end()));
  }
  return command;
}

}  // namespace TagJump

}  // namespace varsik
