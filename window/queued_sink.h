// TQueuedSink: the sink of a search that runs on a thread of its own while the window
// thread keeps its event loop turning. The search thread's calls are made into the
// results view's and the file list's UTF-8 lines there, and queued; the window thread
// takes them in batches (Take) and puts them into the views. It touches no Qt object,
// and every member may be called from either thread.
//
// The search never waits for the window, except where it must: at an error box of the
// ErrMsgBox setting, which the search waits for until the user has answered it, so that
// the boxes come in walk order with nothing of later files written behind them; in
// lockstep (tests), where every poll point waits until the window has run its event loop
// once, as when the search ran on the window thread; and when the window falls far
// behind, so that the queue never holds more than a few megabytes.
//
// The window takes the results while the search goes on, a block of a few hundred
// kilobytes at a time, so that little is left to put into the view when the search
// ends: the search tells it (OnResultsReady) when such a block is waiting.
#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "shell/header_paths.h"
#include "shell/search_sink.h"

namespace varsik {

class TQueuedSink : public TSearchSink {
 public:
  // What the search waits at, for the window thread to Resume it.
  enum class TWait { None, Poll, ErrorBox };

  // Lines queued and not yet taken.
  struct TBatch {
    // Each ended by a line feed, as the views take them in one piece.
    std::string Results;
    int ResultLines = 0;
    // Where the headers stand among Results (0-based lines).
    std::vector<int> HeaderLines;
    // The matches on the entry lines, as bytes of Results.
    std::vector<TMatchSpan> Marks;
    std::string Files;
    // The file last taken up (its bytes), when one was since the last batch.
    std::optional<std::string> CurrentFile;

    // Empties the batch, keeping the room that its lines took.
    void Clear();
  };

  // Where the search stands, as the window thread sees it.
  struct TState {
    TWait Wait = TWait::None;
    std::string ErrorPath;  // the file of the error box waited for
    bool Finished = false;
    // A block of results waits to be taken.
    bool ResultsReady = false;
  };

  // A search starts: the headers of the last are forgotten. In lockstep every poll point
  // waits for the window.
  void Begin(bool lockstep);
  // Frees what the last search left, while this one runs (the window thread).
  void ForgetLastHeaders();
  // Called on the search's thread, without the lock, when a block of results has come
  // to wait since the last Take; it must only tell the window thread. While it is set,
  // the search's thread also waits when it adds lines past the bound, as at a poll.
  void OnResultsReady(std::function<void()> ready);
  // The search's thread has returned; nothing more comes.
  void Finish();

  // The search thread's side.
  void AppendFileHeader(const std::string& path) override;
  void AppendLineEntry(const TLineEntry& entry) override;
  void AppendErrorLine(const std::string& path) override;
  void AppendFileName(const std::string& path) override;
  void ShowCurrentFile(const std::string& path) override;
  // Waits until the window thread has shown the box and the user has answered it.
  void ShowFileError(const std::string& path) override;
  // Waits only in lockstep, or while the window has not taken the lines queued.
  void ProcessEvents() override;

  // The window thread's side. Take swaps what is queued into `batch`, emptied first;
  // the batch's room goes to the search's next lines, so that a search does not make
  // new room for each batch (fresh memory, a page fault every 4 KB, was a third of the
  // search thread's time when the window took its results every 100 ms).
  void Take(TBatch& batch);
  TState State() const;
  // Lets the search go on from where it waits.
  void Resume();
  // Lockstep: waits until the search waits or has finished.
  void WaitForTurn();
  // No wait of the search holds any more (the window gives the search up).
  void Release();

  // The path of a header of this search, given its text after "#".
  std::optional<std::string> HeaderPath(std::string_view fileName) const;

 private:
  // Runs `add` with the mutex held, then tells the window if a block of results has
  // come to wait.
  template <class F>
  void Add(F&& add);
  // Adds a line to the queued results; the mutex is held.
  void AddResult(std::string_view utf8);
  // Waits, after `wait` is set, until the window thread resumes the search.
  void WaitFor(std::unique_lock<std::mutex>& lock, TWait wait);
  // Waits while more than the bound waits for the window (not in lockstep).
  void WaitForRoom();

  mutable std::mutex Mutex;
  std::condition_variable Changed;
  TBatch Queued;
  // The bytes of Queued's lines, written with the mutex held, read by the search's
  // thread without it.
  std::atomic<size_t> QueuedBytes{0};
  TState Now;
  THeaderPaths Headers;
  // The headers of the search before, not yet freed; the window thread's own.
  THeaderPaths LastHeaders;
  std::function<void()> Ready;
  bool Lockstep = false;
  bool Released = false;
  // The search thread's own: the entry line being made.
  std::string Line;
  std::vector<TMatchSpan> LineMarks;
};

}  // namespace varsik
