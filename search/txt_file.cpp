#include "search/txt_file.h"

#include <algorithm>
#include <cstring>

TTxtFile::TTxtFile(const std::string& fileName, const bool* cancelFlag,
                   std::function<void()> processEvents, int32_t buffSize)
    : BuffSize(buffSize > 0 ? buffSize : kBuffSize),
      Name(fileName),
      F(fileName),
      CancelFlag(cancelFlag),
      ProcessEvents(std::move(processEvents)) {
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
  const size_t keep = static_cast<size_t>(DataEnd - LineStart);
  const size_t cursorOffset = static_cast<size_t>(Cursor - LineStart);
  const size_t aheadOffset = static_cast<size_t>(AheadCursor - LineStart);
  if (LineStart != base) std::memmove(base, LineStart, keep);
  const size_t needed = keep + static_cast<size_t>(BuffSize) + kTailMargin;
  if (Buffer.size() < needed) Buffer.resize(std::max(needed, Buffer.size() * 2));
  base = Buffer.data();
  LineStart = base;
  Cursor = base + cursorOffset;
  AheadCursor = base + aheadOffset;
  DataEnd = base + keep;
  ReadBuffer(DataEnd);
  // No cursor steps onto the new block's first byte from before it, so a NUL there is
  // made a space here.
  if (base[keep] == 0) base[keep] = ' ';
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
  Poll();
  while (*Cursor != '\n') GetChar();
  AheadCursor = Cursor;
  const uint8_t* end = Cursor;
  while (end > LineStart && (end[-1] == '\r' || end[-1] == '\n')) --end;
  lineInfo.Line.assign(reinterpret_cast<const char*>(LineStart),
                       static_cast<size_t>(end - LineStart));
  lineInfo.LineNo = LineNumber;
}
