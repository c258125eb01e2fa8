// TInputFile: one file opened for reading only, read in blocks or whole. Shared by the
// text-file reader and the plain search; failures are raised as EInOutError kinds. A
// regular file ends where it ended when it was opened, even if it grows meanwhile.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include <sys/types.h>

namespace varsik {

class TInputFile {
 public:
  // Opens `fileName` for reading. Raises EFileNotFound with the system's message when
  // it cannot be opened or is a folder, and when it is no regular file (a FIFO, a
  // device, a socket) or lies on a file system whose files are made up as they are read
  // (proc, sysfs and the like: their sizes are not their lengths, and some never end).
  explicit TInputFile(const std::string& fileName);
  ~TInputFile();
  TInputFile(const TInputFile&) = delete;
  TInputFile& operator=(const TInputFile&) = delete;

  // Reads up to `size` bytes into `dest` and returns how many were read; fewer than
  // `size` only at the end of the file. Afterwards AtEnd() says whether any byte is
  // left, so a block that ends exactly with the file is known to be the last one.
  // Raises EInOutError on a read error.
  size_t ReadBlock(uint8_t* dest, size_t size);
  bool AtEnd() const { return EndSeen && PendingByte < 0; }

  // The rest of the file. Raises EInOutError on a read error.
  std::string ReadAll();

  // Reads at most `size` bytes into `dest` with one read of the system and returns how
  // many were read: 0 only at the end of the file. Raises EInOutError on a read error.
  size_t ReadSome(uint8_t* dest, size_t size);

  // Goes back (or on) to byte `offset` of the file, so that text let go of can be read
  // again. Raises EInOutError when the system refuses.
  void Seek(uint64_t offset);

  // Reads up to `size` bytes from byte `offset` into `dest` without moving where the reads
  // above stand; returns how many were read (fewer only at the file's end, as it was
  // when opened). Raises EInOutError on a read error.
  size_t ReadAt(uint64_t offset, uint8_t* dest, size_t size);

  // Reads only bytes [begin, end) from now on: the file ends at `end` for every read
  // above, and the next read begins at `begin`. One part of a file cut for several
  // searchers. Raises EInOutError as Seek does.
  void ReadRange(uint64_t begin, uint64_t end);
  // The size of the file as it was opened; UINT64_MAX when it is not known.
  uint64_t SizeOpened() const { return Size; }

 private:
  // Reads until `size` bytes or the end of the file; retries interrupted reads.
  size_t ReadFully(uint8_t* dest, size_t size);
  // One read of the system, within Left; sets EndSeen at the end. -1 with errno on error.
  ssize_t ReadOnce(uint8_t* dest, size_t size);

  int Fd = -1;
  // One byte read ahead to learn whether the file goes on after a full block.
  int PendingByte = -1;
  bool EndSeen = false;
  // The size of the file when it was opened, and the bytes that may still be read.
  uint64_t Size = UINT64_MAX;
  uint64_t Left = UINT64_MAX;
};

}  // namespace varsik
