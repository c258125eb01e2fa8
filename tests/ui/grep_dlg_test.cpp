// The search dialog: its layout, and how the folder box, the folder tree and the drive
// box keep in step.
#include "dialogs/grep_dlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "dialogs/create_dir_form.h"
#include "dialogs/folder_tree.h"
#include "tests/dialogs/dialog_test_support.h"

namespace {

// A folder tree to move around in: <root>/sub/deeper, <root>/other, <root>/sub/file.txt.
struct TFolders {
  QTemporaryDir Temp;
  QString Root;  // without a trailing "/"
  TFolders() {
    Root = QDir::cleanPath(Temp.path());
    QDir(Root).mkpath(QStringLiteral("sub/deeper"));
    QDir(Root).mkpath(QStringLiteral("other"));
    QFile file(Root + QStringLiteral("/sub/file.txt"));
    file.open(QIODevice::WriteOnly);
  }
  QString Path(const QString& relative) const { return Root + QLatin1Char('/') + relative; }
};

// Waits from the event loop for the create-folder dialog, types `name` and presses OK.
void AnswerCreateDirForm(TCreateDirForm* form, const QString& name) {
  auto timer = std::make_shared<QTimer>();
  QObject::connect(timer.get(), &QTimer::timeout, [timer, form, name] {
    if (QApplication::activeModalWidget() != form) return;
    timer->stop();
    form->Edit1->setText(name);
    form->Button1->click();
  });
  timer->start(10);
}

}  // namespace

class TGrepDlgTest : public QObject {
  Q_OBJECT

 private slots:
  void LayoutAsDesigned();
  void CaptionsFitTheirControls();
  void FormShowMovesTheTreeAndLeavesTheText_data();
  void FormShowMovesTheTreeAndLeavesTheText();
  void FormShowFocusesTheWordBox();
  void ChoosingATreeFolderWritesItWithATrailingSlash();
  void TypingAnExistingFolderMovesTheTreeAndRewritesTheText();
  void TypingAMissingFolderLeavesTreeAndText();
  void DeletingTheTrailingSlashLeavesTheText();
  void UpdateWritesTheTreeFolderIntoTheBox();
  void PickingADriveMovesTheTree();
  void CreateFolderMakesItInTheTreeFolder();
  void CreateFolderReportsAFailure();
};

void TGrepDlgTest::LayoutAsDesigned() {
  TCreateDirForm createDirForm;
  TGrepDlg dlg(&createDirForm);
  QCOMPARE(dlg.windowTitle(), QStringLiteral("GrepDlg"));
  QCOMPARE(dlg.size(), QSize(378, 332));
  QCOMPARE(dlg.minimumSize(), dlg.maximumSize());
  QCOMPARE(dlg.SearchWordCmbBox->geometry(), QRect(8, 14, 273, 20));
  QCOMPARE(dlg.SearchFileCmbBox->geometry(), QRect(8, 46, 273, 20));
  QCOMPARE(dlg.SearchDirCmbBox->geometry(), QRect(8, 78, 361, 20));
  QCOMPARE(dlg.DirectoryListBox->geometry(), QRect(8, 112, 177, 185));
  QCOMPARE(dlg.DriveComboBox->geometry(), QRect(8, 303, 177, 18));
  QCOMPARE(dlg.OkGrepBtn->geometry(), QRect(288, 12, 81, 25));
  QCOMPARE(dlg.CancelBtn->geometry(), QRect(288, 44, 81, 25));
  QCOMPARE(dlg.Panel2->geometry(), QRect(192, 112, 177, 209));
  QCOMPARE(dlg.OkGrepBtn->text(), QStringLiteral("&OK"));
  QCOMPARE(dlg.CancelBtn->text(), QStringLiteral("&Cancel"));
  QVERIFY(dlg.OkGrepBtn->isDefault());
  QVERIFY(!dlg.CancelBtn->autoDefault() && !dlg.Button3->autoDefault());
  for (QComboBox* box : {dlg.SearchWordCmbBox, dlg.SearchFileCmbBox, dlg.SearchDirCmbBox}) {
    QVERIFY(box->isEditable());
    QCOMPARE(box->maxVisibleItems(), 10);
  }
  const QList<QPair<QCheckBox*, QString>> switches = {
      {dlg.UpLowChkBox, QStringLiteral("大文字小文字を区別")},
      {dlg.FuzzySearchChkBox, QStringLiteral("あいまい検索")},
      {dlg.SearchAsWordChkBox, QStringLiteral("単語で検索")},
      {dlg.SubFolderChkBox, QStringLiteral("サブフォルダも検索")},
      {dlg.FileSearchChkBox, QStringLiteral("ファイル名を検索")},
      {dlg.CheckBox1, QStringLiteral("検索結果をクリアしない")}};
  for (const auto& [box, caption] : switches) {
    QCOMPARE(box->text(), caption);
    QCOMPARE(box->parentWidget(), dlg.Panel2);
    QCOMPARE(box->size(), QSize(150, 17));
  }
  QVERIFY(dlg.RegexChkBox->text().startsWith(QStringLiteral("正規表現（")));
  QVERIFY(dlg.RegexChkBox->text().endsWith(QStringLiteral("）")));
  QCOMPARE(dlg.UpLowChkBox->pos(), QPoint(14, 16));
  QCOMPARE(dlg.CheckBox1->pos(), QPoint(14, 160));
  QVERIFY(!dlg.CheckBox1->isEnabled());
  QCOMPARE(dlg.Button3->text(), QStringLiteral("UpDate"));
  QCOMPARE(dlg.Button3->pos(), QPoint(11, 184));

  // Tab order: the three boxes, the tree, the drive box, then the buttons and switches.
  const QList<QWidget*> expected = {
      dlg.SearchWordCmbBox, dlg.SearchFileCmbBox,   dlg.SearchDirCmbBox,
      dlg.DirectoryListBox, dlg.DriveComboBox,      dlg.OkGrepBtn,
      dlg.CancelBtn,        dlg.UpLowChkBox,        dlg.FuzzySearchChkBox,
      dlg.RegexChkBox,      dlg.SearchAsWordChkBox, dlg.SubFolderChkBox,
      dlg.FileSearchChkBox, dlg.CheckBox1,          dlg.Button3,
      dlg.Button4};
  QList<QWidget*> chain;
  QWidget* at = dlg.SearchWordCmbBox;
  do {
    if (expected.contains(at) && !chain.contains(at)) chain << at;
    at = at->nextInFocusChain();
  } while (at != dlg.SearchWordCmbBox);
  QCOMPARE(chain, expected);
}

void TGrepDlgTest::CaptionsFitTheirControls() {
  TCreateDirForm createDirForm;
  TGrepDlg dlg(&createDirForm);
  dlg.show();
  SaveScreenshot(&dlg, QStringLiteral("grep_dlg"));
  for (QCheckBox* box : dlg.Panel2->findChildren<QCheckBox*>())
    QVERIFY2(box->sizeHint().width() <= box->width(), qPrintable(box->text()));
  for (QPushButton* button : dlg.findChildren<QPushButton*>())
    QVERIFY2(button->fontMetrics().horizontalAdvance(button->text().remove(QLatin1Char('&'))) <
                 button->width() - 4,
             qPrintable(button->text()));
}

void TGrepDlgTest::FormShowMovesTheTreeAndLeavesTheText_data() {
  QTest::addColumn<QString>("text");  // relative to the temporary root
  QTest::addColumn<QString>("tree");  // where the tree goes, relative; "-" where it stays
  QTest::newRow("folder with a trailing slash") << "sub/"
                                                << "sub";
  QTest::newRow("file in a folder") << "sub/file.txt"
                                    << "sub";
  QTest::newRow("folder without a trailing slash") << "sub/deeper"
                                                   << "sub";
  QTest::newRow("folder that does not exist") << "missing/"
                                              << "-";
}

void TGrepDlgTest::FormShowMovesTheTreeAndLeavesTheText() {
  QFETCH(QString, text);
  QFETCH(QString, tree);
  TFolders folders;
  TCreateDirForm createDirForm;
  TGrepDlg dlg(&createDirForm);
  dlg.DirectoryListBox->SetDirectory(folders.Path(QStringLiteral("other")));
  dlg.SearchDirCmbBox->setEditText(folders.Path(text));
  QSignalSpy changes(dlg.DirectoryListBox, &TFolderTree::Changed);
  dlg.show();
  QCOMPARE(dlg.DirectoryListBox->Directory(),
           folders.Path(tree == QLatin1String("-") ? QStringLiteral("other") : tree));
  QCOMPARE(dlg.SearchDirCmbBox->currentText(), folders.Path(text));
  QVERIFY(changes.count() >= 1);  // the refresh at least
}

void TGrepDlgTest::FormShowFocusesTheWordBox() {
  TCreateDirForm createDirForm;
  TGrepDlg dlg(&createDirForm);
  dlg.SearchWordCmbBox->setEditText(QStringLiteral("word"));
  dlg.show();
  QApplication::setActiveWindow(&dlg);
  QVERIFY(QTest::qWaitForWindowActive(&dlg));
  QVERIFY(dlg.SearchWordCmbBox->hasFocus());
  QCOMPARE(dlg.SearchWordCmbBox->lineEdit()->selectedText(), QStringLiteral("word"));
}

void TGrepDlgTest::ChoosingATreeFolderWritesItWithATrailingSlash() {
  TFolders folders;
  TCreateDirForm createDirForm;
  TGrepDlg dlg(&createDirForm);
  dlg.SearchDirCmbBox->setEditText(folders.Path(QStringLiteral("sub/")));
  dlg.show();
  // The user picks "deeper" below the current folder.
  QTreeWidgetItem* current = dlg.DirectoryListBox->currentItem();
  current->setExpanded(true);
  QTreeWidgetItem* deeper = nullptr;
  for (int i = 0; i < current->childCount(); ++i)
    if (current->child(i)->text(0) == QLatin1String("deeper")) deeper = current->child(i);
  QVERIFY(deeper);
  dlg.DirectoryListBox->setCurrentItem(deeper);
  QCOMPARE(dlg.SearchDirCmbBox->currentText(), folders.Path(QStringLiteral("sub/deeper/")));
  // The root has a slash already.
  dlg.DirectoryListBox->setCurrentItem(dlg.DirectoryListBox->topLevelItem(0));
  QCOMPARE(dlg.SearchDirCmbBox->currentText(), QStringLiteral("/"));
}

void TGrepDlgTest::TypingAnExistingFolderMovesTheTreeAndRewritesTheText() {
  TFolders folders;
  TCreateDirForm createDirForm;
  TGrepDlg dlg(&createDirForm);
  dlg.SearchDirCmbBox->setEditText(QString());
  dlg.show();
  QLineEdit* edit = dlg.SearchDirCmbBox->lineEdit();
  edit->setFocus();
  QTest::keyClicks(edit, folders.Path(QStringLiteral("sub")));
  QCOMPARE(dlg.DirectoryListBox->Directory(), folders.Path(QStringLiteral("sub")));
  QCOMPARE(dlg.SearchDirCmbBox->currentText(), folders.Path(QStringLiteral("sub/")));
  QCOMPARE(edit->cursorPosition(), static_cast<int>(edit->text().size()));
  // Typing on: the slash that the box added is not doubled.
  QTest::keyClicks(edit, QStringLiteral("/deeper"));
  QCOMPARE(dlg.SearchDirCmbBox->currentText(), folders.Path(QStringLiteral("sub/deeper/")));
  QCOMPARE(dlg.DirectoryListBox->Directory(), folders.Path(QStringLiteral("sub/deeper")));
  QCOMPARE(edit->cursorPosition(), static_cast<int>(edit->text().size()));
}

void TGrepDlgTest::TypingAMissingFolderLeavesTreeAndText() {
  TFolders folders;
  TCreateDirForm createDirForm;
  TGrepDlg dlg(&createDirForm);
  dlg.SearchDirCmbBox->setEditText(folders.Path(QStringLiteral("other/")));
  dlg.show();
  QLineEdit* edit = dlg.SearchDirCmbBox->lineEdit();
  edit->setFocus();
  edit->end(false);
  QTest::keyClicks(edit, QStringLiteral("nothing"));
  QCOMPARE(dlg.SearchDirCmbBox->currentText(), folders.Path(QStringLiteral("other/nothing")));
  QCOMPARE(dlg.DirectoryListBox->Directory(), folders.Path(QStringLiteral("other")));
}

void TGrepDlgTest::DeletingTheTrailingSlashLeavesTheText() {
  TFolders folders;
  TCreateDirForm createDirForm;
  TGrepDlg dlg(&createDirForm);
  dlg.SearchDirCmbBox->setEditText(folders.Path(QStringLiteral("sub/")));
  dlg.show();
  QLineEdit* edit = dlg.SearchDirCmbBox->lineEdit();
  edit->setFocus();
  edit->end(false);
  QTest::keyClick(edit, Qt::Key_Backspace);
  QCOMPARE(dlg.SearchDirCmbBox->currentText(), folders.Path(QStringLiteral("sub")));
  QTest::keyClick(edit, Qt::Key_Backspace);
  QCOMPARE(dlg.SearchDirCmbBox->currentText(), folders.Path(QStringLiteral("su")));
  QCOMPARE(dlg.DirectoryListBox->Directory(), folders.Path(QStringLiteral("sub")));
}

void TGrepDlgTest::UpdateWritesTheTreeFolderIntoTheBox() {
  TFolders folders;
  TCreateDirForm createDirForm;
  TGrepDlg dlg(&createDirForm);
  dlg.SearchDirCmbBox->setEditText(folders.Path(QStringLiteral("sub/file.txt")));
  dlg.show();
  QCOMPARE(dlg.SearchDirCmbBox->currentText(), folders.Path(QStringLiteral("sub/file.txt")));
  dlg.DirectoryListBox->currentItem()->setExpanded(true);
  QDir(folders.Root).mkdir(QStringLiteral("sub/later"));
  dlg.Button3->click();
  QCOMPARE(dlg.SearchDirCmbBox->currentText(), folders.Path(QStringLiteral("sub/")));
  // The refresh lists the folder made meanwhile.
  QTreeWidgetItem* current = dlg.DirectoryListBox->currentItem();
  QStringList children;
  for (int i = 0; i < current->childCount(); ++i) children << current->child(i)->text(0);
  QCOMPARE(children, (QStringList{QStringLiteral("deeper"), QStringLiteral("later")}));
}

void TGrepDlgTest::PickingADriveMovesTheTree() {
  TFolders folders;
  TCreateDirForm createDirForm;
  TGrepDlg dlg(&createDirForm);
  dlg.SearchDirCmbBox->setEditText(folders.Path(QStringLiteral("sub/")));
  dlg.show();
  QVERIFY(dlg.DriveComboBox->count() >= 1);
  QVERIFY(dlg.DriveComboBox->currentIndex() >= 0);
  QVERIFY(dlg.DriveBoxLinked());
  const int root = dlg.DriveComboBox->findText(QStringLiteral("/ "), Qt::MatchStartsWith);
  QVERIFY(root >= 0);
  dlg.DriveComboBox->setCurrentIndex(root);
  emit dlg.DriveComboBox->activated(root);
  QCOMPARE(dlg.DirectoryListBox->Directory(), QStringLiteral("/"));
  QCOMPARE(dlg.SearchDirCmbBox->currentText(), QStringLiteral("/"));
}

void TGrepDlgTest::CreateFolderMakesItInTheTreeFolder() {
  TFolders folders;
  QWidget owner;
  TCreateDirForm createDirForm(&owner);
  TGrepDlg dlg(&createDirForm, &owner);
  dlg.SearchDirCmbBox->setEditText(folders.Path(QStringLiteral("other/")));
  dlg.show();
  QVERIFY(dlg.Button4->isVisible());
  dlg.DirectoryListBox->currentItem()->setExpanded(true);
  AnswerCreateDirForm(&createDirForm, QStringLiteral("新しいフォルダ"));
  dlg.Button4Click();
  QVERIFY(QFileInfo(folders.Path(QStringLiteral("other/新しいフォルダ"))).isDir());
  QCOMPARE(dlg.DirectoryListBox->Directory(), folders.Path(QStringLiteral("other")));
  QCOMPARE(dlg.SearchDirCmbBox->currentText(), folders.Path(QStringLiteral("other/")));
  QTreeWidgetItem* current = dlg.DirectoryListBox->currentItem();
  QCOMPARE(current->childCount(), 1);
  QCOMPARE(current->child(0)->text(0), QStringLiteral("新しいフォルダ"));
}

void TGrepDlgTest::CreateFolderReportsAFailure() {
  TFolders folders;
  QWidget owner;
  TCreateDirForm createDirForm(&owner);
  TGrepDlg dlg(&createDirForm, &owner);
  dlg.SearchDirCmbBox->setEditText(folders.Path(QStringLiteral("sub/")));
  dlg.show();
  AnswerCreateDirForm(&createDirForm, QStringLiteral("deeper"));
  QString message;
  AnswerNextMessageBox(&message);
  dlg.Button4Click();
  QCOMPARE(message, QStringLiteral("ディレクトリの作成に失敗しました"));
}

QTEST_MAIN(TGrepDlgTest)
#include "grep_dlg_test.moc"
