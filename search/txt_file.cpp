#include "search/txt_file.h"

#include <algorithm>
#include <cstring>

#include "search/line_cut.h"

namespace varsik {

TTxtFile::TTxtFile(const std::string& fileName, const bool* cancelFlag,
                   std::function<void()> processEvents, int32_t buffSize,
                   const TReadEncoding& encoding)
    : BuffSize(buffSize > 0 ? buffSize : kBuffSize),
      Name(fileName),
      F(fileName, encoding),
      CancelFlag(cancelFlag),
      ProcessEvents(std::move(processEvents)) {
  // Detection reads ahead of the blocks: the stop command is seen there too.
  F.SetPoll([this] { Poll(); });
  // The leading LF gives the first line a line end in front of it like every other.
  Buffer.assign(static_cast<size_t>(BuffSize) + 1 + kTailMargin, 0);
  Buffer[0] = '\n';
  ReadBuffer(Buffer.data() + 1);
  Cursor = LineStart = AheadCursor = Buffer.data();
  LineNumber = 0;
}

void TTxtFile::Poll() {
  if (ProcessEvents) ProcessEvents();
  if (CancelFlag && *CancelFlag) throw EGrepCancel();
}

void TTxtFile::ReadBuffer(uint8_t* dest) {
  const size_t count = F.ReadBlock(dest, static_cast<size_t>(BuffSize));
  if (count == 0) throw EEndOfFile();
  DataEnd = dest + count;
  if (F.AtEnd()) {
    // The last line always ends with an LF; two markers behind it let a cursor that
    // reads the first marker stay on it at every later read.
    if (DataEnd[-1] != '\n') *DataEnd++ = '\n';
    DataEnd[0] = 0;
    DataEnd[1] = 0;
    FileAtEnd = true;
  } else {
    DataEnd[0] = 0;
  }
  Poll();
}

void TTxtFile::LoadNextBlock() {
  uint8_t* base = Buffer.data();
  // A saved head must be whole: the limit leaves room for it.
  const auto limit = static_cast<ptrdiff_t>(std::max(KeepLimit, MaxLineBytes + 1));
  uint8_t* keepFrom = LineStart;
  if (MainEvicted) {
    keepFrom = AheadCursor - 1;
  } else {
    if (!HeadSaved && MaxLineBytes != 0 && DataEnd - LineStart > limit) SaveHead();
    if (HeadSaved) {
      // The byte in front of the main cursor stays: a lone CR there may still become an LF.
      keepFrom = Cursor > base ? Cursor - 1 : Cursor;
      if (DataEnd - keepFrom > limit && AheadCursor - 1 > keepFrom) {
        // The look-ahead has run far from the main cursor, whose text is read again when
        // it moves on; the byte in front of the look-ahead stays, as for the main cursor.
        MainOffset = TextOffset(Cursor);
        MainEvicted = true;
        keepFrom = AheadCursor - 1;
      }
    }
  }
  const size_t keep = static_cast<size_t>(DataEnd - keepFrom);
  const ptrdiff_t cursorOffset = MainEvicted ? 0 : Cursor - keepFrom;
  const ptrdiff_t lineOffset = HeadSaved ? 0 : LineStart - keepFrom;
  const size_t aheadOffset = static_cast<size_t>(AheadCursor - keepFrom);
  BaseOffset += keepFrom - base;
  if (keepFrom != base) std::memmove(base, keepFrom, keep);
  const size_t needed = keep + static_cast<size_t>(BuffSize) + kTailMargin;
  if (Buffer.size() < needed) Buffer.resize(std::max(needed, Buffer.size() * 2));
  base = Buffer.data();
  AheadCursor = base + aheadOffset;
  // While the main cursor is let go, it stands with the look-ahead, as far as pointers go.
  Cursor = MainEvicted ? AheadCursor : base + cursorOffset;
  LineStart = HeadSaved ? Cursor : base + lineOffset;
  DataEnd = base + keep;
  ReadBuffer(DataEnd);
  // No cursor steps onto the new block's first byte from before it, so a NUL there is
  // made a space here.
  if (base[keep] == 0) base[keep] = ' ';
}

void TTxtFile::SaveHead() {
  // Up to the line's end (a CR or LF, whether a cursor has made it an LF yet or not), with
  // a NUL as the blank that a cursor makes of it.
  Head.clear();
  const size_t room = MaxLineBytes + 1;
  for (const uint8_t* p = LineStart; p < DataEnd && Head.size() < room; ++p) {
    if (*p == '\n' || *p == '\r') break;
    Head += *p == 0 ? ' ' : static_cast<char>(*p);
  }
  HeadSaved = true;
}

void TTxtFile::RestoreMain() {
  // The text from the main cursor on, as it is in the file, with a byte in front of it,
  // where a lone CR under the cursor can be turned into an LF as everywhere else.
  uint8_t* base = Buffer.data();
  FileAtEnd = false;
  MainEvicted = false;
  base[0] = ' ';
  if (MainOffset == 0) {
    base[1] = '\n';
    F.Seek(0);
    ReadBuffer(base + 2);
  } else {
    F.Seek(static_cast<uint64_t>(MainOffset - 1));
    ReadBuffer(base + 1);
  }
  BaseOffset = MainOffset - 1;
  Cursor = AheadCursor = LineStart = base + 1;
  // The byte under the main cursor as the cursor had made it: a NUL a blank, a lone CR
  // an LF (it never stands on the CR of a CR LF).
  if (*Cursor == 0) *Cursor = ' ';
  if (*Cursor == '\r') *Cursor = '\n';
}

void TTxtFile::HandleNulAtCursor() {
  // The main cursor moving on leaves nothing for the look-ahead behind it.
  AheadCursor = Cursor;
  if (Cursor < DataEnd) {
    *Cursor = ' ';
  } else if (FileAtEnd) {
    Cursor = AheadCursor = DataEnd;
    throw EEndOfFile();
  } else {
    LoadNextBlock();
  }
}

void TTxtFile::HandleNulAtAhead() {
  if (AheadCursor < DataEnd)
    *AheadCursor = ' ';
  else if (FileAtEnd)
    AheadCursor = DataEnd;
  else
    LoadNextBlock();
}

uint8_t TTxtFile::FinishGetChar(uint8_t ch) {
  if (*Cursor == 0) HandleNulAtCursor();
  if (ch == '\n') {
    LineStart = Cursor;
    LineStartOffset = TextOffset(Cursor);
    HeadSaved = false;
    ++LineNumber;
  }
  if (*Cursor == '\r') {
    ++Cursor;
    if (*Cursor == 0) HandleNulAtCursor();
    // A CR LF leaves the cursor on the LF; a lone CR becomes the LF itself. The CR
    // lies right before the cursor even when a block was loaded behind it.
    if (*Cursor != '\n') *--Cursor = '\n';
  }
  AheadCursor = Cursor;
  return ch;
}

uint8_t TTxtFile::AheadAfterCr() {
  if (*AheadCursor == '\n') {
    ++AheadCursor;
    if (*AheadCursor == 0) HandleNulAtAhead();
  } else {
    AheadCursor[-1] = '\n';
  }
  return '\n';
}

void TTxtFile::GetThisLine(RE_LineInfo_t& lineInfo) {
  if (MainEvicted) RestoreMain();
  Poll();
  while (*Cursor != '\n') GetChar();
  AheadCursor = Cursor;
  if (HeadSaved) {
    lineInfo.Line = Head;
  } else {
    const uint8_t* end = Cursor;
    while (end > LineStart && (end[-1] == '\r' || end[-1] == '\n')) --end;
    lineInfo.Line.assign(reinterpret_cast<const char*>(LineStart),
                         static_cast<size_t>(end - LineStart));
  }
  lineInfo.Cut = CutAtCharacter(lineInfo.Line, MaxLineBytes);
  lineInfo.LineNo = LineNumber;
  lineInfo.Encoding = F.Encoding();
  lineInfo.Original.clear();
  if (F.Decodes())
    lineInfo.Original =
        F.OriginalLine(static_cast<uint64_t>(LineStartOffset - 1), lineInfo.Line.size());
}

}  // namespace varsik
