// The search driver: from a search's options to the walk of the folder tree, with each
// file handed to the search of the current mode. The window and the command line both
// run searches through it; it never touches a widget, only its sink.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/git_ignore.h"
#include "shell/binary_check.h"
#include "shell/mask_list.h"
#include "shell/parallel_search.h"
#include "shell/plain_search.h"
#include "shell/regex_search.h"
#include "shell/result_writer.h"
#include "shell/search_sink.h"
#include "shell/search_state.h"

namespace varsik {

class TSearchDriver {
 public:
  explicit TSearchDriver(TSearchSink& sink);

  // Runs one search: clears the cancel flag, splits the masks, zeroes the counters and
  // walks the start folder (the folder part of the folder text). Files and folders that
  // the mask list excludes, and with the switch those that git ignores, are passed over. Returns
  // when the walk is done or cancelled. A pattern that does not compile raises ERegExpParser; the
  // results written before it stay. With more than one thread in the options, workers
  // search the files while the walk goes on; the sink is still called on this thread
  // only, with the same calls in the same order as one thread makes.
  void Run(const TSearchOptions& options);

  // The stop command: the walk and the searches poll the flag and unwind. Any thread may
  // give it.
  void RequestCancel() { State.CancelRequested = true; }
  void ClearCancel() { State.CancelRequested = false; }
  bool CancelRequested() const { return State.CancelRequested; }

  // True while Run is on the stack, also while a cancelled walk is still unwinding.
  bool IsRunning() const { return Running.load(); }

  const TSearchState& SearchState() const { return State; }
  // Regular-expression mode, with Grep1 and its compiled-pattern cache. The cache is used
  // only on the thread that runs the search, before any worker starts.
  const TRegexSearch& RegexSearch() const { return Regex; }
  // The masks of the last search, split at ";".
  const std::vector<std::string>& FNameList() const { return FNameListBox; }

  // Counts of the last search (or the running one so far), kept by the search itself.
  int64_t SearchedFileCount() const { return State.SearchedFileCount; }
  int64_t MatchedFileCount() const { return State.MatchedFileCount; }
  int64_t MatchedLineCount() const { return State.MatchedLineCount; }
  int64_t ErrorLineCount() const { return State.ErrorLineCount; }
  int64_t SkippedFolderCount() const { return State.SkippedFolderCount; }
  // The status line of those counts.
  std::string StatusText() const;

  // Compiles `word` (CP932) as regular-expression mode does, so that a pattern error
  // is known before any file is taken up; raises ERegExpParser. Run then finds it in the
  // compiled-pattern cache.
  void CompilePattern(const std::string& word) { Regex.Compile(word); }

  // The folder walk: `folder` ends in "/".
  void SearchFolder(const std::string& folder, const TMaskList& masks);

  // The mask text split at every ";"; empty pieces are kept, nothing is trimmed.
  static std::vector<std::string> SplitMasks(std::string_view masks);
  // Where the walk starts: the folder text up to and including its last "/".
  static std::string StartFolder(std::string_view folderText);

 private:
  // Takes up one file of the walk; false when the walk must end (cancelled).
  bool TakeUpFile(const std::string& fileName);
  // Whether the walk passes over the entry `name` of `folder`.
  bool Excluded(const TMaskList& masks, const std::string& folder, const std::string& name,
                bool isFolder);
  // The walk with the files searched by `threads` threads, this one among them (it walks,
  // searches and writes; threads - 1 workers only search); `pattern` is the compiled
  // pattern in regular-expression mode, null in plain mode.
  void WalkInParallel(const std::string& start, const TGrepPattern* pattern, int threads);
  // A file taken up: counted, listed and shown, its header pending.
  void ListFile(const std::string& fileName);

  TSearchSink& Sink;
  TSearchState State;
  TResultWriter Writer;
  TPlainSearch Plain;
  TRegexSearch Regex;
  TSearchOptions Options;
  std::vector<std::string> FNameListBox;
  TBinaryCheck BinaryCheck;
  // Made for each search with the switch on: what git ignores is read afresh each time.
  std::unique_ptr<Platform::TGitIgnore> GitIgnore;
  // Read from other threads than the search's (the window's).
  std::atomic<bool> Running{false};
  // The workers' search while WalkInParallel runs; the walk hands it its files.
  TParallelSearch* Parallel = nullptr;
};

}  // namespace varsik
