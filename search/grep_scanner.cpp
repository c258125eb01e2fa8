#include "search/grep_scanner.h"

#include <span>

#include "search/errors.h"
#include "search/original_spans.h"

namespace varsik {

namespace {

// Look-ahead steps between two polls of an attempt that reads no new block.
constexpr int32_t kStepsBetweenPolls = 1 << 16;

}  // namespace

TGrepScanner::TEnd TGrepScanner::Scan(const TGrepPattern& pattern, const std::string& fileName,
                                      const TPoll& poll, const TReport& report) {
  Marker.reset();
  if (MarkMatches) Marker.emplace(*pattern.DFA);
  if (pattern.Fast != nullptr) return ScanByFastPath(*pattern.Fast, fileName, poll, report);

  // The reader polls through a flag of its own: it raises EGrepCancel when the poll has
  // asked to stop.
  bool stop = false;
  std::optional<TTxtFile> file;
  try {
    file.emplace(
        fileName, &stop, [&poll, &stop] { stop = stop || poll(); }, Block, Encoding);
  } catch (const EEndOfFile&) {
    return TEnd::Done;  // an empty file
  } catch (const EGrepCancel&) {
    return TEnd::Stopped;
  }
  file->SetMaxLineBytes(MaxLineBytes);
  try {
    if (pattern.CompareLiteral)
      ScanByLiteral(pattern.LiteralCodes, *file, report);
    else
      ScanByDFA(*pattern.DFA, *file, report);
  } catch (const EEndOfFile&) {
    // The main cursor reached the end of the file: the normal end.
  } catch (const EGrepCancel&) {
    return TEnd::Stopped;
  }
  return TEnd::Done;
}

TGrepScanner::TEnd TGrepScanner::ScanByFastPath(const TGrepFastPath& fast,
                                                const std::string& fileName, const TPoll& poll,
                                                const TReport& report) {
  Searcher.SetBlockSize(static_cast<size_t>(Block));
  Searcher.SetMaxLineBytes(MaxLineBytes);
  Searcher.SetMarker(Marker ? &*Marker : nullptr);
  TGrepFastPathFinder finder(fast);
  return Searcher.Search(fileName, finder, poll, report) == TLineSearcher::TEnd::Stopped
             ? TEnd::Stopped
             : TEnd::Done;
}

void TGrepScanner::ScanByDFA(const TRE_DFA& dfa, TTxtFile& file, const TReport& report) {
  // Every start position steps from the initial state: its transitions are looked up once.
  const std::span<const RE_DFATransition_t> initial = dfa.Transitions(dfa.InitialState());
  RE_LineInfo_t lineInfo;
  int32_t steps = 0;
  for (;;) {
    // The start positions whose first code leaves the initial state; the start state's
    // own acceptance is never consulted, so a report needs at least one character.
    int32_t state = kNoState;
    file.GetWCharUntil([&state, initial](uint16_t code) {
      state = TransitOn(initial, code);
      return state != kNoState;
    });
    for (;;) {
      if (dfa.Accepted(state)) {
        ReportThisLine(file, lineInfo, report);
        break;
      }
      const uint16_t code = file.GetAheadWChar();
      // The text never yields 0; the look-ahead gives it only past the end of the file,
      // where every attempt ends without a match, also one whose pattern itself holds the
      // code 0 (it would otherwise read the 0 for ever).
      if (code == 0) [[unlikely]]
        break;
      // Attempts over text already read poll now and then, as reads do.
      if (++steps == kStepsBetweenPolls) [[unlikely]] {
        steps = 0;
        file.PollNow();
      }
      state = TransitOn(dfa.Transitions(state), code);
      if (state == kNoState) break;
    }
  }
}

void TGrepScanner::ScanByLiteral(const std::vector<uint16_t>& codes, TTxtFile& file,
                                 const TReport& report) {
  const auto count = static_cast<int32_t>(codes.size()) - 1;
  // The empty literal waits for a first code of 0, which the main cursor never delivers:
  // it reports nothing.
  const uint16_t first = codes[0];
  RE_LineInfo_t lineInfo;
  int32_t steps = 0;
  for (;;) {
    file.GetWCharUntil([first](uint16_t code) { return code == first; });
    int32_t i = 1;
    while (i != count) {
      const uint16_t code = file.GetAheadWChar();
      // A 0 is the end of the file (see ScanByDFA), never a match of a 0 in the pattern.
      if (code != codes[i] || code == 0) break;
      ++i;
      if (++steps == kStepsBetweenPolls) [[unlikely]] {
        steps = 0;
        file.PollNow();
      }
    }
    if (i == count) ReportThisLine(file, lineInfo, report);
  }
}

void TGrepScanner::ReportThisLine(TTxtFile& file, RE_LineInfo_t& lineInfo, const TReport& report) {
  file.GetThisLine(lineInfo);
  lineInfo.Matches.clear();
  if (Marker) {
    Marker->Mark(lineInfo.Line, !lineInfo.Cut, lineInfo.Matches);
    // The outputs show a decoded line as the file holds it.
    if (!ReadsAsShiftJis(lineInfo.Encoding) && !lineInfo.Matches.empty())
      lineInfo.Matches =
          OriginalSpans(lineInfo.Original, lineInfo.Encoding, lineInfo.Matches, file.EngineCodes());
  }
  report(lineInfo);
}

}  // namespace varsik
