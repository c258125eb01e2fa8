#include "window/view_sink.h"

#include <QLabel>
#include <QMessageBox>
#include <algorithm>

#include "editor/text_editor.h"
#include "platform/cp932.h"
#include "platform/name_text.h"
#include "platform/qt/event_pump.h"
#include "shell/marked_text.h"
#include "shell/result_text.h"

namespace varsik {

namespace {

// Often enough to look live, rarely enough that the views' own work stays small: each
// batch is painted once, and the paint costs about as much as taking the batch in.
constexpr int kFlushIntervalMs = 100;
// Often enough that the window answers at once; asking Qt to process events costs far
// more than one poll point of a search.
constexpr int kPollIntervalMs = 5;

void AddLine(std::string& lines, std::string_view utf8) {
  lines += utf8;
  lines += '\n';
}

// Returns the view's position where the lines begin.
long HandOver(std::string& lines, TTextEditor& view) {
  const long start = view.AppendUtf8Lines(
      QByteArray::fromRawData(lines.data(), static_cast<qsizetype>(lines.size())));
  lines.clear();
  return start;
}

}  // namespace

TViewSink::TViewSink(TTextEditor& results, TTextEditor& fileList, QLabel& statusPanel,
                     QWidget& owner)
    : Results(results),
      FileList(fileList),
      StatusPanel(statusPanel),
      Owner(owner),
      PollIntervalMs(kPollIntervalMs) {
  Clock.start();
}

void TViewSink::Begin() {
  Headers.Clear();
  HeaderLines.clear();
  HeaderLinesRevision = Results.Revision();
  LastFlushMs = LastPollMs = Clock.elapsed();
}

void TViewSink::Flush() {
  if (!PendingResults.empty()) {
    // A batch starts on the line after the view's last one. Lines kept before an edit
    // of the user's stay untrusted.
    const bool trusted = Results.Revision() == HeaderLinesRevision;
    const int firstLine = Results.LineCount();
    const long start = HandOver(PendingResults, Results);
    // The matches of the batch are marked with it, in one pass.
    MarkRanges.clear();
    for (const TMatchSpan& m : PendingMarks)
      MarkRanges.push_back({start + static_cast<long>(m.Begin), start + static_cast<long>(m.End)});
    PendingMarks.clear();
    Results.MarkMatches(MarkRanges);
    for (int line : PendingHeaderLines) HeaderLines.push_back(firstLine + line);
    PendingHeaderLines.clear();
    PendingResultLines = 0;
    if (trusted) HeaderLinesRevision = Results.Revision();
  }
  HandOver(PendingFiles, FileList);
  if (StatusPending)
    StatusPanel.setText(QString::fromStdString(Platform::NameForView(PendingStatus)));
  StatusPending = false;
  LastFlushMs = Clock.elapsed();
}

std::optional<int> TViewSink::HeaderLineAtOrAbove(int line) const {
  if (Results.Revision() != HeaderLinesRevision) return std::nullopt;
  const auto after = std::upper_bound(HeaderLines.begin(), HeaderLines.end(), line);
  return after == HeaderLines.begin() ? -1 : *(after - 1);
}

void TViewSink::AddResult(std::string_view utf8) {
  AddLine(PendingResults, utf8);
  ++PendingResultLines;
}

void TViewSink::AppendFileHeader(const std::string& path) {
  PendingHeaderLines.push_back(PendingResultLines);
  AddResult(Headers.Header(path));
}

void TViewSink::AppendLineEntry(const TLineEntry& entry) {
  std::string line = ResultText::LineEntry(entry.LineNo, {});
  const size_t firstMark = PendingMarks.size();
  MarkedText::AppendConverted(line, entry.Text, entry.Matches, MarkedText::Cp932ToUtf8,
                              PendingMarks);
  // From the line's bytes to the batch's.
  for (size_t i = firstMark; i < PendingMarks.size(); ++i) {
    PendingMarks[i].Begin += PendingResults.size();
    PendingMarks[i].End += PendingResults.size();
  }
  if (entry.Cut) line += ResultText::kCutMarkUtf8;
  AddResult(line);
}

void TViewSink::AppendErrorLine(const std::string& path) {
  AddResult(ResultText::UnreadableLine(Platform::NameForView(path)));
}

void TViewSink::AppendFileName(const std::string& path) {
  AddLine(PendingFiles, Platform::NameForView(path));
}

void TViewSink::ShowCurrentFile(const std::string& path) {
  // Only the last file before a batch is shown: its name is made readable then.
  PendingStatus.assign(path);
  StatusPending = true;
}

void TViewSink::ShowFileError(const std::string& path) {
  // The error line goes out before the box, so the user sees where the search is.
  Flush();
  QMessageBox::warning(
      &Owner, QStringLiteral("Varsik"),
      QString::fromStdString(ResultText::UnreadableMessage(Platform::NameForView(path))));
}

void TViewSink::ProcessEvents() {
  const qint64 now = Clock.elapsed();
  if (now - LastFlushMs >= kFlushIntervalMs) Flush();
  if (now - LastPollMs < PollIntervalMs) return;
  Platform::ProcessPendingEvents();
  LastPollMs = Clock.elapsed();
}

}  // namespace varsik
