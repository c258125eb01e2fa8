#include "window/queued_sink.h"

#include "platform/name_text.h"
#include "shell/marked_text.h"
#include "shell/result_text.h"

namespace varsik {

namespace {

// The search waits while more text than this waits for the window: the window takes it
// at once, and putting 8 MB into the views held it for 20 to 100 ms.
constexpr size_t kMaxQueuedBytes = size_t{2} << 20;
// The window is told of the results once this much waits: enough that putting a block
// into the views costs little beside the block itself, little enough that the last
// block, put in after the search, is quick.
constexpr size_t kReadyBytes = size_t{256} << 10;

void AddLine(std::string& lines, std::string_view utf8) {
  lines += utf8;
  lines += '\n';
}

}  // namespace

void TQueuedSink::TBatch::Clear() {
  Results.clear();
  ResultLines = 0;
  HeaderLines.clear();
  Marks.clear();
  Files.clear();
  CurrentFile.reset();
}

void TQueuedSink::Begin(bool lockstep) {
  const std::lock_guard lock(Mutex);
  Queued.Clear();
  QueuedBytes.store(0, std::memory_order_relaxed);
  Now = TState();
  // The last search's headers are forgotten once this one runs (ForgetLastHeaders):
  // freeing the paths of 20,000 files took a millisecond.
  std::swap(Headers, LastHeaders);
  Headers.Clear();
  Lockstep = lockstep;
  Released = false;
}

void TQueuedSink::ForgetLastHeaders() {
  LastHeaders.Clear();
}

void TQueuedSink::Finish() {
  {
    const std::lock_guard lock(Mutex);
    Now.Finished = true;
  }
  Changed.notify_all();
}

void TQueuedSink::OnResultsReady(std::function<void()> ready) {
  Ready = std::move(ready);
}

template <class F>
void TQueuedSink::Add(F&& add) {
  bool ready = false;
  size_t queued;
  {
    const std::lock_guard lock(Mutex);
    add();
    queued = Queued.Results.size() + Queued.Files.size();
    QueuedBytes.store(queued, std::memory_order_relaxed);
    if (!Now.ResultsReady && queued >= kReadyBytes) ready = Now.ResultsReady = true;
  }
  if (ready && Ready) Ready();
  // Bounded whoever adds, not only at the poll points, while the window takes the lines
  // as they come: the parallel search puts a file's lines out without a poll between
  // them, and the window took batches of 30 MB, each holding it for up to a second.
  if (queued > kMaxQueuedBytes && Ready) WaitForRoom();
}

void TQueuedSink::AddResult(std::string_view utf8) {
  AddLine(Queued.Results, utf8);
  ++Queued.ResultLines;
}

void TQueuedSink::AppendFileHeader(const std::string& path) {
  Add([&] {
    Queued.HeaderLines.push_back(Queued.ResultLines);
    AddResult(Headers.Header(path));
  });
}

void TQueuedSink::AppendLineEntry(const TLineEntry& entry) {
  // The line is made outside the lock, in buffers kept from line to line.
  Line.clear();
  ResultText::AppendLineEntry(Line, entry.LineNo, {});
  LineMarks.clear();
  MarkedText::AppendConverted(Line, entry.Text, entry.Matches,
                              MarkedText::FromFile(entry.TextEncoding, /*toUtf8=*/true), LineMarks);
  if (entry.Cut) Line += ResultText::kCutMarkUtf8;
  Add([&] {
    // From the line's bytes to the batch's.
    for (TMatchSpan& m : LineMarks) {
      m.Begin += Queued.Results.size();
      m.End += Queued.Results.size();
      Queued.Marks.push_back(m);
    }
    AddResult(Line);
  });
}

void TQueuedSink::AppendErrorLine(const std::string& path) {
  const std::string line = ResultText::UnreadableLine(Platform::NameForView(path));
  Add([&] { AddResult(line); });
}

void TQueuedSink::AppendFileName(const std::string& path) {
  const std::string line = Platform::NameForView(path);
  Add([&] { AddLine(Queued.Files, line); });
}

void TQueuedSink::ShowCurrentFile(const std::string& path) {
  // Only the last file before a batch is shown: its name is made readable then.
  const std::lock_guard lock(Mutex);
  Queued.CurrentFile = path;
}

void TQueuedSink::ShowFileError(const std::string& path) {
  std::unique_lock lock(Mutex);
  Now.ErrorPath = path;
  WaitFor(lock, TWait::ErrorBox);
}

void TQueuedSink::ProcessEvents() {
  // A search polls at every hit it reports: mostly it need not wait, which it knows
  // without the lock. Only this thread makes the count grow.
  if (!Lockstep && QueuedBytes.load(std::memory_order_relaxed) <= kMaxQueuedBytes) return;
  if (!Lockstep) return WaitForRoom();
  std::unique_lock lock(Mutex);
  WaitFor(lock, TWait::Poll);
}

void TQueuedSink::WaitForRoom() {
  if (Lockstep) return;
  std::unique_lock lock(Mutex);
  Changed.wait(lock, [this] {
    return Released || Queued.Results.size() + Queued.Files.size() <= kMaxQueuedBytes;
  });
}

void TQueuedSink::WaitFor(std::unique_lock<std::mutex>& lock, TWait wait) {
  if (Released) return;
  Now.Wait = wait;
  Changed.notify_all();
  Changed.wait(lock, [this] { return Released || Now.Wait == TWait::None; });
}

void TQueuedSink::Take(TBatch& batch) {
  batch.Clear();
  {
    const std::lock_guard lock(Mutex);
    std::swap(batch, Queued);
    Now.ResultsReady = false;
    QueuedBytes.store(0, std::memory_order_relaxed);
  }
  Changed.notify_all();
}

TQueuedSink::TState TQueuedSink::State() const {
  const std::lock_guard lock(Mutex);
  return Now;
}

void TQueuedSink::Resume() {
  {
    const std::lock_guard lock(Mutex);
    Now.Wait = TWait::None;
  }
  Changed.notify_all();
}

void TQueuedSink::WaitForTurn() {
  std::unique_lock lock(Mutex);
  Changed.wait(lock, [this] { return Now.Wait != TWait::None || Now.Finished; });
}

void TQueuedSink::Release() {
  {
    const std::lock_guard lock(Mutex);
    Released = true;
    Now.Wait = TWait::None;
  }
  Changed.notify_all();
}

std::optional<std::string> TQueuedSink::HeaderPath(std::string_view fileName) const {
  const std::lock_guard lock(Mutex);
  return Headers.PathOf(fileName);
}

}  // namespace varsik
