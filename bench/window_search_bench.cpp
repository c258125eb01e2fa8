// A search run from the main window beside the same search run by the command line's
// driver and sink (varsik-grep's work, output to /dev/null): the wall time of each, and
// the longest time that the window's event loop went without a turn while searching.
// Then Ctrl+End, and the tag jump from the result's last line, whose header is the first
// line: as the search wrote the view, after an edit of the view, and by reading the lines
// upwards one by one as the jump once did.
//
// Usage: window_search_bench [-platform NAME] [--regex] [--word WORD] [--runs N]
//                            [--threads N] [--lines N] [--hit-every K] [FILE]
//   FILE   a Shift JIS file to search, or a folder whose tree of files is searched;
//          without it a generated file of N lines (204,000) of which every K-th (6th)
//          holds the word (34,000 entries)
//   WORD   default 文字列
//   N      the workers of both searches (default 0: one per CPU)
// Runs offscreen unless a platform is given (QT_QPA_PLATFORM or -platform; under
// xvfb-run, -platform xcb). Exits 1 when the window and the command line disagree on
// the results.
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/stream_sink.h"
#include "dialogs/grep_dlg.h"
#include "editor/text_editor.h"
#include "platform/cp932.h"
#include "platform/freed_memory.h"
#include "shell/search_driver.h"
#include "shell/search_threads.h"
#include "shell/tag_jump.h"
#include "window/dir_form.h"
#include "window/view_sink.h"

using namespace varsik;

namespace {

struct TArguments {
  QString Word = QStringLiteral("文字列");
  bool Regex = false;
  int Runs = 11;
  int Lines = 204000;
  int HitEvery = 6;
  int Threads = 0;
  QString File;
};

struct TTiming {
  double Ms = 0;
  double PaintedMs = 0;  // until the results are painted
  double LongestGapMs = 0;
  int ResultLines = 0;
};

std::optional<TArguments> ParseArguments(const QStringList& arguments) {
  TArguments parsed;
  for (int i = 1; i < arguments.size(); ++i) {
    const QString& a = arguments[i];
    if (a == QLatin1String("--regex") || a == QLatin1String("-E")) {
      parsed.Regex = true;
    } else if (a == QLatin1String("--word") && i + 1 < arguments.size()) {
      parsed.Word = arguments[++i];
    } else if (a == QLatin1String("--runs") && i + 1 < arguments.size()) {
      parsed.Runs = std::max(1, arguments[++i].toInt());
    } else if (a == QLatin1String("--lines") && i + 1 < arguments.size()) {
      parsed.Lines = std::max(1, arguments[++i].toInt());
    } else if (a == QLatin1String("--threads") && i + 1 < arguments.size()) {
      parsed.Threads = arguments[++i].toInt();
    } else if (a == QLatin1String("--hit-every") && i + 1 < arguments.size()) {
      parsed.HitEvery = std::max(1, arguments[++i].toInt());
    } else if (!a.startsWith(QLatin1Char('-')) && parsed.File.isEmpty()) {
      parsed.File = a;
    } else {
      return std::nullopt;
    }
  }
  return parsed;
}

// Japanese text of typical line lengths, the word in every K-th line.
bool WriteGeneratedFile(const QString& path, const TArguments& arguments) {
  const QString& word = arguments.Word;
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return false;
  QByteArray text;
  for (int line = 0; line < arguments.Lines; ++line) {
    const QString utf8 =
        line % arguments.HitEvery == 0
            ? QStringLiteral("    // 第%1行: この%2を検索して、結果をタグジャンプの形で返す。")
                  .arg(line)
                  .arg(word)
            : QStringLiteral("    int value%1 = Convert(source, ＡＢＣ, \"ﾊﾝｶｸ\"); // 変換する")
                  .arg(line);
    const std::optional<std::string> cp932 = Platform::Utf8ToCp932(utf8.toStdString());
    if (!cp932) return false;
    text.append(cp932->data(), static_cast<qsizetype>(cp932->size()));
    text.append("\r\n");
    if (text.size() >= (1 << 20) || line + 1 == arguments.Lines) {
      if (file.write(text) != text.size()) return false;
      text.clear();
    }
  }
  return true;
}

// The masks and the folder that take up `file`, or every file of the tree under it.
QString Masks(const QFileInfo& file) {
  return file.isDir() ? QStringLiteral("*.*") : file.fileName();
}
QString Folder(const QFileInfo& file) {
  return (file.isDir() ? file.absoluteFilePath() : file.absolutePath()) + QLatin1Char('/');
}

TSearchOptions CliOptions(const TArguments& arguments, const QFileInfo& file) {
  TSearchOptions options;
  options.Word = *Platform::Utf8ToCp932(arguments.Word.toStdString());
  options.Masks = QFile::encodeName(Masks(file)).toStdString();
  options.FolderText = QFile::encodeName(Folder(file)).toStdString();
  options.Switches.RegularExpSearch = arguments.Regex;
  options.Switches.SubFolderSearch = file.isDir();
  options.Threads = SearchThreads(arguments.Threads);
  return options;
}

TTiming TimeCli(const TSearchOptions& options) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> out(std::fopen("/dev/null", "w"), std::fclose);
  TStreamSink sink(out.get(), TStreamSink::TOutputEncoding::Utf8, false);
  TSearchDriver driver(sink);
  QElapsedTimer clock;
  clock.start();
  driver.Run(options);
  std::fflush(out.get());
  TTiming timing;
  timing.Ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
  timing.ResultLines = static_cast<int>(driver.MatchedFileCount() + driver.MatchedLineCount());
  return timing;
}

TSettings WindowSettings(const TArguments& arguments, const QFileInfo& file) {
  TSettings settings;
  settings.Words = {arguments.Word.toStdString()};
  settings.WordText = arguments.Word.toStdString();
  settings.Files = {Masks(file).toStdString()};
  settings.FileText = settings.Files.front();
  settings.Dirs = {Folder(file).toStdString()};
  settings.DirText = settings.Dirs.front();
  settings.Switches.RegularExpSearch = arguments.Regex;
  settings.Switches.SubFolderSearch = file.isDir();
  settings.Threads = arguments.Threads;
  settings.GrepDlgShowOnStart = false;
  // The tag jump starts a program that does nothing.
  settings.EditorPath = "/bin/true";
  return settings;
}

// One search from the menu command, as the user starts it. A timer of 1 ms ticks at
// the turns of the event loop; the longest time between two ticks (or between the start
// or the end and the nearest tick) is how long a key press could have waited. (A timer
// of 0 ms would keep the window's thread busy, taking a core from the search's threads.)
TTiming TimeWindow(TDirForm& form) {
  QElapsedTimer clock;
  qint64 lastTurn = 0;
  qint64 longestGap = 0;
  QTimer turns;
  turns.setInterval(1);
  QObject::connect(&turns, &QTimer::timeout, [&] {
    const qint64 now = clock.nsecsElapsed();
    longestGap = std::max(longestGap, now - lastTurn);
    lastTurn = now;
  });
  turns.start();
  clock.start();
  form.StartSpdBtnClick(form.StartGrepMenu);
  const qint64 end = clock.nsecsElapsed();
  turns.stop();
  longestGap = std::max(longestGap, end - lastTurn);
  TTiming timing;
  timing.Ms = static_cast<double>(end) / 1e6;
  timing.LongestGapMs = static_cast<double>(longestGap) / 1e6;
  timing.ResultLines = form.GrepEdit->LineCount();
  QCoreApplication::processEvents();
  timing.PaintedMs = static_cast<double>(clock.nsecsElapsed()) / 1e6;
  return timing;
}

double MsSince(const QElapsedTimer& clock) {
  return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

// Ctrl+End in the results view after a search: the caret to the end and the view painted
// there.
double TimeToTheEnd(TDirForm& form) {
  QElapsedTimer clock;
  clock.start();
  form.GrepEdit->SendScintilla(QsciScintillaBase::SCI_DOCUMENTEND);
  QCoreApplication::processEvents();
  return MsSince(clock);
}

// The tag jump from the results view's last line, as the user presses Enter there, the
// editor being /bin/true. The file list of one file has its header on the first line.
double TimeJump(TDirForm& form) {
  form.GrepEdit->CollapseSelectionAt(form.GrepEdit->LineCount() - 1, 0);
  QElapsedTimer clock;
  clock.start();
  form.TagJumpBtnClick();
  return MsSince(clock);
}

// The same after an edit of the view (the header's line is then looked for in the text).
double TimeJumpAfterAnEdit(TDirForm& form) {
  form.GrepEdit->setCursorPosition(form.GrepEdit->LineCount() / 2, 0);
  form.GrepEdit->insert(QStringLiteral(" "));
  return TimeJump(form);
}

// Finding the target by reading the view's lines upwards one by one, the jump's way
// before the headers' lines were kept.
double TimeWalkUp(TDirForm& form) {
  const int last = form.GrepEdit->LineCount() - 1;
  QElapsedTimer clock;
  clock.start();
  const auto target = TagJump::FindTarget(
      [&](int line) { return form.GrepEdit->Line(line).toStdString(); }, last + 1, last,
      [&](std::string_view fileName) { return form.ViewSink().HeaderPath(fileName); });
  const double ms = MsSince(clock);
  return target ? ms : -1;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

double Min(const std::vector<double>& values) {
  return *std::min_element(values.begin(), values.end());
}

double Max(const std::vector<double>& values) {
  return *std::max_element(values.begin(), values.end());
}

}  // namespace

int main(int argc, char** argv) {
  // As the window program does.
  Platform::KeepFreedMemory();
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const std::optional<TArguments> arguments = ParseArguments(QCoreApplication::arguments());
  if (!arguments) {
    std::fputs(
        "Usage: window_search_bench [-platform NAME] [--regex] [--word WORD] [--runs N] "
        "[--threads N] [--lines N] [--hit-every K] [FILE]\n",
        stderr);
    return 2;
  }
  if (!Platform::Utf8ToCp932(arguments->Word.toStdString())) {
    std::fputs("window_search_bench: the word does not fit Shift JIS\n", stderr);
    return 2;
  }
  QTemporaryDir temp;
  QString path = arguments->File;
  if (path.isEmpty()) {
    path = temp.filePath(QStringLiteral("generated.sjis"));
    if (!WriteGeneratedFile(path, *arguments)) {
      std::fputs("window_search_bench: cannot write the generated file\n", stderr);
      return 2;
    }
  }
  const QFileInfo file(path);
  if (!file.isFile() && !file.isDir()) {
    std::fprintf(stderr, "window_search_bench: no file %s\n", qPrintable(path));
    return 2;
  }

  const TSearchOptions options = CliOptions(*arguments, file);
  TDirForm form;
  const TSettings settings = WindowSettings(*arguments, file);
  form.LoadSettings = [settings] { return settings; };
  form.show();
  if (!QTest::qWaitForWindowExposed(&form)) {
    std::fputs("window_search_bench: the window was never shown\n", stderr);
    return 2;
  }

  // The first search of each reads the file into the page cache and warms the caches.
  TimeCli(options);
  TimeWindow(form);
  std::vector<double> cli, window, painted, gaps, ends, jumps, editedJumps;
  int cliLines = 0, windowLines = 0;
  for (int run = 0; run < arguments->Runs; ++run) {
    const TTiming c = TimeCli(options);
    const TTiming w = TimeWindow(form);
    cli.push_back(c.Ms);
    window.push_back(w.Ms);
    painted.push_back(w.PaintedMs);
    gaps.push_back(w.LongestGapMs);
    cliLines = c.ResultLines;
    windowLines = w.ResultLines;
    ends.push_back(TimeToTheEnd(form));
    jumps.push_back(TimeJump(form));
    editedJumps.push_back(TimeJumpAfterAnEdit(form));
  }
  const double walkUp = TimeWalkUp(form);

  std::printf("platform %s, %s search for \"%s\" in %s (%.1f MB), %d runs\n",
              qPrintable(QGuiApplication::platformName()), arguments->Regex ? "regex" : "plain",
              qPrintable(arguments->Word), qPrintable(file.fileName()),
              static_cast<double>(file.size()) / 1e6, arguments->Runs);
  std::printf("  result lines    window %d, command line %d\n", windowLines, cliLines);
  std::printf("                  median      best\n");
  std::printf("  command line  %8.1f ms %8.1f ms\n", Median(cli), Min(cli));
  std::printf("  window        %8.1f ms %8.1f ms\n", Median(window), Min(window));
  std::printf("  ratio         %8.2f    %8.2f\n", Median(window) / Median(cli),
              Min(window) / Min(cli));
  std::printf("  painted       %8.1f ms %8.1f ms\n", Median(painted), Min(painted));
  std::printf("  longest event-loop gap: %.1f ms median, %.1f ms worst\n", Median(gaps), Max(gaps));
  std::printf("  Ctrl+End, painted         %8.1f ms median %8.1f ms worst\n", Median(ends),
              Max(ends));
  std::printf("  tag jump from line %d, header on line 1:\n", windowLines);
  std::printf("    as the search wrote the view %8.2f ms median %8.2f ms worst\n", Median(jumps),
              Max(jumps));
  std::printf("    after an edit of the view    %8.2f ms median %8.2f ms worst\n",
              Median(editedJumps), Max(editedJumps));
  std::printf("    reading the lines upwards    %8.2f ms (the jump's way before)\n", walkUp);
  return windowLines == cliLines ? 0 : 1;
}
