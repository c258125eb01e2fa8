// TInputFile: one file opened for reading only, read in blocks or whole. Shared by the
// text-file reader and the plain search; failures are raised as EInOutError kinds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class TInputFile {
 public:
  // Opens `fileName` for reading. Raises EFileNotFound with the system's message when
  // it cannot be opened or is a folder.
  explicit TInputFile(const std::string& fileName);
  ~TInputFile();
  TInputFile(const TInputFile&) = delete;
  TInputFile& operator=(const TInputFile&) = delete;

  // Reads up to `size` bytes into `dest` and returns how many were read; fewer than
  // `size` only at the end of the file. Afterwards AtEnd() says whether any byte is
  // left, so a block that ends exactly with the file is known to be the last one.
  // Raises EInOutError on a read error.
  size_t ReadBlock(uint8_t* dest, size_t size);
  bool AtEnd() const { return EndSeen; }

  // The rest of the file. Raises EInOutError on a read error.
  std::string ReadAll();

  // Reads at most `size` bytes into `dest` with one read of the system and returns how
  // many were read: 0 only at the end of the file. Raises EInOutError on a read error.
  size_t ReadSome(uint8_t* dest, size_t size);

 private:
  // Reads until `size` bytes or the end of the file; retries interrupted reads.
  size_t ReadFully(uint8_t* dest, size_t size);

  std::string FileName;
  int Fd = -1;
  // One byte read ahead to learn whether the file goes on after a full block.
  int PendingByte = -1;
  bool EndSeen = false;
};
