// What one search reads (its options) and the state that the walk and the search modes
// share while it runs.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "shell/search_switches.h"

namespace varsik {

inline constexpr size_t kDefaultMaxLineBytes = size_t{1} << 20;

// The search dialog's inputs as a search takes them. The word is the engine's bytes (CP932,
// and the codes that Codes gave its characters that CP932 lacks); the masks and the folder
// text are the file system's bytes.
struct TSearchOptions {
  std::string Word;
  // The search's code table, shared read-only by its readers; null: none of its own.
  std::shared_ptr<const TEngineCodes> Codes;
  std::string Masks = "*.*";
  std::string FolderText;
  TSearchSwitches Switches;
  bool ShowErrorBox = false;
  // A hit line longer than this is shown cut to its first bytes, at a character
  // boundary, so that no line holds the search's memory; 0 shows lines whole.
  size_t MaxLineBytes = kDefaultMaxLineBytes;
  // How many workers search files at once; 1 searches them one after another on the
  // thread that runs the search.
  int Threads = 1;
  // With more than one worker, a file of at least SplitFileBytes is cut at line ends into
  // parts of about SplitPartBytes that the workers search at once, where the cut changes
  // nothing in the results; tests make both tiny.
  uint64_t SplitFileBytes = uint64_t{8} << 20;
  uint64_t SplitPartBytes = uint64_t{16} << 20;
  // The line entries carry the matches on their lines, for an output that shows them.
  bool MarkMatches = false;

  TReadEncoding ReadEncoding() const { return {Switches.Encoding, Codes.get()}; }

  // Sets Word to the UTF-8 word `utf8` as the search reads it: in automatic mode and with
  // an encoding that is decoded, through a code table of its own, so that characters that
  // CP932 lacks are words too; as Shift JIS with cp932. False (nothing set) when the word
  // is no UTF-8 or cannot be so read.
  bool SetWord(std::string_view utf8);
};

struct TSearchState {
  // Set by the stop command, which may come from another thread than the search's.
  std::atomic<bool> CancelRequested{false};
  // Set when a file is taken up; cleared when its header is written or it is finished.
  bool FileHeaderPending = false;
  std::string CurrentFileName;
  // The counts of the current search, kept as it goes (never read off the views, whose
  // lines the user may edit). 64-bit: one file can hold more matching lines than
  // 32 bits count.
  int64_t SearchedFileCount = 0;   // files taken up
  int64_t MatchedFileCount = 0;    // header lines written
  int64_t MatchedLineCount = 0;    // line entries written
  int64_t ErrorLineCount = 0;      // unreadable-file lines written
  int64_t SkippedFolderCount = 0;  // folders that could not be read
};

}  // namespace varsik
