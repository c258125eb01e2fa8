// A search sink for tests: keeps the results view and the file list as lines of bytes,
// and runs a hook at every poll point (to stop a search midway, say).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "shell/result_text.h"
#include "shell/search_sink.h"

namespace varsik {

class TRecordingSink : public TSearchSink {
 public:
  std::vector<std::string> Results;            // as the results view would hold them
  std::vector<std::vector<TMatchSpan>> Marks;  // the matches of each line entry
  std::vector<std::string> Files;              // the file list
  std::vector<std::string> Statuses;           // what panel 0 was given
  std::vector<std::string> ErrorBoxes;
  std::vector<std::string> SkippedFolders;  // with the errno of each in SkipErrors
  std::vector<int> SkipErrors;
  int Polls = 0;
  std::function<void()> OnPoll;

  void AppendFileHeader(const std::string& path) override {
    Results.push_back(ResultText::FileHeader(path));
  }
  void AppendLineEntry(const TLineEntry& entry) override {
    Results.push_back(ResultText::LineEntry(entry.LineNo, entry.Text));
    if (entry.Cut) Results.back() += ResultText::kCutMarkCp932;
    Marks.emplace_back(entry.Matches.begin(), entry.Matches.end());
  }
  void AppendErrorLine(const std::string& path) override {
    Results.push_back(ResultText::UnreadableLine(path));
  }
  void AppendFileName(const std::string& path) override { Files.push_back(path); }
  void ShowCurrentFile(const std::string& path) override { Statuses.push_back(path); }
  void ShowFileError(const std::string& path) override {
    ErrorBoxes.push_back(ResultText::UnreadableMessage(path));
  }
  void ProcessEvents() override {
    ++Polls;
    if (OnPoll) OnPoll();
  }
  void ReportSkippedFolder(const std::string& folder, int error) override {
    SkippedFolders.push_back(folder);
    SkipErrors.push_back(error);
  }
};

}  // namespace varsik
