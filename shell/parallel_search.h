// TParallelSearch: the files of a walk searched by a pool of workers, their results put
// out strictly in walk order, exactly as the one-thread search puts them out. The walk
// adds files in order; the workers take them in that order and search each with a
// TFileSearch of their own; the walk's thread puts out a file's results as soon as every
// earlier file is out (the first file not yet out: its lines as they come). The walk's
// thread is one of the searches too: when the walk is far enough ahead, and once it is
// over, it takes the next file as a worker would, and it never waits for the workers
// while there is a file to search. So N threads search with N - 1 workers, and the walk
// neither sleeps nor competes with a worker for a core. Results that wait for an earlier
// file are held up to a budget of memory, beyond which the workers wait, except the one
// on the first file, which never waits, and the walk's thread, which makes the room. A
// big file whose search stays in its lines is cut at line ends into parts that several
// searches take; each part goes out in turn, its lines numbered on from the line ends of
// the parts before.
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
#include "shell/file_search.h"
#include "shell/held_hits.h"
#include "shell/search_state.h"

namespace varsik {

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

  // The results held for later files are kept to about this many bytes, and those of the
  // first file that the walk's thread has not taken yet to this many.
  static constexpr size_t kHeldBudget = size_t{64} << 20;
  static constexpr size_t kFirstFileBudget = size_t{8} << 20;

  // `pattern`: the compiled pattern the searches share in regular-expression mode (null
  // in plain mode), read-only until Finish returns. `threads`: the threads that search,
  // the walk's among them (threads - 1 workers are started). `cancel` is the stop
  // command's flag.
  TParallelSearch(const TSearchOptions& options, const TGrepPattern* pattern, int threads,
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
    // Pieces of lines as the searches handed them over, in order.
    std::vector<THeldHits> Hits;
    size_t HitBytes = 0;
    bool Done = false;
    bool Unreadable = false;
    bool Stopped = false;
    std::exception_ptr Error;
    bool Taken = false;  // a worker has taken it
    bool Begun = false;  // the walk's thread has put out its Begin

    // A part after the end of its cut file's output (its text ended, or a part could not
    // be read): its lines are not put out. Read on the walk's thread.
    bool Unseen() const { return Part > 0 && Cut->Finished; }

    // Made new for another file, keeping the memory of its path: a job and its path
    // allocated for each file, and freed a few hundred files later, missed the
    // allocator's per-thread cache every time.
    void Reset() {
      std::string path = std::move(Path);
      path.clear();
      *this = TJob{};
      Path = std::move(path);
    }
  };

  // A search of a worker or of the walk's thread: its file search, set once to report to
  // it, to poll the stop command and to cut the file of the job it is on; and the lines
  // of that job not yet handed over.
  struct TSearcher {
    // `mayWait`: whether it may wait for room in the budget (not on the walk's thread,
    // which alone makes room).
    TSearcher(TParallelSearch& owner, bool mayWait);
    TSearcher(const TSearcher&) = delete;
    TSearcher& operator=(const TSearcher&) = delete;
    TFileSearch Search;
    TJob* Job = nullptr;
    THeldHits Hits;
    const bool MayWait;
    int64_t InputBlocks;  // its thread's reads from the disk when it last looked
    // The files to read ahead, the read-aheads made, and the reads from the disk when it
    // last looked after them.
    std::vector<std::string> AheadPaths;
    int64_t ReadAheads = 0;
    int64_t ReadAheadBlocks = 0;
    TLineSearcher::TPoll Poll;
    TLineSearcher::TReport Report;
  };
  // How the search of a job ended, besides its lines.
  struct TOutcome {
    bool Stopped = false;
    bool Unreadable = false;
    std::exception_ptr Error;
  };

  void Work();
  // The walk's thread searches the next file or part, if there is one and no stop.
  bool SearchHere();
  bool HasWork() const { return !WaitingParts.empty() || NextToRun < Jobs.size(); }
  // Takes the next job for a search (HasWork; the mutex is held).
  TJob& TakeJob(TSearcher& searcher);
  // Searches the searcher's job, no lock held.
  TOutcome Run(TSearcher& searcher);
  // Ends the searcher's job (the mutex is held): hands over the rest of its lines and how
  // it ended.
  void EndJob(TSearcher& searcher, TOutcome outcome);
  // The search of the job's file or part; what it found besides its lines goes in the
  // job. True when it stopped.
  bool SearchJob(TSearcher& searcher);
  // Cuts the job's file, of `size` bytes, when that pays and changes nothing: hands the
  // later parts to the workers and returns the first, or none.
  std::optional<TFilePart> Cut(TJob& job, uint64_t size);
  // Takes the front job off Jobs once it is out, a cut file's later parts in its place
  // (the mutex is held).
  void PopFront();
  // Hands a piece of a search's lines over; waits first, if it may, while they would
  // overfill the budget and the job is not the first.
  void Publish(TSearcher& searcher);
  // Whether a search must wait before it hands over its piece (under the lock).
  bool WaitsForRoom(const TSearcher& searcher) const;
  // Moves the searcher's lines to its job, giving it a spare piece for the next (the
  // mutex is held).
  void HandOver(TSearcher& searcher);
  // Asks the kernel to read ahead the files that TakeJob chose for the searcher (while
  // searches find their files read from the disk), so that their reads are under way
  // before a search opens them. No lock held.
  void ReadFilesAhead(TSearcher& searcher);
  // Puts out everything that is ready, in order. Returns false once a stopped file is out.
  bool PutOutReady();
  // On the walk's thread, from the poll of its search of a later file: the lines of the
  // first file handed over so far go out, instead of waiting for that search to end
  // (the first file's end, and what follows, is PutOutReady's).
  void PutOutFirstLines(const TSearcher& searcher);
  // Puts out the pieces taken from `job` (OutHits), after its Begin. False when a stop
  // ends the output here.
  bool PutOutTaken(TJob& job);
  // Gives the pieces written back for the searches to fill again, and their bytes back to
  // the budget (the mutex is held). Whether a search waits for room.
  bool GiveBackOut();
  // Takes the pieces of `job` handed over so far into OutHits, to be written (the mutex is
  // held).
  void TakeOut(TJob& job);
  // The same, taking the mutex, and wakes the searches waiting for the room.
  void GiveBackWritten();
  // Whether the first file has something to put out, which a worker may have handed
  // over since PutOutReady last looked. The mutex is held.
  bool OutputWaiting() const;
  // Whether the walk's thread, waiting once the walk is over, has something to do (the
  // mutex is held): output, a part of a cut file to search, a stop.
  bool WriterWanted() const;
  // Wakes the walk's thread when it waits and has enough to do. The mutex is held.
  void WakeWriter();
  bool StopRequested() const { return Cancel.load() || Abort.load(); }

  const TSearchOptions& Options;
  const TGrepPattern* Pattern;
  const std::atomic<bool>& Cancel;
  TOutput Output;
  const int ThreadCount;
  std::atomic<bool> Abort{false};
  // Whether the files come from the disk, as the last slow search found.
  std::atomic<bool> ReadAhead{false};

  std::mutex Mutex;
  std::condition_variable WorkReady;       // workers wait here for a file to take
  std::condition_variable RoomReady;       // and here for room in the budget
  std::condition_variable OutputReady;     // the walk's thread waits here
  std::deque<std::unique_ptr<TJob>> Jobs;  // from the first file not yet out
  size_t NextToRun = 0;                    // index in Jobs of the next file to hand out
  size_t ReadAheadTo = 0;                  // and of the first not read ahead
  std::deque<TJob*> WaitingParts;          // parts of cut files no worker has taken yet
  int Busy = 0;                            // workers on a job, which may cut its file
  int RoomWaiters = 0;                     // searches waiting for room in the budget
  size_t HeldBytes = 0;
  // The first file has lines handed over that are not out yet.
  std::atomic<bool> FirstLinesWaiting{false};
  bool Closing = false;
  bool StoppedOut = false;
  bool WriterWaiting = false;
  // Pieces of lines out, emptied, for the searches to fill again.
  std::vector<THeldHits> SpareHits;
  std::vector<std::thread> Workers;
  // The walk's thread's own: its search, jobs out to be used again, the pieces it puts
  // out (given back to SpareHits once written, their bytes counted in HeldBytes till
  // then), and the record each line is rebuilt in.
  std::optional<TSearcher> WalkSearcher;
  std::vector<std::unique_ptr<TJob>> SpareJobs;
  std::vector<THeldHits> OutHits;
  size_t OutBytes = 0;
  RE_LineInfo_t OutLine;
};

}  // namespace varsik
