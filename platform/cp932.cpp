// CP932 through iconv: text to be searched for is converted by it (one converter per
// thread, opened on first use); result lines are decoded by a table made once from the
// code page's tables, which hold what iconv gives.
#include "platform/cp932.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

#include "base/shift_jis.h"
#include "platform/code_page_tables.h"
#include "platform/iconv_converter.h"
#include "platform/utf8.h"

namespace varsik {

namespace Platform {
namespace {

// Every CP932 character in UTF-8, from the code page's table (what iconv gives for it,
// kept in the program): a result line is then decoded by lookups, where a call into iconv
// for each line cost about a sixth of a search with many hits, and asking iconv for the
// whole code page cost more than a search of a thousand files. Decodes as iconv does,
// going on behind each byte that it refuses (a lead byte with a bad trail is refused
// alone, so that the trail byte gets its own chance as a character).
class TCp932Table {
 public:
  TCp932Table() {
    const TCodePageTables& tables = TCodePageTables::Get();
    for (int b = 0; b < 256; ++b)
      Single[b] = Encode(tables.UnicodeFromCp932(static_cast<uint16_t>(b)), 1);
    LeadIndex.fill(kNotLead);
    for (int lead = 0x80; lead < 256; ++lead) {
      if (!Single[lead].Refused()) continue;
      std::array<TChar, 256> pairs;
      bool any = false;
      for (int trail = 0; trail < 256; ++trail) {
        pairs[trail] = Encode(tables.UnicodeFromCp932(static_cast<uint16_t>(lead << 8 | trail)), 2);
        any = any || !pairs[trail].Refused();
        // A bad trail: the lead alone is refused.
        if (pairs[trail].Refused()) pairs[trail] = Single[lead];
      }
      if (!any) continue;
      LeadIndex[lead] = static_cast<uint8_t>(Pairs.size());
      Pairs.push_back(pairs);
    }
  }

  // Written through a pointer into room for the longest outcome (three UTF-8 bytes for
  // each byte) and one byte more, as every result line is converted: a character's four
  // table bytes are stored at once, of which the last is overwritten next.
  void Append(std::string_view in, std::string& out) const { Append(in, {}, out); }
  void Append(std::string_view in, std::span<size_t> offsets, std::string& out) const {
    const size_t start = out.size();
    out.resize(start + 3 * in.size() + 1);
    char* const base = out.data();
    char* p = base + start;
    const auto* bytes = reinterpret_cast<const uint8_t*>(in.data());
    size_t next = 0;  // the first offset not yet moved
    for (size_t i = 0; i < in.size();) {
      while (next < offsets.size() && offsets[next] <= i)
        offsets[next++] = static_cast<size_t>(p - base);
      // Up to the next offset (or on behind it, to the end of a character that holds it).
      const size_t stop = next < offsets.size() ? std::min(offsets[next], in.size()) : in.size();
      while (i < stop) {
        const uint8_t b = bytes[i];
        if (b < 0x80) {
          // ASCII reads the same in both: eight bytes at a time where they all are.
          uint64_t word;
          if (i + 8 <= stop && (std::memcpy(&word, bytes + i, 8), word & kHighBits) == 0) {
            std::memcpy(p, &word, 8);
            p += 8;
            i += 8;
          } else {
            *p++ = static_cast<char>(b);
            ++i;
          }
          continue;
        }
        if (LeadIndex[b] == kNotLead || i + 1 == in.size()) {
          p = Put(p, Single[b]);
          ++i;
          continue;
        }
        // A lead byte mostly begins a pair. Which it does is a branch, predicted, not the
        // entry's length added: each character would wait for the one before to come from
        // the cache (the compiler makes a select of a plain if, hence the call).
        const TChar& c = Pairs[LeadIndex[b]][bytes[i + 1]];
        if (c.InLength() != 2) [[unlikely]] {
          p = PutAlone(p, c);
          ++i;
          continue;
        }
        p = Put(p, c);
        i += 2;
      }
    }
    while (next < offsets.size()) offsets[next++] = static_cast<size_t>(p - base);
    out.resize(static_cast<size_t>(p - base));
  }

  TCp932Char CharAt(std::string_view in) const {
    const TChar& c =
        At(static_cast<uint8_t>(in[0]), in.size() > 1 ? static_cast<uint8_t>(in[1]) : -1);
    if (c.Refused()) return {};
    return {std::string_view(c.Bytes, c.OutLength()), c.InLength()};
  }

 private:
  // One character's UTF-8 bytes, how many they are and how many bytes of CP932 they
  // come from; where iconv refuses a byte, U+FFFD for that byte alone.
  struct TChar {
    char Bytes[3] = {};
    uint8_t Lengths = 0;  // UTF-8 bytes in bits 0-1, CP932 bytes less one in bit 2
    size_t OutLength() const { return Lengths & 3u; }
    size_t InLength() const { return 1 + (Lengths >> 2 & 1u); }
    bool Refused() const { return (Lengths & kRefused) != 0; }
  };
  static_assert(sizeof(TChar) == 4);
  static constexpr uint8_t kRefused = 8;
  static constexpr uint8_t kNotLead = 0xFF;
  static constexpr uint64_t kHighBits = 0x8080808080808080u;

  static char* Put(char* p, const TChar& c) {
    std::memcpy(p, &c, sizeof(TChar));
    return p + c.OutLength();
  }
  [[gnu::noinline]] static char* PutAlone(char* p, const TChar& c) { return Put(p, c); }

  // The character that begins with `b`, followed by `trail` (-1: none).
  const TChar& At(uint8_t b, int trail) const {
    return LeadIndex[b] != kNotLead && trail >= 0 ? Pairs[LeadIndex[b]][static_cast<uint8_t>(trail)]
                                                  : Single[b];
  }

  // A code point of the code page (none: kNone) in UTF-8, from `length` bytes of CP932.
  static TChar Encode(uint16_t cp, size_t length) {
    if (cp == TCodePageTables::kNone) return {{'\xEF', '\xBF', '\xBD'}, 3 | kRefused};
    std::string utf8;
    AppendUtf8(utf8, cp);
    TChar c;
    std::copy(utf8.begin(), utf8.end(), c.Bytes);
    c.Lengths = static_cast<uint8_t>(utf8.size() | (length - 1) << 2);
    return c;
  }

  std::array<TChar, 256> Single;
  std::array<uint8_t, 256> LeadIndex;
  std::vector<std::array<TChar, 256>> Pairs;
};

const TCp932Table& Table() {
  static const TCp932Table table;
  return table;
}

}  // namespace

std::optional<std::string> Utf8ToCp932(std::string_view utf8) {
  thread_local TIconv conv("CP932", "UTF-8");
  std::string out;
  out.reserve(utf8.size());
  if (!conv.Convert(utf8, out)) return std::nullopt;
  return out;
}

std::string Utf8ToCp932Lossy(std::string_view utf8) {
  const TCodePageTables& tables = TCodePageTables::Get();
  std::string out;
  out.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size();) {
    const auto b = static_cast<uint8_t>(utf8[i]);
    if (b < 0x80) {
      out += static_cast<char>(b);
      ++i;
      continue;
    }
    const size_t length = Utf8CharLength(utf8, i);
    if (length == 0) {
      out += '?';
      ++i;
      continue;
    }
    const uint16_t code = tables.Cp932FromUnicode(Utf8CodePoint(utf8, i, length));
    if (code == TCodePageTables::kNone)
      out += '?';
    else
      ShiftJis::AppendCode(out, code);
    i += length;
  }
  return out;
}

std::string Cp932ToUtf8(std::string_view cp932) {
  // ASCII reads the same in both; most result lines of source code are ASCII only.
  if (std::all_of(cp932.begin(), cp932.end(), [](char c) { return (c & 0x80) == 0; }))
    return std::string(cp932);
  std::string out;
  Table().Append(cp932, out);
  return out;
}

void AppendCp932AsUtf8(std::string_view cp932, std::span<size_t> offsets, std::string& out) {
  if (offsets.empty()) return Table().Append(cp932, out);
  out.reserve(out.size() + cp932.size() + cp932.size() / 2);
  Table().Append(cp932, offsets, out);
}

TCp932Char Cp932CharAt(std::string_view cp932) {
  if (cp932.empty()) return {};
  return Table().CharAt(cp932);
}

}  // namespace Platform

}  // namespace varsik
