#include "shell/view_sink.h"

#include <QFile>
#include <QLabel>
#include <QMessageBox>

#include "editor/text_editor.h"
#include "platform/cp932.h"
#include "shell/result_text.h"

namespace {

// Often enough to look live, rarely enough that the views' own work stays small.
constexpr int kFlushIntervalMs = 40;

QString PathText(const std::string& path) {
  return QFile::decodeName(QByteArray::fromStdString(path));
}

}  // namespace

TViewSink::TViewSink(TTextEditor& results, TTextEditor& fileList, QLabel& statusPanel,
                     QWidget& owner)
    : Results(results), FileList(fileList), StatusPanel(statusPanel), Owner(owner) {
  SinceFlush.start();
}

void TViewSink::Begin() {
  SinceFlush.restart();
}

void TViewSink::Flush() {
  if (!PendingResults.isEmpty()) Results.AppendLines(PendingResults);
  if (!PendingFiles.isEmpty()) FileList.AppendLines(PendingFiles);
  PendingResults.clear();
  PendingFiles.clear();
  if (StatusPending) StatusPanel.setText(PendingStatus);
  StatusPending = false;
  SinceFlush.restart();
}

void TViewSink::FlushIfDue() {
  if (SinceFlush.elapsed() >= kFlushIntervalMs) Flush();
}

void TViewSink::AppendFileHeader(const std::string& path) {
  PendingResults << QStringLiteral("#\"") + PathText(path) + QLatin1Char('"');
}

void TViewSink::AppendLineEntry(int lineNo, std::string_view cp932Text) {
  PendingResults << QString::fromStdString(
      ResultText::LineEntry(lineNo, Platform::Cp932ToUtf8(cp932Text)));
}

void TViewSink::AppendErrorLine(const std::string& path) {
  PendingResults << QLatin1Char('"') +
                        QString::fromStdString(
                            ResultText::UnreadableMessage(PathText(path).toStdString())) +
                        QLatin1Char('"');
}

void TViewSink::AppendFileName(const std::string& path) {
  PendingFiles << PathText(path);
}

void TViewSink::ShowCurrentFile(const std::string& path) {
  PendingStatus = PathText(path);
  StatusPending = true;
}

void TViewSink::ShowFileError(const std::string& path) {
  // The error line goes out before the box, so the user sees where the search is.
  Flush();
  QMessageBox::warning(
      &Owner, QStringLiteral("Varsik"),
      QString::fromStdString(ResultText::UnreadableMessage(PathText(path).toStdString())));
}

void TViewSink::ProcessEvents() {
  FlushIfDue();
  Pump.Poll();
}

int TViewSink::ResultLineCount() const {
  return Results.LineCount() + static_cast<int>(PendingResults.size());
}

int TViewSink::FileListLineCount() const {
  return FileList.LineCount() + static_cast<int>(PendingFiles.size());
}
