// TLineWindow: one file read front to back through one reused buffer and handed out as
// runs of whole lines, so that a scan meets each byte while it is still in the cache
// and a file costs no more memory than one block and its longest line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "search/input_file.h"

class TLineWindow {
 public:
  static constexpr size_t kBlockSize = 128 * 1024;

  // Opens the file; raises EFileNotFound as TInputFile does. `buffer` belongs to the
  // caller, who keeps it from file to file so that its memory is reused. `blockSize`
  // is the most read at once; tests make it tiny to reach every boundary case.
  TLineWindow(const std::string& fileName, std::vector<uint8_t>& buffer,
              size_t blockSize = kBlockSize);
  TLineWindow(const TLineWindow&) = delete;
  TLineWindow& operator=(const TLineWindow&) = delete;

  // The next run of whole lines, right behind the previous one: each of its lines ends
  // with LF (or a lone CR, see SetCrEndsLines) except the file's last line, which ends
  // with the run. Empty when the file is used up. The byte in front of a run is always
  // an LF, and ByteScan::kPadding
  // readable bytes follow it (the next line's start, or zeros). The previous run is
  // overwritten. Raises EInOutError on a read error.
  std::span<const uint8_t> NextLines();

  // Reads the rest of the file without keeping it, so that a read error still raises
  // (also behind a NUL that ended the text).
  void Drain();

  // True when nothing follows the run handed out last, as far as is known without
  // reading on (a file read up to its size is known to end).
  bool AtEnd() const { return Begin == End && (FileEnded || TextEnded || F.AtEnd()); }

  // Whether a lone CR ends a line too, as it does for the grep component's reader (off:
  // only LF ends a line). A run may then end behind a CR that is not followed by LF.
  void SetCrEndsLines(bool on) { CrEndsLines = on; }

  // Whether the text ends at its first NUL byte, as it does for the plain search: the
  // run that holds it ends right behind it and nothing after it is read, so that a file
  // of zeros costs no more memory than one of short lines.
  void SetTextEndsAtNul(bool on) { TextEndsAtNul = on; }

  // Runs after each read that returned bytes (the grep component's poll, which may
  // raise to stop the scan).
  void SetAfterRead(std::function<void()> afterRead) { AfterRead = std::move(afterRead); }

 private:
  // Makes room for `size` more bytes behind the data and the padding behind those.
  void Reserve(size_t size);

  TInputFile F;
  std::vector<uint8_t>& Buffer;
  size_t BlockSize;
  // The bytes read but not yet handed out lie in [Begin, End) of Buffer.
  size_t Begin = 1;
  size_t End = 1;
  bool FileEnded = false;
  bool CrEndsLines = false;
  bool TextEndsAtNul = false;
  bool TextEnded = false;  // at a NUL, with TextEndsAtNul
  // With TextEndsAtNul: the bytes of the line being built in front of this offset hold
  // no NUL, so that a long line is searched for one once.
  size_t NulFreeEnd = 1;
  std::function<void()> AfterRead;
};
