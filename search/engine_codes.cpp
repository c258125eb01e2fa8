#include "search/engine_codes.h"

#include <algorithm>

#include "base/shift_jis.h"
#include "platform/code_page_tables.h"
#include "platform/utf8.h"

namespace varsik {

namespace {

constexpr uint8_t kReservedTrails[] = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0B,
                                       0x0C, 0x0E, 0x0F, 0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16,
                                       0x17, 0x18, 0x19, 0x1B, 0x1C, 0x1D, 0x1E, 0x1F};
constexpr size_t kTrailCount = std::size(kReservedTrails);
static_assert(kTrailCount == 28);
// The lead bytes 81-9F, then E0-FC.
constexpr size_t kLowLeads = 0x9F - 0x81 + 1;

uint8_t NthLead(size_t n) {
  return static_cast<uint8_t>(n < kLowLeads ? 0x81 + n : 0xE0 + (n - kLowLeads));
}

// The packed engine bytes of every BMP code point before any word: CP932 or kOther.
const std::vector<uint16_t>& BaseTable() {
  static const std::vector<uint16_t> table = [] {
    const Platform::TCodePageTables& tables = Platform::TCodePageTables::Get();
    std::vector<uint16_t> t(0x10000);
    for (char32_t cp = 0; cp < 0x10000; ++cp) {
      const uint16_t code = tables.Cp932FromUnicode(cp);
      t[cp] = TEngineCodes::Pack(code == Platform::TCodePageTables::kNone ? TEngineCodes::kOther
                                                                          : code);
    }
    return t;
  }();
  return table;
}

// Utf8TwoByteLeads of the table before any word. E0 and ED fall out by their overlong
// forms and surrogates, which are no characters.
uint16_t BaseTwoByteLeads() {
  static const uint16_t leads = [] {
    const std::vector<uint16_t>& table = BaseTable();
    uint16_t set = 0;
    for (char32_t n = 0; n < 16; ++n) {
      const char32_t first = n << 12;
      const char32_t last = first + 0xFFF;
      const bool characters = first >= 0x800 && (last < 0xD800 || first > 0xDFFF);
      const auto single = [](uint16_t packed) { return packed <= 0xFF; };
      if (characters && std::none_of(table.begin() + first, table.begin() + last + 1, single))
        set = static_cast<uint16_t>(set | 1u << n);
    }
    return set;
  }();
  return leads;
}

}  // namespace

TEngineCodes::TEngineCodes() : Bmp(BaseTable()), TwoByteLeads(BaseTwoByteLeads()) {}

uint16_t TEngineCodes::NthReservedCode(size_t n) {
  return static_cast<uint16_t>(NthLead(n / kTrailCount) << 8 | kReservedTrails[n % kTrailCount]);
}

std::string TEngineCodes::AddWord(std::string_view utf8) {
  std::string bytes;
  bytes.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size();) {
    const size_t length = Platform::Utf8CharLength(utf8, i);
    if (length == 0) throw EWordCodes("検索語が UTF-8 の文字列ではありません。");
    const char32_t cp = Platform::Utf8CodePoint(utf8, i, length);
    i += length;
    uint16_t code = Code(cp);
    if (code == kOther) code = ReserveFor(cp);
    ShiftJis::AppendCode(bytes, code);
  }
  return bytes;
}

uint16_t TEngineCodes::ReserveFor(char32_t cp) {
  if (WordCharacters.size() == kMaxWordCodes)
    throw EWordCodes("検索語に Shift JIS (CP932) にない文字が多すぎます（" +
                     std::to_string(kMaxWordCodes) + " 種類まで）。");
  const uint16_t code = NthReservedCode(WordCharacters.size());
  WordCharacters.push_back(cp);
  if (cp < 0x10000) {
    Bmp[cp] = Pack(code);
  } else {
    const auto at = std::lower_bound(Astral.begin(), Astral.end(), std::pair(cp, uint16_t{0}));
    Astral.insert(at, {cp, code});
  }
  return code;
}

uint16_t TEngineCodes::Code(char32_t cp) const {
  return Unpack(cp < 0x10000 ? Bmp[cp] : PackedAstral(cp));
}

uint16_t TEngineCodes::PackedAstral(char32_t cp) const {
  const auto at = std::lower_bound(Astral.begin(), Astral.end(), std::pair(cp, uint16_t{0}));
  return Pack(at != Astral.end() && at->first == cp ? at->second : kOther);
}

char32_t TEngineCodes::WordCharacter(uint16_t code) const {
  if (!IsReserved(code)) return 0;
  const auto lead = static_cast<uint8_t>(code >> 8);
  const auto* trail =
      std::find(std::begin(kReservedTrails), std::end(kReservedTrails), static_cast<uint8_t>(code));
  if (!ShiftJis::IsLeadByte(lead) || trail == std::end(kReservedTrails)) return 0;
  const size_t leadIndex = lead <= 0x9F ? lead - 0x81 : kLowLeads + (lead - 0xE0);
  const size_t n = leadIndex * kTrailCount + static_cast<size_t>(trail - kReservedTrails);
  return n < WordCharacters.size() ? WordCharacters[n] : 0;
}

}  // namespace varsik
