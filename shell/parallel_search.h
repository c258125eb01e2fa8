// TParallelSearch: the files of a walk searched by a pool of workers, their results put
// out strictly in walk order, exactly as the one-thread search puts them out. The walk
// adds files in order; the workers take them in that order and search each with a
// TFileSearch of their own; the walk's thread puts out a file's results as soon as every
// earlier file is out (the first file not yet out: its lines as they come). Results that
// wait for an earlier file are held up to a budget of memory, beyond which the workers
// wait, except the one on the first file, which never waits. A big file whose search
// stays in its lines is cut at line ends into parts that several workers search; each
// part goes out in turn, its lines numbered on from the line ends of the parts before.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "search/grep_scanner.h"
#include "search/line_info.h"
#include "search/line_searcher.h"
#include "shell/search_state.h"

namespace varsik {

class TFileSearch;

class TParallelSearch {
 public:
  // What the walk's thread is told, in walk order: a file taken up, each matching line
  // of it, that it could not be read, and its end. Idle runs now and then while the walk's
  // thread waits for the workers (the sink's poll point).
  struct TOutput {
    std::function<void(const std::string& path)> Begin;
    std::function<void(const RE_LineInfo_t& hit)> Hit;
    std::function<void()> Unreadable;
    std::function<void()> End;
    std::function<void()> Idle;
  };

  // The results held for later files are kept to about this many bytes.
  static constexpr size_t kHeldBudget = size_t{64} << 20;

  // `pattern`: the compiled pattern the workers share in regular-expression mode (null in
  // plain mode), read-only until Finish returns. `cancel` is the stop command's flag.
  TParallelSearch(const TSearchOptions& options, const TGrepPattern* pattern, int workers,
                  const std::atomic<bool>& cancel, TOutput output);
  // Stops the workers and waits for them.
  ~TParallelSearch();
  TParallelSearch(const TParallelSearch&) = delete;
  TParallelSearch& operator=(const TParallelSearch&) = delete;

  // Takes up the next file of the walk, putting out what is ready meanwhile. Returns
  // false when the search has stopped: the walk ends.
  bool Add(const std::string& path);
  // Waits for the files added and puts out the rest. What a worker's search raised other
  // than a read error is raised here, in walk order, after the files before it are out.
  void Finish();

 private:
  // One file: its path, and (guarded by Mutex) its results not yet put out, each line's
  // record whole, so that whatever the searcher tells of a line reaches the output.
  // A file cut into parts: the nominal part length (part k holds the lines that begin in
  // [k * PartBytes, (k + 1) * PartBytes)), and what the parts tell each other.
  struct TCut {
    uint64_t Size = 0;
    uint64_t PartBytes = 0;
    int Parts = 0;
    // The first part known to end the file's text: the parts after it stop and go unseen.
    std::atomic<int> EndedAt{INT32_MAX};
    // The walk's thread's own: the line ends of the parts out, and whether the file is.
    int64_t LineBase = 0;
    bool Finished = false;
  };

  struct TJob {
    std::string Path;
    // Of a cut file's part (Cut set by the search of part 0, under Mutex): which one, its
    // line ends, whether the text ended in it, and (part 0) the parts after it, which
    // take its place in Jobs when it is out.
    std::shared_ptr<TCut> Cut;
    int Part = 0;
    int64_t LineEnds = 0;
    bool TextEnded = false;
    std::vector<std::unique_ptr<TJob>> LaterParts;
    std::vector<RE_LineInfo_t> Hits;
    size_t HitBytes = 0;
    bool Done = false;
    bool Unreadable = false;
    bool Stopped = false;
    std::exception_ptr Error;
    bool Taken = false;  // a worker has taken it
    bool Begun = false;  // the walk's thread has put out its Begin
  };

  void Work();
  bool HasWork() const { return !WaitingParts.empty() || NextToRun < Jobs.size(); }
  void Run(TFileSearch& search, TJob& job);
  // The search of the job's file or part; what it found besides its lines goes in `job`.
  // True when it stopped.
  bool SearchJob(TFileSearch& search, TJob& job,
                 const std::function<void(const RE_LineInfo_t&)>& report);
  // Cuts the job's file, of `size` bytes, when that pays and changes nothing: hands the
  // later parts to the workers and returns the first, or none.
  std::optional<TFilePart> Cut(TJob& job, uint64_t size);
  // Takes the front job off Jobs once it is out, a cut file's later parts in its place.
  void PopFront();
  // Hands a worker's results over; waits first while they would overfill the budget and
  // the job is not the first.
  void Publish(TJob& job, std::vector<RE_LineInfo_t>& hits, size_t& bytes, bool last);
  // Puts out everything that is ready, in order. Returns false once a stopped file is out.
  bool PutOutReady();
  // Whether the first file has something to put out, which a worker may have handed
  // over since PutOutReady last looked. The mutex is held.
  bool OutputWaiting() const;
  // Whether the walk's thread, waiting, has enough to do to be woken for it (the mutex is
  // held): the lines of a first file still searched, a batch of files taken off the queue,
  // held results nearing the budget, a stop; once the walk is over, any output. Waking it
  // for every file cost a switch of threads per file, as much as searching a small one.
  bool WriterWanted() const;
  // Wakes the walk's thread when it waits and has enough to do. The mutex is held.
  void WakeWriter();
  bool StopRequested() const { return Cancel.load() || Abort.load(); }

  const TSearchOptions& Options;
  const TGrepPattern* Pattern;
  const std::atomic<bool>& Cancel;
  TOutput Output;
  const int WorkerCount;
  std::atomic<bool> Abort{false};

  std::mutex Mutex;
  std::condition_variable WorkReady;       // workers wait here: a file to take, room to hold
  std::condition_variable OutputReady;     // the walk's thread waits here
  std::deque<std::unique_ptr<TJob>> Jobs;  // from the first file not yet out
  size_t NextToRun = 0;                    // index in Jobs of the next file to hand out
  std::deque<TJob*> WaitingParts;          // parts of cut files no worker has taken yet
  int Busy = 0;                            // workers on a job, which may cut its file
  size_t HeldBytes = 0;
  bool Closing = false;
  bool StoppedOut = false;
  bool WriterWaiting = false;
  std::vector<std::thread> Workers;
};

}  // namespace varsik
