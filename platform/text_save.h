// Saving a view's text to a file the user chose: UTF-8 as the view holds it (lines end
// in LF), or Shift JIS (CP932) with lines ending in CR LF. The file is replaced whole
// (Platform::ReplaceFile): a write that fails leaves the old file as it was.
#pragma once

#include <string>
#include <string_view>

#include "platform/file_replace.h"

namespace varsik {

namespace Platform {

enum class TTextEncoding {
  Utf8Lf,       // the view's bytes as they are
  ShiftJisCrLf  // CP932, CR LF; a character that CP932 lacks becomes "?"
};

// UTF-8 text with LF line ends as CP932 with CR LF line ends. Every character that
// CP932 cannot hold, and every byte that is not UTF-8, becomes one "?".
std::string ShiftJisCrLf(std::string_view utf8);

// Replaces the file at `path` by `utf8` in `encoding`. The file must be one that
// ReplaceFile replaces: a regular file of the user's own that is not read-only, or none
// yet. A link is refused rather than written through or replaced: a name picked in a
// dialog may be a link that someone else put in a shared folder.
TReplaceResult SaveText(const std::string& path, std::string_view utf8, TTextEncoding encoding);

// Why SaveText failed, in Japanese, for a message; `error` is errno after a Failed.
std::string SaveFailureReason(TReplaceResult result, int error);

}  // namespace Platform

}  // namespace varsik
