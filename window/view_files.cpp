#include "window/view_files.h"

#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QWidget>
#include <cerrno>
#include <stdexcept>

#include "editor/text_editor.h"
#include "editor/view_printer.h"
#include "platform/cp932.h"

namespace varsik {

namespace {

const QString kTitle = QStringLiteral("Varsik");

}  // namespace

QString TViewFiles::ReadText(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    throw std::runtime_error(QStringLiteral("ファイル %1 を開けません。\n%2")
                                 .arg(path, file.errorString())
                                 .toStdString());
  const QByteArray bytes = file.readAll();
  if (file.error() != QFileDevice::NoError)
    throw std::runtime_error(QStringLiteral("ファイル %1 を読めません。\n%2")
                                 .arg(path, file.errorString())
                                 .toStdString());
  return QString::fromStdString(Platform::Cp932ToUtf8(bytes.toStdString()));
}

void TViewFiles::Save(const TTextEditor& view) {
  if (SaveFileName.isEmpty()) return SaveAs(view);
  SaveTo(SaveFileName, SaveEncoding, view);
}

void TViewFiles::SaveAs(const TTextEditor& view) {
  const QString utf8Type = QStringLiteral("UTF-8、改行 LF (*)");
  const QString shiftJisType = QStringLiteral("Shift JIS、改行 CR LF (*)");
  QFileDialog dialog(&Owner, QStringLiteral("名前を付けて保存"));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setNameFilters({utf8Type, shiftJisType});
  dialog.selectNameFilter(SaveEncoding == Platform::TTextEncoding::ShiftJisCrLf ? shiftJisType
                                                                                : utf8Type);
  dialog.setDefaultSuffix(QStringLiteral("txt"));
  if (!SaveFileName.isEmpty()) dialog.selectFile(SaveFileName);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  const QString path = dialog.selectedFiles().front();
  const Platform::TTextEncoding encoding = dialog.selectedNameFilter() == shiftJisType
                                               ? Platform::TTextEncoding::ShiftJisCrLf
                                               : Platform::TTextEncoding::Utf8Lf;
  if (!SaveTo(path, encoding, view)) return;
  SaveFileName = path;
  SaveEncoding = encoding;
}

bool TViewFiles::SaveTo(const QString& path, Platform::TTextEncoding encoding,
                        const TTextEditor& view) {
  const Platform::TReplaceResult result =
      Platform::SaveText(QFile::encodeName(path).toStdString(), view.Utf8Text(), encoding);
  if (result == Platform::TReplaceResult::Done) return true;
  const int error = errno;
  QMessageBox::warning(
      &Owner, kTitle,
      QStringLiteral("ファイル %1 に保存できませんでした。\n%2")
          .arg(path, QString::fromStdString(Platform::SaveFailureReason(result, error))));
  return false;
}

void TViewFiles::Print(TTextEditor& view, const QString& title) {
  TViewPrinter printer(title, kTitle);
  QPrintDialog dialog(&printer, &Owner);
  if (dialog.exec() == QDialog::Accepted) PrintTo(printer, view);
}

void TViewFiles::PrintTo(TViewPrinter& printer, TTextEditor& view) {
  printer.printRange(&view);
}

}  // namespace varsik
