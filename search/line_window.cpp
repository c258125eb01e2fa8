#include "search/line_window.h"

#include <algorithm>
#include <cstring>

#include "search/byte_scan.h"

namespace varsik {

TLineWindow::TLineWindow(const std::string& fileName, std::vector<uint8_t>& buffer,
                         size_t blockSize, size_t maxLineBytes, const TReadEncoding& encoding)
    : F(fileName, encoding),
      Buffer(buffer),
      BlockSize(std::max<size_t>(blockSize, 1)),
      MaxLineBytes(std::max<size_t>(maxLineBytes, 2)) {
  Reserve(0);
  // The LF in front of the file.
  Buffer[0] = '\n';
}

void TLineWindow::Reserve(size_t size) {
  const size_t need = End + size + ByteScan::kPadding;
  if (Buffer.size() < need) Buffer.resize(std::max(need, Buffer.size() + Buffer.size() / 2));
}

TLineWindow::TChunk TLineWindow::HandOut(size_t end, bool continuesLine) {
  const std::span<const uint8_t> bytes(Buffer.data() + Begin, end - Begin);
  Begin = end;
  return {bytes, continuesLine};
}

size_t TLineWindow::LastLineEnd(size_t from) const {
  size_t end = 0;
  if (const void* lf = ::memrchr(Buffer.data() + from, '\n', End - from))
    end = static_cast<size_t>(static_cast<const uint8_t*>(lf) - Buffer.data()) + 1;
  if (CrEndsLines) {
    // A CR ends a line unless an LF follows; for the last byte read that is not known
    // yet.
    const size_t crFrom = std::max(from, end);
    if (End - 1 > crFrom)
      if (const void* cr = ::memrchr(Buffer.data() + crFrom, '\r', End - 1 - crFrom))
        end = static_cast<size_t>(static_cast<const uint8_t*>(cr) - Buffer.data()) + 1;
  }
  return end;
}

TLineWindow::TChunk TLineWindow::Next() {
  // What is left of the last read moves to the front, behind the byte that stood in
  // front of it.
  if (Begin > 1) {
    Buffer[0] = Buffer[Begin - 1];
    std::memmove(Buffer.data() + 1, Buffer.data() + Begin, End - Begin);
    End -= Begin - 1;
    Base += Begin - 1;
    Begin = 1;
  }
  while (!FileEnded && !TextEnded) {
    if (End - Begin >= MaxLineBytes) {
      if (TextEndsAtNul)
        if (const void* nul = std::memchr(Buffer.data() + Begin, 0, End - Begin)) {
          End = static_cast<size_t>(static_cast<const uint8_t*>(nul) - Buffer.data()) + 1;
          TextEnded = true;
          break;
        }
      // A piece of a long line; a CR at its end stays, as its LF may come next.
      const size_t end = Buffer[End - 1] == '\r' ? End - 1 : End;
      if (end > Begin) return HandOut(end, true);
    }
    Reserve(BlockSize);
    const size_t n = F.ReadSome(Buffer.data() + End, BlockSize);
    if (n == 0) {
      FileEnded = true;
      break;
    }
    const size_t from = End;
    End += n;
    std::memset(Buffer.data() + End, 0, ByteScan::kPadding);
    F.RunPoll();
    // The byte in front of this read may be a CR whose LF it was waiting for.
    if (const size_t end = LastLineEnd(from > Begin ? from - 1 : from)) return HandOut(end, false);
  }
  // The file's last line, without a line end, or the text up to its NUL.
  std::memset(Buffer.data() + End, 0, ByteScan::kPadding);
  return HandOut(End, false);
}

}  // namespace varsik
