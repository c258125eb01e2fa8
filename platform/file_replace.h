// Whole-file reading and replacing for small files that the program owns (the settings
// file). A replacement is written beside the old file and renamed over it, so that a
// failed or interrupted write leaves the previous contents intact. Only a regular file
// of the user's own is ever replaced; a link is never written through, so that whoever
// can put a link where the file is expected cannot have another file overwritten.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace varsik {

namespace Platform {

enum class TReadResult {
  Read,        // `contents` holds the file
  Missing,     // no such file
  Unreadable,  // a folder, a device, too large, or an error while reading
};

// Reads the regular file at `path` (following links) into `contents`, at most
// `maxBytes`; larger files are Unreadable. Never blocks on FIFOs and the like.
TReadResult ReadWholeFile(const std::string& path, std::string& contents, std::uintmax_t maxBytes);

// What became of a file that was to be read for replacing, or to be replaced.
enum class TReplaceResult {
  Done,        // read, or replaced
  Missing,     // no such file yet (reading only: replacing creates it)
  Link,        // a symbolic link
  NotRegular,  // a folder, a device, a FIFO...
  NotOwned,    // another user's file
  ReadOnly,    // its owner has taken away the write permission
  TooLarge,    // larger than the caller allows (reading only)
  Failed,      // a system call failed; errno says why
};

// Reads the file at `path` that is about to be replaced into `contents`, at most
// `maxBytes`, when ReplaceFile would replace it: a regular file, not a link, that
// belongs to the user and that its owner may write. Never blocks on FIFOs and the like.
TReplaceResult ReadFileToReplace(const std::string& path, std::string& contents,
                                 std::uintmax_t maxBytes);

// Replaces the file at `path` by `contents`: writes a new temporary file
// (".NAME.tmp-" and a random suffix) in the same folder, flushes it to disk and renames
// it over the old one. Refuses anything but a regular file of the user's own that its
// owner may write. Creates missing parent folders; an existing file keeps its permission
// bits. Temporary files of the same name that an interrupted replacement left behind
// (regular files of the user's own) are removed first. On failure the temporary file is
// removed and the old file is untouched.
TReplaceResult ReplaceFile(const std::string& path, std::string_view contents);

}  // namespace Platform

}  // namespace varsik
