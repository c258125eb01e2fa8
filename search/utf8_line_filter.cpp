#include "search/utf8_line_filter.h"

#include <array>
#include <cstring>
#include <vector>

#include "base/shift_jis.h"
#include "platform/utf8.h"

namespace varsik {

namespace {

constexpr uint8_t kLf = '\n';
constexpr uint8_t kCr = '\r';
constexpr uint8_t kCtrlZ = 0x1A;
// Stands for the text behind a lone CR, so that the CR stays lone.
constexpr uint8_t kText = 0x01;
constexpr char32_t kNone = 0xFFFFFFFF;

// The one BMP code point that becomes each packed CP932 code, kNone where none or more
// than one does (one-way fallbacks, NEC and IBM duplicates). CP932's codes are the same
// in every search's table; only the reserved codes differ.
const std::vector<char32_t>& SolePreimages() {
  static const std::vector<char32_t> preimages = [] {
    const TEngineCodes codes;
    std::vector<char32_t> sole(0x10000, kNone);
    std::vector<uint8_t> count(0x10000);
    for (char32_t cp = 0; cp < 0x10000; ++cp) {
      if (cp >= 0xD800 && cp <= 0xDFFF) continue;  // no well-formed UTF-8 gives these
      const uint16_t packed = codes.Packed(static_cast<char16_t>(cp));
      if (count[packed] < 2) ++count[packed];
      sole[packed] = count[packed] == 1 ? cp : kNone;
    }
    return sole;
  }();
  return preimages;
}

// The one code point that becomes the engine character `code`, or kNone.
char32_t SolePreimage(uint16_t code, const TEngineCodes& codes) {
  // A blank stands for a NUL too in regular-expression mode; control bytes are the lines'.
  if (code <= ' ') return kNone;
  if (TEngineCodes::IsReserved(code)) {
    const char32_t cp = codes.WordCharacter(code);
    return cp != 0 ? cp : kNone;
  }
  return SolePreimages()[TEngineCodes::Pack(code)];
}

// How rare a byte of Japanese UTF-8 text is: the lead bytes of kana and the common kanji
// are met most, trail bytes spread over 64 values.
int Utf8Rarity(uint8_t b) {
  if (b < 0x80) return ByteScan::Rarity(b);
  if (b < 0xC0) return 12;
  return b == 0xE3 ? 6 : 9;
}

}  // namespace

void TUtf8LineFilter::Prepare(const TRequiredText& required, const TEngineCodes& codes) {
  const std::string_view bytes = required.Bytes;
  Needle.clear();
  std::string run;
  for (size_t i = 0; i <= bytes.size();) {
    char32_t cp = kNone;
    size_t length = 1;
    if (i < bytes.size()) {
      const auto b = static_cast<uint8_t>(bytes[i]);
      uint16_t code = b;
      if (ShiftJis::IsLeadByte(b) && i + 1 < bytes.size()) {
        code = static_cast<uint16_t>(b << 8 | static_cast<uint8_t>(bytes[i + 1]));
        length = 2;
      }
      cp = SolePreimage(code, codes);
    }
    if (cp != kNone) {
      Platform::AppendUtf8(run, cp);
    } else {
      if (run.size() > Needle.size()) Needle = run;
      run.clear();
    }
    i += length;
  }
  Mask.assign(Needle.size(), static_cast<char>(0xFF));
  if (required.AsciiCaseFolds)
    for (size_t i = 0; i < Needle.size(); ++i)
      if (const char lower = static_cast<char>(Needle[i] | 0x20); lower >= 'a' && lower <= 'z') {
        Mask[i] = static_cast<char>(0xDF);
        Needle[i] = static_cast<char>(Needle[i] & 0xDF);
      }
  Alternatives.clear();
  Starts.clear();
  if (Needle.empty()) {
    PrepareAlternatives(required.AnyOf, codes);
    return;
  }
  // A letter whose case folds is met as often as the commoner of its two cases. Of equals
  // the first is taken, as the Shift JIS matcher takes it: in ASCII words the last two
  // letters are often a common pair ("on").
  const auto rarity = [this](size_t i) {
    const auto b = static_cast<uint8_t>(Needle[i]);
    return static_cast<uint8_t>(Mask[i]) == 0xFF
               ? Utf8Rarity(b)
               : std::min(ByteScan::Rarity(b), ByteScan::Rarity(static_cast<uint8_t>(b | 0x20)));
  };
  size_t first = 0;
  for (size_t i = 1; i < Needle.size(); ++i)
    if (rarity(i) > rarity(first)) first = i;
  size_t second = first;
  for (size_t i = 0; i < Needle.size(); ++i)
    if (i != first && (second == first || rarity(i) > rarity(second))) second = i;
  Pair = {first,  static_cast<uint8_t>(Mask[first]),  static_cast<uint8_t>(Needle[first]),
          second, static_cast<uint8_t>(Mask[second]), static_cast<uint8_t>(Needle[second])};
}

void TUtf8LineFilter::PrepareAlternatives(std::span<const uint16_t> anyOf,
                                          const TEngineCodes& codes) {
  for (const uint16_t code : anyOf) {
    const char32_t cp = SolePreimage(code, codes);
    if (cp == kNone) {
      Alternatives.clear();
      Starts.clear();
      return;
    }
    std::string utf8;
    Platform::AppendUtf8(utf8, cp);
    const auto lead = static_cast<uint8_t>(utf8[0]);
    if (utf8.size() == 1)
      Starts.push_back({lead, lead, 0, 0xFF, true});
    else
      Starts.push_back(
          {lead, lead, static_cast<uint8_t>(utf8[1]), static_cast<uint8_t>(utf8[1]), false});
    Alternatives.push_back(std::move(utf8));
  }
}

const uint8_t* TUtf8LineFilter::Find(const uint8_t* begin, const uint8_t* end) const {
  if (Needle.empty()) {
    for (const uint8_t* p = begin; p < end; ++p) {
      p = ByteScan::FindCodeBytes(Starts.data(), Starts.size(), p, static_cast<size_t>(end - p));
      if (p == nullptr) return end;
      for (const std::string& a : Alternatives)
        if (std::memcmp(p, a.data(), a.size()) == 0) return p;
    }
    return end;
  }
  const size_t n = Needle.size();
  const auto matches = [this, n](const uint8_t* p) {
    for (size_t i = 0; i < n; ++i)
      if ((p[i] & static_cast<uint8_t>(Mask[i])) != static_cast<uint8_t>(Needle[i])) return false;
    return true;
  };
  for (const uint8_t* p = begin; p < end;) {
    p = ByteScan::FindPair(Pair, p, static_cast<size_t>(end - p));
    if (p == nullptr) return end;
    if (matches(p)) return p;
    ++p;
  }
  return end;
}

uint8_t* TUtf8LineFilter::Reduce(const uint8_t* begin, const uint8_t* end, const TLineRules& rules,
                                 uint8_t* out) {
  const bool controls = rules.TextEndsAtNul || rules.TextEndsBeforeCtrlZLine;
  for (const uint8_t* p = begin; p < end;) {
    // Runs of plain lines give their line ends alone.
    size_t lines = 0;
    const uint8_t* special = controls ? ByteScan::FindLineSpecialCountingLf(p, end, lines)
                                      : ByteScan::FindLoneCrCountingLf(p, end, lines);
    const uint8_t* lineStart = special == end ? end : ByteScan::LineStart(special, p);
    std::memset(out, kLf, lines);
    out += lines;
    if (special == end) break;
    // A line with a NUL, a lone CR or a Ctrl+Z at its start, byte by byte.
    bool atStart = true;
    bool afterCr = false;
    for (p = lineStart;; ++p) {
      const uint8_t b = *p;
      if (b == 0 || b == kCr || b == kLf || (b == kCtrlZ && (atStart || afterCr)))
        *out++ = b;
      else if (afterCr)
        *out++ = kText;
      atStart = false;
      afterCr = b == kCr;
      if (b == kLf) break;
    }
    ++p;
  }
  return out;
}

}  // namespace varsik
