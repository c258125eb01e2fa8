// Helpers for the dialog tests: answering the message boxes that a handler opens, and
// saving pictures of dialogs for review.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QTimer>
#include <QWidget>

#include <memory>

// Saves a picture of `widget` as <name>.png when VARSIK_SCREENSHOT_DIR names a folder.
inline void SaveScreenshot(QWidget* widget, const QString& name) {
  const QString folder = qEnvironmentVariable("VARSIK_SCREENSHOT_DIR");
  if (folder.isEmpty()) return;
  QDir().mkpath(folder);
  widget->grab().save(QDir(folder).filePath(name + QStringLiteral(".png")));
}

// Waits, from the event loop, for the next message box, stores its text in `*text` and
// closes it with its first button (a picture of it is saved under `screenshotName`).
// Gives up after about five seconds.
inline void AnswerNextMessageBox(QString* text, const QString& screenshotName = QString()) {
  auto timer = std::make_shared<QTimer>();
  auto tries = std::make_shared<int>(0);
  QObject::connect(timer.get(), &QTimer::timeout, [timer, tries, text, screenshotName] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box && ++*tries < 500) return;
    timer->stop();
    if (!box) return;
    *text = box->text();
    if (!screenshotName.isEmpty()) SaveScreenshot(box, screenshotName);
    box->buttons().first()->click();
  });
  timer->start(10);
}
