// Where a search's output goes: the window's two views and status bar, or the command
// line's standard output. The search calls these on the thread that runs it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace varsik {

class TSearchSink {
 public:
  virtual ~TSearchSink() = default;

  // The results view. Paths are the file system's bytes, any bytes (a sink shows them so
  // that no name can break a line or reach a terminal raw); line texts are CP932 bytes,
  // exactly as read from the file, without their line end. `cut` says that the text is
  // only the first bytes of a longer line (cut at a character boundary).
  virtual void AppendFileHeader(const std::string& path) = 0;
  virtual void AppendLineEntry(int64_t lineNo, std::string_view cp932Text, bool cut) = 0;
  virtual void AppendErrorLine(const std::string& path) = 0;

  // The file list: one line per file taken up, in walk order.
  virtual void AppendFileName(const std::string& path) = 0;

  // Status panel 0 follows the file being taken up.
  virtual void ShowCurrentFile(const std::string& path) = 0;

  // The setting ErrMsgBox: one message box per unreadable file.
  virtual void ShowFileError(const std::string& path) = 0;

  // A folder of the walk could not be read (`error` is the errno), so its files and
  // sub-folders were passed over. The window does not show these; the command line
  // names them and fails.
  virtual void ReportSkippedFolder(const std::string& /*folder*/, int /*error*/) {}

  // A poll point of the search: lets pending user-interface events run. It may be
  // throttled by time; the cancel flag is read right after it all the same.
  virtual void ProcessEvents() = 0;
};

}  // namespace varsik
