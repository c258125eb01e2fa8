// Where a search's output goes: the window's two views and status bar, or the command
// line's standard output. The search calls these on the thread that runs it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "shell/line_entry.h"

namespace varsik {

class TSearchSink {
 public:
  virtual ~TSearchSink() = default;

  // The results view. Paths are the file system's bytes, any bytes (a sink shows them so
  // that no name can break a line or reach a terminal raw).
  virtual void AppendFileHeader(const std::string& path) = 0;
  virtual void AppendLineEntry(const TLineEntry& entry) = 0;
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
