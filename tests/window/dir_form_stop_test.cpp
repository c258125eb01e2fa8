// The main window over files that no search can hold: a line of 1 GB, stopped in each way
// of searching it, and a hit line of 50 MB, which the results view shows cut.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <string>
#include <utility>

#include <sys/statvfs.h>

#include "dialogs/grep_dlg.h"
#include "editor/text_editor.h"
#include "shell/search_driver.h"
#include "window/dir_form.h"

using namespace varsik;

namespace {

constexpr qint64 kMiB = 1 << 20;

// A file of `mib` MiB of "x", one line, with `hit` at its start.
QString WriteLine(const QTemporaryDir& dir, qint64 mib, const char* hit) {
  const QString path = dir.filePath(QStringLiteral("line.txt"));
  FILE* f = std::fopen(path.toLocal8Bit().constData(), "wb");
  if (f == nullptr) return {};
  std::fputs(hit, f);
  const std::string chunk(kMiB, 'x');
  for (qint64 i = 0; i < mib; ++i) std::fwrite(chunk.data(), 1, chunk.size(), f);
  std::fputs("\n", f);
  std::fclose(f);
  return path;
}

bool RoomFor(const QTemporaryDir& dir, qint64 bytes) {
  struct statvfs fs;
  return statvfs(dir.path().toLocal8Bit().constData(), &fs) == 0 &&
         static_cast<qint64>(fs.f_bavail) * static_cast<qint64>(fs.f_frsize) > bytes;
}

struct TWindow {
  TDirForm Form;
  TWindow() {
    Form.LoadSettings = [] {
      TSettings settings = ReadSettings("/nonexistent-folder/Varsik.ini");
      settings.GrepDlgShowOnStart = false;
      return settings;
    };
    Form.SaveSettings = [](const TSettings&) {};
    Form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&Form));
  }
  void SetInputs(const QString& word, const QString& folder, bool regex) {
    Form.GrepDlg->SearchWordCmbBox->setEditText(word);
    Form.GrepDlg->SearchFileCmbBox->setEditText(QStringLiteral("*.txt"));
    Form.GrepDlg->SearchDirCmbBox->setEditText(folder + QLatin1Char('/'));
    Form.GrepDlg->RegexChkBox->setChecked(regex);
  }
};

}  // namespace

class TDirFormStopTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();
  void StopDuringAGigabyteLineIsSeenAtOnce_data();
  void StopDuringAGigabyteLineIsSeenAtOnce();
  void AFiftyMegabyteHitLineIsShownCut();
  void StopAmidMillionsOfHitLinesIsSeenAtOnce_data();
  void StopAmidMillionsOfHitLinesIsSeenAtOnce();

 private:
  QTemporaryDir Dir;
  QString GigabyteLine;  // empty when the disk has no room for it
};

void TDirFormStopTest::initTestCase() {
  if (RoomFor(Dir, 2 * 1024 * kMiB)) GigabyteLine = WriteLine(Dir, 1024, "");
}

void TDirFormStopTest::StopDuringAGigabyteLineIsSeenAtOnce_data() {
  QTest::addColumn<QString>("word");
  QTest::addColumn<bool>("regex");
  QTest::newRow("plain") << QStringLiteral("needle") << false;
  QTest::newRow("fast path") << QStringLiteral("needle") << true;
  QTest::newRow("per-position scan") << QStringLiteral("needle|\\nzzz") << true;
}

// Runs the search of `w`, pressing Stop 300 ms after the start; the time from the stop to
// the window's idle again, with the start commands enabled (-1: it ended before the stop,
// or they stayed disabled).
qint64 MsFromStopToIdle(TWindow& w) {
  QElapsedTimer sinceStart;
  QElapsedTimer sinceStop;
  QTimer stopper;
  stopper.setInterval(1);
  QObject::connect(&stopper, &QTimer::timeout, [&] {
    if (!w.Form.Driver().IsRunning() || sinceStop.isValid() || sinceStart.elapsed() < 300) return;
    w.Form.StopSpdBtn->trigger();
    sinceStop.start();
  });
  sinceStart.start();
  stopper.start();
  w.Form.StartSpdBtnClick(&w.Form);
  const qint64 afterStop = sinceStop.isValid() ? sinceStop.elapsed() : -1;
  stopper.stop();
  return w.Form.StartSpdBtn->isEnabled() ? afterStop : -1;
}

// The search is stopped in the middle of the line; the window is idle again, with the
// start commands enabled, within 100 ms of the stop.
void TDirFormStopTest::StopDuringAGigabyteLineIsSeenAtOnce() {
  QFETCH(QString, word);
  QFETCH(bool, regex);
  if (GigabyteLine.isEmpty()) QSKIP("needs 2 GB free on the disk");
  TWindow w;
  w.SetInputs(word, Dir.path(), regex);
  const qint64 afterStop = MsFromStopToIdle(w);
  QVERIFY2(afterStop >= 0, "the search ended before the stop");
  QVERIFY2(afterStop < 100, qPrintable(QStringLiteral("idle %1 ms after the stop").arg(afterStop)));
  QCOMPARE(w.Form.GrepEdit->LineCount(), 0);  // nothing found before the stop
}

void TDirFormStopTest::StopAmidMillionsOfHitLinesIsSeenAtOnce_data() {
  QTest::addColumn<bool>("regex");
  QTest::newRow("plain") << false;
  QTest::newRow("regex") << true;
}

// Four million hit lines in Shift JIS (cut into parts), then as many in UTF-8 (held on a
// guess of the encoding): the lines found before the stop are shown, not the rest, and
// the window is idle within 100 ms of the stop, the lines it had taken in the view.
void TDirFormStopTest::StopAmidMillionsOfHitLinesIsSeenAtOnce() {
  QFETCH(bool, regex);
  QTemporaryDir dir;
  if (!RoomFor(dir, 200 * kMiB)) QSKIP("needs 200 MB free on the disk");
  for (const auto& [name, line] :
       {std::pair{"a.txt", "\x93\xFA\x96\x7B\x8C\xEA\n"}, std::pair{"b.txt", "日本語\n"}}) {
    FILE* f = std::fopen(dir.filePath(QString::fromLatin1(name)).toLocal8Bit().constData(), "wb");
    QVERIFY(f != nullptr);
    std::string lines;
    for (int i = 0; i < 4'000'000; ++i) lines += line;
    std::fwrite(lines.data(), 1, lines.size(), f);
    std::fclose(f);
  }
  TWindow w;
  w.SetInputs(QStringLiteral("日本語"), dir.path(), regex);
  const qint64 afterStop = MsFromStopToIdle(w);
  QVERIFY2(afterStop >= 0, "the search ended before the stop");
  std::printf("idle %lld ms after the stop, %d lines shown\n", static_cast<long long>(afterStop),
              w.Form.GrepEdit->LineCount());
  QVERIFY2(afterStop < 100, qPrintable(QStringLiteral("idle %1 ms after the stop").arg(afterStop)));
  QVERIFY(w.Form.GrepEdit->LineCount() > 1);
  QVERIFY(w.Form.GrepEdit->LineCount() < 8'000'002);
}

// The view holds the line's first MiB and the mark that it goes on, not 50 MB.
void TDirFormStopTest::AFiftyMegabyteHitLineIsShownCut() {
  QTemporaryDir dir;
  if (!RoomFor(dir, 200 * kMiB)) QSKIP("needs 200 MB free on the disk");
  QVERIFY(!WriteLine(dir, 50, "needle ").isEmpty());
  for (bool regex : {false, true}) {
    TWindow w;
    w.SetInputs(QStringLiteral("needle"), dir.path(), regex);
    w.Form.StartSpdBtnClick(&w.Form);
    QCOMPARE(w.Form.GrepEdit->LineCount(), 2);
    const QString entry = w.Form.GrepEdit->Line(1).trimmed();
    QVERIFY(entry.startsWith(QStringLiteral(":1: needle xxx")));
    QVERIFY(entry.endsWith(QStringLiteral("x…")));
    QCOMPARE(entry.size(), 5 + kMiB);
  }
}

QTEST_MAIN(TDirFormStopTest)
#include "dir_form_stop_test.moc"
