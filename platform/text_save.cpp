#include "platform/text_save.h"

#include <cstring>
#include <optional>

#include "platform/cp932.h"

namespace varsik {

namespace Platform {
namespace {

// The text goes to iconv in pieces of about this size, so that a character that CP932
// lacks costs only a few more calls on its own piece.
constexpr size_t kPieceBytes = 64 * 1024;

bool IsContinuation(char c) {
  return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// The bytes of the character that `utf8` starts with: its UTF-8 sequence, or one byte
// where no whole sequence starts (that byte then becomes one "?").
size_t CharacterLength(std::string_view utf8) {
  const auto lead = static_cast<unsigned char>(utf8[0]);
  const size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
  if (length > utf8.size()) return 1;
  for (size_t i = 1; i < length; ++i)
    if (!IsContinuation(utf8[i])) return 1;
  return length;
}

// Where a piece of at most `limit` bytes may end: on a character's first byte.
size_t PieceEnd(std::string_view utf8, size_t limit) {
  if (limit >= utf8.size()) return utf8.size();
  size_t end = limit;
  while (end > 0 && IsContinuation(utf8[end])) --end;
  return end > 0 ? end : CharacterLength(utf8);
}

// Converts in one go where it can, else halves the text at a character's start until
// the characters that fail stand alone: each becomes "?". The depth is the logarithm of
// the piece's size.
void AppendConverted(std::string_view utf8, std::string& out) {
  if (utf8.empty()) return;
  if (const std::optional<std::string> whole = Utf8ToCp932(utf8)) {
    out += *whole;
    return;
  }
  if (utf8.size() == CharacterLength(utf8)) {
    out += '?';
    return;
  }
  const size_t middle = PieceEnd(utf8, utf8.size() / 2);
  AppendConverted(utf8.substr(0, middle), out);
  AppendConverted(utf8.substr(middle), out);
}

}  // namespace

std::string ShiftJisCrLf(std::string_view utf8) {
  std::string cp932;
  cp932.reserve(utf8.size());
  while (!utf8.empty()) {
    const size_t length = PieceEnd(utf8, kPieceBytes);
    AppendConverted(utf8.substr(0, length), cp932);
    utf8.remove_prefix(length);
  }
  // A line feed byte is never part of a CP932 character, so line ends are found in the
  // converted bytes as they are.
  std::string out;
  out.reserve(cp932.size() + cp932.size() / 16);
  for (const char c : cp932) {
    if (c == '\n' && (out.empty() || out.back() != '\r')) out += '\r';
    out += c;
  }
  return out;
}

TReplaceResult SaveText(const std::string& path, std::string_view utf8, TTextEncoding encoding) {
  if (encoding == TTextEncoding::Utf8Lf) return ReplaceFile(path, utf8);
  return ReplaceFile(path, ShiftJisCrLf(utf8));
}

std::string SaveFailureReason(TReplaceResult result, int error) {
  switch (result) {
    case TReplaceResult::Done:
    case TReplaceResult::Missing:
    case TReplaceResult::TooLarge:
      break;
    case TReplaceResult::Link:
      return "シンボリックリンクには保存しません。リンク先のファイル名を指定してください。";
    case TReplaceResult::NotRegular:
      return "通常のファイルではありません。";
    case TReplaceResult::NotOwned:
      return "ほかのユーザーのファイルです。";
    case TReplaceResult::ReadOnly:
      return "書き込みが禁止されたファイルです。";
    case TReplaceResult::Failed:
      return std::strerror(error);
  }
  return std::string();
}

}  // namespace Platform

}  // namespace varsik
