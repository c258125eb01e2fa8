#include "dialogs/create_dir_form.h"

#include <QFile>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include "platform/centre.h"
#include "platform/create_folder.h"
#include "platform/qt/fixed_dialog.h"
#include "platform/qt/fonts.h"
#include "platform/qt/one_line_edit.h"

namespace varsik {

namespace {

const QString kDialogFace = QStringLiteral("ＭＳ Ｐゴシック");

QString MessageCaption() {
  return QGuiApplication::applicationDisplayName();
}

}  // namespace

TCreateDirForm::TCreateDirForm(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("フォルダ名を入力して下さい"));
  setFont(Platform::PixelFont(kDialogFace, 12));
  Platform::SetFixedDialogFrame(this, 282, 62);

  Edit1 = new QLineEdit(this);
  Edit1->setGeometry(8, 8, 265, 21);
  Edit1->setFont(Platform::PixelFont(kDialogFace, 13));
  Platform::KeepFirstLine(Edit1);

  Button1 = new QPushButton(QStringLiteral("OK"), this);
  Button1->setGeometry(120, 35, 75, 25);
  Button2 = new QPushButton(QStringLiteral("Cancel"), this);
  Button2->setGeometry(200, 35, 75, 25);
  // Not default, not even when focused: Enter must not close the dialog.
  for (QPushButton* button : {Button1, Button2}) {
    button->setAutoDefault(false);
    button->setDefault(false);
  }

  Panel1 = new QLabel(QStringLiteral("フォルダ作成"), this);
  Panel1->setGeometry(8, 35, 105, 25);
  Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
  Panel1->setAlignment(Qt::AlignCenter);

  setTabOrder(Edit1, Button1);
  setTabOrder(Button1, Button2);

  connect(Button1, &QPushButton::clicked, this, &TCreateDirForm::Button1Click);
  connect(Button2, &QPushButton::clicked, this, &TCreateDirForm::Button2Click);
}

void TCreateDirForm::Button1Click() {
  if (Edit1->text().isEmpty()) {
    QMessageBox::information(this, MessageCaption(), QStringLiteral("フォルダ名を入力して下さい"));
    return;
  }
  accept();
}

void TCreateDirForm::Button2Click() {
  reject();
}

void TCreateDirForm::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

void TCreateDirForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // The name of the last showing stays, selected, so that typing replaces it.
  Edit1->setFocus(Qt::ActiveWindowFocusReason);
  Edit1->selectAll();
}

TCreateDirForm::TCreateResult TCreateDirForm::RunCreateFolder(const QString& parentFolder,
                                                              QWidget* owner) {
  if (owner) {
    const QRect frame = owner->frameGeometry();
    move(Platform::CentredPos(frame.x(), owner->width(), width()),
         Platform::CentredPos(frame.y(), owner->height(), height()));
  }
  if (exec() != QDialog::Accepted) return TCreateResult::Cancelled;
  if (Platform::CreateFolder(QFile::encodeName(parentFolder).toStdString(),
                             QFile::encodeName(Edit1->text()).toStdString()))
    return TCreateResult::Created;
  QMessageBox::warning(owner ? owner : parentWidget(), MessageCaption(),
                       QStringLiteral("ディレクトリの作成に失敗しました"));
  return TCreateResult::Failed;
}

}  // namespace varsik
