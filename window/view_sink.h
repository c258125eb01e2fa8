// TViewSink: where a search run from the main window writes: the results view, the
// file list and status panel 0. Lines are collected and handed to the views in
// batches, a few tens of milliseconds apart, so that a search with tens of thousands
// of hits keeps the window responsive. Paths are shown readably with their control
// characters escaped; the path behind each header is kept for the tag jump. The
// matches on the entry lines are marked in the view with each batch.
#pragma once

#include <QElapsedTimer>
#include <QtGlobal>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "editor/text_editor.h"
#include "shell/header_paths.h"
#include "shell/search_sink.h"

class QLabel;
class QWidget;

namespace varsik {

class TViewSink : public TSearchSink {
 public:
  TViewSink(TTextEditor& results, TTextEditor& fileList, QLabel& statusPanel, QWidget& owner);

  // A search starts: batches and polls are paced from now, and the headers of the last
  // search are forgotten.
  void Begin();
  // Hands the collected lines to the views and the current file to the status panel.
  void Flush();
  // How often a poll point lets the event loop run (tests make every poll point run it).
  void SetPollInterval(int intervalMs) { PollIntervalMs = intervalMs; }

  // All of these run on the user-interface thread, inside the search.
  void AppendFileHeader(const std::string& path) override;
  void AppendLineEntry(const TLineEntry& entry) override;
  void AppendErrorLine(const std::string& path) override;
  void AppendFileName(const std::string& path) override;
  void ShowCurrentFile(const std::string& path) override;
  void ShowFileError(const std::string& path) override;
  // Flushes when a batch is due and lets the event loop run every few milliseconds;
  // the search reads its cancel flag right after. Called once per hit or line, so it
  // reads the clock once and does nothing else until something is due.
  void ProcessEvents() override;

  // The path of a header that this search wrote, given the header's text after "#".
  std::optional<std::string> HeaderPath(std::string_view fileName) const {
    return Headers.PathOf(fileName);
  }

  // The results view's line of the nearest header at or above `line` that this search
  // wrote (-1: none), found among the headers' lines kept as they were handed over.
  // nullopt once the view's text has changed otherwise (the user edited it): the lines
  // kept may have moved.
  std::optional<int> HeaderLineAtOrAbove(int line) const;

 private:
  void AddResult(std::string_view utf8);

  TTextEditor& Results;
  TTextEditor& FileList;
  QLabel& StatusPanel;
  QWidget& Owner;
  // Lines not yet in the views: UTF-8, each ended by a line feed, as the views take
  // them in one piece. The buffers keep their room from batch to batch.
  std::string PendingResults;
  std::string PendingFiles;
  int PendingResultLines = 0;
  // The matches on the pending results, as bytes of PendingResults.
  std::vector<TMatchSpan> PendingMarks;
  std::vector<TTextEditor::TRange> MarkRanges;
  // Where the pending headers stand among the pending results (0-based lines).
  std::vector<int> PendingHeaderLines;
  THeaderPaths Headers;
  // The results view's lines that hold this search's headers, ascending, and the view's
  // revision right after the last hand-over, while which they hold.
  std::vector<int> HeaderLines;
  quint64 HeaderLinesRevision = 0;
  std::string PendingStatus;  // the path's bytes
  bool StatusPending = false;
  QElapsedTimer Clock;
  qint64 LastFlushMs = 0;
  qint64 LastPollMs = 0;
  int PollIntervalMs;
};

}  // namespace varsik
