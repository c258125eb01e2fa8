#include "window/view_sink.h"

#include <QEventLoop>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>
#include <algorithm>
#include <exception>
#include <thread>

#include "base/scope_exit.h"
#include "editor/text_editor.h"
#include "platform/name_text.h"
#include "platform/qt/event_pump.h"
#include "shell/marked_text.h"
#include "shell/result_text.h"

namespace varsik {

namespace {

// How often the status panel follows the file being searched: often enough to look
// live; more often nobody could read it.
constexpr int kFlushIntervalMs = 100;
// How often the window looks at the search: the end of a search, a box it waits for.
constexpr int kServeIntervalMs = 5;

// Returns the view's position where the lines begin.
long HandOver(const std::string& lines, TTextEditor& view) {
  return view.AppendUtf8Lines(
      QByteArray::fromRawData(lines.data(), static_cast<qsizetype>(lines.size())));
}

}  // namespace

TViewSink::TViewSink(TTextEditor& results, TTextEditor& fileList, QLabel& statusPanel,
                     QWidget& owner)
    : Results(results), FileList(fileList), StatusPanel(statusPanel), Owner(owner) {
  Clock.start();
}

void TViewSink::Begin() {
  Queued.Begin(Lockstep);
  CurrentFile.reset();
  HeaderLines.clear();
  HeaderLinesRevision = Results.Revision();
  LastFlushMs = Clock.elapsed();
}

void TViewSink::Flush() {
  TakeLines();
  if (CurrentFile) {
    StatusPanel.setText(QString::fromStdString(Platform::NameForView(*CurrentFile)));
    CurrentFile.reset();
  }
  Results.PaintAppended();
  FileList.PaintAppended();
  LastFlushMs = Clock.elapsed();
}

void TViewSink::TakeLines() {
  Queued.Take(Taken);
  const TQueuedSink::TBatch& batch = Taken;
  if (!batch.Results.empty()) {
    // A batch starts on the line after the view's last one. Lines kept before an edit
    // of the user's stay untrusted.
    const bool trusted = Results.Revision() == HeaderLinesRevision;
    const int firstLine = Results.LineCount();
    const long start = HandOver(batch.Results, Results);
    // The matches of the batch are marked with it, in one pass.
    MarkRanges.clear();
    for (const TMatchSpan& m : batch.Marks)
      MarkRanges.push_back({start + static_cast<long>(m.Begin), start + static_cast<long>(m.End)});
    Results.MarkMatches(MarkRanges);
    for (int line : batch.HeaderLines) HeaderLines.push_back(firstLine + line);
    if (trusted) HeaderLinesRevision = Results.Revision();
  }
  HandOver(batch.Files, FileList);
  if (batch.CurrentFile) CurrentFile.swap(Taken.CurrentFile);
}

std::optional<int> TViewSink::HeaderLineAtOrAbove(int line) const {
  if (Results.Revision() != HeaderLinesRevision) return std::nullopt;
  const auto after = std::upper_bound(HeaderLines.begin(), HeaderLines.end(), line);
  return after == HeaderLines.begin() ? -1 : *(after - 1);
}

void TViewSink::RunSearch(const std::function<void()>& search, const std::function<void()>& stop) {
  std::exception_ptr error;
  QEventLoop loop;
  const auto serve = [&] {
    if (!Serve()) loop.quit();
  };
  // The views take the lines block by block as they come, and repaint what they
  // changed when the status panel follows the search.
  for (TTextEditor* view : {&Results, &FileList}) view->HoldAppends(true);
  const TScopeExit released([this] {
    for (TTextEditor* view : {&Results, &FileList}) view->HoldAppends(false);
  });
  // A block of lines and the end of the search are served at once, not at the next
  // turn of the timer: a search that ends within a few milliseconds would otherwise
  // wait as long again, and the lines would be put into the views after it.
  QObject woken;
  const auto wake = [&] { QMetaObject::invokeMethod(&woken, serve, Qt::QueuedConnection); };
  if (!Lockstep) Queued.OnResultsReady(wake);
  const TScopeExit forgotten([this] { Queued.OnResultsReady(nullptr); });
  std::thread thread([&] {
    try {
      search();
    } catch (...) {
      error = std::current_exception();
    }
    Queued.Finish();
    if (!Lockstep) wake();
  });
  Queued.ForgetLastHeaders();
  {
    // Should serving fail, the search is stopped and let go of before it is waited for.
    bool served = false;
    const TScopeExit joined([&] {
      if (!served) {
        stop();
        Queued.Release();
      }
      thread.join();
    });
    if (Lockstep) {
      do Queued.WaitForTurn();
      while (Serve());
    } else {
      QTimer timer;
      QObject::connect(&timer, &QTimer::timeout, serve);
      timer.start(kServeIntervalMs);
      loop.exec();
    }
    served = true;
  }
  if (error) std::rethrow_exception(error);
}

bool TViewSink::Serve() {
  // An error box runs the event loop, and with it the timer that serves: the box is
  // answered once.
  if (Serving) return true;
  Serving = true;
  const TScopeExit served([this] { Serving = false; });
  const TQueuedSink::TState state = Queued.State();
  if (state.Wait != TQueuedSink::TWait::None || state.Finished ||
      Clock.elapsed() - LastFlushMs >= kFlushIntervalMs)
    Flush();
  else if (state.ResultsReady)
    TakeLines();
  switch (state.Wait) {
    case TQueuedSink::TWait::Poll:
      Platform::ProcessPendingEvents();
      Queued.Resume();
      break;
    case TQueuedSink::TWait::ErrorBox:
      ShowFileError(state.ErrorPath);
      Queued.Resume();
      break;
    case TQueuedSink::TWait::None:
      break;
  }
  return !state.Finished;
}

void TViewSink::ShowFileError(const std::string& path) {
  // The error line is in the view before the box, so the user sees where the search is.
  QMessageBox::warning(
      &Owner, QStringLiteral("Varsik"),
      QString::fromStdString(ResultText::UnreadableMessage(Platform::NameForView(path))));
}

}  // namespace varsik
