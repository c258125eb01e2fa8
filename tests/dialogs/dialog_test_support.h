// Helpers for the dialog tests: answering the message boxes that a handler opens, and
// saving pictures of dialogs for review.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace varsik {

// Saves a picture of `widget` as <name>.png when VARSIK_SCREENSHOT_DIR names a folder.
inline void SaveScreenshot(QWidget* widget, const QString& name) {
  const QString folder = qEnvironmentVariable("VARSIK_SCREENSHOT_DIR");
  if (folder.isEmpty()) return;
  QDir().mkpath(folder);
  widget->grab().save(QDir(folder).filePath(name + QStringLiteral(".png")));
}

// Runs `step` from the event loop every 10 ms until it returns true, for about five
// seconds at most. The timer belongs to the application, so that it and what `step`
// holds are freed when it ends, or with the application if a test ends first.
inline void RepeatFromEventLoop(std::function<bool()> step) {
  auto* timer = new QTimer(QCoreApplication::instance());
  QObject::connect(timer, &QTimer::timeout, timer,
                   [timer, tries = 0, step = std::move(step)]() mutable {
                     if (!step() && ++tries < 500) return;
                     timer->stop();
                     timer->deleteLater();
                   });
  timer->start(10);
}

// Waits, from the event loop, for the next message box, stores its text in `*text` and
// closes it with its first button (a picture of it is saved under `screenshotName`).
// Gives up after about five seconds.
inline void AnswerNextMessageBox(QString* text, const QString& screenshotName = QString()) {
  RepeatFromEventLoop([text, screenshotName] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return false;
    *text = box->text();
    if (!screenshotName.isEmpty()) SaveScreenshot(box, screenshotName);
    box->buttons().first()->click();
    return true;
  });
}

}  // namespace varsik
