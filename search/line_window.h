// TLineWindow: one file read front to back through one reused buffer and handed out as
// chunks of whole lines, so that a scan meets each byte while it is still in the cache
// and a file costs no more memory than one block and its longest line. A line longer
// than the window keeps is handed out in pieces instead, so no line holds memory
// without bound.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "search/decoded_input.h"

namespace varsik {

class TLineWindow {
 public:
  static constexpr size_t kBlockSize = 128 * 1024;
  // The longest line handed out whole; longer ones come in pieces of this size or so.
  static constexpr size_t kMaxLineBytes = 4 << 20;

  // Opens the file; raises EFileNotFound as TInputFile does. `buffer` belongs to the
  // caller, who keeps it from file to file so that its memory is reused. `blockSize`
  // is the most read at once; tests make it tiny to reach every boundary case, and
  // `maxLineBytes` tiny to cut lines into pieces. The file is read as `encoding` says,
  // as the engine's bytes (TDecodedInput).
  TLineWindow(const std::string& fileName, std::vector<uint8_t>& buffer,
              size_t blockSize = kBlockSize, size_t maxLineBytes = kMaxLineBytes,
              const TReadEncoding& encoding = {});
  TLineWindow(const TLineWindow&) = delete;
  TLineWindow& operator=(const TLineWindow&) = delete;

  // What Next hands out, right behind what it handed out before. Usually whole lines:
  // each ends with a line end (LF, or a lone CR with SetCrEndsLines) except the file's
  // last line, which ends with the file. When ContinuesLine is set, the bytes are a
  // piece of one line that goes on in the next chunk (they hold no line end, and a CR
  // LF is never split). A chunk that follows such a piece begins with the rest of that
  // line; when the file ends with the piece, there is none. The byte in front of a chunk is
  // readable (an LF in front of the file), and ByteScan::kPadding readable bytes follow it (the
  // next bytes read, or zeros).
  struct TChunk {
    std::span<const uint8_t> Bytes;
    bool ContinuesLine = false;
  };

  // The next chunk; empty when the file is used up. The previous one is overwritten.
  // Raises EInOutError on a read error, and what the after-read hook raises.
  TChunk Next();

  // True when nothing follows the chunk handed out last, as far as is known without
  // reading on (a file read up to its size is known to end).
  bool AtEnd() const { return Begin == End && (FileEnded || TextEnded || F.AtEnd()); }

  // Whether a lone CR ends a line too, as it does for the grep component's reader (off:
  // only LF ends a line).
  void SetCrEndsLines(bool on) { CrEndsLines = on; }

  // Whether the text ends at its first NUL byte, as it does for the plain search. In a
  // chunk of whole lines the finder ends the text there itself (looking for the NUL on
  // every read cost a pass over all the text); a piece of a long line never holds one:
  // the chunk that holds it ends right behind it and nothing after it is read.
  void SetTextEndsAtNul(bool on) { TextEndsAtNul = on; }

  // Runs after each read that returned bytes: the search's poll, which may raise to
  // stop the scan. A read of a block is the most work done between two polls.
  // The decoding stage keeps it, as it runs it after the blocks it reads ahead too.
  void SetAfterRead(std::function<void()> afterRead) { F.SetPoll(std::move(afterRead)); }

  // The engine offset in the file of a byte of the chunk handed out last.
  uint64_t OffsetOf(const uint8_t* p) const {
    return Base + static_cast<uint64_t>(p - (Buffer.data() + 1));
  }
  // The decoding stage, which knows the file's encoding and its lines' own bytes.
  TDecodedInput& Input() { return F; }

 private:
  // Makes room for `size` more bytes behind the data and the padding behind those.
  void Reserve(size_t size);
  // Hands out [Begin, end) and moves Begin there.
  TChunk HandOut(size_t end, bool continuesLine);
  // The end of the last line end in [from, End), or 0 when there is none.
  size_t LastLineEnd(size_t from) const;

  TDecodedInput F;
  std::vector<uint8_t>& Buffer;
  // The engine offset of Buffer[1].
  uint64_t Base = 0;
  size_t BlockSize;
  size_t MaxLineBytes;
  // The bytes read but not yet handed out lie in [Begin, End) of Buffer.
  size_t Begin = 1;
  size_t End = 1;
  bool FileEnded = false;
  bool CrEndsLines = false;
  bool TextEndsAtNul = false;
  bool TextEnded = false;  // at a NUL, with TextEndsAtNul
};

}  // namespace varsik
