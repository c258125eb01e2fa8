// TTxtFile: reads one Shift JIS file front to back for the grep engine, as character
// codes through a main cursor (start positions, line counting) and a look-ahead cursor
// (extending a match attempt), and hands back the current line on request.
// Every line end (CR LF, lone CR, LF) comes out as one LF, NUL bytes come out as
// spaces, an LF stands in front of the first line and one ends the last line.
// The memory it holds is bounded whatever the file: of a line too long to keep it keeps
// the first bytes that a report shows, and text that the look-ahead has run far past
// the main cursor is let go and read again from the file when the main cursor comes.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "search/decoded_input.h"
#include "search/errors.h"
#include "search/henkanj.h"
#include "search/line_info.h"

namespace varsik {

class TTxtFile {
 public:
  static constexpr int32_t kBuffSize = 102400;

  // Opens the file and reads the first block; both cursors stand on the LF placed in
  // front of the file and LineNo() is 0. `cancelFlag` (may be null) is read at every
  // poll, right after `processEvents` (the shell's event pump, may be empty) has run:
  // after each block read and at the start of each GetThisLine. `buffSize` is the
  // block size; tests make it tiny to reach every boundary case. The file is read as
  // `encoding` says, as the engine's bytes (TDecodedInput); the lines that GetThisLine
  // gives of a decoded file carry the file's own bytes too.
  // Raises EFileNotFound (cannot be opened), EInOutError (read error), EEndOfFile
  // (empty file; raised before the poll) or EGrepCancel (flag set at the first poll).
  TTxtFile(const std::string& fileName, const bool* cancelFlag,
           std::function<void()> processEvents = {}, int32_t buffSize = kBuffSize,
           const TReadEncoding& encoding = {});

  // GetThisLine gives at most this many bytes of a line, cut at a character boundary
  // (0: whole lines, however long; the memory then follows the longest line). Set before
  // the first read.
  void SetMaxLineBytes(size_t bytes) { MaxLineBytes = bytes; }
  // The most text kept in memory behind the cursors; tests make it tiny so that lines
  // are cut and text is read again at every turn.
  void SetKeepLimit(size_t bytes) { KeepLimit = bytes; }

  // A poll outside the reads: the grep's attempts call it now and then, so that the stop
  // command is seen even while they run over text already in memory.
  void PollNow() { Poll(); }
  // The search's code table, which the decoders read.
  const TEngineCodes& EngineCodes() const { return F.EngineCodes(); }
  TTxtFile(const TTxtFile&) = delete;
  TTxtFile& operator=(const TTxtFile&) = delete;

  // One character through the main cursor: a byte, or lead * 256 + trail for a
  // double-byte character (a lead byte in front of a line end stands alone). The look-ahead cursor
  // follows to the main cursor. Raises EEndOfFile when the file is used up (the final LF is never
  // delivered here), and again at every later call; EGrepCancel or EInOutError from a block read.
  uint16_t GetWChar();

  // Repeats GetWChar until `accept(code)` returns true and returns that code: the same
  // codes, line counts and block reads as the calls one by one, but the main cursor stays
  // in a register while the characters need no line-end or block handling. This is the
  // scan over start positions, where most characters begin no attempt.
  template <typename TAccept>
  uint16_t GetWCharUntil(TAccept accept);

  // One character through the look-ahead cursor; the main cursor stays. Past the end
  // of the file it delivers the final LF and then 0 on every call, without moving and
  // without raising. Data never yields 0 (NUL bytes come as spaces), so 0 means the
  // end; AheadAtEnd() says the same before the call.
  // Raises EGrepCancel or EInOutError from a block read.
  uint16_t GetAheadWChar();

  // One byte through the main cursor, with line counting and line-end handling.
  uint8_t GetChar();

  // Polls, moves the main cursor onto the LF that ends the current line (it is not
  // consumed; the look-ahead follows) and fills `lineInfo` with the line's text,
  // without trailing CR and LF, and its number; a text longer than MaxLineBytes is cut
  // (lineInfo.Cut). Raises EGrepCancel at the poll.
  void GetThisLine(RE_LineInfo_t& lineInfo);

  // The number of the current line: 0 before the first GetWChar, 1 for the file's
  // first line.
  int64_t LineNo() const { return LineNumber; }

  // True when the look-ahead has nothing left: it has delivered the final LF (or the
  // main cursor has reached the end), and every further GetAheadWChar gives 0. A
  // match attempt that would go on reading there must end without a match.
  bool AheadAtEnd() const { return FileAtEnd && AheadCursor == DataEnd; }

  const std::string& FileName() const { return Name; }

 private:
  // Room behind the data for the end markers: an added LF and two NUL bytes.
  static constexpr int32_t kTailMargin = 100;

  // GetChar's work when the byte under the main cursor is NUL or CR, or an LF was
  // just delivered.
  uint8_t FinishGetChar(uint8_t ch);
  // A CR just read by the look-ahead: skips the LF of a CR LF pair or turns a lone CR
  // into LF. Returns LF.
  uint8_t AheadAfterCr();
  // A NUL under a cursor: a NUL of the data (made a space), the end of the block (the
  // next one is loaded), or the end of the file.
  void HandleNulAtCursor();
  void HandleNulAtAhead();
  // Keeps the text from the current line's start (both cursors lie in it), moves it to
  // the front of the buffer and reads the next block behind it. When that is more than
  // the keep limit, the line's head is kept aside and the text is kept from the main
  // cursor on; when that is still more, from the look-ahead on (the main cursor's text
  // is let go).
  void LoadNextBlock();
  // Keeps the first bytes of the current line, as GetThisLine will give them.
  void SaveHead();
  // Reads the main cursor's text again after the look-ahead let it go.
  void RestoreMain();
  // The text offset (the LF in front of the file is 0, the file's first byte 1) of a
  // position in the buffer.
  int64_t TextOffset(const uint8_t* p) const { return BaseOffset + (p - Buffer.data()); }
  // Reads one block to `dest`, writes the end markers behind it, then polls.
  void ReadBuffer(uint8_t* dest);
  void Poll();

  int32_t BuffSize;
  std::string Name;
  TDecodedInput F;
  const bool* CancelFlag;
  std::function<void()> ProcessEvents;

  // The text the cursors walk: the kept part of the current line (when a block
  // boundary fell inside it), then the latest block, then NUL end markers. Only
  // LoadNextBlock moves or reallocates it, and it rebases the pointers below.
  std::vector<uint8_t> Buffer;
  uint8_t* Cursor = nullptr;
  uint8_t* LineStart = nullptr;
  uint8_t* AheadCursor = nullptr;
  // One past the valid data; the first end marker.
  uint8_t* DataEnd = nullptr;
  bool FileAtEnd = false;
  int64_t LineNumber = 0;
  // The text offset of the current line's first byte.
  int64_t LineStartOffset = 1;

  size_t MaxLineBytes = 1 << 20;
  size_t KeepLimit = 4 << 20;
  // The text offset of Buffer[0].
  int64_t BaseOffset = 0;
  // The current line's first bytes (up to one more than MaxLineBytes), kept when the
  // line itself is not: LineStart is then no longer in the buffer.
  bool HeadSaved = false;
  std::string Head;
  // The main cursor's text was let go; it stood at MainOffset.
  bool MainEvicted = false;
  int64_t MainOffset = 0;
};

// The per-byte paths stay inline: one load, one increment and a few one-byte tests
// (LF on the byte read, NUL and CR on the byte behind it). The NUL end markers stand for block end,
// buffer end and file end alike, so no bounds check is made per byte.

inline uint8_t TTxtFile::GetChar() {
  if (MainEvicted) [[unlikely]]
    RestoreMain();
  const uint8_t ch = *Cursor++;
  const uint8_t next = *Cursor;
  if (next == 0 || next == '\r' || ch == '\n') [[unlikely]]
    return FinishGetChar(ch);
  AheadCursor = Cursor;
  return ch;
}

inline uint16_t TTxtFile::GetWChar() {
  const uint8_t lead = GetChar();
  // GetChar has made the line end behind the byte an LF; a line end is never a trail
  // byte, so a lead byte in front of one is a character of its own.
  if (!ShiftJis::IsLeadByte(lead) || *Cursor == '\n') return lead;
  return static_cast<uint16_t>(lead << 8 | GetChar());
}

template <typename TAccept>
inline uint16_t TTxtFile::GetWCharUntil(TAccept accept) {
  if (MainEvicted) [[unlikely]]
    RestoreMain();
  for (;;) {
    uint8_t* cursor = Cursor;
    for (;;) {
      // The byte (or the pair) is read as GetChar reads it when no LF is delivered and no
      // NUL or CR follows; anything else goes through GetWChar below.
      const uint8_t ch = cursor[0];
      const uint8_t next = cursor[1];
      if (next == 0 || next == '\r' || ch == '\n') [[unlikely]]
        break;
      uint16_t code = ch;
      if (ShiftJis::IsLeadByte(ch)) {
        const uint8_t after = cursor[2];
        if (after == 0 || after == '\r' || next == '\n') [[unlikely]]
          break;
        code = static_cast<uint16_t>(ch << 8 | next);
        cursor += 2;
      } else {
        cursor += 1;
      }
      if (accept(code)) {
        Cursor = AheadCursor = cursor;
        return code;
      }
    }
    Cursor = AheadCursor = cursor;
    const uint16_t code = GetWChar();
    if (accept(code)) return code;
  }
}

inline uint16_t TTxtFile::GetAheadWChar() {
  uint8_t ch = *AheadCursor++;
  if (*AheadCursor == 0) [[unlikely]]
    HandleNulAtAhead();
  if (ch == '\r') [[unlikely]]
    ch = AheadAfterCr();
  if (!ShiftJis::IsLeadByte(ch)) return ch;
  // The trail byte is taken as it is (a NUL as the blank it was made), but never a line
  // end: a lead byte in front of one is a character of its own.
  const uint8_t trail = *AheadCursor;
  if (trail == '\n' || trail == '\r') [[unlikely]]
    return ch;
  if (*++AheadCursor == 0) [[unlikely]]
    HandleNulAtAhead();
  return static_cast<uint16_t>(ch << 8 | trail);
}

}  // namespace varsik
