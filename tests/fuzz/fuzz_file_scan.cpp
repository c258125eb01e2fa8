// Fuzz target: bytes as a file's content through the text-file reader and the grep
// component, compared with a model written here: the lines and the code stream the reader
// should deliver, and for a few fixed patterns the lines a grep scan should report.
//
// Input: one byte of set-up, then the file.
//   bits 0-2: the reader's block size (tiny ones reach every block boundary)
//   bits 3-4: where the reader check reads ahead and asks for the line
//   bits 5-7: after how many reports the grep is cancelled (0: never)
// The comparison needs the text to be well formed at line ends: where a lead byte stands
// right before a line end, the two cursors legitimately see different codes, and only the
// reported lines' numbers and texts are checked.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "search/errors.h"
#include "search/grep.h"
#include "search/txt_file.h"
#include "tests/fuzz/fuzz_support.h"
#include "tests/support/cut_model.h"

using namespace varsik;

namespace {

using FuzzSupport::Escaped;
using FuzzSupport::Fail;
using THits = std::vector<std::pair<int64_t, std::string>>;

constexpr int32_t kBlockSizes[8] = {1, 2, 3, 5, 8, 64, 4096, TTxtFile::kBuffSize};

bool IsLead(uint8_t b) {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// What the reader should make of a file.
struct TModel {
  std::vector<std::string> Lines;
  // The codes of the text the cursors walk: an LF in front, the lines' characters, an LF
  // after each line. The main cursor delivers all but the last LF; the look-ahead all.
  std::vector<uint16_t> Codes;
  // The line the main cursor is in after delivering Codes[i].
  std::vector<int32_t> LineAfter;

  uint16_t At(size_t i) const { return i < Codes.size() ? Codes[i] : 0; }
};

// `maxLine`: the lines as a report gives them, cut to that many bytes of whole characters
// (0: whole).
TModel MakeModel(std::string_view file, size_t maxLine) {
  TModel m;
  if (file.empty()) return m;
  // Line ends made LF, NUL bytes made blanks, an LF in front and one at the end.
  std::string text = "\n";
  for (size_t i = 0; i < file.size(); ++i) {
    const char c = file[i];
    if (c == '\r') {
      text += '\n';
      if (i + 1 < file.size() && file[i + 1] == '\n') ++i;
    } else {
      text += c == '\0' ? ' ' : c;
    }
  }
  if (text.back() != '\n') text += '\n';

  for (size_t start = 1; start < text.size();) {
    const size_t lf = text.find('\n', start);
    m.Lines.push_back(CutModel(text.substr(start, lf - start), maxLine));
    start = lf + 1;
  }
  int32_t line = 0;
  for (size_t i = 0; i < text.size();) {
    const uint8_t b = static_cast<uint8_t>(text[i]);
    // A line end is never a trail byte.
    if (IsLead(b) && text[i + 1] != '\n') {
      m.Codes.push_back(static_cast<uint16_t>(b << 8 | static_cast<uint8_t>(text[i + 1])));
      i += 2;
    } else {
      m.Codes.push_back(b);
      if (b == '\n') ++line;
      ++i;
    }
    m.LineAfter.push_back(line);
  }
  return m;
}

// ---- The reader ---------------------------------------------------------------------

// Reads the whole file through the main cursor, now and then extending an attempt through
// the look-ahead or asking for the current line, and compares each step with the model.
void CheckReader(const std::string& path, const TModel& m, int32_t blockSize, uint8_t rhythm,
                 size_t maxLine, size_t keep) {
  bool cancel = false;
  std::optional<TTxtFile> file;
  try {
    file.emplace(path, &cancel, std::function<void()>(), blockSize);
  } catch (const EEndOfFile&) {
    if (!m.Lines.empty()) Fail("EEndOfFile at opening a file that has lines");
    return;
  }
  file->SetMaxLineBytes(maxLine);
  file->SetKeepLimit(keep);
  if (m.Lines.empty()) Fail("an empty file opened");
  const size_t lastMain = m.Codes.size() - 1;  // the final LF is not delivered here
  size_t i = 0;                                // index of the next main-cursor code
  RE_LineInfo_t info;
  uint32_t random = 0x9E3779B9u ^ rhythm;
  for (;;) {
    uint16_t code;
    try {
      code = file->GetWChar();
    } catch (const EEndOfFile&) {
      if (i != lastMain)
        Fail("EEndOfFile after " + std::to_string(i) + " of " + std::to_string(lastMain) +
             " codes");
      break;
    }
    if (i >= lastMain) Fail("the main cursor delivered the final LF or more");
    if (code != m.Codes[i]) Fail("main cursor code " + std::to_string(i) + " differs");
    if (file->LineNo() != m.LineAfter[i])
      Fail("LineNo " + std::to_string(file->LineNo()) + " after code " + std::to_string(i) +
           ", expected " + std::to_string(m.LineAfter[i]));
    ++i;
    random = random * 1664525u + 1013904223u;
    const uint32_t step = random >> 16;
    if (step % (3 + rhythm) == 0) {
      // Extend an attempt: the look-ahead walks on from the main cursor, past the final LF
      // it gives 0 for ever.
      for (size_t k = 0; k < 6; ++k) {
        const uint16_t ahead = file->GetAheadWChar();
        if (ahead != m.At(i + k)) Fail("look-ahead code " + std::to_string(i + k) + " differs");
      }
    }
    if (step % (5 + 2 * rhythm) == 0) {
      file->GetThisLine(info);
      const int32_t lineNo = info.LineNo;
      if (lineNo < 1 || lineNo > static_cast<int32_t>(m.Lines.size()))
        Fail("GetThisLine gave line " + std::to_string(lineNo));
      if (info.Line != m.Lines[lineNo - 1])
        Fail("GetThisLine text of line " + std::to_string(lineNo) + ": " + Escaped(info.Line) +
             " instead of " + Escaped(m.Lines[lineNo - 1]));
      // The main cursor now stands on the line's LF, which comes next.
      while (i < m.Codes.size() && !(m.Codes[i] == '\n' && m.LineAfter[i] == lineNo + 1)) ++i;
      if (i >= m.Codes.size()) Fail("GetThisLine past the end");
    }
  }
  // The reader stays at the end.
  try {
    file->GetWChar();
    Fail("a second GetWChar at the end did not raise");
  } catch (const EEndOfFile&) {
  }
  if (file->GetAheadWChar() != 0) Fail("the look-ahead at the end gave a code");
}

// ---- The grep component ---------------------------------------------------------------

// A pattern and the simple matcher that says where it matches: whether a match begins at
// code s of the walked text.
struct TPattern {
  const char* Text;
  std::function<bool(const TModel&, size_t)> MatchesAt;
};

bool Digit(uint16_t c) {
  return c >= '0' && c <= '9';
}

const std::vector<TPattern>& Patterns() {
  static const std::vector<TPattern> patterns = {
      {"abc", [](const TModel& m,
                 size_t s) { return m.At(s) == 'a' && m.At(s + 1) == 'b' && m.At(s + 2) == 'c'; }},
      {"^ab", [](const TModel& m,
                 size_t s) { return m.At(s) == '\n' && m.At(s + 1) == 'a' && m.At(s + 2) == 'b'; }},
      {"ab$", [](const TModel& m,
                 size_t s) { return m.At(s) == 'a' && m.At(s + 1) == 'b' && m.At(s + 2) == '\n'; }},
      {"^", [](const TModel& m, size_t s) { return m.At(s) == '\n'; }},
      {"$", [](const TModel& m, size_t s) { return m.At(s) == '\n'; }},
      {"^$", [](const TModel& m, size_t s) { return m.At(s) == '\n' && m.At(s + 1) == '\n'; }},
      // 表: its trail byte is the backslash.
      {"\x95\x5C", [](const TModel& m, size_t s) { return m.At(s) == 0x955C; }},
      {"\\\\", [](const TModel& m, size_t s) { return m.At(s) == 0x5C; }},
      // ｱ or ア.
      {"\xB1|\x83\x41",
       [](const TModel& m, size_t s) { return m.At(s) == 0xB1 || m.At(s) == 0x8341; }},
      {"a[0-9]+z",
       [](const TModel& m, size_t s) {
         if (m.At(s) != 'a' || !Digit(m.At(s + 1))) return false;
         size_t k = s + 1;
         while (Digit(m.At(k))) ++k;
         return m.At(k) == 'z';
       }},
      {"(ab)+c",
       [](const TModel& m, size_t s) {
         size_t k = s;
         while (m.At(k) == 'a' && m.At(k + 1) == 'b') k += 2;
         return k > s && m.At(k) == 'c';
       }},
      {"[a-c][x-z]",
       [](const TModel& m, size_t s) {
         return m.At(s) >= 'a' && m.At(s) <= 'c' && m.At(s + 1) >= 'x' && m.At(s + 1) <= 'z';
       }},
      // A code that no text carries: never matches.
      {"x\\x141", [](const TModel&, size_t) { return false; }},
  };
  return patterns;
}

// The lines a scan reports: those where a match begins at the LF in front of the line or
// at one of its characters.
THits ExpectedHits(const TModel& m, const TPattern& p) {
  THits hits;
  for (size_t s = 0; s + 1 < m.Codes.size(); ++s) {
    const int32_t line = m.LineAfter[s];
    if (!hits.empty() && hits.back().first == line) continue;
    if (p.MatchesAt(m, s)) hits.emplace_back(line, m.Lines[line - 1]);
  }
  return hits;
}

std::string Describe(const THits& hits) {
  std::string s;
  for (const auto& [n, text] : hits) s += "\n  " + std::to_string(n) + ": " + Escaped(text);
  return s;
}

void CheckGrep(TGrep& grep, const std::string& path, const TModel& m, int32_t cancelAfter) {
  for (const TPattern& p : Patterns()) {
    THits hits;
    grep.SetOnMatch([&](TGrep& sender, const RE_LineInfo_t& info) {
      hits.emplace_back(info.LineNo, info.Line);
      if (cancelAfter > 0 && static_cast<int32_t>(hits.size()) == cancelAfter)
        sender.SetCancel(true);
    });
    grep.SetRegExp(p.Text);
    bool cancelled = false;
    try {
      grep.Grep(path);
    } catch (const EGrepCancel&) {
      cancelled = true;
    }
    const std::string where = std::string("pattern ") + Escaped(p.Text);

    // Whatever the text: lines in order, each once, with their own text.
    for (size_t k = 0; k < hits.size(); ++k) {
      const int32_t n = hits[k].first;
      if (n < 1 || n > static_cast<int32_t>(m.Lines.size()) || (k > 0 && hits[k - 1].first >= n))
        Fail(where + ": lines out of order or out of range:" + Describe(hits));
      if (hits[k].second != m.Lines[n - 1])
        Fail(where + ": line " + std::to_string(n) + " reported as " + Escaped(hits[k].second));
    }
    if (cancelled && !grep.Cancel()) Fail(where + ": Cancel cleared after EGrepCancel");
    if (cancelled && (cancelAfter == 0 || static_cast<int32_t>(hits.size()) != cancelAfter))
      Fail(where + ": cancelled with " + std::to_string(hits.size()) + " reports");
    THits expected = ExpectedHits(m, p);
    if (cancelAfter > 0 && static_cast<int32_t>(expected.size()) > cancelAfter) {
      if (!cancelled) Fail(where + ": the cancel was not seen");
      expected.resize(static_cast<size_t>(cancelAfter));
    }
    if (hits != expected)
      Fail(where + "\ngrep:" + Describe(hits) + "\nreference:" + Describe(expected));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return -1;
  const uint8_t setup = data[0];
  int32_t blockSize = kBlockSizes[setup & 7];
  // Tiny blocks cost a read each; keep large inputs to larger blocks.
  if (size > 4096 && blockSize < 64) blockSize = 64;
  const std::string_view file(reinterpret_cast<const char*>(data + 1), size - 1);
  const std::string path = FuzzSupport::WriteScratchFile("scan.txt", file);
  // Every other input keeps only a few bytes of text: lines are cut in the reports, and
  // text the look-ahead runs past is let go and read again.
  const bool bounded = size % 2 == 0;
  const size_t maxLine = bounded ? 3 : 0;
  const TModel model = MakeModel(file, maxLine);

  CheckReader(path, model, blockSize, static_cast<uint8_t>(setup >> 3 & 3), maxLine,
              bounded ? 5 : size_t{4} << 20);

  TGrep grep;
  grep.SetBuffSize(blockSize);
  grep.SetMaxLineBytes(maxLine);
  CheckGrep(grep, path, model, setup >> 5);
  return 0;
}
