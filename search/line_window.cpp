#include "search/line_window.h"

#include <algorithm>
#include <cstring>

#include "search/byte_scan.h"

TLineWindow::TLineWindow(const std::string& fileName, std::vector<uint8_t>& buffer,
                         size_t blockSize)
    : F(fileName), Buffer(buffer), BlockSize(blockSize == 0 ? 1 : blockSize) {
  Reserve(0);
}

void TLineWindow::Reserve(size_t size) {
  const size_t need = End + size + ByteScan::kPadding;
  if (Buffer.size() < need) Buffer.resize(std::max(need, Buffer.size() + Buffer.size() / 2));
  // The LF in front of the first run.
  Buffer[0] = '\n';
}

std::span<const uint8_t> TLineWindow::NextLines() {
  // The start of the line that the last run left over moves to the front, behind the
  // LF that stays at Buffer[0].
  if (Begin > 1) {
    std::memmove(Buffer.data() + 1, Buffer.data() + Begin, End - Begin);
    NulFreeEnd -= std::min(NulFreeEnd, Begin) - 1;
    End -= Begin - 1;
    Begin = 1;
  }
  while (!FileEnded && !TextEnded) {
    Reserve(BlockSize);
    const size_t n = F.ReadSome(Buffer.data() + End, BlockSize);
    if (n == 0) {
      FileEnded = true;
      break;
    }
    const size_t from = End;
    End += n;
    std::memset(Buffer.data() + End, 0, ByteScan::kPadding);
    if (AfterRead) AfterRead();
    size_t runEnd = 0;
    if (const void* lf = ::memrchr(Buffer.data() + from, '\n', n))
      runEnd = static_cast<size_t>(static_cast<const uint8_t*>(lf) - Buffer.data()) + 1;
    if (CrEndsLines) {
      // A CR ends a line unless an LF follows; for the last byte read that is not known
      // yet. The byte before this read may be such a CR.
      const size_t crFrom = std::max(from > Begin ? from - 1 : from, runEnd);
      if (End - 1 > crFrom)
        if (const void* cr = ::memrchr(Buffer.data() + crFrom, '\r', End - 1 - crFrom))
          runEnd = static_cast<size_t>(static_cast<const uint8_t*>(cr) - Buffer.data()) + 1;
    }
    if (runEnd != 0) {
      const std::span<const uint8_t> run(Buffer.data() + Begin, runEnd - Begin);
      Begin = runEnd;
      return run;
    }
    // A line longer than a read: where the text ends inside it, the rest is not kept.
    if (TextEndsAtNul) {
      const size_t checkFrom = std::max(Begin, NulFreeEnd);
      if (const void* nul = std::memchr(Buffer.data() + checkFrom, 0, End - checkFrom)) {
        End = static_cast<size_t>(static_cast<const uint8_t*>(nul) - Buffer.data()) + 1;
        TextEnded = true;
        break;
      }
      NulFreeEnd = End;
    }
  }
  // The file's last line, without a line end.
  std::memset(Buffer.data() + End, 0, ByteScan::kPadding);
  const std::span<const uint8_t> run(Buffer.data() + Begin, End - Begin);
  Begin = End;
  return run;
}

void TLineWindow::Drain() {
  Begin = End = 1;
  Reserve(BlockSize);
  while (!FileEnded)
    if (F.ReadSome(Buffer.data() + 1, BlockSize) == 0) FileEnded = true;
}
