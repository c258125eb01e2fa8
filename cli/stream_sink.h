// The command line's sink: the lines the results view (or, in file-name mode, the file
// list) would receive, written to a stream one per line, in the chosen encoding.
#pragma once

#include <cstdio>
#include <string>

#include "shell/search_sink.h"

class TStreamSink : public TSearchSink {
 public:
  enum class TEncoding { Utf8, Cp932 };

  TStreamSink(std::FILE* out, TEncoding encoding, bool fileNameMode)
      : Out(out), Encoding(encoding), FileNameMode(fileNameMode) {}

  void AppendFileHeader(const std::string& path) override;
  void AppendLineEntry(int64_t lineNo, std::string_view cp932Text, bool cut) override;
  void AppendErrorLine(const std::string& path) override;
  void AppendFileName(const std::string& path) override;
  void ShowCurrentFile(const std::string&) override {}
  void ShowFileError(const std::string&) override {}
  void ProcessEvents() override {}
  int ResultLineCount() const override { return ResultLines; }
  int FileListLineCount() const override { return FileLines; }

  int LineEntryCount() const { return Entries; }

 private:
  void WriteLine(std::string_view bytes);
  // A UTF-8 text in the output encoding.
  std::string FromUtf8(const std::string& utf8) const;

  std::FILE* Out;
  TEncoding Encoding;
  bool FileNameMode;
  int ResultLines = 0;
  int FileLines = 0;
  int Entries = 0;
};
