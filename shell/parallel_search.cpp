#include "shell/parallel_search.h"

#include <chrono>
#include <iterator>

#include "search/errors.h"
#include "shell/file_search.h"

namespace varsik {

namespace {

// A worker hands its lines over in pieces of about this size, so that the first file's
// lines come out while it is searched.
constexpr size_t kPieceBytes = 64 * 1024;
// The walk runs at most this many files ahead of the workers; when it has that many
// waiting, it waits until the workers have taken kRefillFiles of them.
constexpr size_t kMaxWaitingFiles = 256;
constexpr size_t kRefillFiles = 64;
// How often a waiting thread looks at the stop command.
constexpr auto kWaitStep = std::chrono::milliseconds(20);

// What a held line costs, near enough.
size_t BytesOf(const RE_LineInfo_t& hit) {
  return sizeof hit + hit.Line.capacity() + hit.Original.capacity() +
         hit.Matches.capacity() * sizeof(TMatchSpan);
}

}  // namespace

TParallelSearch::TParallelSearch(const TSearchOptions& options, const TGrepPattern* pattern,
                                 int workers, const std::atomic<bool>& cancel, TOutput output)
    : Options(options), Pattern(pattern), Cancel(cancel), Output(std::move(output)) {
  for (int i = 0; i < std::max(workers, 1); ++i) Workers.emplace_back([this] { Work(); });
}

TParallelSearch::~TParallelSearch() {
  {
    const std::lock_guard lock(Mutex);
    Abort = true;
    Closing = true;
  }
  WorkReady.notify_all();
  for (std::thread& worker : Workers) worker.join();
}

void TParallelSearch::Work() {
  TFileSearch search(Options, Pattern);
  for (;;) {
    TJob* job = nullptr;
    {
      std::unique_lock lock(Mutex);
      while (!StopRequested() && NextToRun >= Jobs.size() && !Closing)
        WorkReady.wait_for(lock, kWaitStep);
      if (StopRequested() || NextToRun >= Jobs.size()) {
        if (StopRequested() || Closing) return;
        continue;
      }
      job = Jobs[NextToRun++].get();
      job->Taken = true;
      WakeWriter();
    }
    Run(search, *job);
  }
}

void TParallelSearch::Run(TFileSearch& search, TJob& job) {
  std::vector<RE_LineInfo_t> hits;
  size_t bytes = 0;
  bool stopped = false;
  bool unreadable = false;
  std::exception_ptr error;
  try {
    stopped = search.Search(
                  job.Path, [this] { return StopRequested(); },
                  [&](const RE_LineInfo_t& info) {
                    hits.push_back(info);
                    bytes += BytesOf(hits.back());
                    if (bytes >= kPieceBytes) Publish(job, hits, bytes, false);
                  }) == TFileSearch::TEnd::Stopped;
  } catch (const EInOutError&) {
    // The lines found before the failure stay, as the one-thread search leaves them.
    unreadable = true;
  } catch (...) {
    error = std::current_exception();
  }
  {
    const std::lock_guard lock(Mutex);
    job.Stopped = stopped;
    job.Unreadable = unreadable;
    job.Error = error;
  }
  Publish(job, hits, bytes, true);
}

void TParallelSearch::Publish(TJob& job, std::vector<RE_LineInfo_t>& hits, size_t& bytes,
                              bool last) {
  {
    std::unique_lock lock(Mutex);
    // A later file waits while the results held would pass the budget; the first file
    // never waits, so the results always drain.
    while (!last && !StopRequested() && Jobs.front().get() != &job &&
           HeldBytes + bytes > kHeldBudget)
      WorkReady.wait_for(lock, kWaitStep);
    HeldBytes += bytes;
    job.HitBytes += bytes;
    job.Hits.insert(job.Hits.end(), std::make_move_iterator(hits.begin()),
                    std::make_move_iterator(hits.end()));
    job.Done = job.Done || last;
    WakeWriter();
  }
  hits.clear();
  bytes = 0;
}

bool TParallelSearch::PutOutReady() {
  std::vector<RE_LineInfo_t> hits;
  while (!StoppedOut) {
    bool done;
    TJob* job;
    {
      const std::lock_guard lock(Mutex);
      if (Jobs.empty()) return true;
      job = Jobs.front().get();
      // After a stop the workers take no more files: the output ends before the first
      // file that none took.
      if (!job->Taken && StopRequested()) {
        StoppedOut = true;
        return false;
      }
      hits.swap(job->Hits);
      HeldBytes -= job->HitBytes;
      job->HitBytes = 0;
      done = job->Done;
    }
    WorkReady.notify_all();
    if (!job->Begun) {
      job->Begun = true;
      Output.Begin(job->Path);
    }
    for (const RE_LineInfo_t& hit : hits) Output.Hit(hit);
    hits.clear();
    if (!done) return true;
    if (job->Error) std::rethrow_exception(job->Error);
    if (job->Unreadable) Output.Unreadable();
    Output.End();
    StoppedOut = job->Stopped;
    {
      const std::lock_guard lock(Mutex);
      Jobs.pop_front();
      --NextToRun;
    }
    WorkReady.notify_all();
  }
  return false;
}

bool TParallelSearch::OutputWaiting() const {
  if (Jobs.empty()) return false;
  const TJob& job = *Jobs.front();
  return job.Done || !job.Hits.empty() || (!job.Taken && StopRequested());
}

bool TParallelSearch::WriterWanted() const {
  if (StopRequested()) return true;
  if (Closing) return OutputWaiting();
  if (Jobs.empty()) return false;
  const TJob& first = *Jobs.front();
  return (!first.Done && !first.Hits.empty()) ||
         Jobs.size() - NextToRun <= kMaxWaitingFiles - kRefillFiles || HeldBytes >= kHeldBudget / 2;
}

void TParallelSearch::WakeWriter() {
  if (WriterWaiting && WriterWanted()) OutputReady.notify_one();
}

bool TParallelSearch::Add(const std::string& path) {
  if (StoppedOut || Cancel.load()) return false;
  {
    const std::lock_guard lock(Mutex);
    auto job = std::make_unique<TJob>();
    job->Path = path;
    Jobs.push_back(std::move(job));
  }
  WorkReady.notify_one();
  // The walk runs ahead of the workers, but not without bound.
  for (;;) {
    if (!PutOutReady()) return false;
    {
      std::unique_lock lock(Mutex);
      if (Jobs.size() - NextToRun < kMaxWaitingFiles || Cancel.load()) break;
      WriterWaiting = true;
      OutputReady.wait_for(lock, kWaitStep, [this] { return WriterWanted(); });
      WriterWaiting = false;
    }
    if (Output.Idle) Output.Idle();
  }
  return !Cancel.load();
}

void TParallelSearch::Finish() {
  {
    const std::lock_guard lock(Mutex);
    Closing = true;
  }
  WorkReady.notify_all();
  for (;;) {
    if (!PutOutReady()) return;
    {
      std::unique_lock lock(Mutex);
      if (Jobs.empty()) return;
      WriterWaiting = true;
      OutputReady.wait_for(lock, kWaitStep, [this] { return WriterWanted(); });
      WriterWaiting = false;
    }
    if (Output.Idle) Output.Idle();
  }
}

}  // namespace varsik
