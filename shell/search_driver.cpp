#include "shell/search_driver.h"

#include <optional>

#include "base/scope_exit.h"
#include "platform/folder.h"
#include "regex/errors.h"
#include "search/errors.h"
#include "shell/result_text.h"

namespace varsik {

TSearchDriver::TSearchDriver(TSearchSink& sink)
    : Sink(sink), Writer(State, sink), Plain(State, sink, Writer), Regex(State, sink, Writer) {}

void TSearchDriver::Run(const TSearchOptions& options) {
  // Also when a pattern error leaves the walk: the search is over then, so neither the
  // running state nor a stop given during it may outlive it.
  Running = true;
  const TScopeExit stopped([this] {
    Running = false;
    State.CancelRequested = false;
  });

  Options = options;
  State.CancelRequested = false;
  FNameListBox = SplitMasks(Options.Masks);
  State.SearchedFileCount = 0;
  State.MatchedFileCount = 0;
  State.MatchedLineCount = 0;
  State.ErrorLineCount = 0;
  State.SkippedFolderCount = 0;
  Plain.SetSwitches(Options.Switches);
  Plain.SetMaxLineBytes(Options.MaxLineBytes);
  Regex.SetMaxLineBytes(Options.MaxLineBytes);
  Plain.SetReadEncoding(Options.ReadEncoding());
  Regex.SetReadEncoding(Options.ReadEncoding());
  Plain.SetMarkMatches(Options.MarkMatches);
  Regex.SetMarkMatches(Options.MarkMatches);
  GitIgnore.reset();
  if (Options.Switches.GitIgnore) GitIgnore = std::make_unique<Platform::TGitIgnore>();
  const std::string start = StartFolder(Options.FolderText);
  if (Options.Threads > 1 && !Options.Switches.FileNameSearch) {
    if (!Options.Switches.RegularExpSearch) return WalkInParallel(start, nullptr, Options.Threads);
    std::optional<TGrepPattern> pattern;
    try {
      pattern = Regex.SharedPattern(Options.Word);
    } catch (const ERegExpParser&) {
      // The one-thread walk raises it at the first file taken up, after listing that
      // file, as every search always has.
    }
    if (pattern) return WalkInParallel(start, &*pattern, Options.Threads);
  }
  SearchFolder(start, TMaskList::FromPieces(FNameListBox));
}

void TSearchDriver::WalkInParallel(const std::string& start, const TGrepPattern* pattern,
                                   int threads) {
  // Every call of the sink stays on this thread: the workers only search.
  TParallelSearch search(
      Options, pattern, threads, State.CancelRequested,
      {[this](const std::string& path) { ListFile(path); },
       [this](const RE_LineInfo_t& hit) { Writer.RecordHit(TLineEntry(hit)); },
       [this] { Writer.RecordUnreadable(Options.ShowErrorBox); },
       [this] { State.FileHeaderPending = false; }, [this] { Sink.ProcessEvents(); }});
  Parallel = &search;
  const TScopeExit walked([this] { Parallel = nullptr; });
  SearchFolder(start, TMaskList::FromPieces(FNameListBox));
  search.Finish();
}

void TSearchDriver::SearchFolder(const std::string& folder, const TMaskList& masks) {
  Sink.ProcessEvents();
  if (State.CancelRequested) return;
  const Platform::TFolderListing listing(folder);
  if (listing.Error() != 0) {
    ++State.SkippedFolderCount;
    Sink.ReportSkippedFolder(folder, listing.Error());
  }
  for (const std::string& mask : masks.Masks) {
    for (const Platform::TFolderEntry& entry : listing.Matching(mask)) {
      Sink.ProcessEvents();
      if (entry.Kind != Platform::TEntryKind::File) continue;
      if (Excluded(masks, folder, entry.Name, false)) continue;
      if (!TakeUpFile(folder + entry.Name)) return;
    }
  }
  if (!Options.Switches.SubFolderSearch) return;
  for (const std::string& name : listing.SubFolders())
    if (!Excluded(masks, folder, name, true)) SearchFolder(folder + name + "/", masks);
}

bool TSearchDriver::Excluded(const TMaskList& masks, const std::string& folder,
                             const std::string& name, bool isFolder) {
  if (isFolder ? masks.ExcludesFolder(name) : masks.ExcludesFile(name)) return true;
  if (!GitIgnore) return false;
  // After a sub-folder's walk the ignore rules are still those of its last folder.
  GitIgnore->EnterFolder(folder);
  return GitIgnore->IsIgnored(name, isFolder);
}

void TSearchDriver::ListFile(const std::string& fileName) {
  State.CurrentFileName = fileName;
  ++State.SearchedFileCount;
  Sink.ShowCurrentFile(fileName);
  Sink.AppendFileName(fileName);
  State.FileHeaderPending = true;
}

bool TSearchDriver::TakeUpFile(const std::string& fileName) {
  if (Parallel != nullptr) return Parallel->Add(fileName);
  ListFile(fileName);

  if (Options.Switches.FileNameSearch) return !State.CancelRequested;
  if (Options.Switches.SkipBinary && BinaryCheck.SkipsFile(fileName)) {
    State.FileHeaderPending = false;
    return !State.CancelRequested;
  }

  if (Options.Switches.RegularExpSearch) {
    switch (Regex.SearchFile(Options.Word)) {
      case TRegexSearch::TOutcome::Cancelled:
        return false;
      case TRegexSearch::TOutcome::Failed:
        Writer.RecordUnreadable(Options.ShowErrorBox);
        return true;
      case TRegexSearch::TOutcome::Done:
        return true;
    }
    return true;
  }

  bool finished = true;
  try {
    finished = Plain.SearchFileText(fileName, Options.Word);
  } catch (const EInOutError&) {
    // Only a file that cannot be read is a failed file; anything else ends the search.
    Writer.RecordUnreadable(Options.ShowErrorBox);
  }
  State.FileHeaderPending = false;
  return finished;
}

std::string TSearchDriver::StatusText() const {
  return ResultText::Status(SearchedFileCount(), MatchedFileCount(), MatchedLineCount());
}

std::vector<std::string> TSearchDriver::SplitMasks(std::string_view masks) {
  // File names are UTF-8 here, where ";" never occurs inside a multi-byte character.
  std::vector<std::string> list;
  for (;;) {
    size_t semi = masks.find(';');
    if (semi == std::string_view::npos) break;
    list.emplace_back(masks.substr(0, semi));
    masks.remove_prefix(semi + 1);
  }
  list.emplace_back(masks);
  return list;
}

std::string TSearchDriver::StartFolder(std::string_view folderText) {
  return Platform::FolderPart(folderText);
}

}  // namespace varsik
