#include "platform/name_text.h"

#include <algorithm>
#include <array>

#include "platform/cp932.h"
#include "platform/utf8.h"

namespace varsik {

namespace Platform {
namespace {

bool IsControl(unsigned char b) {
  return b < 0x20 || b == 0x7F;
}

// U+0080-U+009F in UTF-8: a terminal may take them for controls as well (U+009B starts
// an escape sequence as ESC [ does).
bool IsUtf8C1(std::string_view s) {
  if (s.size() < 2 || static_cast<unsigned char>(s[0]) != 0xC2) return false;
  const auto trail = static_cast<unsigned char>(s[1]);
  return trail >= 0x80 && trail < 0xA0;
}

void AppendEscaped(std::string& out, unsigned char b) {
  static constexpr char kHex[] = "0123456789abcdef";
  switch (b) {
    case '\n':
      out += "\\n";
      return;
    case '\r':
      out += "\\r";
      return;
    case '\t':
      out += "\\t";
      return;
    case '\\':
      out += "\\\\";
      return;
    default:
      out += "\\x";
      out += kHex[b >> 4];
      out += kHex[b & 0xF];
  }
}

void AppendEscaped(std::string& out, std::string_view bytes) {
  for (char c : bytes) AppendEscaped(out, static_cast<unsigned char>(c));
}

// An ASCII byte as the view and the fully escaped form show it.
void AppendAscii(std::string& out, unsigned char b) {
  if (IsControl(b) || b == '\\')
    AppendEscaped(out, b);
  else
    out += static_cast<char>(b);
}

void AppendUtf8Element(std::string& out, std::string_view element) {
  for (size_t i = 0; i < element.size();) {
    const size_t length = Utf8CharLength(element, i);
    const std::string_view c = element.substr(i, length);
    if (length == 1)
      AppendAscii(out, static_cast<unsigned char>(c[0]));
    else if (IsUtf8C1(c))
      AppendEscaped(out, c);
    else
      out += c;
    i += length;
  }
}

void AppendCp932Element(std::string& out, std::string_view element) {
  for (size_t i = 0; i < element.size();) {
    const auto b = static_cast<unsigned char>(element[i]);
    if (b < 0x80) {
      AppendAscii(out, b);
      ++i;
      continue;
    }
    const TCp932Char c = Cp932CharAt(element.substr(i));
    if (c.Length == 0 || IsUtf8C1(c.Utf8)) {
      AppendEscaped(out, b);
      ++i;
    } else {
      out += c.Utf8;
      i += c.Length;
    }
  }
}

}  // namespace

std::string NameForView(std::string_view path) {
  // The common name, printable ASCII only, reads the same in every form.
  if (std::all_of(path.begin(), path.end(),
                  [](char c) { return c >= 0x20 && c < 0x7F && c != '\\'; }))
    return std::string(path);
  std::string out;
  out.reserve(path.size() + path.size() / 2);
  // A slash is never part of a double-byte CP932 character (trail bytes start at 40).
  for (size_t start = 0; start <= path.size();) {
    size_t slash = path.find('/', start);
    if (slash == std::string_view::npos) slash = path.size();
    const std::string_view element = path.substr(start, slash - start);
    if (IsValidUtf8(element))
      AppendUtf8Element(out, element);
    else
      AppendCp932Element(out, element);
    if (slash < path.size()) out += '/';
    start = slash + 1;
  }
  return out;
}

std::string NameFullyEscaped(std::string_view path) {
  std::string out;
  out.reserve(path.size());
  for (char c : path) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x80)
      AppendAscii(out, b);
    else
      AppendEscaped(out, b);
  }
  return out;
}

std::string NameForOutput(std::string_view path) {
  std::string out;
  AppendNameForOutput(out, path);
  return out;
}

void AppendNameForOutput(std::string& out, std::string_view path) {
  // Runs of bytes that stay as they are go in whole: most names are one such run, found
  // by a table lookup per byte.
  static constexpr auto kMayEscape = [] {
    std::array<bool, 256> table{};
    for (int b = 0; b < 0x20; ++b) table[b] = true;
    table[0x7F] = table[0xC2] = true;
    return table;
  }();
  size_t run = 0;
  for (size_t i = 0; i < path.size(); ++i) {
    const auto b = static_cast<unsigned char>(path[i]);
    if (!kMayEscape[b]) continue;
    const size_t length = IsControl(b) ? 1 : IsUtf8C1(path.substr(i)) ? 2 : 0;
    if (length == 0) continue;
    out.append(path, run, i - run);
    AppendEscaped(out, path.substr(i, length));
    i += length - 1;
    run = i + 1;
  }
  out.append(path, run, path.size() - run);
}

}  // namespace Platform

}  // namespace varsik
