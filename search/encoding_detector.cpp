#include "search/encoding_detector.h"

#include <algorithm>
#include <cstring>

#include "base/shift_jis.h"
#include "platform/code_page_tables.h"
#include "search/ascii_run.h"
#include "search/char_sequence.h"
#include "search/detector_scan.h"
#include "search/jis_escape.h"
#include "search/utf8_valid.h"

namespace varsik {

namespace {

using Platform::TCodePageTables;
using TStatus = TCharSequence::TStatus;

constexpr uint8_t kEsc = 0x1B;

// The readings of the three encodings: each reads [p, end) as the cut characters' reader
// does (search/cut_characters.h), counts the bytes that do not decode and, when kScored,
// scores the characters. A reading stops early, at end, once it is out.

struct TSjisReader {
  template <bool kScored, typename TReading>
  static const uint8_t* Read(TReading& r, const uint8_t* p, const uint8_t* end, bool final) {
    const TCodePageTables& tables = TCodePageTables::Get();
    while (p < end) {
      const uint8_t b = *p;
      if (b < 0x80) {
        if (kScored) r.Score.EndRun();
        p = AsciiRun::End(p + 1, end);
        continue;
      }
      uint16_t cp = TCodePageTables::kNone;
      size_t length = 1;
      if (ShiftJis::IsLeadByte(b)) {
        if (end - p < 2 && !final) return p;
        // A pair that CP932 does not define: the lead byte alone is refused, and the byte
        // behind it read on its own, as the display does.
        if (end - p >= 2) cp = tables.UnicodeFromCp932(static_cast<uint16_t>(b << 8 | p[1]));
        if (cp != TCodePageTables::kNone) length = 2;
      } else {
        cp = tables.UnicodeFromCp932(b);
      }
      if (cp == TCodePageTables::kNone) {
        if (++r.Errors > TEncodingDetector::kMaxErrors) return end;
      } else if (kScored) {
        r.Score.Add(cp);
      }
      p += length;
    }
    return p;
  }
};

struct TUtf8Reader {
  template <bool kScored, typename TReading>
  static const uint8_t* Read(TReading& r, const uint8_t* p, const uint8_t* end, bool final) {
    while (p < end) {
      // Only checked: the well-formed runs are passed over at once.
      if (!kScored && (p = Utf8Valid::WellFormedEnd(p, end)) == end) break;
      if (*p < 0x80) {
        if (kScored) r.Score.EndRun();
        p = AsciiRun::End(p + 1, end);
        continue;
      }
      // A byte that begins no sequence (most bytes of text in another encoding) is bad at
      // once.
      if (*p < 0xC2 || *p > 0xF4) {
        if (++r.Errors > TEncodingDetector::kMaxErrors) return end;
        ++p;
        continue;
      }
      // Japanese text: three-byte sequences one after the other, taken without the general
      // case's tests.
      const uint8_t* const run = p;
      while (end - p >= 4) {
        const char32_t cp = Utf8ThreeByteCodePoint(p);
        if (cp == 0) break;
        if (kScored) {
          r.Score.Add(cp);
          ++r.Sequences;
        }
        p += 3;
      }
      if (p != run) continue;
      const TCharSequence c = ReadUtf8Sequence(p, end);
      if (c.Status == TStatus::Cut && !final) return p;
      if (c.Status == TStatus::Char) {
        if (kScored) {
          r.Score.Add(c.CodePoint);
          ++r.Sequences;
        }
        p += c.Length;
      } else {
        if (++r.Errors > TEncodingDetector::kMaxErrors) return end;
        ++p;
      }
    }
    return p;
  }
};

struct TEucJpReader {
  template <bool kScored, typename TReading>
  static const uint8_t* Read(TReading& r, const uint8_t* p, const uint8_t* end, bool final) {
    const TCodePageTables& tables = TCodePageTables::Get();
    while (p < end) {
      if (*p < 0x80) {
        if (kScored) r.Score.EndRun();
        p = AsciiRun::End(p + 1, end);
        continue;
      }
      if (*p < 0xA1 && *p != 0x8E && *p != 0x8F) {
        // A byte that begins no code, as most of Shift JIS text's lead bytes.
        if (++r.Errors > TEncodingDetector::kMaxErrors) return end;
        ++p;
        continue;
      }
      const TCharSequence c = ReadEucJpSequence(p, end, tables);
      if (c.Status == TStatus::Cut && !final) return p;
      if (c.Status == TStatus::Char) {
        if (kScored) r.Score.Add(c.CodePoint);
        p += c.Length;
        continue;
      }
      // A cut code at the end of the file is its lead byte, bad; its other bytes follow.
      const size_t bad = c.Status == TStatus::Cut ? 1 : c.Length;
      r.Errors += static_cast<uint32_t>(bad);
      if (r.Out()) return end;
      p += bad;
    }
    return p;
  }
};

// Feeds a piece to a reading that is not out (or, with `final`, ends it), scored or only
// checked as the reading says.
template <typename TReader, typename TReading>
void FeedReading(TReading& r, std::span<const uint8_t> bytes, bool final) {
  if (r.Out()) return;
  const auto run = [&r](const uint8_t* p, const uint8_t* end, bool last, ptrdiff_t) {
    return r.Scored ? TReader::template Read<true>(r, p, end, last)
                    : TReader::template Read<false>(r, p, end, last);
  };
  if (final)
    r.Cut.Finish(run);
  else
    r.Cut.Feed(bytes, run);
}

}  // namespace

bool TEncodingDetector::FeedAlike(std::span<const uint8_t> bytes) {
  // Past the first byte above 7F even ASCII counts: it ends runs of half-width katakana.
  if (HighByteSeen) return Feed(bytes);
  if (Certain || Finished || bytes.empty()) return Certain;
  const uint64_t before = Read;
  Read += bytes.size();
  ReadStart(bytes, before);
  if (!Certain && Utf16Possible()) CountUtf16(bytes);
  return Certain;
}

bool TEncodingDetector::Feed(std::span<const uint8_t> bytes) {
  if (Certain || Finished || bytes.empty()) return Certain;
  const uint64_t before = Read;
  Read += bytes.size();
  ReadStart(bytes, before);
  if (Certain) return true;
  if (Utf16Possible()) CountUtf16(bytes);
  // Until the first byte above 7F no reading has anything to read.
  if (!HighByteSeen) bytes = bytes.subspan(FindJisEscapes(bytes));
  if (bytes.empty()) return false;
  // An encoding is scored as long as another one is in: only then can scores decide.
  Sjis.Scored = !Utf8.Out() || !Euc.Out();
  Utf8.Scored = !Sjis.Out() || !Euc.Out();
  Euc.Scored = !Sjis.Out() || !Utf8.Out();
  PutOutSurely(bytes);
  FeedReading<TUtf8Reader>(Utf8, bytes, false);
  FeedReading<TEucJpReader>(Euc, bytes, false);
  // Shift JIS, unless UTF-16 may still be taken: it is the fallback, so nothing can take
  // its place once UTF-8 and EUC-JP are out.
  if (Utf8.Out() && Euc.Out() && !Utf16Possible() && Read >= sizeof Start) {
    Certain = true;
    Result = TEncoding::ShiftJis;
    return true;
  }
  FeedReading<TSjisReader>(Sjis, bytes, false);
  return false;
}

void TEncodingDetector::PutOutSurely(std::span<const uint8_t> bytes) {
  // What the readings still need to go out; 0 for one that is out.
  const auto need = [](const TReading& r) { return r.Out() ? 0 : kMaxErrors + 1 - r.Errors; };
  const uint32_t utf8Need = need(Utf8);
  const uint32_t eucNeed = need(Euc);
  if (utf8Need == 0 && eucNeed == 0) return;
  const DetectorScan::TCounts counts = DetectorScan::CountUndecodable(
      bytes.first(std::min(bytes.size(), kBoundSpan)), utf8Need, eucNeed);
  if (utf8Need > 0 && counts.Utf8 >= utf8Need) Utf8.Errors = kMaxErrors + 1;
  if (eucNeed > 0 && counts.EucJp >= eucNeed) Euc.Errors = kMaxErrors + 1;
}

std::optional<TEncoding> TEncodingDetector::SoleCandidate() const {
  if (Certain || Finished || Read < sizeof Start || !HighByteSeen || Utf16Possible() ||
      !Sjis.Out() || Utf8.Out() == Euc.Out())
    return std::nullopt;
  return Utf8.Out() ? TEncoding::EucJp : TEncoding::Utf8;
}

void TEncodingDetector::ReadStart(std::span<const uint8_t> bytes, uint64_t before) {
  if (before >= sizeof Start) return;
  for (uint64_t i = before; i < sizeof Start && i - before < bytes.size(); ++i)
    Start[i] = bytes[i - before];
  const auto decide = [this](TEncoding e) {
    Certain = true;
    Result = e;
  };
  if (Read >= 2 && Start[0] == 0xFF && Start[1] == 0xFE) decide(TEncoding::Utf16Le);
  if (Read >= 2 && Start[0] == 0xFE && Start[1] == 0xFF) decide(TEncoding::Utf16Be);
  if (Read >= 3 && Start[0] == 0xEF && Start[1] == 0xBB && Start[2] == 0xBF)
    decide(TEncoding::Utf8Bom);
}

bool TEncodingDetector::Utf16Possible() const {
  if (Units < kHeadUnits) return true;
  return HeadAsciiUnits[0] * 4 >= kHeadUnits * 3 || HeadAsciiUnits[1] * 4 >= kHeadUnits * 3;
}

void TEncodingDetector::CountUtf16(std::span<const uint8_t> bytes) {
  const auto count = [this](uint8_t first, uint8_t second) {
    // An ASCII character other than NUL, with its 00 byte second (LE) or first (BE).
    const bool le = second == 0 && first != 0 && first < 0x80;
    const bool be = first == 0 && second != 0 && second < 0x80;
    AsciiUnits[0] += le;
    AsciiUnits[1] += be;
    if (Units < kHeadUnits) {
      HeadAsciiUnits[0] += le;
      HeadAsciiUnits[1] += be;
    }
    ++Units;
  };
  size_t i = 0;
  if (OddByte >= 0) {
    count(static_cast<uint8_t>(OddByte), bytes[0]);
    OddByte = -1;
    i = 1;
  }
  // Units without a 00 byte count for neither order: the head's, when they have none
  // (most files), are passed over at once.
  if (Units < kHeadUnits) {
    const size_t units = std::min(static_cast<size_t>(kHeadUnits - Units), (bytes.size() - i) / 2);
    if (std::memchr(bytes.data() + i, 0, 2 * units) == nullptr) {
      Units += units;
      i += 2 * units;
    }
  }
  for (; i + 1 < bytes.size(); i += 2) {
    // After the head, only a file whose head has the evidence is counted on.
    if (Units == kHeadUnits && !Utf16Possible()) return;
    count(bytes[i], bytes[i + 1]);
  }
  if (i < bytes.size()) OddByte = bytes[i];
}

int TEncodingDetector::Utf16Order() const {
  if (Read % 2 != 0 || Units < kMinUtf16Units) return 0;
  const uint64_t head = Units < kHeadUnits ? Units : kHeadUnits;
  for (int order = 0; order < 2; ++order)
    if (HeadAsciiUnits[order] * 4 >= head * 3 && AsciiUnits[order] * 4 >= Units * 3)
      return order + 1;
  return 0;
}

size_t TEncodingDetector::FindJisEscapes(std::span<const uint8_t> bytes) {
  const uint8_t* const end = bytes.data() + bytes.size();
  // Most files hold no escape before their first byte above 7F: one scan finds that byte.
  if (JisCut.HeldSize() == 0) {
    const uint8_t* const stop = DetectorScan::FindHighOrEscape(bytes.data(), end);
    if (stop == end) return bytes.size();
    if (*stop >= 0x80) {
      HighByteSeen = true;
      return static_cast<size_t>(stop - bytes.data());
    }
  }
  const uint8_t* const high = AsciiRun::End(bytes.data(), end);
  JisCut.Feed(std::span(bytes.data(), high),
              [this](const uint8_t* p, const uint8_t* end, bool final, ptrdiff_t) {
                while (const void* esc = std::memchr(p, kEsc, static_cast<size_t>(end - p))) {
                  p = static_cast<const uint8_t*>(esc);
                  const TJisEscape e = ReadJisEscape(p, end);
                  if (e.Kind == TJisEscape::TKind::Cut && !final) return p;
                  if (e.Kind == TJisEscape::TKind::Shift && e.Shift != TJisShift::Ascii &&
                      e.Shift != TJisShift::Roman)
                    ++JisEscapes;
                  p += e.Length > 0 ? e.Length : 1;
                }
                return end;
              });
  if (high == bytes.data() + bytes.size()) return bytes.size();
  HighByteSeen = true;
  return static_cast<size_t>(high - bytes.data());
}

TEncoding TEncodingDetector::Finish() {
  if (Certain || Finished) return Result;
  Finished = true;
  FeedReading<TSjisReader>(Sjis, {}, true);
  FeedReading<TUtf8Reader>(Utf8, {}, true);
  FeedReading<TEucJpReader>(Euc, {}, true);
  if (const int order = Utf16Order())
    return Result = order == 1 ? TEncoding::Utf16Le : TEncoding::Utf16Be;
  if (!HighByteSeen) return Result = JisEscapes > 0 ? TEncoding::Iso2022Jp : TEncoding::Ascii;
  // The best of the encodings still in, in the order of preference on a tie; Shift JIS
  // when none is.
  const TReading* best = nullptr;
  Result = TEncoding::ShiftJis;
  for (const auto& [reading, encoding] :
       {std::pair<const TReading*, TEncoding>{&Sjis, TEncoding::ShiftJis},
        {&Utf8, TEncoding::Utf8},
        {&Euc, TEncoding::EucJp}}) {
    if (reading->Out() || (best != nullptr && reading->Value() <= best->Value())) continue;
    best = reading;
    Result = encoding;
  }
  return Result;
}

}  // namespace varsik
