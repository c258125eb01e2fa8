// TViewFiles: the file commands of the window's two views. A text file is read into the
// file list; the view shown is saved (UTF-8 with LF, or Shift JIS with CR LF, the last
// name and type remembered for 上書き保存) or printed. Failures are the user's messages.
#pragma once

#include <QString>

#include "platform/text_save.h"

class QWidget;

namespace varsik {
class TTextEditor;
class TViewPrinter;

class TViewFiles {
 public:
  explicit TViewFiles(QWidget& owner) : Owner(owner) {}

  // A file's text, read as Shift JIS. Raises std::runtime_error with the user's message
  // when it cannot be opened or read.
  static QString ReadText(const QString& path);

  // 上書き保存: to the last name, or asked for the first time. 名前を付けて保存: asked
  // always, the type chosen in the dialog.
  void Save(const TTextEditor& view);
  void SaveAs(const TTextEditor& view);
  // Writes the view in one step (a temporary file renamed into place); false, after a
  // message box, when it could not.
  bool SaveTo(const QString& path, Platform::TTextEncoding encoding, const TTextEditor& view);

  // The print dialog, then the view printed with `title` heading its pages.
  void Print(TTextEditor& view, const QString& title);
  static void PrintTo(TViewPrinter& printer, TTextEditor& view);

  QString SaveFileName;
  Platform::TTextEncoding SaveEncoding = Platform::TTextEncoding::Utf8Lf;

 private:
  QWidget& Owner;
};

}  // namespace varsik
