#include "cli/stream_sink.h"

#include "platform/cp932.h"
#include "shell/result_text.h"

void TStreamSink::WriteLine(std::string_view bytes) {
  std::fwrite(bytes.data(), 1, bytes.size(), Out);
  std::fputc('\n', Out);
}

std::string TStreamSink::FromUtf8(const std::string& utf8) const {
  if (Encoding == TEncoding::Utf8) return utf8;
  // Paths stay the file system's bytes; only the fixed message text is re-encoded,
  // so a path that CP932 cannot hold still comes out as it is on disk.
  return Platform::Utf8ToCp932(utf8).value_or(utf8);
}

void TStreamSink::AppendFileHeader(const std::string& path) {
  ++ResultLines;
  if (!FileNameMode) WriteLine(ResultText::FileHeader(path));
}

void TStreamSink::AppendLineEntry(int64_t lineNo, std::string_view cp932Text, bool cut) {
  ++ResultLines;
  ++Entries;
  if (FileNameMode) return;
  std::string entry;
  if (Encoding == TEncoding::Utf8) {
    entry = ResultText::LineEntry(lineNo, Platform::Cp932ToUtf8(cp932Text));
    if (cut) entry += ResultText::kCutMarkUtf8;
  } else {
    entry = ResultText::LineEntry(lineNo, cp932Text);
    if (cut) entry += ResultText::kCutMarkCp932;
  }
  WriteLine(entry);
}

void TStreamSink::AppendErrorLine(const std::string& path) {
  ++ResultLines;
  if (FileNameMode) return;
  if (Encoding == TEncoding::Utf8)
    WriteLine(ResultText::UnreadableLine(path));
  else {
    std::string line(1, '"');
    line += FromUtf8("ファイル ");
    line += path;
    line += FromUtf8(" は開けませんでした。");
    line += '"';
    WriteLine(line);
  }
}

void TStreamSink::AppendFileName(const std::string& path) {
  ++FileLines;
  if (FileNameMode) WriteLine(path);
}
