#include "shell/parallel_search.h"

#include <algorithm>
#include <chrono>

#include "base/scope_exit.h"
#include "platform/read_ahead.h"
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
constexpr uint64_t kFewestPartsPerThread = 4;
// A search that takes longer than this may have waited for the disk: it looks whether its
// thread read from the disk, which turns reading ahead on or off. Searches of files in
// the page cache are nearly all quicker, and pay nothing for the look.
constexpr auto kSlowJob = std::chrono::microseconds(100);
// While reading ahead, a search that takes a file has the files up to this many after it
// read ahead, and of each this much: the kernel's own read-ahead follows a file read on
// from its head.
constexpr size_t kReadAheadFiles = 64;
constexpr uint64_t kReadAheadBytes = 512 * 1024;
// After this many files read ahead without a read from the disk by its thread, a search
// finds the files in the page cache now: reading ahead stops.
constexpr int kReadAheadLook = 64;
// How often a waiting thread looks at the stop command.
constexpr auto kWaitStep = std::chrono::milliseconds(20);

// Pieces of lines out are kept for the searches, up to this many, and of at most this
// size (a piece grown by one long line is let go).
constexpr size_t kSpareHits = 16;
constexpr size_t kSpareHitBytes = 4 * kPieceBytes;

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

TParallelSearch::TSearcher::TSearcher(TParallelSearch& owner, bool mayWait)
    : Search(owner.Options, owner.Pattern),
      MayWait(mayWait),
      InputBlocks(Platform::ThreadInputBlocks()),
      Poll([&owner, this] {
        if (!MayWait && owner.FirstLinesWaiting.load(std::memory_order_relaxed))
          owner.PutOutFirstLines(*this);
        return owner.StopRequested();
      }),
      Report([&owner, this](const RE_LineInfo_t& hit) {
        Hits.Add(hit);
        if (Hits.Bytes() < kPieceBytes) return;
        const THeldHits::TSizes sizes = Hits.Sizes();
        owner.Publish(*this);
        // A search that filled a piece will fill the next: it is made as big at once (a
        // spare piece is already), not grown a copy at a time; but not after one long line.
        if (sizes.Texts <= kSpareHitBytes) Hits.Reserve(sizes);
      }) {
  // Only a whole file's search asks its cutter; a part's is set by its job.
  Search.SetCutter([&owner, this](uint64_t size) { return owner.Cut(*Job, size); });
}

void TParallelSearch::Work() {
  TSearcher searcher(*this, true);
  // Held but while searching: a job is ended and the next taken in one turn of the lock.
  std::unique_lock lock(Mutex);
  for (;;) {
    // A search still on a job may cut its file into parts for the others.
    while (!StopRequested() && !HasWork() && !(Closing && Busy == 0))
      WorkReady.wait_for(lock, kWaitStep);
    if (StopRequested()) return;
    if (!HasWork()) {
      if (Closing && Busy == 0) return;
      continue;
    }
    searcher.Job = &TakeJob(searcher);
    lock.unlock();
    ReadFilesAhead(searcher);
    TOutcome outcome = Run(searcher);
    lock.lock();
    EndJob(searcher, std::move(outcome));
  }
}

bool TParallelSearch::SearchHere() {
  if (!WalkSearcher) WalkSearcher.emplace(*this, false);
  TSearcher& searcher = *WalkSearcher;
  {
    const std::lock_guard lock(Mutex);
    if (StopRequested() || !HasWork()) return false;
    searcher.Job = &TakeJob(searcher);
  }
  ReadFilesAhead(searcher);
  TOutcome outcome = Run(searcher);
  const std::lock_guard lock(Mutex);
  EndJob(searcher, std::move(outcome));
  return true;
}

TParallelSearch::TJob& TParallelSearch::TakeJob(TSearcher& searcher) {
  if (ReadAhead.load()) {
    const size_t to = std::min(Jobs.size(), NextToRun + kReadAheadFiles);
    for (ReadAheadTo = std::max(ReadAheadTo, NextToRun); ReadAheadTo < to; ++ReadAheadTo)
      searcher.AheadPaths.push_back(Jobs[ReadAheadTo]->Path);
  }
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

TParallelSearch::TOutcome TParallelSearch::Run(TSearcher& searcher) {
  TOutcome outcome;
  const auto start = std::chrono::steady_clock::now();
  try {
    outcome.Stopped = SearchJob(searcher);
  } catch (const EInOutError&) {
    // The lines found before the failure stay, as the one-thread search leaves them.
    outcome.Unreadable = true;
  } catch (...) {
    outcome.Error = std::current_exception();
  }
  if (std::chrono::steady_clock::now() - start > kSlowJob) {
    const int64_t blocks = Platform::ThreadInputBlocks();
    ReadAhead.store(blocks > searcher.InputBlocks);
    searcher.InputBlocks = blocks;
  }
  return outcome;
}

void TParallelSearch::ReadFilesAhead(TSearcher& searcher) {
  for (const std::string& path : searcher.AheadPaths) {
    Platform::ReadAhead(path, kReadAheadBytes);
    if (++searcher.ReadAheads % kReadAheadLook != 0) continue;
    const int64_t blocks = Platform::ThreadInputBlocks();
    if (blocks == searcher.ReadAheadBlocks) ReadAhead.store(false);
    searcher.ReadAheadBlocks = blocks;
  }
  searcher.AheadPaths.clear();
}

void TParallelSearch::EndJob(TSearcher& searcher, TOutcome outcome) {
  TJob& job = *searcher.Job;
  job.Stopped = outcome.Stopped;
  job.Unreadable = outcome.Unreadable;
  job.Error = std::move(outcome.Error);
  HandOver(searcher);
  job.Done = true;
  searcher.Job = nullptr;
  // Waking the idle workers after every file cost a switch of threads each time; they
  // need to know only that no search is left to cut a file for them.
  if (--Busy == 0 && Closing) WorkReady.notify_all();
  WakeWriter();
}

bool TParallelSearch::SearchJob(TSearcher& searcher) {
  TFileSearch& search = searcher.Search;
  TJob& job = *searcher.Job;
  const auto stopped = [](TFileSearch::TEnd end) { return end == TFileSearch::TEnd::Stopped; };
  if (job.Part == 0) {
    const bool stop = stopped(search.Search(job.Path, searcher.Poll, searcher.Report));
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
  const bool stop = stopped(search.SearchPart(job.Path, {*begin, *end}, poll, searcher.Report));
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
  // At least a few parts a thread: the walk's thread, which puts out every part's lines,
  // then takes fewer of them, and a file with many hits is not held up by its output.
  const uint64_t fewest =
      std::min(static_cast<uint64_t>(ThreadCount) * kFewestPartsPerThread, kMaxParts);
  const uint64_t parts = std::clamp<uint64_t>((size + wanted - 1) / wanted, fewest, kMaxParts);
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

void TParallelSearch::Publish(TSearcher& searcher) {
  bool putOut = false;
  {
    std::unique_lock lock(Mutex);
    while (searcher.MayWait && !StopRequested() && WaitsForRoom(searcher)) {
      ++RoomWaiters;
      RoomReady.wait_for(lock, kWaitStep);
      --RoomWaiters;
    }
    HandOver(searcher);
    // The walk's thread is the writer: the lines of the first file, searched by it, go
    // out as they are found, not all held until the file's end (hundreds of MB for a
    // file of millions of hit lines). What their output raises ends the search of the
    // file and is raised after its lines, where the writer would have raised it.
    putOut = !searcher.MayWait && Jobs.front().get() == searcher.Job;
    if (!putOut) WakeWriter();
  }
  if (putOut) PutOutReady();
}

bool TParallelSearch::WaitsForRoom(const TSearcher& searcher) const {
  const size_t bytes = searcher.Hits.Capacity();
  // The first file waits only for the walk's thread to take its own lines, never for a
  // later file's, which cannot go out before it: so the results always drain. It did
  // not wait at all, and a file of millions of hit lines piled up hundreds of MB while
  // the lines were written.
  if (Jobs.front().get() == searcher.Job) return searcher.Job->HitBytes + bytes > kFirstFileBudget;
  return HeldBytes + bytes > kHeldBudget;
}

void TParallelSearch::HandOver(TSearcher& searcher) {
  if (searcher.Hits.Empty()) return;
  TJob& job = *searcher.Job;
  // The memory held, not only the lines in it: a spare piece may be far from full.
  const size_t bytes = searcher.Hits.Capacity();
  HeldBytes += bytes;
  job.HitBytes += bytes;
  job.Hits.push_back(std::move(searcher.Hits));
  if (Jobs.front().get() == &job) FirstLinesWaiting.store(true, std::memory_order_relaxed);
  if (SpareHits.empty()) {
    searcher.Hits = THeldHits{};
  } else {
    searcher.Hits = std::move(SpareHits.back());
    SpareHits.pop_back();
  }
}

bool TParallelSearch::PutOutReady() {
  // A file out is taken off in the same turn of the lock as the next is looked at.
  bool frontOut = false;
  while (!StoppedOut) {
    bool done = false;
    bool untaken;
    bool roomWanted;
    TJob* job;
    {
      const std::lock_guard lock(Mutex);
      if (frontOut) PopFront();
      // Room made, and the next file may be the first now, which waits less.
      roomWanted = GiveBackOut();
      if (Jobs.empty()) return true;
      job = Jobs.front().get();
      untaken = !job->Taken && StopRequested();
      if (!untaken) {
        TakeOut(*job);
        done = job->Done;
      }
    }
    if (roomWanted) RoomReady.notify_all();
    frontOut = false;
    // After a stop the workers take no more files: the output ends before the first file
    // that none took, or with the end of a cut file whose next part none took.
    if (untaken) {
      if (job->Part > 0 && !job->Cut->Finished) Output.End();
      StoppedOut = true;
      return false;
    }
    if (!PutOutTaken(*job)) return false;
    const bool unseen = job->Unseen();
    TCut* const cut = done ? job->Cut.get() : nullptr;
    if (!done) {
      if (!OutHits.empty()) GiveBackWritten();
      return true;
    }
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
    frontOut = true;
  }
  if (frontOut) {
    const std::lock_guard lock(Mutex);
    PopFront();
  }
  return false;
}

bool TParallelSearch::PutOutTaken(TJob& job) {
  const bool unseen = job.Unseen();
  // A stop ends the output between pieces of lines, however much the searches found
  // before it: the parts of a file with a million hits, all searched within a tenth of
  // a second, went out whole after a stop, for seconds in the window. The file begun
  // ends there; one not begun is not begun.
  const auto stopHere = [&] {
    if (!StopRequested()) return false;
    if (job.Begun && !unseen) Output.End();
    StoppedOut = true;
    return true;
  };
  if (stopHere()) return false;
  if (!job.Begun) {
    job.Begun = true;
    Output.Begin(job.Path);
  }
  if (unseen) return true;
  const int64_t lineBase = job.Part > 0 ? job.Cut->LineBase : 0;
  for (const THeldHits& piece : OutHits) {
    if (stopHere()) return false;
    piece.ForEach(OutLine, lineBase, Output.Hit);
  }
  return true;
}

void TParallelSearch::PutOutFirstLines(const TSearcher& searcher) {
  TJob* job;
  bool wanted;
  {
    const std::lock_guard lock(Mutex);
    FirstLinesWaiting.store(false, std::memory_order_relaxed);
    if (StoppedOut || Jobs.empty()) return;
    job = Jobs.front().get();
    // Its own lines go out as it hands them over, a file searched to its end by
    // PutOutReady.
    if (job == searcher.Job || job->Done || job->Hits.empty()) return;
    wanted = GiveBackOut();
    TakeOut(*job);
  }
  if (wanted) RoomReady.notify_all();
  if (PutOutTaken(*job)) GiveBackWritten();
}

void TParallelSearch::GiveBackWritten() {
  bool wanted;
  {
    const std::lock_guard lock(Mutex);
    wanted = GiveBackOut();
  }
  if (wanted) RoomReady.notify_all();
}

void TParallelSearch::TakeOut(TJob& job) {
  OutHits.swap(job.Hits);
  // Still held while they are written: the searches must not fill the budget again
  // meanwhile, which let two threads hold twice the budget and more.
  OutBytes = job.HitBytes;
  job.HitBytes = 0;
  FirstLinesWaiting.store(false, std::memory_order_relaxed);
}

bool TParallelSearch::GiveBackOut() {
  for (THeldHits& piece : OutHits) {
    if (SpareHits.size() == kSpareHits || piece.Capacity() > kSpareHitBytes) continue;
    piece.Clear();
    SpareHits.push_back(std::move(piece));
  }
  OutHits.clear();
  HeldBytes -= OutBytes;
  OutBytes = 0;
  return RoomWaiters > 0;
}

void TParallelSearch::PopFront() {
  std::unique_ptr<TJob> job = std::move(Jobs.front());
  Jobs.pop_front();
  --NextToRun;
  if (ReadAheadTo > 0) --ReadAheadTo;
  // A cut file's later parts follow its first in the output; they count as handed out,
  // as the workers take them from WaitingParts.
  for (auto part = job->LaterParts.rbegin(); part != job->LaterParts.rend(); ++part) {
    Jobs.push_front(std::move(*part));
    ++NextToRun;
    ++ReadAheadTo;
  }
  if (SpareJobs.size() < kMaxWaitingFiles) {
    job->Reset();
    SpareJobs.push_back(std::move(job));
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
  std::unique_ptr<TJob> job;
  if (SpareJobs.empty()) {
    job = std::make_unique<TJob>();
  } else {
    job = std::move(SpareJobs.back());
    SpareJobs.pop_back();
  }
  job->Path = path;
  bool ahead;
  {
    const std::lock_guard lock(Mutex);
    Jobs.push_back(std::move(job));
    ahead = Jobs.size() - NextToRun >= kMaxWaitingFiles;
  }
  WorkReady.notify_one();
  if (!PutOutReady()) return false;
  // The walk runs ahead of the searches, but not without bound: one file more, one file
  // searched here.
  if (ahead) SearchHere();
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
