// How a file name's bytes are shown. A name is data, never markup: its control
// characters never go out raw, where they would break a result line in two or drive
// the terminal. An escaped byte reads \n, \r, \t or \xHH (lower-case hex), a backslash
// \\ where the form says so.
#pragma once

#include <string>
#include <string_view>

namespace varsik {

namespace Platform {

// The path as UTF-8 text for the window. Each element between slashes that is UTF-8 is
// shown as it is; any other (Shift JIS names from Windows archives) is decoded as CP932.
// Control characters (00-1F, 7F and U+0080-U+009F), bytes that decode to no character
// and the backslash are escaped as the bytes they were.
std::string NameForView(std::string_view path);

// Every byte outside printable ASCII, and the backslash, escaped. Two paths never give
// the same text, nor does this text equal the view text of another path.
std::string NameFullyEscaped(std::string_view path);

// The path as the command line prints it: its bytes as they are, except control
// characters (00-1F, 7F, and U+0080-U+009F when written in UTF-8), which are escaped.
std::string NameForOutput(std::string_view path);
// The same, appended to `out` (a buffer that keeps its room from name to name).
void AppendNameForOutput(std::string& out, std::string_view path);

}  // namespace Platform

}  // namespace varsik
