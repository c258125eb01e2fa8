// Writes code_page_data.inc: TCodePageTables as this machine's iconv gives them, in the
// compact form that TCodePageTables::Expand reads. Run by the update-code-page-data
// target; the code-page tables test checks that the committed file still matches iconv.
//
// Usage: generate-code-page-data OUTPUT-FILE
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "platform/code_page_tables.h"

using namespace varsik;
using Platform::TCodePageData;
using Platform::TCodePageTables;

namespace {

constexpr size_t kJisSize = 94 * 94;

uint8_t JisRow(size_t index) {
  return static_cast<uint8_t>(0x21 + index / 94);
}
uint8_t JisCell(size_t index) {
  return static_cast<uint8_t>(0x21 + index % 94);
}

// The entries of a table of `size` that have a value, as runs and their values.
void Runs(size_t size, const std::function<uint16_t(size_t)>& at,
          std::vector<TCodePageData::TRun>& runs, std::vector<uint16_t>& values) {
  for (size_t i = 0; i < size; ++i) {
    const uint16_t value = at(i);
    if (value == TCodePageTables::kNone) continue;
    if (runs.empty() || runs.back().Begin + runs.back().Count != i)
      runs.push_back({static_cast<uint16_t>(i), 0});
    ++runs.back().Count;
    values.push_back(value);
  }
}

// The entries of a table of `size` where `want` differs from `have`.
std::vector<TCodePageData::TEntry> Differences(size_t size,
                                               const std::function<uint16_t(size_t)>& want,
                                               const std::function<uint16_t(size_t)>& have) {
  std::vector<TCodePageData::TEntry> entries;
  for (size_t i = 0; i < size; ++i)
    if (want(i) != have(i)) entries.push_back({static_cast<uint16_t>(i), want(i)});
  return entries;
}

std::string Hex(uint16_t value) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%04X", value);
  return text;
}

// "{first, second}", the second in hex or as a count.
std::string Pair(uint16_t first, uint16_t second, bool hex) {
  char text[24];
  std::snprintf(text, sizeof text, hex ? "{0x%04X, 0x%04X}" : "{0x%04X, %u}", first, second);
  return text;
}

// A C++ array of `items`, each written by `item`, several a line.
template <typename T>
std::string Array(const char* type, const char* name, const std::vector<T>& items,
                  const std::function<std::string(const T&)>& item) {
  // A std::array, as a table may have no entries.
  std::string out = "constexpr std::array<";
  out += type;
  out += ", ";
  out += std::to_string(items.size());
  out += "> ";
  out += name;
  out += " = {{\n";
  std::string line = "   ";
  for (const T& value : items) {
    std::string text(1, ' ');
    text += item(value);
    text += ',';
    if (line.size() + text.size() > 100) {
      out += line;
      out += '\n';
      line = "   ";
    }
    line += text;
  }
  if (!items.empty()) {
    out += line;
    out += '\n';
  }
  out += "}};\n";
  return out;
}

std::string Runs(const char* name, const std::vector<TCodePageData::TRun>& runs) {
  return Array<TCodePageData::TRun>("TCodePageData::TRun", name, runs, [](const auto& run) {
    return Pair(run.Begin, run.Count, false);
  });
}

std::string Values(const char* name, const std::vector<uint16_t>& values) {
  return Array<uint16_t>("uint16_t", name, values, Hex);
}

std::string Entries(const char* name, const std::vector<TCodePageData::TEntry>& entries) {
  return Array<TCodePageData::TEntry>(
      "TCodePageData::TEntry", name, entries,
      [](const auto& entry) { return Pair(entry.Index, entry.Value, true); });
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: generate-code-page-data OUTPUT-FILE\n");
    return 2;
  }
  const std::unique_ptr<TCodePageTables> iconv = TCodePageTables::AskIconv();
  const TCodePageTables& t = *iconv;

  std::vector<TCodePageData::TRun> cp932Runs, jis0212Runs;
  std::vector<uint16_t> cp932Values, jis0212Values;
  Runs(
      0x10000, [&](size_t i) { return t.UnicodeFromCp932(static_cast<uint16_t>(i)); }, cp932Runs,
      cp932Values);
  Runs(
      kJisSize, [&](size_t i) { return t.UnicodeFromJis0212(JisRow(i), JisCell(i)); }, jis0212Runs,
      jis0212Values);
  // What the runs alone give; the rest is written as exceptions.
  const std::unique_ptr<TCodePageTables> derived =
      TCodePageTables::Expand({cp932Runs, cp932Values, {}, {}, jis0212Runs, jis0212Values});
  const std::vector<TCodePageData::TEntry> fromUnicode = Differences(
      0x10000, [&](size_t i) { return t.Cp932FromUnicode(static_cast<char32_t>(i)); },
      [&](size_t i) { return derived->Cp932FromUnicode(static_cast<char32_t>(i)); });
  const std::vector<TCodePageData::TEntry> jis0208 = Differences(
      kJisSize, [&](size_t i) { return t.UnicodeFromJis0208(JisRow(i), JisCell(i)); },
      [&](size_t i) { return derived->UnicodeFromJis0208(JisRow(i), JisCell(i)); });
  if (!(*TCodePageTables::Expand(
            {cp932Runs, cp932Values, fromUnicode, jis0208, jis0212Runs, jis0212Values}) == t)) {
    std::fprintf(stderr, "generate-code-page-data: the data does not give the tables back\n");
    return 1;
  }

  const std::string text =
      "// Generated by generate-code-page-data (cmake --build build --target\n"
      "// update-code-page-data) from glibc's iconv: TCodePageTables in compact form.\n"
      "// clang-format off\n" +
      Runs("kCp932Runs", cp932Runs) + Values("kCp932Values", cp932Values) +
      Entries("kFromUnicodeExceptions", fromUnicode) + Entries("kJis0208Exceptions", jis0208) +
      Runs("kJis0212Runs", jis0212Runs) + Values("kJis0212Values", jis0212Values) +
      "// clang-format on\n";
  std::FILE* out = std::fopen(argv[1], "w");
  if (out == nullptr || std::fputs(text.c_str(), out) < 0 || std::fclose(out) != 0) {
    std::perror(argv[1]);
    return 1;
  }
  return 0;
}
