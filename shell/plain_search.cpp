#include "shell/plain_search.h"

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

  TLineWindow window(fileName, Buffer, BlockSize);
  int32_t lineNo = 1;
  for (std::span<const uint8_t> run = window.NextLines(); !run.empty(); run = window.NextLines()) {
    Sink.ProcessEvents();
    if (State.CancelRequested) {
      WriteHits(false);
      return false;
    }
    if (!Matcher.NeverMatches() && ScanRun(run.data(), run.data() + run.size(), lineNo)) {
      // The rest is never searched, but a read error there still fails the file.
      window.Drain();
      break;
    }
  }
  return WriteHits(true);
}

bool TPlainSearch::ScanRun(const uint8_t* begin, const uint8_t* end, int32_t& lineNo) {
  const uint8_t* kana = nullptr;  // the next half-width katakana, with the fuzzy switch
  for (const uint8_t* pos = begin; pos < end;) {
    size_t lfCount = 0;
    const uint8_t* special = ByteScan::FindLineSpecial(pos, end, lfCount);
    const uint8_t* stop = special == end ? end : LineStart(special, pos);
    if (FuzzySearch) {
      // Half-width katakana fold to other lengths: their lines take the single-line rule.
      if (kana == nullptr || kana < pos) kana = ByteScan::FindSingleByteKana(pos, end);
      if (kana < special) {
        special = kana;
        stop = LineStart(kana, pos);
        lfCount = ByteScan::CountLf(pos, stop);
      }
    }
    ScanPlainLines(pos, stop, lineNo);
    lineNo += static_cast<int32_t>(lfCount);
    if (special == end) break;

    // The line at `stop` ends the text, or holds a lone CR or half-width katakana.
    if (*special == 0x1A && special == stop) return true;
    const uint8_t* lineEnd = LineEnd(special, end);
    const void* nul = std::memchr(stop, 0, static_cast<size_t>(lineEnd - stop));
    const uint8_t* textEnd = nul == nullptr ? lineEnd : static_cast<const uint8_t*>(nul);
    MatchOneLine(stop, textEnd, lineNo);
    if (nul != nullptr) return true;
    if (lineEnd == end) break;
    pos = lineEnd + 1;
    ++lineNo;
  }
  return false;
}

void TPlainSearch::ScanPlainLines(const uint8_t* begin, const uint8_t* end, int32_t lineNo) {
  const uint8_t* counted = begin;
  for (const uint8_t* from = begin; from < end;) {
    const uint8_t* lineStart = Matcher.FindLine(from, end);
    if (lineStart == end) return;
    lineNo += static_cast<int32_t>(ByteScan::CountLf(counted, lineStart));
    counted = lineStart;
    const uint8_t* lineEnd = LineEnd(lineStart, end);
    const uint8_t* textEnd = lineEnd > lineStart && lineEnd[-1] == '\r' ? lineEnd - 1 : lineEnd;
    KeepHit(lineNo, lineStart, textEnd);
    if (lineEnd == end) return;
    from = lineEnd + 1;
  }
}

void TPlainSearch::MatchOneLine(const uint8_t* begin, const uint8_t* end, int32_t lineNo) {
  // Every CR is dropped from the line: a lone one joins the bytes on either side.
  LineText.clear();
  for (const uint8_t* p = begin; p < end; ++p)
    if (*p != '\r') LineText += static_cast<char>(*p);
  if (Matcher.LineMatches(LineText)) {
    const auto* text = reinterpret_cast<const uint8_t*>(LineText.data());
    KeepHit(lineNo, text, text + LineText.size());
  }
}

void TPlainSearch::KeepHit(int32_t lineNo, const uint8_t* begin, const uint8_t* end) {
  Hits.push_back({lineNo, static_cast<size_t>(end - begin)});
  HitTexts.append(reinterpret_cast<const char*>(begin), static_cast<size_t>(end - begin));
}

bool TPlainSearch::WriteHits(bool poll) {
  size_t offset = 0;
  for (const THit& hit : Hits) {
    if (poll) {
      Sink.ProcessEvents();
      if (State.CancelRequested) return false;
    }
    Writer.RecordHit(hit.LineNo, std::string_view(HitTexts).substr(offset, hit.Length));
    offset += hit.Length;
  }
  return true;
}
