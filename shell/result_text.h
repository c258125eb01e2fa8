// The texts a search produces: result lines, the unreadable-file message, the status
// line and the window caption. All results are UTF-8 except where a parameter says
// CP932; paths are taken as given (the sinks make them safe to show first).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace varsik {

namespace ResultText {

// #"path"
std::string FileHeader(std::string_view path);
// What follows the text of a line that was cut (only its first bytes are shown).
inline constexpr std::string_view kCutMarkUtf8 = "…";
inline constexpr std::string_view kCutMarkCp932 = "\x81\x63";
// " :12: text" with the text's bytes unchanged.
std::string LineEntry(int64_t lineNo, std::string_view text);
// The same put behind `out`, for lines made in a buffer kept from line to line.
void AppendLineEntry(std::string& out, int64_t lineNo, std::string_view text);
// ファイル path は開けませんでした。
inline constexpr std::string_view kUnreadableHead = "ファイル ";
inline constexpr std::string_view kUnreadableTail = " は開けませんでした。";
std::string UnreadableMessage(std::string_view path);
// The message in double quotes, as the results view shows it.
std::string UnreadableLine(std::string_view path);
// 検索ファイル数 : F   一致ファイル数 : M   一致行数 : L
std::string Status(int64_t searchedFiles, int64_t matchedFiles, int64_t matchedLines);
// Varsik - <folder><masks> - "<word>"
std::string Caption(std::string_view folder, std::string_view masks, std::string_view word);

}  // namespace ResultText

}  // namespace varsik
