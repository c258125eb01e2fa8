// TViewSink: where a search run from the main window ends up: the results view, the
// file list and status panel 0. The search runs on a thread of its own and writes into
// a TQueuedSink; this runs the window's event loop meanwhile and hands the queued lines
// to the views in blocks as they come, so that little is left to do when the search
// ends. What they change on the screen is painted, and the file being searched shown in
// the status panel, every tenth of a second. Paths are shown readably with their control
// characters escaped; the path behind each header is kept for the tag jump. The matches
// on the entry lines are marked in the view with each batch.
#pragma once

#include <QElapsedTimer>
#include <QtGlobal>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "editor/text_editor.h"
#include "window/queued_sink.h"

class QLabel;
class QWidget;

namespace varsik {

class TViewSink {
 public:
  TViewSink(TTextEditor& results, TTextEditor& fileList, QLabel& statusPanel, QWidget& owner);

  // What the search writes into, from its thread (or, in tests, from this one).
  TQueuedSink& Queue() { return Queued; }

  // A search starts: batches are paced from now, and the headers of the last search are
  // forgotten.
  void Begin();
  // Hands the queued lines to the views and the current file to the status panel.
  void Flush();
  // Tests: every poll point of the search waits until the event loop has run once, as
  // if the search ran on this thread, so that what a handler sees is known.
  void SetLockstep(bool on) { Lockstep = on; }

  // Runs `search` (which writes into Queue()) on a thread of its own, and the event loop
  // on this one until the search has returned and its last lines are in the views; what
  // the search raised is raised here. `stop` makes the search return soon, should this
  // thread have to give it up.
  void RunSearch(const std::function<void()>& search, const std::function<void()>& stop);

  // The path of a header that this search wrote, given the header's text after "#".
  std::optional<std::string> HeaderPath(std::string_view fileName) const {
    return Queued.HeaderPath(fileName);
  }

  // The results view's line of the nearest header at or above `line` that this search
  // wrote (-1: none), found among the headers' lines kept as they were handed over.
  // nullopt once the view's text has changed otherwise (the user edited it): the lines
  // kept may have moved.
  std::optional<int> HeaderLineAtOrAbove(int line) const;

 private:
  // Serves the search once: hands its lines over when a block waits or a batch is due,
  // and answers the poll point or the error box that it waits at. False once it has
  // finished.
  bool Serve();
  // Hands the queued lines to the views; the current file waits for the next Flush.
  void TakeLines();
  void ShowFileError(const std::string& path);

  TTextEditor& Results;
  TTextEditor& FileList;
  QLabel& StatusPanel;
  QWidget& Owner;
  TQueuedSink Queued;
  // The lines taken last, whose room the queue takes back at the next Take.
  TQueuedSink::TBatch Taken;
  // The file last taken up, not yet shown.
  std::optional<std::string> CurrentFile;
  std::vector<TTextEditor::TRange> MarkRanges;
  // The results view's lines that hold this search's headers, ascending, and the view's
  // revision right after the last hand-over, while which they hold.
  std::vector<int> HeaderLines;
  quint64 HeaderLinesRevision = 0;
  QElapsedTimer Clock;
  qint64 LastFlushMs = 0;
  bool Lockstep = false;
  bool Serving = false;
};

}  // namespace varsik
