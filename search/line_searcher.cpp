#include "search/line_searcher.h"

#include <algorithm>
#include <cstring>

#include "base/scope_exit.h"
#include "search/byte_scan.h"
#include "search/errors.h"
#include "search/line_cut.h"
#include "search/original_spans.h"

namespace varsik {

namespace {

// Buffers above this size are given back after the file that needed them.
constexpr size_t kKeptCapacity = 4 * TLineWindow::kBlockSize;
// The most of a long line fed to the finder between two polls.
constexpr size_t kFeedSlice = 256 * 1024;

// How a scan leaves the loop when a poll asks to stop.
struct TStop {};

template <typename T>
void Release(T& container) {
  if (container.capacity() > kKeptCapacity) T().swap(container);
}

// Two vector scans beat one loop over the bytes on hit lines of ordinary length.
const uint8_t* FirstCrOrNul(const uint8_t* p, const uint8_t* stop) {
  const void* cr = std::memchr(p, '\r', static_cast<size_t>(stop - p));
  if (cr != nullptr) stop = static_cast<const uint8_t*>(cr);
  const void* nul = std::memchr(p, 0, static_cast<size_t>(stop - p));
  return nul != nullptr ? static_cast<const uint8_t*>(nul) : stop;
}

}  // namespace

TLineSearcher::TEnd TLineSearcher::Search(const std::string& fileName, TLineFinder& finder,
                                          const TPoll& poll, const TReport& report) {
  Rules = finder.Rules();
  Poll = &poll;
  Reporter = &report;
  const TScopeExit release([this] {
    Window = nullptr;
    Release(Buffer);
    Release(Text);
    Release(Info.Line);
    Release(Held);
    HeldTexts.Release();
    Release(Info.Original);
    Release(HeldMatches);
  });
  if (const std::optional<TEnd> end = SearchFile(fileName, finder, Speculate)) return *end;
  // The guess was wrong: the file is Shift JIS, searched again as detection finds it.
  return *SearchFile(fileName, finder, false);
}

std::optional<TLineSearcher::TEnd> TLineSearcher::SearchFile(const std::string& fileName,
                                                             TLineFinder& finder, bool speculate) {
  LineNo = 1;
  InLongLine = false;
  Ended = false;
  InPart = false;
  HoldingAll = HoldHits;
  ForgetHeld();
  Info.Encoding = TEncoding::ShiftJis;
  Info.Original.clear();

  bool stopped = false;
  bool misread = false;
  std::optional<TLineWindow> opened;
  try {
    std::optional<TFilePart> part = Part;
    opened.emplace(fileName, Buffer, BlockSize, WindowLineBytes, part ? AsItsBytes() : Encoding);
    if (!part && Cutter) {
      part = Cutter(opened->Input().FileSize());
      // A part is read as the file's own bytes, which its encoding was found to be.
      if (part) opened.emplace(fileName, Buffer, BlockSize, WindowLineBytes, AsItsBytes());
    }
    InPart = part.has_value();
    if (part) opened->Input().ReadRange(part->Begin, part->End);
    TLineWindow& window = *opened;
    Window = &window;
    window.Input().SetRequired(finder.Required(), Rules);
    window.Input().SetSpeculate(speculate && !part);
    window.SetCrEndsLines(Rules.CrEndsLines);
    window.SetTextEndsAtNul(Rules.TextEndsAtNul);
    window.SetAfterRead([this] { PollOrStop(); });
    Ended = Scan(window, finder);
    // A text that ended before its file leaves the rest of a guess to be checked.
    window.Input().Confirm();
  } catch (const TStop&) {
    stopped = true;
  } catch (const EMisreadEncoding&) {
    misread = true;
  }
  if (InLongLine) finder.EndLine();
  // A file stopped while its encoding was a guess reports nothing, as one stopped while
  // it is detected.
  if (stopped && opened && opened->Input().Speculating()) ForgetHeld();
  Window = nullptr;
  opened.reset();
  // A buffer grown for a long line is given back before the held hits are reported.
  Release(Buffer);
  if (misread) return std::nullopt;
  if (!ReportHeld(!stopped)) return TEnd::Stopped;
  return stopped ? TEnd::Stopped : TEnd::Done;
}

bool TLineSearcher::ReportHeld(bool polls) {
  if (Held.empty()) return true;
  size_t chunk = 0;
  const char* held = HeldTexts.Chunk(0).data();
  size_t matchOffset = 0;
  bool done = true;
  for (const THeldHit& hit : Held) {
    if (polls && (*Poll)()) {
      done = false;
      break;
    }
    Info.LineNo = hit.LineNo;
    if (hit.StartsChunk) held = HeldTexts.Chunk(++chunk).data();
    Info.Line.assign(held, hit.Length);
    held += hit.Length;
    Info.Original.assign(held, hit.OriginalLength);
    held += hit.OriginalLength;
    Info.Encoding = hit.Encoding;
    Info.Cut = hit.Cut;
    const auto matches = HeldMatches.begin() + static_cast<ptrdiff_t>(matchOffset);
    Info.Matches.assign(matches, matches + static_cast<ptrdiff_t>(hit.MatchCount));
    matchOffset += hit.MatchCount;
    (*Reporter)(Info);
  }
  ForgetHeld();
  return done;
}

size_t TLineSearcher::HeldBytes() const {
  return HeldTexts.Size() + Held.size() * sizeof(THeldHit) +
         HeldMatches.size() * sizeof(TMatchSpan);
}

void TLineSearcher::ForgetHeld() {
  Held.clear();
  HeldTexts.Clear();
  HeldMatches.clear();
}

TReadEncoding TLineSearcher::AsItsBytes() const {
  return {TEncodingChoice::Cp932, Encoding.Codes};
}

void TLineSearcher::PollOrStop() {
  if ((*Poll)()) throw TStop{};
}

bool TLineSearcher::Scan(TLineWindow& window, TLineFinder& finder) {
  for (TLineWindow::TChunk chunk = window.Next(); !chunk.Bytes.empty(); chunk = window.Next()) {
    const uint8_t* p = chunk.Bytes.data();
    const uint8_t* const end = p + chunk.Bytes.size();
    if (InLongLine) {
      // The chunk goes on with the long line: all of it, or up to the line's end.
      const uint8_t* lineEnd = chunk.ContinuesLine ? end : LineEndOf(p, end);
      FeedLongLine(p, lineEnd, finder);
      if (chunk.ContinuesLine) continue;
      InLongLine = false;
      if (finder.EndLine()) Report(LineNo);
      if (lineEnd == end) return false;  // the file's last line
      if (*lineEnd == 0) return true;    // the text's
      ++LineNo;
      p = lineEnd + (*lineEnd == '\r' && lineEnd + 1 < end && lineEnd[1] == '\n' ? 2 : 1);
      if (p == end) continue;
    }
    if (chunk.ContinuesLine) {
      // A line too long to hold begins: it is searched piece by piece.
      if (Rules.TextEndsBeforeCtrlZLine && *p == 0x1A) return true;
      InLongLine = true;
      Text.clear();
      LineOffset = window.OffsetOf(p);
      finder.BeginLine();
      FeedLongLine(p, end, finder);
      continue;
    }
    // A part's line ends are all counted, for the lines of the parts after it.
    if (ScanLines(p, end, finder, InPart || !window.AtEnd())) return true;
  }
  // The file ends with a piece of a long line.
  if (InLongLine) {
    InLongLine = false;
    if (finder.EndLine()) Report(LineNo);
  }
  return false;
}

bool TLineSearcher::ScanLines(const uint8_t* begin, const uint8_t* end, TLineFinder& finder,
                              bool more) {
  HitStarts.clear();
  const bool loneCr = Rules.CrEndsLines && ByteScan::FindLoneCr(begin, end) != end;
  const bool ended = finder.FindLines(begin, end, loneCr, HitStarts);
  // The line numbers: the line ends are counted once, up to each hit and on.
  const uint8_t* counted = begin;
  for (const uint8_t* start : HitStarts) {
    LineNo += CountLineEnds(counted, start, loneCr);
    counted = start;
    Text.clear();
    LineOffset = Window->OffsetOf(start);
    AppendText(start, LineEndOf(start, end));
    Report(LineNo);
  }
  if (ended) return true;
  // After the file's last run no line number is needed.
  if (more) LineNo += CountLineEnds(counted, end, loneCr);
  return false;
}

void TLineSearcher::FeedLongLine(const uint8_t* begin, const uint8_t* end, TLineFinder& finder) {
  AppendText(begin, end);
  while (begin < end && !finder.LineMatched()) {
    const uint8_t* next =
        end - begin > static_cast<ptrdiff_t>(kFeedSlice) ? begin + kFeedSlice : end;
    finder.FeedLine(begin, next);
    begin = next;
    if (begin < end) PollOrStop();
  }
}

const uint8_t* TLineSearcher::LineEndOf(const uint8_t* p, const uint8_t* end) const {
  const uint8_t* lineEnd = ByteScan::LineEnd(p, end);
  if (Rules.CrEndsLines)
    if (const void* cr = std::memchr(p, '\r', static_cast<size_t>(lineEnd - p)))
      lineEnd = static_cast<const uint8_t*>(cr);
  if (Rules.TextEndsAtNul)
    if (const void* nul = std::memchr(p, 0, static_cast<size_t>(lineEnd - p)))
      lineEnd = static_cast<const uint8_t*>(nul);
  return lineEnd;
}

int64_t TLineSearcher::CountLineEnds(const uint8_t* begin, const uint8_t* end, bool loneCr) const {
  return static_cast<int64_t>(loneCr ? ByteScan::CountLineEnds(begin, end)
                                     : ByteScan::CountLf(begin, end));
}

size_t TLineSearcher::TextRoom() const {
  if (MaxLineBytes == 0) return SIZE_MAX;
  return MaxLineBytes + 1 + (Marker != nullptr ? Marker->LookBeyond() : 0);
}

void TLineSearcher::AppendText(const uint8_t* begin, const uint8_t* end) {
  const size_t room = TextRoom();
  for (const uint8_t* p = begin; p < end && Text.size() < room;) {
    // Runs of ordinary bytes go in one piece; a CR is dropped, a NUL made a blank.
    const uint8_t* stop = p + std::min<size_t>(static_cast<size_t>(end - p), room - Text.size());
    const uint8_t* q = FirstCrOrNul(p, stop);
    Text.append(reinterpret_cast<const char*>(p), static_cast<size_t>(q - p));
    p = q;
    if (p < stop) {
      if (*p == 0) Text += ' ';
      ++p;
    }
  }
}

void TLineSearcher::Report(int64_t lineNo) {
  TDecodedInput& input = Window->Input();
  // Hits held on a guess that has been confirmed since go first.
  if (!HoldingAll && !Held.empty() && !input.Speculating() && !ReportHeld(true)) throw TStop{};
  Matches.clear();
  if (Marker != nullptr) Marker->Mark(Text, Text.size() < TextRoom(), Matches);
  const bool cut = CutAtCharacter(Text, MaxLineBytes);
  if (cut) ClipSpans(Matches, Text.size());
  // The file's encoding is known once a line past its leading ASCII has been read.
  Info.Encoding = input.Encoding();
  Info.Original.clear();
  const bool hold = HoldingAll || input.Speculating();
  // A held line's text, and its own bytes straight behind it, go behind those held before
  // them, in room for own bytes of three times the engine's and a few escapes (more only
  // makes the chunk grow).
  const size_t chunk = HeldTexts.Last();
  std::string& into = hold ? HeldTexts.Room(4 * Text.size() + 16) : Info.Original;
  if (hold) into += Text;
  const size_t originalStart = into.size();
  if (input.Decodes()) {
    input.AppendOriginalLine(LineOffset, Text.size(), into);
    if (!Matches.empty())
      Matches = OriginalSpans(std::string_view(into).substr(originalStart), Info.Encoding, Matches,
                              input.EngineCodes());
  }
  if (hold) {
    Held.push_back({lineNo, Text.size(), into.size() - originalStart, Info.Encoding, cut,
                    HeldTexts.Last() != chunk, Matches.size()});
    HeldMatches.insert(HeldMatches.end(), Matches.begin(), Matches.end());
    // They are bounded: past the bound the rest of the file is read now to confirm a
    // guess, and they go out.
    if (HeldBytes() > (HoldingAll ? MaxHeldHits : MaxHeldOnGuess)) {
      input.Confirm();
      HoldingAll = false;
      if (!ReportHeld(true)) throw TStop{};
    }
    return;
  }
  PollOrStop();
  Info.LineNo = lineNo;
  Info.Line = Text;
  Info.Cut = cut;
  Info.Matches = Matches;
  (*Reporter)(Info);
}

}  // namespace varsik
