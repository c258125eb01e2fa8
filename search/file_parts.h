// FileParts: where a big file may be cut into parts that several searchers search apart,
// each part whole lines, numbered on from the line ends of the parts before it. The
// search's worker pool cuts a file only where this says the cut changes nothing.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "search/read_encoding.h"

namespace varsik::FileParts {

// Whether the file reads as its own bytes (Shift JIS or ASCII) under `encoding`, known
// from its head: cp932 always; in automatic mode when the detector is certain of Shift
// JIS within the head, as the reader would be. A part far into the file can then be read
// alone. Raises EFileNotFound or EInOutError when the file cannot be read.
bool ReadsAsItsBytes(const std::string& fileName, const TReadEncoding& encoding);

// The first line start at or after byte `offset` of the file (of `size` bytes): offset 0,
// or the byte behind an LF, or `size`. `stop` runs after each block read, on the calling
// thread; nullopt when it said to stop. Raises EFileNotFound or EInOutError.
std::optional<uint64_t> LineStartFrom(const std::string& fileName, uint64_t offset, uint64_t size,
                                      const std::function<bool()>& stop);

}  // namespace varsik::FileParts
