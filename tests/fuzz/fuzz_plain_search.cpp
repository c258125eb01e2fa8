// Fuzz target: bytes as a file and a word through the plain search, with every switch
// combination (case, fuzzy, whole word), compared with a straightforward reference
// written here: split the lines, fold them, find the word, test it as a word.
//
// Input: one byte whose low five bits give the word's length and whose high three bits
// choose the read size (tiny ones reach every block boundary), the word, then the file.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/cp932.h"
#include "search/henkanj.h"
#include "shell/plain_search.h"
#include "shell/result_writer.h"
#include "shell/search_sink.h"
#include "shell/search_state.h"
#include "tests/fuzz/fuzz_support.h"

using namespace varsik;

namespace {

using FuzzSupport::Escaped;
using FuzzSupport::Fail;
using THits = std::vector<std::pair<int64_t, std::string>>;

struct TSwitches {
  bool UpperLowerMatch;
  bool FuzzySearch;
  bool SearchAsWord;

  TSearchSwitches Search() const {
    TSearchSwitches switches;
    switches.UpperLowerMatch = UpperLowerMatch;
    switches.FuzzySearch = FuzzySearch;
    switches.SearchAsWord = SearchAsWord;
    return switches;
  }
};

// Keeps the line entries; everything else a search reports is counted or ignored.
class THitSink : public TSearchSink {
 public:
  THits Hits;
  int Headers = 0;
  void AppendFileHeader(const std::string&) override { ++Headers; }
  void AppendLineEntry(const TLineEntry& entry) override {
    Hits.emplace_back(entry.LineNo, std::string(entry.Text));
  }
  void AppendErrorLine(const std::string&) override { Fail("error line for a readable file"); }
  void AppendFileName(const std::string&) override {}
  void ShowCurrentFile(const std::string&) override {}
  void ShowFileError(const std::string&) override {}
  void ProcessEvents() override {}
};

// ---- The reference ----------------------------------------------------------------

bool IsLead(uint8_t b) {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// Byte offsets where characters begin; a lead byte in the last position is a character.
std::vector<bool> CharStarts(std::string_view s) {
  std::vector<bool> starts(s.size() + 1, false);
  for (size_t i = 0; i < s.size(); i += IsLead(static_cast<uint8_t>(s[i])) ? 2 : 1)
    starts[i] = true;
  starts[s.size()] = true;
  return starts;
}

// Upper-case double-byte letters to lower-case ones, found through the system's CP932
// conversion: full-width Latin, Greek and Cyrillic capitals.
const std::map<uint16_t, uint16_t>& DoubleByteLower() {
  static const std::map<uint16_t, uint16_t> table = [] {
    std::map<uint16_t, uint16_t> t;
    auto lowerOf = [](char32_t c) -> char32_t {
      if (c >= 0xFF21 && c <= 0xFF3A) return c + 0x20;
      if (c >= 0x0391 && c <= 0x03A9 && c != 0x03A2) return c + 0x20;
      if (c >= 0x0410 && c <= 0x042F) return c + 0x20;
      if (c == 0x0401) return 0x0451;
      return c;
    };
    auto utf8 = [](char32_t c) {
      std::string s;
      if (c < 0x800) {
        s += static_cast<char>(0xC0 | (c >> 6));
      } else {
        s += static_cast<char>(0xE0 | (c >> 12));
        s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      }
      s += static_cast<char>(0x80 | (c & 0x3F));
      return s;
    };
    for (int lead = 0x81; lead <= 0x84; ++lead) {
      for (int trail = 0x40; trail <= 0xFC; ++trail) {
        const std::string bytes{static_cast<char>(lead), static_cast<char>(trail)};
        const std::string u = Platform::Cp932ToUtf8(bytes);
        // Decode one two- or three-byte UTF-8 character.
        char32_t c = 0;
        if (u.size() == 2) c = (u[0] & 0x1F) << 6 | (u[1] & 0x3F);
        if (u.size() == 3) c = (u[0] & 0x0F) << 12 | (u[1] & 0x3F) << 6 | (u[2] & 0x3F);
        const char32_t lower = lowerOf(c);
        if (c == 0 || lower == c) continue;
        const auto back = Platform::Utf8ToCp932(utf8(lower));
        if (!back || back->size() != 2) continue;
        t[static_cast<uint16_t>(lead << 8 | trail)] = static_cast<uint16_t>(
            static_cast<uint8_t>((*back)[0]) << 8 | static_cast<uint8_t>((*back)[1]));
      }
    }
    return t;
  }();
  return table;
}

std::string Fold(std::string_view s, TSwitches sw) {
  std::string out(s);
  if (!sw.UpperLowerMatch) {
    const std::vector<bool> starts = CharStarts(out);
    for (size_t i = 0; i < out.size(); ++i) {
      if (!starts[i]) continue;
      const uint8_t b = static_cast<uint8_t>(out[i]);
      if (IsLead(b) && i + 1 < out.size()) {
        const uint16_t code = static_cast<uint16_t>(b << 8 | static_cast<uint8_t>(out[i + 1]));
        auto it = DoubleByteLower().find(code);
        if (it != DoubleByteLower().end()) {
          out[i] = static_cast<char>(it->second >> 8);
          out[i + 1] = static_cast<char>(it->second & 0xFF);
        }
      } else if (b >= 'A' && b <= 'Z') {
        out[i] = static_cast<char>(b - 'A' + 'a');
      }
    }
  }
  if (sw.FuzzySearch) out = HenkanJ::HalfKanaToFullWidth(out);
  return out;
}

bool IsBoundary(uint8_t b) {
  return b >= 0x80 ||
         std::string_view("\t\r\n \\'\";:,.*+-/%[]{}()<>&!?=").find(static_cast<char>(b)) !=
             std::string_view::npos;
}

// The occurrence at `start` of `line` stands as a word. A byte before it that is the
// trail of a double-byte character counts as a boundary.
bool WholeWordAt(std::string_view line, size_t start, size_t length) {
  if (start > 0) {
    const bool beforeIsTrail = !CharStarts(line)[start - 1];
    if (!beforeIsTrail && !IsBoundary(static_cast<uint8_t>(line[start - 1]))) return false;
  }
  const size_t end = start + length;
  return end >= line.size() || IsBoundary(static_cast<uint8_t>(line[end]));
}

bool LineMatches(std::string_view line, std::string_view word, bool asWord) {
  if (word.empty() || line.empty()) return false;
  const std::vector<bool> starts = CharStarts(line);
  size_t cut = 0;
  for (size_t p = 0; p + word.size() <= line.size(); ++p) {
    if (!starts[p] || line.substr(p, word.size()) != word) continue;
    if (!asWord) return true;
    // Each later occurrence is judged in the line cut behind this one's first character.
    if (WholeWordAt(line.substr(cut), p - cut, word.size())) return true;
    cut = p + (IsLead(static_cast<uint8_t>(line[p])) && p + 1 < line.size() ? 2 : 1);
  }
  return false;
}

THits Reference(std::string_view file, std::string_view word, TSwitches sw) {
  THits hits;
  file = file.substr(0, file.find('\0'));
  const std::string foldedWord = Fold(word, sw);
  size_t pos = 0;
  for (int lineNo = 1; pos < file.size() && file[pos] != 0x1A; ++lineNo) {
    size_t lf = file.find('\n', pos);
    if (lf == std::string_view::npos) lf = file.size();
    std::string line;
    for (char c : file.substr(pos, lf - pos))
      if (c != '\r') line += c;
    pos = lf + 1;
    if (LineMatches(Fold(line, sw), foldedWord, sw.SearchAsWord)) hits.emplace_back(lineNo, line);
  }
  return hits;
}

std::string Describe(const THits& hits) {
  std::string s;
  for (const auto& [n, text] : hits) s += "\n  " + std::to_string(n) + ": " + Escaped(text);
  return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return -1;
  const size_t wordLength = std::min<size_t>(data[0] & 0x1F, size - 1);
  const std::string word(reinterpret_cast<const char*>(data + 1), wordLength);
  const std::string_view file(reinterpret_cast<const char*>(data + 1 + wordLength),
                              size - 1 - wordLength);
  const std::string path = FuzzSupport::WriteScratchFile("plain.txt", file);
  constexpr size_t kBlockSizes[8] = {1, 2, 3, 5, 8, 64, 4096, 0};
  size_t blockSize = kBlockSizes[data[0] >> 5];
  if (blockSize != 0 && blockSize < 64 && file.size() > 2048) blockSize = 64;

  for (int bits = 0; bits < 8; ++bits) {
    const TSwitches sw{(bits & 1) != 0, (bits & 2) != 0, (bits & 4) != 0};
    THitSink sink;
    TSearchState state;
    TResultWriter writer(state, sink);
    TPlainSearch plain(state, sink, writer);
    plain.SetSwitches(sw.Search());
    if (blockSize != 0) plain.SetBlockSize(blockSize);
    // Every other input searches lines longer than a few bytes in pieces.
    if (file.size() % 2 == 0) plain.SetWindowLineBytes(7);
    state.CurrentFileName = path;
    state.FileHeaderPending = true;
    if (!plain.SearchFileText(path, word)) Fail("plain search reported a cancel");

    const THits expected = Reference(file, word, sw);
    if (sink.Hits != expected)
      Fail("switches case=" + std::to_string(sw.UpperLowerMatch) +
           " fuzzy=" + std::to_string(sw.FuzzySearch) + " word=" + std::to_string(sw.SearchAsWord) +
           ", word " + Escaped(word) + "\nplain search:" + Describe(sink.Hits) +
           "\nreference:" + Describe(expected));
    if (sink.Headers != (expected.empty() ? 0 : 1) || state.MatchedFileCount != sink.Headers)
      Fail("header or matched-file count wrong");
  }
  return 0;
}
