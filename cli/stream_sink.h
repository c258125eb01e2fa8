// The command line's sink: the lines the results view (or, in file-name mode, the file
// list) would receive, written to a stream one per line, in the chosen encoding. Names
// are printed as their bytes with control characters escaped, or, with NullNames, raw
// and ended by a NUL so that a script can take any name apart. Failures are named on a
// message stream as well. With colour, the matches, the paths of file headers and the
// line numbers are wrapped in terminal escapes as GNU grep colours them; without the
// escapes the output is the same bytes.
#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "shell/search_sink.h"

namespace varsik {

class TStreamSink : public TSearchSink {
 public:
  enum class TOutputEncoding { Utf8, Cp932 };

  TStreamSink(std::FILE* out, TOutputEncoding encoding, bool fileNameMode, bool nullNames = false)
      : Out(out), Encoding(encoding), FileNameMode(fileNameMode), NullNames(nullNames) {}

  // Where unreadable files and skipped folders are named, one line each ("varsik-grep:
  // ..."); nowhere when not set.
  void SetMessages(std::FILE* messages) { Messages = messages; }
  // Runs once, when output first fails to be written (a full disk, a closed pipe); the
  // command line stops its search there. Nothing more is written after it.
  void SetOnWriteError(std::function<void()> onWriteError) {
    OnWriteError = std::move(onWriteError);
  }
  // Whether result lines are coloured for a terminal. Off at creation.
  void SetColor(bool on) { Color = on; }
  // Writes out what the stream holds. The errno of the first write that failed, here or
  // before; 0 when everything was written.
  int Finish();

  void AppendFileHeader(const std::string& path) override;
  void AppendLineEntry(const TLineEntry& entry) override;
  void AppendErrorLine(const std::string& path) override;
  void AppendFileName(const std::string& path) override;
  void ShowCurrentFile(const std::string&) override {}
  void ShowFileError(const std::string&) override {}
  void ReportSkippedFolder(const std::string& folder, int error) override;
  void ProcessEvents() override {}

 private:
  // `bytes` and the end of its line (a line feed).
  void WriteLine(std::string_view bytes);
  // A record that ends in a name: the name raw and a NUL with NullNames, else the name
  // escaped (in `color` when given), `close` and a line feed.
  void WriteNamed(std::string_view head, const std::string& path, std::string_view close,
                  std::string_view color = {});
  void Write(std::string_view bytes);
  void Message(const std::string& text);
  // A UTF-8 text in the output encoding.
  std::string FromUtf8(std::string_view utf8) const;
  // A line's text in the output encoding, added to `line`; with colour, each match
  // wrapped in the match escapes.
  void AppendText(std::string& line, const TLineEntry& entry);

  std::FILE* Out;
  TOutputEncoding Encoding;
  bool FileNameMode;
  bool NullNames;
  bool Color = false;
  std::FILE* Messages = nullptr;
  std::function<void()> OnWriteError;
  int WriteErrno = 0;
  std::string Record;
  // A coloured line's text and its matches in it, reused from line to line.
  std::string Converted;
  std::vector<TMatchSpan> Moved;
  // The entry line being made, kept from line to line.
  std::string Line;
};

}  // namespace varsik
