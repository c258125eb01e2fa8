// TLineSearcher: the one loop that searches a file line by line for both search modes.
// It reads the file through a TLineWindow, hands runs of whole lines (and the pieces of
// lines too long to hold) to the mode's TLineFinder, numbers the lines that hold a match
// by counting line ends up to them, and reports each with its text. Reading, matching
// and reporting stay apart: the finder never sees a line number, the report never sees
// the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "search/held_text.h"
#include "search/line_finder.h"
#include "search/line_info.h"
#include "search/line_marker.h"
#include "search/line_window.h"

namespace varsik {

// One part of a file cut at line ends for several searchers: bytes [Begin, End), Begin at
// the file's start or behind an LF, End behind an LF or at the file's end.
struct TFilePart {
  uint64_t Begin = 0;
  uint64_t End = 0;
};

class TLineSearcher {
 public:
  // Runs after each read of the file, before each report and between the pieces of a long
  // line, on the thread that searches; returns true when the search must stop there.
  using TPoll = std::function<bool()>;
  // One matching line: its number and its text as the mode reads it (CRs dropped, a NUL
  // as a blank), at most MaxLineBytes of it, cut at a character boundary (Cut is then
  // set). Runs on the thread that searches; the record is overwritten by the next report.
  using TReport = std::function<void(const RE_LineInfo_t&)>;

  enum class TEnd { Done, Stopped };

  static constexpr size_t kMaxHeldOnGuess = 16 << 20;
  static constexpr size_t kMaxHeldHits = 16 << 20;

  // The most read at once, and the longest line held whole (longer ones are searched in
  // pieces); tests make both tiny to reach every boundary case.
  void SetBlockSize(size_t blockSize) { BlockSize = blockSize; }
  void SetWindowLineBytes(size_t bytes) { WindowLineBytes = bytes; }
  // A reported line's text is cut to this many bytes; 0 keeps it whole.
  void SetMaxLineBytes(size_t bytes) { MaxLineBytes = bytes; }
  // Whether the matching lines are held until the whole file has been read, so that a file
  // that fails to read reports none (plain mode), instead of being reported at once. At
  // most `maxHeldBytes` of them are held so (texts, records and spans): past them they go
  // out, and the rest of the file's as they are found, as hits found before a failure
  // stay. A file of millions of hit lines took several times its size in memory.
  void SetHoldHits(bool on, size_t maxHeldBytes = kMaxHeldHits) {
    HoldHits = on;
    MaxHeldHits = maxHeldBytes;
  }
  // How files are read: detected, or in one encoding; the lines reported carry their
  // file's own bytes too when it is decoded.
  void SetReadEncoding(const TReadEncoding& encoding) { Encoding = encoding; }
  // Whether a detected file may be decoded in the one encoding that its head leaves
  // besides Shift JIS before the rest is read (TDecodedInput::SetSpeculate; on unless
  // turned off). Its hits are held until that is confirmed, so that nothing of a wrong
  // reading is reported: where the file is Shift JIS after all, they go and it is searched
  // again. A searcher that does not hold its hits otherwise holds at most
  // `maxHeldBytes` of them so (texts, records and spans): past them the rest of the file
  // is read once to confirm the encoding (tests make it tiny).
  void SetSpeculate(bool on, size_t maxHeldBytes = kMaxHeldOnGuess) {
    Speculate = on;
    MaxHeldOnGuess = maxHeldBytes;
  }
  // Each reported line carries the matches that `marker` finds on it (none when null);
  // the marker outlives the searches.
  void SetMarker(TLineMarker* marker) { Marker = marker; }
  // Runs once a file is opened, with its size (UINT64_MAX when not known), on the thread
  // that searches: the part of the file to search instead of all of it, or none. What it
  // raises leaves Search as a read error would.
  using TCutter = std::function<std::optional<TFilePart>(uint64_t fileSize)>;

  // Searches only `part` of the next files (none: whole files), or the part `cutter`
  // chooses of each (none: whole files). A part is read as cp932, its lines numbered from
  // 1 at its start: only for a file whose engine bytes are its own.
  void SetPart(std::optional<TFilePart> part) { Part = part; }
  void SetCutter(TCutter cutter) { Cutter = std::move(cutter); }

  // After a search: whether it searched a part; then how many line ends the part holds
  // (the lines before the next part), and whether the text ended inside it by the
  // finder's rules (at a NUL, or before a line that begins with 1A), so that nothing after
  // it belongs to the text.
  bool SearchedPart() const { return InPart; }
  int64_t PartLineEnds() const { return LineNo - 1; }
  bool TextEnded() const { return Ended; }

  // Searches one file. Returns Stopped when a poll asked to stop: with held hits, those
  // found before the stop are reported then, without more polls, unless the file's
  // encoding was still a guess (SetSpeculate): none of its hits is reported then. Raises
  // EFileNotFound or EInOutError (after which no held hit is reported), and whatever `report`
  // raises.
  TEnd Search(const std::string& fileName, TLineFinder& finder, const TPoll& poll,
              const TReport& report);

 private:
  // Search with or without a guess of the encoding; nullopt when the guess was wrong.
  std::optional<TEnd> SearchFile(const std::string& fileName, TLineFinder& finder, bool speculate);
  // Reports the held hits, each after a poll when `polls`, and forgets them; false when a
  // poll asked to stop (the rest are not reported).
  bool ReportHeld(bool polls);
  size_t HeldBytes() const;
  void ForgetHeld();
  // Reads the file to its end, or to where its text ends; true in the second case.
  bool Scan(TLineWindow& window, TLineFinder& finder);
  // The whole lines [begin, end); returns true when the text ends inside them.
  bool ScanLines(const uint8_t* begin, const uint8_t* end, TLineFinder& finder, bool more);
  // A piece of a long line, fed to the finder between polls.
  void FeedLongLine(const uint8_t* begin, const uint8_t* end, TLineFinder& finder);
  // Where the line that starts at p ends, by the rules: its line end, or the NUL that ends
  // the text, or end.
  const uint8_t* LineEndOf(const uint8_t* p, const uint8_t* end) const;
  // The line ends in [begin, end); `loneCr` says whether a lone CR may be among them.
  int64_t CountLineEnds(const uint8_t* begin, const uint8_t* end, bool loneCr) const;
  // The most of a line that Text keeps: one byte past the cut (to tell that it was cut)
  // and what the marker must see behind it.
  size_t TextRoom() const;
  // Adds [begin, end) of a line to Text as it is reported, up to TextRoom.
  void AppendText(const uint8_t* begin, const uint8_t* end);
  // Reports (or holds) the line in Text as line `lineNo`, cut to MaxLineBytes.
  void Report(int64_t lineNo);
  // How a part of a file is read: as the file's own bytes.
  TReadEncoding AsItsBytes() const;
  // Polls; leaves the scan when the poll asks to stop.
  void PollOrStop();

  size_t BlockSize = TLineWindow::kBlockSize;
  size_t WindowLineBytes = TLineWindow::kMaxLineBytes;
  size_t MaxLineBytes = 1 << 20;
  bool HoldHits = false;
  size_t MaxHeldHits = kMaxHeldHits;
  bool Speculate = true;
  size_t MaxHeldOnGuess = kMaxHeldOnGuess;
  TReadEncoding Encoding;
  TLineMarker* Marker = nullptr;
  std::optional<TFilePart> Part;
  TCutter Cutter;

  // The search in progress.
  TLineRules Rules;
  const TPoll* Poll = nullptr;
  const TReport* Reporter = nullptr;
  int64_t LineNo = 1;  // the number of the line where the counting stands
  TLineWindow* Window = nullptr;
  uint64_t LineOffset = 0;  // the engine offset of the line in Text
  bool InLongLine = false;
  bool Ended = false;
  bool InPart = false;
  bool HoldingAll = false;  // HoldHits, until the held hits pass their bound

  // Reused from file to file; given back when a long line made them large.
  std::vector<uint8_t> Buffer;
  std::vector<const uint8_t*> HitStarts;
  std::string Text;
  std::vector<TMatchSpan> Matches;
  RE_LineInfo_t Info;
  // A held line's text and own bytes stand one behind the other, behind those of the
  // line before or at the start of the next chunk (a line may be held for each line of a
  // file: no more than a flag is spent on where).
  struct THeldHit {
    int64_t LineNo;
    size_t Length;
    size_t OriginalLength;
    TEncoding Encoding;
    bool Cut;
    bool StartsChunk;
    size_t MatchCount;
  };
  std::vector<THeldHit> Held;
  THeldText HeldTexts;
  std::vector<TMatchSpan> HeldMatches;
};

}  // namespace varsik
