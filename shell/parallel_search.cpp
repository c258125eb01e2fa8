#include "shell/parallel_search.h"

#include <algorithm>
#include <chrono>
#include <iterator>

#include "base/scope_exit.h"
#include "search/errors.h"
#include "search/file_parts.h"
#include "shell/file_search.h"

namespace varsik {

namespace {

// A worker hands its lines over in pieces of about this size, so that the first file's
// lines come out while it is searched.
constexpr size_t kPieceBytes = 64 * 1024;
// The walk runs at most this many files ahead of the searches; when it has that many
// waiting, its thread searches the first of them itself before it walks on.
constexpr size_t kMaxWaitingFiles = 256;
// The most parts a file is cut into: a bigger file has bigger parts.
constexpr uint64_t kMaxParts = 1024;
// How often a waiting thread looks at the stop command.
constexpr auto kWaitStep = std::chrono::milliseconds(20);

// What a held line costs, near enough.
size_t BytesOf(const RE_LineInfo_t& hit) {
  return sizeof hit + hit.Line.capacity() + hit.Original.capacity() +
         hit.Matches.capacity() * sizeof(TMatchSpan);
}

}  // namespace

TParallelSearch::TParallelSearch(const TSearchOptions& options, const TGrepPattern* pattern,
                                 int threads, const std::atomic<bool>& cancel, TOutput output)
    : Options(options),
      Pattern(pattern),
      Cancel(cancel),
      Output(std::move(output)),
      ThreadCount(std::max(threads, 1)) {
  for (int i = 1; i < ThreadCount; ++i) Workers.emplace_back([this] { Work(); });
}

TParallelSearch::~TParallelSearch() {
  {
    const std::lock_guard lock(Mutex);
    Abort = true;
    Closing = true;
  }
  WorkReady.notify_all();
  RoomReady.notify_all();
  for (std::thread& worker : Workers) worker.join();
}

void TParallelSearch::Work() {
  TFileSearch search(Options, Pattern);
  for (;;) {
    TJob* job = nullptr;
    {
      std::unique_lock lock(Mutex);
      // A search still on a job may cut its file into parts for the others.
      while (!StopRequested() && !HasWork() && !(Closing && Busy == 0))
        WorkReady.wait_for(lock, kWaitStep);
      if (StopRequested()) return;
      if (!HasWork()) {
        if (Closing && Busy == 0) return;
        continue;
      }
      job = &TakeJob();
    }
    Run(search, *job, true);
    EndJob();
  }
}

bool TParallelSearch::SearchHere() {
  TJob* job = nullptr;
  {
    const std::lock_guard lock(Mutex);
    if (StopRequested() || !HasWork()) return false;
    job = &TakeJob();
  }
  if (!WalkSearch) WalkSearch.emplace(Options, Pattern);
  Run(*WalkSearch, *job, false);
  EndJob();
  return true;
}

TParallelSearch::TJob& TParallelSearch::TakeJob() {
  TJob* job;
  // The parts of a cut file come before later files: they go out first.
  if (!WaitingParts.empty()) {
    job = WaitingParts.front();
    WaitingParts.pop_front();
  } else {
    job = Jobs[NextToRun++].get();
  }
  job->Taken = true;
  ++Busy;
  return *job;
}

void TParallelSearch::EndJob() {
  bool last;
  {
    const std::lock_guard lock(Mutex);
    last = --Busy == 0 && Closing;
  }
  // Waking the idle workers after every file cost a switch of threads each time; they
  // need to know only that no search is left to cut a file for them.
  if (last) WorkReady.notify_all();
}

void TParallelSearch::Run(TFileSearch& search, TJob& job, bool mayWait) {
  std::vector<RE_LineInfo_t> hits;
  size_t bytes = 0;
  bool stopped = false;
  bool unreadable = false;
  std::exception_ptr error;
  try {
    stopped = SearchJob(search, job, [&](const RE_LineInfo_t& info) {
      hits.push_back(info);
      bytes += BytesOf(hits.back());
      if (bytes >= kPieceBytes) Publish(job, hits, bytes, false, mayWait);
    });
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
  Publish(job, hits, bytes, true, mayWait);
}

bool TParallelSearch::SearchJob(TFileSearch& search, TJob& job,
                                const std::function<void(const RE_LineInfo_t&)>& report) {
  const auto stopped = [](TFileSearch::TEnd end) { return end == TFileSearch::TEnd::Stopped; };
  if (job.Part == 0) {
    search.SetCutter([this, &job](uint64_t size) { return Cut(job, size); });
    const TScopeExit uncut([&search] { search.SetCutter(nullptr); });
    const bool stop = stopped(search.Search(
        job.Path, [this] { return StopRequested(); }, report));
    if (search.SearchedPart()) {
      job.LineEnds = search.PartLineEnds();
      job.TextEnded = search.TextEnded();
    }
    return stop;
  }
  TCut& cut = *job.Cut;
  const int part = job.Part;
  // A part after the one where the text ends is not looked at: it stops.
  const auto poll = [this, &cut, part] { return StopRequested() || cut.EndedAt.load() < part; };
  const auto lineStart = [&](int k) {
    if (k == cut.Parts) return std::optional<uint64_t>(cut.Size);
    return FileParts::LineStartFrom(job.Path, static_cast<uint64_t>(k) * cut.PartBytes, cut.Size,
                                    poll);
  };
  const std::optional<uint64_t> begin = lineStart(part);
  const std::optional<uint64_t> end = begin ? lineStart(part + 1) : std::nullopt;
  if (!end) return StopRequested();
  // A line longer than a part leaves the part empty: the one where it begins holds it.
  if (*begin >= *end) return false;
  const bool stop = stopped(search.SearchPart(job.Path, {*begin, *end}, poll, report));
  job.LineEnds = search.PartLineEnds();
  job.TextEnded = search.TextEnded();
  if (job.TextEnded) {
    int ended = cut.EndedAt.load();
    while (part < ended && !cut.EndedAt.compare_exchange_weak(ended, part)) {
    }
  }
  // Stopped because an earlier part ended the text is no stop of the search.
  return stop && StopRequested();
}

std::optional<TFilePart> TParallelSearch::Cut(TJob& job, uint64_t size) {
  if (ThreadCount < 2 || size == UINT64_MAX || size < Options.SplitFileBytes) return {};
  // Only the search whose matches stay in their line is cut; only a file that reads as
  // its own bytes, which a part far into it can be read as alone.
  if (Pattern != nullptr && Pattern->Fast == nullptr) return {};
  if (!FileParts::ReadsAsItsBytes(job.Path, Options.ReadEncoding())) return {};
  const uint64_t wanted = std::max<uint64_t>(Options.SplitPartBytes, 1);
  const uint64_t parts = std::clamp<uint64_t>((size + wanted - 1) / wanted,
                                              static_cast<uint64_t>(ThreadCount), kMaxParts);
  auto cut = std::make_shared<TCut>();
  cut->Size = size;
  cut->PartBytes = (size + parts - 1) / parts;
  cut->Parts = static_cast<int>(parts);
  const std::optional<uint64_t> end =
      FileParts::LineStartFrom(job.Path, cut->PartBytes, size, [this] { return StopRequested(); });
  if (!end) return {};
  {
    const std::lock_guard lock(Mutex);
    job.Cut = cut;
    for (int k = 1; k < cut->Parts; ++k) {
      auto part = std::make_unique<TJob>();
      part->Path = job.Path;
      part->Cut = cut;
      part->Part = k;
      part->Begun = true;
      WaitingParts.push_back(part.get());
      job.LaterParts.push_back(std::move(part));
    }
    WakeWriter();
  }
  WorkReady.notify_all();
  return TFilePart{0, *end};
}

void TParallelSearch::Publish(TJob& job, std::vector<RE_LineInfo_t>& hits, size_t& bytes, bool last,
                              bool mayWait) {
  {
    std::unique_lock lock(Mutex);
    // A later file waits while the results held would pass the budget; the first file
    // never waits, so the results always drain.
    while (mayWait && !last && !StopRequested() && Jobs.front().get() != &job &&
           HeldBytes + bytes > kHeldBudget)
      RoomReady.wait_for(lock, kWaitStep);
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
    bool done = false;
    bool untaken;
    TJob* job;
    {
      const std::lock_guard lock(Mutex);
      if (Jobs.empty()) return true;
      job = Jobs.front().get();
      untaken = !job->Taken && StopRequested();
      if (!untaken) {
        hits.swap(job->Hits);
        HeldBytes -= job->HitBytes;
        job->HitBytes = 0;
        done = job->Done;
      }
    }
    // After a stop the workers take no more files: the output ends before the first file
    // that none took, or with the end of a cut file whose next part none took.
    if (untaken) {
      if (job->Part > 0 && !job->Cut->Finished) Output.End();
      StoppedOut = true;
      return false;
    }
    RoomReady.notify_all();
    if (!job->Begun) {
      job->Begun = true;
      Output.Begin(job->Path);
    }
    // Once a cut file is out (its text ended, or a part could not be read), its later
    // parts are not.
    TCut* const cut = done ? job->Cut.get() : nullptr;
    const bool unseen = job->Part > 0 && job->Cut->Finished;
    if (!unseen)
      for (RE_LineInfo_t& hit : hits) {
        if (job->Part > 0) hit.LineNo += job->Cut->LineBase;
        Output.Hit(hit);
      }
    hits.clear();
    if (!done) return true;
    if (!unseen) {
      if (job->Error) std::rethrow_exception(job->Error);
      if (job->Unreadable) Output.Unreadable();
      const bool fileOut = cut == nullptr || job->Part + 1 == cut->Parts || job->Unreadable ||
                           job->TextEnded || job->Stopped;
      if (fileOut) {
        Output.End();
        if (cut != nullptr) {
          cut->Finished = true;
          // The parts after it need not be searched on.
          int ended = cut->EndedAt.load();
          while (job->Part < ended && !cut->EndedAt.compare_exchange_weak(ended, job->Part)) {
          }
        }
      } else {
        cut->LineBase += job->LineEnds;
      }
      StoppedOut = job->Stopped;
    }
    PopFront();
    // The next file is the first now: it never waits.
    RoomReady.notify_all();
  }
  return false;
}

void TParallelSearch::PopFront() {
  const std::lock_guard lock(Mutex);
  std::unique_ptr<TJob> job = std::move(Jobs.front());
  Jobs.pop_front();
  --NextToRun;
  // A cut file's later parts follow its first in the output; they count as handed out,
  // as the workers take them from WaitingParts.
  for (auto part = job->LaterParts.rbegin(); part != job->LaterParts.rend(); ++part) {
    Jobs.push_front(std::move(*part));
    ++NextToRun;
  }
}

bool TParallelSearch::OutputWaiting() const {
  if (Jobs.empty()) return false;
  const TJob& job = *Jobs.front();
  return job.Done || !job.Hits.empty() || (!job.Taken && StopRequested());
}

bool TParallelSearch::WriterWanted() const {
  return StopRequested() || OutputWaiting() || HasWork();
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
  // The walk runs ahead of the searches, but not without bound.
  for (;;) {
    if (!PutOutReady()) return false;
    {
      const std::lock_guard lock(Mutex);
      if (Jobs.size() - NextToRun < kMaxWaitingFiles || Cancel.load()) break;
    }
    if (!SearchHere()) break;
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
    if (SearchHere()) continue;
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
