#include "shell/search_driver.h"

#include "base/scope_exit.h"
#include "platform/folder.h"
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
  Plain.SetMarkMatches(Options.MarkMatches);
  Regex.SetMarkMatches(Options.MarkMatches);
  SearchFolder(StartFolder(Options.FolderText), FNameListBox);
}

void TSearchDriver::SearchFolder(const std::string& folder, const std::vector<std::string>& masks) {
  Sink.ProcessEvents();
  if (State.CancelRequested) return;
  const Platform::TFolderListing listing(folder);
  if (listing.Error() != 0) {
    ++State.SkippedFolderCount;
    Sink.ReportSkippedFolder(folder, listing.Error());
  }
  for (const std::string& mask : masks) {
    for (const Platform::TFolderEntry& entry : listing.Matching(mask)) {
      Sink.ProcessEvents();
      if (entry.Kind != Platform::TEntryKind::File) continue;
      if (!TakeUpFile(folder + entry.Name)) return;
    }
  }
  if (!Options.Switches.SubFolderSearch) return;
  for (const std::string& name : listing.SubFolders()) SearchFolder(folder + name + "/", masks);
}

bool TSearchDriver::TakeUpFile(const std::string& fileName) {
  State.CurrentFileName = fileName;
  ++State.SearchedFileCount;
  Sink.ShowCurrentFile(fileName);
  Sink.AppendFileName(fileName);
  State.FileHeaderPending = true;

  if (Options.Switches.FileNameSearch) return !State.CancelRequested;

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
