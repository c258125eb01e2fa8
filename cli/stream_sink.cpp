#include "cli/stream_sink.h"

#include <cerrno>
#include <cstring>

#include "platform/cp932.h"
#include "platform/message_catalog.h"
#include "platform/name_text.h"
#include "shell/result_text.h"

namespace varsik {

void TStreamSink::Write(std::string_view bytes) {
  // After a failure nothing more is tried: a closed pipe would only fail again.
  if (WriteErrno != 0) return;
  std::fwrite(bytes.data(), 1, bytes.size(), Out);
  if (!std::ferror(Out)) return;
  WriteErrno = errno != 0 ? errno : EIO;
  if (OnWriteError) OnWriteError();
}

void TStreamSink::WriteLine(std::string_view bytes) {
  Record.assign(bytes);
  Record += '\n';
  Write(Record);
}

void TStreamSink::WriteNamed(std::string_view head, const std::string& path,
                             std::string_view close) {
  // One write per record, into a buffer that keeps its room: a file list is tens of
  // thousands of short records.
  Record.assign(head);
  if (NullNames) {
    Record += path;
    Record += '\0';
  } else {
    Platform::AppendNameForOutput(Record, path);
    Record += close;
    Record += '\n';
  }
  Write(Record);
}

int TStreamSink::Finish() {
  if (WriteErrno == 0 && std::fflush(Out) != 0) WriteErrno = errno != 0 ? errno : EIO;
  return WriteErrno;
}

void TStreamSink::Message(const std::string& text) {
  if (Messages) std::fprintf(Messages, "varsik-grep: %s\n", text.c_str());
}

std::string TStreamSink::FromUtf8(std::string_view utf8) const {
  if (Encoding == TOutputEncoding::Utf8) return std::string(utf8);
  // Paths stay the file system's bytes; only the fixed message text is re-encoded,
  // so a path that CP932 cannot hold still comes out as it is on disk.
  return Platform::Utf8ToCp932(utf8).value_or(std::string(utf8));
}

void TStreamSink::AppendFileHeader(const std::string& path) {
  if (!FileNameMode) WriteNamed("#\"", path, "\"");
}

void TStreamSink::AppendLineEntry(const TLineEntry& entry) {
  if (FileNameMode) return;
  std::string line;
  if (Encoding == TOutputEncoding::Utf8) {
    line = ResultText::LineEntry(entry.LineNo, Platform::Cp932ToUtf8(entry.Text));
    if (entry.Cut) line += ResultText::kCutMarkUtf8;
  } else {
    line = ResultText::LineEntry(entry.LineNo, entry.Text);
    if (entry.Cut) line += ResultText::kCutMarkCp932;
  }
  WriteLine(line);
}

void TStreamSink::AppendErrorLine(const std::string& path) {
  Message(Platform::Translate("cannot read file %s", {Platform::NameForOutput(path)}));
  if (FileNameMode) return;
  WriteNamed('"' + FromUtf8(ResultText::kUnreadableHead), path,
             FromUtf8(ResultText::kUnreadableTail) + '"');
}

void TStreamSink::AppendFileName(const std::string& path) {
  if (FileNameMode) WriteNamed("", path, "");
}

void TStreamSink::ReportSkippedFolder(const std::string& folder, int error) {
  Message(Platform::Translate("cannot read folder %s: %s",
                              {Platform::NameForOutput(folder), std::strerror(error)}));
}

}  // namespace varsik
