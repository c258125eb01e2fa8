// Whole-file reading and replacing for small files that the program owns (the settings
// file). A replacement is written beside the old file and renamed over it, so that a
// failed or interrupted write leaves the previous contents intact.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace Platform {

enum class TReadResult {
  Read,        // `contents` holds the file
  Missing,     // no such file
  Unreadable,  // a folder, a device, too large, or an error while reading
};

// Reads the regular file at `path` (following links) into `contents`, at most
// `maxBytes`; larger files are Unreadable. Never blocks on FIFOs and the like.
TReadResult ReadWholeFile(const std::string& path, std::string& contents, std::uintmax_t maxBytes);

// Replaces the file at `path` (the target, when `path` is a link) by `contents`: writes a
// temporary file in the same folder, flushes it to disk and renames it over the old one.
// Creates missing parent folders. An existing file keeps its permission bits; a file
// without write permission is not replaced. Returns false on any failure, after removing
// the temporary file; the old file is then untouched.
bool ReplaceFile(const std::string& path, std::string_view contents);

}  // namespace Platform
