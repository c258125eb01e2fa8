#include "shell/plain_search.h"

#include <algorithm>
#include <cstring>

#include "search/byte_scan.h"
#include "shell/plain_line_rule.h"

namespace {

using ByteScan::LineEnd;
using ByteScan::LineStart;

// Buffers above this size are given back after the file that needed them.
constexpr size_t kKeptCapacity = 4 * TLineWindow::kBlockSize;

template <typename T>
void Release(T& container) {
  if (container.capacity() > kKeptCapacity) T().swap(container);
}

}  // namespace

bool TPlainSearch::IsWholeWordAt(std::string_view word, int pos, std::string_view line) {
  return PlainLineRule::IsWholeWordAt(word, pos, line);
}

bool TPlainSearch::SearchFileText(const std::string& fileName, const std::string& word) {
  Matcher.Prepare(word, UpperLowerMatch, FuzzySearch, SearchAsWord);
  Hits.clear();
  HitTexts.clear();
  struct TRelease {
    TPlainSearch& Search;
    ~TRelease() {
      Release(Search.Buffer);
      Release(Search.Hits);
      Release(Search.HitTexts);
    }
  } release{*this};

  bool cancelled = false;
  {
    TLineWindow window(fileName, Buffer, BlockSize);
    window.SetTextEndsAtNul(true);
    int32_t lineNo = 1;
    for (auto run = window.NextLines(); !run.empty(); run = window.NextLines()) {
      Sink.ProcessEvents();
      if (State.CancelRequested) {
        cancelled = true;
        break;
      }
      if (!Matcher.NeverMatches() && ScanRun(run.data(), run.data() + run.size(), lineNo)) {
        // The rest is never searched, but a read error there still fails the file.
        window.Drain();
        break;
      }
    }
  }
  // A buffer grown for a long line is given back before the hits are written, which
  // may copy that line twice more.
  Release(Buffer);
  if (cancelled) {
    WriteHits(false);
    return false;
  }
  return WriteHits(true);
}

bool TPlainSearch::ScanRun(const uint8_t* begin, const uint8_t* end, int32_t& lineNo) {
  const size_t firstHit = Hits.size();
  HitLineStarts.clear();
  const bool ended = FindHits(begin, end);
  // The line numbers: the LF bytes are counted once, up to each hit and on to the end.
  const uint8_t* counted = begin;
  for (size_t i = 0; i < HitLineStarts.size(); ++i) {
    lineNo += static_cast<int32_t>(ByteScan::CountLf(counted, HitLineStarts[i]));
    counted = HitLineStarts[i];
    Hits[firstHit + i].LineNo = lineNo;
  }
  if (!ended) lineNo += static_cast<int32_t>(ByteScan::CountLf(counted, end));
  return ended;
}

bool TPlainSearch::FindHits(const uint8_t* begin, const uint8_t* end) {
  const uint8_t* kana = nullptr;  // the next half-width katakana, with the fuzzy switch
  for (const uint8_t* pos = begin; pos < end;) {
    const uint8_t* special = ByteScan::FindLineSpecial(pos, end);
    if (FuzzySearch) {
      // Half-width katakana fold to other lengths: their lines take the single-line rule.
      if (kana == nullptr || kana < pos) kana = ByteScan::FindSingleByteKana(pos, end);
      special = std::min(special, kana);
    }
    const uint8_t* stop = special == end ? end : LineStart(special, pos);
    ScanPlainLines(pos, stop);
    if (special == end) break;

    // The line at `stop` ends the text, or holds a lone CR or half-width katakana.
    if (*special == 0x1A && special == stop) return true;
    const uint8_t* lineEnd = LineEnd(special, end);
    const void* nul = std::memchr(stop, 0, static_cast<size_t>(lineEnd - stop));
    const uint8_t* textEnd = nul == nullptr ? lineEnd : static_cast<const uint8_t*>(nul);
    MatchOneLine(stop, textEnd);
    if (nul != nullptr) return true;
    if (lineEnd == end) break;
    pos = lineEnd + 1;
  }
  return false;
}

void TPlainSearch::ScanPlainLines(const uint8_t* begin, const uint8_t* end) {
  for (const uint8_t* from = begin; from < end;) {
    const uint8_t* lineStart = Matcher.FindLine(from, end);
    if (lineStart == end) return;
    const uint8_t* lineEnd = LineEnd(lineStart, end);
    const uint8_t* textEnd = lineEnd > lineStart && lineEnd[-1] == '\r' ? lineEnd - 1 : lineEnd;
    KeepHit(lineStart, lineStart, textEnd);
    if (lineEnd == end) return;
    from = lineEnd + 1;
  }
}

void TPlainSearch::MatchOneLine(const uint8_t* begin, const uint8_t* end) {
  // Every CR is dropped from the line: a lone one joins the bytes on either side.
  LineText.clear();
  for (const uint8_t* p = begin; p < end; ++p)
    if (*p != '\r') LineText += static_cast<char>(*p);
  if (Matcher.LineMatches(LineText)) {
    const auto* text = reinterpret_cast<const uint8_t*>(LineText.data());
    KeepHit(begin, text, text + LineText.size());
  }
}

void TPlainSearch::KeepHit(const uint8_t* lineStart, const uint8_t* begin, const uint8_t* end) {
  HitLineStarts.push_back(lineStart);
  Hits.push_back({0, static_cast<size_t>(end - begin)});
  HitTexts.append(reinterpret_cast<const char*>(begin), static_cast<size_t>(end - begin));
}

bool TPlainSearch::WriteHits(bool poll) {
  size_t offset = 0;
  for (const THit& hit : Hits) {
    if (poll) {
      Sink.ProcessEvents();
      if (State.CancelRequested) return false;
    }
    Writer.RecordHit(hit.LineNo, std::string_view(HitTexts).substr(offset, hit.Length), false);
    offset += hit.Length;
  }
  return true;
}
