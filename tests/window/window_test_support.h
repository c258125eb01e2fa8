// Helpers of the main window's tests: a window shown with given settings, folders of
// files to search, an editor stand-in for the tag jump, and answers to modal dialogs.
#pragma once

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>

#include "dialogs/grep_dlg.h"
#include "editor/text_editor.h"
#include "platform/cp932.h"
#include "shell/settings.h"
#include "tests/dialogs/dialog_test_support.h"
#include "window/dir_form.h"
#include "window/view_sink.h"

namespace varsik {

// The settings of a first start (no settings file), with the search dialog kept shut.
inline TSettings FirstStart() {
  TSettings settings = ReadSettings("/nonexistent-folder/Varsik.ini");
  settings.GrepDlgShowOnStart = false;
  return settings;
}

// A main window shown with `settings`, remembering what it writes when it closes.
struct TWindow {
  TDirForm Form;
  std::optional<TSettings> Saved;
  bool VisibleWhenSaved = true;

  explicit TWindow(const TSettings& settings = FirstStart()) {
    Form.LoadSettings = [settings] { return settings; };
    Form.SaveSettings = [this](const TSettings& written) {
      Saved = written;
      VisibleWhenSaved = Form.isVisible();
    };
    Form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&Form));
  }

  TGrepDlg& Dlg() { return *Form.GrepDlg; }

  // Makes the window the active one, as it is under the user's hands: its shortcuts
  // (F2, Ctrl+V...) work only then.
  void Activate() {
    QApplication::setActiveWindow(&Form);
    QVERIFY(QTest::qWaitForWindowActive(&Form));
  }

  // Sets the search dialog's inputs as the user would leave them after OK.
  void SetInputs(const QString& word, const QString& masks, const QString& folder,
                 bool fileNames = false) {
    Dlg().SearchWordCmbBox->setEditText(word);
    Dlg().SearchFileCmbBox->setEditText(masks);
    Dlg().SearchDirCmbBox->setEditText(folder);
    Dlg().FileSearchChkBox->setChecked(fileNames);
  }

  QStringList Lines(TTextEditor* view) const {
    QStringList lines;
    for (int i = 0; i < view->LineCount(); ++i) lines << view->Line(i);
    return lines;
  }

  // The headers a search wrote for `paths`, after which the results view holds
  // `lines` (as if the user had edited it so).
  void SearchedThenEdited(const std::vector<std::string>& paths, const QStringList& lines) {
    TViewSink& sink = Form.ViewSink();
    sink.Begin();
    for (const std::string& path : paths) sink.Queue().AppendFileHeader(path);
    sink.Flush();
    Form.GrepEdit->Reset();
    Form.GrepEdit->AppendLines(lines);
  }

  QList<QAction*> StartCommands() const {
    return {Form.GrepSpdBtn, Form.StartSpdBtn,   Form.TagJumpBtn,
            Form.GrepMenu,   Form.StartGrepMenu, Form.TagJumpMenu};
  }
  bool StartCommandsEnabled() const {
    for (QAction* command : StartCommands())
      if (!command->isEnabled()) return false;
    return true;
  }
  bool StartCommandsDisabled() const {
    for (QAction* command : StartCommands())
      if (command->isEnabled()) return false;
    return true;
  }
};

// A folder with files, written in CP932 where the text is Japanese.
struct TTree {
  QTemporaryDir Temp;
  QString Root;  // with a trailing "/"
  TTree() : Root(QDir::cleanPath(Temp.path()) + QLatin1Char('/')) {}
  QString Write(const QString& relative, const QByteArray& bytes) const {
    const QString path = Root + relative;
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(bytes);
    return path;
  }
  QString WriteText(const QString& relative, const QString& text) const {
    return Write(relative, QByteArray::fromStdString(*Platform::Utf8ToCp932(text.toStdString())));
  }
};

// An editor stand-in for the tag jump: writes its arguments to `out`, each followed by
// `end`, a printf escape (\n: one a line; \0: any bytes can be told apart).
inline QString EditorScript(const QTemporaryDir& dir, const QString& out,
                            const QString& end = QStringLiteral("\\n")) {
  const QString path = dir.filePath(QStringLiteral("editor.sh"));
  QFile file(path);
  file.open(QIODevice::WriteOnly);
  file.write(QStringLiteral("#!/bin/sh\nprintf '%s%1' \"$@\" > '%2'\n").arg(end, out).toUtf8());
  file.close();
  file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  return path;
}

// What the editor stand-in wrote with the end \0.
inline QList<QByteArray> ReadArguments(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  QList<QByteArray> arguments = file.readAll().split('\0');
  if (!arguments.isEmpty() && arguments.back().isEmpty()) arguments.removeLast();
  return arguments;
}

inline QStringList ReadLines(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
  if (!lines.isEmpty() && lines.back().isEmpty()) lines.removeLast();
  return lines;
}

// A file whose name is any bytes (QFile would take the name as text).
inline bool WriteBytesNamed(const QByteArray& path, const QByteArray& bytes) {
  std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.constData(), "wb"), std::fclose);
  return file &&
         std::fwrite(bytes.constData(), 1, bytes.size(), file.get()) == size_t(bytes.size());
}

inline QStringList Items(const QComboBox* box) {
  QStringList items;
  for (int i = 0; i < box->count(); ++i) items << box->itemText(i);
  return items;
}

// Runs `check` once the next modal dialog is up, then closes it.
inline void WhenModal(std::function<void(QWidget*)> check) {
  RepeatFromEventLoop([check = std::move(check)] {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal) return false;
    check(modal);
    auto* dialog = qobject_cast<QDialog*>(modal);
    if (dialog && dialog->isVisible()) dialog->reject();
    return true;
  });
}

// Presses keys in the next modal dialog of type T once it is up, from the event loop, as
// the user would. A dialog still open afterwards is cancelled so that the test goes on.
// Stops waiting when it goes out of scope.
template <class T>
class TModalKeys {
 public:
  explicit TModalKeys(std::function<void(T&)> keys) : Keys(std::move(keys)) {
    QObject::connect(&Timer, &QTimer::timeout, [this] {
      auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
      if (!dialog) return;
      Timer.stop();
      Opened = true;
      Keys(*dialog);
      StayedOpen = dialog->isVisible();
      if (StayedOpen) dialog->reject();
    });
    Timer.start(10);
  }

  bool Opened = false;      // the dialog came
  bool StayedOpen = false;  // and the keys did not close it

 private:
  std::function<void(T&)> Keys;
  QTimer Timer;
};

// The widget of `window` that has (or last had) the keyboard focus.
inline QWidget* FocusIn(QWidget* window) {
  return window->focusWidget() ? window->focusWidget() : window;
}

}  // namespace varsik
