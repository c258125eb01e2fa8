#include "dialogs/create_dir_form.h"

#include <QClipboard>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "tests/dialogs/dialog_test_support.h"

using namespace varsik;

class TCreateDirFormTest : public QObject {
  Q_OBJECT

 private slots:
  void LayoutAsDesigned();
  void TextsFitTheirControls();
  void EmptyNameShowsTheMessageAndStaysOpen();
  void NameAndOkAcceptsAndKeepsTheName();
  void CancelRejects();
  void EnterAndEscapeDoNotClose();
  void APasteKeepsTheFirstLine();
  void RunCreateFolderCreatesTheFolder();
  void RunCreateFolderCancelledCreatesNothing();
  void RunCreateFolderReportsAFailure();
  void RunCreateFolderCentresOverTheOwner();
};

void TCreateDirFormTest::LayoutAsDesigned() {
  TCreateDirForm form;
  QCOMPARE(form.windowTitle(), QStringLiteral("フォルダ名を入力して下さい"));
  QCOMPARE(form.size(), QSize(282, 62));
  QCOMPARE(form.minimumSize(), form.maximumSize());
  QCOMPARE(form.Edit1->geometry(), QRect(8, 8, 265, 21));
  QCOMPARE(form.Button1->geometry(), QRect(120, 35, 75, 25));
  QCOMPARE(form.Button2->geometry(), QRect(200, 35, 75, 25));
  QCOMPARE(form.Panel1->geometry(), QRect(8, 35, 105, 25));
  QCOMPARE(form.Button1->text(), QStringLiteral("OK"));
  QCOMPARE(form.Button2->text(), QStringLiteral("Cancel"));
  QCOMPARE(form.Panel1->text(), QStringLiteral("フォルダ作成"));
  QCOMPARE(form.font().pixelSize(), 12);
  QCOMPARE(form.Edit1->font().pixelSize(), 13);
  QVERIFY(QFontDatabase::hasFamily(form.font().family()));
  QVERIFY(!form.Button1->isDefault() && !form.Button1->autoDefault());
  QVERIFY(!form.Button2->isDefault() && !form.Button2->autoDefault());
  QCOMPARE(form.Edit1->nextInFocusChain(), form.Button1);
  QCOMPARE(form.Button1->nextInFocusChain(), form.Button2);
}

void TCreateDirFormTest::TextsFitTheirControls() {
  TCreateDirForm form;
  form.Edit1->setText(QStringLiteral("新しいフォルダ"));
  form.show();
  SaveScreenshot(&form, QStringLiteral("create_dir_form"));
  QVERIFY(form.Panel1->sizeHint().width() <= form.Panel1->width());
  QVERIFY(form.Panel1->sizeHint().height() <= form.Panel1->height());
  for (QPushButton* button : {form.Button1, form.Button2})
    QVERIFY(button->fontMetrics().horizontalAdvance(button->text()) < button->width() - 8);
}

void TCreateDirFormTest::EmptyNameShowsTheMessageAndStaysOpen() {
  TCreateDirForm form;
  form.show();
  QSignalSpy finished(&form, &QDialog::finished);
  QString message;
  AnswerNextMessageBox(&message, QStringLiteral("create_dir_form_empty_name"));
  QTest::mouseClick(form.Button1, Qt::LeftButton);
  QCOMPARE(message, QStringLiteral("フォルダ名を入力して下さい"));
  QVERIFY(form.isVisible());
  QCOMPARE(finished.count(), 0);
}

void TCreateDirFormTest::NameAndOkAcceptsAndKeepsTheName() {
  TCreateDirForm form;
  QTimer::singleShot(0, &form, [&] {
    QTest::keyClicks(form.Edit1, QStringLiteral("new folder"));
    QTest::mouseClick(form.Button1, Qt::LeftButton);
  });
  QCOMPARE(form.exec(), int(QDialog::Accepted));
  QCOMPARE(form.Edit1->text(), QStringLiteral("new folder"));

  QString shownAgain;
  bool selected = false;
  QTimer::singleShot(0, &form, [&] {
    shownAgain = form.Edit1->text();
    selected = form.Edit1->selectedText() == shownAgain;
    QTest::mouseClick(form.Button2, Qt::LeftButton);
  });
  QCOMPARE(form.exec(), int(QDialog::Rejected));
  QCOMPARE(shownAgain, QStringLiteral("new folder"));
  QVERIFY(selected);
}

void TCreateDirFormTest::CancelRejects() {
  TCreateDirForm form;
  form.Edit1->setText(QStringLiteral("x"));
  QTimer::singleShot(0, &form, [&] { QTest::mouseClick(form.Button2, Qt::LeftButton); });
  QCOMPARE(form.exec(), int(QDialog::Rejected));
}

void TCreateDirFormTest::EnterAndEscapeDoNotClose() {
  TCreateDirForm form;
  form.Edit1->setText(QStringLiteral("name"));
  bool visibleAfterKeys = false;
  QTimer::singleShot(0, &form, [&] {
    for (QWidget* target :
         {static_cast<QWidget*>(&form), static_cast<QWidget*>(form.Edit1),
          static_cast<QWidget*>(form.Button1), static_cast<QWidget*>(form.Button2)}) {
      target->setFocus();
      QTest::keyClick(target, Qt::Key_Escape);
      QTest::keyClick(target, Qt::Key_Return);
      QTest::keyClick(target, Qt::Key_Enter, Qt::KeypadModifier);
    }
    visibleAfterKeys = form.isVisible();
    QTest::mouseClick(form.Button1, Qt::LeftButton);
  });
  QSignalSpy finished(&form, &QDialog::finished);
  QCOMPARE(form.exec(), int(QDialog::Accepted));  // closed by the click, not by a key
  QVERIFY(visibleAfterKeys);
  QCOMPARE(finished.count(), 1);
}

// The name box is one line, whichever way a text comes in: by key, by the context
// menu's paste (the slot), or set whole.
void TCreateDirFormTest::APasteKeepsTheFirstLine() {
  TCreateDirForm form;
  QLineEdit* edit = form.Edit1;
  QGuiApplication::clipboard()->setText(QStringLiteral("new\nsecond"));
  edit->setText(QStringLiteral("[]"));
  edit->setCursorPosition(1);
  QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
  QCOMPARE(edit->text(), QStringLiteral("[new]"));
  QTest::keyClick(edit, Qt::Key_Z, Qt::ControlModifier);
  QCOMPARE(edit->text(), QStringLiteral("[]"));

  QGuiApplication::clipboard()->setText(QStringLiteral("dir\r\nmore"));
  edit->setText(QStringLiteral("ab"));
  edit->setSelection(0, 1);
  edit->paste();
  QCOMPARE(edit->text(), QStringLiteral("dirb"));
  QCOMPARE(edit->cursorPosition(), 3);
  edit->setText(QStringLiteral("one\rtwo"));
  QCOMPARE(edit->text(), QStringLiteral("one"));
}

void TCreateDirFormTest::RunCreateFolderCreatesTheFolder() {
  QTemporaryDir dir;
  TCreateDirForm form;
  QTimer::singleShot(0, &form, [&] {
    form.Edit1->setText(QStringLiteral("新しいフォルダ"));
    QTest::mouseClick(form.Button1, Qt::LeftButton);
  });
  QCOMPARE(form.RunCreateFolder(dir.path(), nullptr), TCreateDirForm::TCreateResult::Created);
  QVERIFY(QDir(dir.filePath(QStringLiteral("新しいフォルダ"))).exists());
}

void TCreateDirFormTest::RunCreateFolderCancelledCreatesNothing() {
  QTemporaryDir dir;
  TCreateDirForm form;
  QTimer::singleShot(0, &form, [&] {
    form.Edit1->setText(QStringLiteral("sub"));
    QTest::mouseClick(form.Button2, Qt::LeftButton);
  });
  QCOMPARE(form.RunCreateFolder(dir.path(), nullptr), TCreateDirForm::TCreateResult::Cancelled);
  QVERIFY(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
}

void TCreateDirFormTest::RunCreateFolderReportsAFailure() {
  QTemporaryDir dir;
  QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("exists")));
  struct TCase {
    QString Parent;
    QString Name;
  };
  const TCase cases[] = {
      {dir.path(), QStringLiteral("exists")},
      {dir.filePath(QStringLiteral("missing")), QStringLiteral("sub")},
      {dir.path(), QStringLiteral("a/b")},
  };
  for (const TCase& c : cases) {
    TCreateDirForm form;
    QString message;
    QTimer::singleShot(0, &form, [&] {
      form.Edit1->setText(c.Name);
      AnswerNextMessageBox(&message, QStringLiteral("create_folder_failed"));
      QTest::mouseClick(form.Button1, Qt::LeftButton);
    });
    QCOMPARE(form.RunCreateFolder(c.Parent, nullptr), TCreateDirForm::TCreateResult::Failed);
    QCOMPARE(message, QStringLiteral("ディレクトリの作成に失敗しました"));
  }
  QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
           QStringList{QStringLiteral("exists")});
}

void TCreateDirFormTest::RunCreateFolderCentresOverTheOwner() {
  QWidget owner;
  owner.setGeometry(100, 100, 575, 534);
  owner.show();
  TCreateDirForm form;
  QPoint shownAt;
  QTimer::singleShot(0, &form, [&] {
    shownAt = form.frameGeometry().topLeft();
    QTest::mouseClick(form.Button2, Qt::LeftButton);
  });
  form.RunCreateFolder(QDir::tempPath(), &owner);
  // Half of 575 - 282 = 293 is 146.5, which rounds to the even 146.
  const QPoint ownerAt = owner.frameGeometry().topLeft();
  QCOMPARE(shownAt, ownerAt + QPoint(146, 236));
}

QTEST_MAIN(TCreateDirFormTest)
#include "create_dir_form_test.moc"
