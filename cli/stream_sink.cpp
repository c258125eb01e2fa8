#include "cli/stream_sink.h"

#include <cerrno>
#include <cstring>

#include "platform/cp932.h"
#include "platform/message_catalog.h"
#include "platform/name_text.h"
#include "search/original_text.h"
#include "shell/marked_text.h"
#include "shell/result_text.h"

namespace varsik {

namespace {

// GNU grep's default colours: "ESC[K" clears to the line's end in the colour, so that a
// match at the right margin does not paint the rest of the terminal line.
constexpr std::string_view kMatchColor = "\x1b[01;31m\x1b[K";
constexpr std::string_view kPathColor = "\x1b[35m\x1b[K";
constexpr std::string_view kLineNoColor = "\x1b[32m\x1b[K";
constexpr std::string_view kColorEnd = "\x1b[m\x1b[K";

}  // namespace

void TStreamSink::Write(std::string_view bytes) {
  // After a failure nothing more is tried: a closed pipe would only fail again.
  if (WriteErrno != 0) return;
  // Only the search's own thread writes here; once the parallel search has started its
  // workers, the locked calls took the stream's lock for every line.
  fwrite_unlocked(bytes.data(), 1, bytes.size(), Out);
  if (!ferror_unlocked(Out)) return;
  WriteErrno = errno != 0 ? errno : EIO;
  if (OnWriteError) OnWriteError();
}

void TStreamSink::WriteLine(std::string_view bytes) {
  Record.assign(bytes);
  Record += '\n';
  Write(Record);
}

void TStreamSink::WriteNamed(std::string_view head, const std::string& path, std::string_view close,
                             std::string_view color) {
  // One write per record, into a buffer that keeps its room: a file list is tens of
  // thousands of short records.
  Record.assign(head);
  if (NullNames) {
    Record += path;
    Record += '\0';
  } else {
    if (!color.empty()) Record += color;
    Platform::AppendNameForOutput(Record, path);
    if (!color.empty()) Record += kColorEnd;
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
  if (!FileNameMode) WriteNamed("#\"", path, "\"", Color ? kPathColor : "");
}

void TStreamSink::AppendText(std::string& line, const TLineEntry& entry) {
  if (!Color || entry.Matches.empty()) {
    // Shift JIS lines go out to CP932 as their bytes; others with "?" for what CP932 lacks.
    if (!ReadsAsShiftJis(entry.TextEncoding)) {
      const std::string utf8 = OriginalToUtf8(entry.Text, entry.TextEncoding);
      line += Encoding == TOutputEncoding::Utf8 ? utf8 : Platform::Utf8ToCp932Lossy(utf8);
    } else if (Encoding == TOutputEncoding::Utf8) {
      Platform::AppendCp932AsUtf8(entry.Text, {}, line);
    } else {
      line += entry.Text;
    }
    return;
  }
  Converted.clear();
  Moved.clear();
  MarkedText::AppendConverted(
      Converted, entry.Text, entry.Matches,
      MarkedText::FromFile(entry.TextEncoding, Encoding == TOutputEncoding::Utf8), Moved);
  size_t done = 0;
  for (const TMatchSpan& m : Moved) {
    line.append(Converted, done, m.Begin - done);
    line += kMatchColor;
    line.append(Converted, m.Begin, m.End - m.Begin);
    line += kColorEnd;
    done = m.End;
  }
  line.append(Converted, done);
}

void TStreamSink::AppendLineEntry(const TLineEntry& entry) {
  if (FileNameMode) return;
  std::string& line = Line;
  line.clear();
  ResultText::AppendLineEntry(line, entry.LineNo, {});
  if (Color) {
    // The number between the entry's " :" and ": ".
    line.insert(line.size() - 2, kColorEnd);
    line.insert(2, kLineNoColor);
  }
  AppendText(line, entry);
  if (entry.Cut)
    line +=
        Encoding == TOutputEncoding::Utf8 ? ResultText::kCutMarkUtf8 : ResultText::kCutMarkCp932;
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
