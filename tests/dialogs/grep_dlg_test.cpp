// The search dialog: its layout, and how the folder box, the folder tree and the drive
// box keep in step.
#include "dialogs/grep_dlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "dialogs/create_dir_form.h"
#include "dialogs/folder_tree.h"
#include "tests/dialogs/dialog_test_support.h"

using namespace varsik;

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

// The dialog, owned by a window as in the program, over a TFolders tree.
struct TDialog {
  TFolders Folders;
  QWidget Owner;
  TCreateDirForm CreateDirForm{&Owner};
  TGrepDlg Dlg{&CreateDirForm, &Owner};

  // Shows the dialog with `relative` (to the tree's root) in the folder box.
  void Show(const QString& relative) {
    Dlg.SearchDirCmbBox->setEditText(Folders.Path(relative));
    Dlg.show();
  }
  // The folder box's line edit, focused, with the caret at its end.
  QLineEdit* FolderEdit() {
    QLineEdit* edit = Dlg.SearchDirCmbBox->lineEdit();
    edit->setFocus();
    edit->end(false);
    return edit;
  }
  // The names of the tree's folders below its current folder.
  QStringList Children() const {
    QTreeWidgetItem* current = Dlg.DirectoryListBox->currentItem();
    QStringList names;
    for (int i = 0; i < current->childCount(); ++i) names << current->child(i)->text(0);
    return names;
  }
};

// Waits from the event loop for the create-folder dialog, types `name` and presses OK.
void AnswerCreateDirForm(TCreateDirForm* form, const QString& name) {
  RepeatFromEventLoop([form, name] {
    if (QApplication::activeModalWidget() != form) return false;
    form->Edit1->setText(name);
    form->Button1->click();
    return true;
  });
}

}  // namespace

class TGrepDlgTest : public QObject {
  Q_OBJECT

 private slots:
  void LayoutAsDesigned();
  void CaptionsFitTheirControls();
  void EncodingBoxOffersTheChoicesAndKeepsThem();
  void SwitchesAreReadAndSetWhole();
  void FormShowMovesTheTreeAndLeavesTheText_data();
  void FormShowMovesTheTreeAndLeavesTheText();
  void FormShowFocusesTheWordBox();
  void ChoosingATreeFolderWritesItWithATrailingSlash();
  void TypingAnExistingFolderMovesTheTreeAndKeepsTheText();
  void OkEndsAFolderWithASlash_data();
  void OkEndsAFolderWithASlash();
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
  // Two rows taller than the six switches needed, for the two that narrow a search, and a
  // row for the encoding below the tree and the switches.
  QCOMPARE(dlg.size(), QSize(378, 404));
  QCOMPARE(dlg.minimumSize(), dlg.maximumSize());
  QCOMPARE(dlg.SearchWordCmbBox->geometry(), QRect(8, 14, 273, 20));
  QCOMPARE(dlg.SearchFileCmbBox->geometry(), QRect(8, 46, 273, 20));
  QCOMPARE(dlg.SearchDirCmbBox->geometry(), QRect(8, 78, 361, 20));
  QCOMPARE(dlg.DirectoryListBox->geometry(), QRect(8, 112, 177, 233));
  QCOMPARE(dlg.DriveComboBox->geometry(), QRect(8, 351, 177, 18));
  QCOMPARE(dlg.OkGrepBtn->geometry(), QRect(288, 12, 81, 25));
  QCOMPARE(dlg.CancelBtn->geometry(), QRect(288, 44, 81, 25));
  QCOMPARE(dlg.Panel2->geometry(), QRect(192, 112, 177, 257));
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
      {dlg.SkipBinaryChkBox, QStringLiteral("バイナリファイルを除外")},
      {dlg.GitIgnoreChkBox, QStringLiteral(".gitignore を反映")},
      {dlg.CheckBox1, QStringLiteral("検索結果をクリアしない")}};
  for (const auto& [box, caption] : switches) {
    QCOMPARE(box->text(), caption);
    QCOMPARE(box->parentWidget(), dlg.Panel2);
    QCOMPARE(box->size(), QSize(150, 17));
  }
  QVERIFY(dlg.RegexChkBox->text().startsWith(QStringLiteral("正規表現（")));
  QVERIFY(dlg.RegexChkBox->text().endsWith(QStringLiteral("）")));
  QCOMPARE(dlg.UpLowChkBox->pos(), QPoint(14, 16));
  QCOMPARE(dlg.SkipBinaryChkBox->pos(), QPoint(14, 160));
  QCOMPARE(dlg.GitIgnoreChkBox->pos(), QPoint(14, 184));
  QCOMPARE(dlg.CheckBox1->pos(), QPoint(14, 208));
  QVERIFY(!dlg.CheckBox1->isEnabled());
  QCOMPARE(dlg.Button3->text(), QStringLiteral("UpDate"));
  QCOMPARE(dlg.Button3->pos(), QPoint(11, 232));
  QCOMPARE(dlg.EncodingLabel->text(), QStringLiteral("文字コード"));
  QCOMPARE(dlg.EncodingCmbBox->geometry(), QRect(80, 377, 105, 20));
  QVERIFY(!dlg.EncodingCmbBox->isEditable());

  // Tab order: the three boxes, the tree, the drive box, then the buttons and switches.
  const QList<QWidget*> expected = {
      dlg.SearchWordCmbBox,  dlg.SearchFileCmbBox, dlg.SearchDirCmbBox,    dlg.DirectoryListBox,
      dlg.DriveComboBox,     dlg.OkGrepBtn,        dlg.CancelBtn,          dlg.UpLowChkBox,
      dlg.FuzzySearchChkBox, dlg.RegexChkBox,      dlg.SearchAsWordChkBox, dlg.SubFolderChkBox,
      dlg.FileSearchChkBox,  dlg.SkipBinaryChkBox, dlg.GitIgnoreChkBox,    dlg.CheckBox1,
      dlg.Button3,           dlg.Button4,          dlg.EncodingCmbBox};
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
  QVERIFY(dlg.EncodingLabel->sizeHint().width() <= dlg.EncodingLabel->width());
  QVERIFY(dlg.EncodingCmbBox->sizeHint().width() <= dlg.EncodingCmbBox->width() + 20);
  for (QPushButton* button : dlg.findChildren<QPushButton*>())
    QVERIFY2(button->fontMetrics().horizontalAdvance(button->text().remove(QLatin1Char('&'))) <
                 button->width() - 4,
             qPrintable(button->text()));
}

void TGrepDlgTest::EncodingBoxOffersTheChoicesAndKeepsThem() {
  TGrepDlg dlg(nullptr);
  QStringList items;
  for (int i = 0; i < dlg.EncodingCmbBox->count(); ++i) items << dlg.EncodingCmbBox->itemText(i);
  QCOMPARE(items, (QStringList{QStringLiteral("自動判別"), QStringLiteral("Shift_JIS"),
                               QStringLiteral("UTF-8"), QStringLiteral("EUC-JP"),
                               QStringLiteral("UTF-16"), QStringLiteral("JIS")}));
  QCOMPARE(dlg.EncodingCmbBox->currentIndex(), 0);
  QCOMPARE(dlg.Switches().Encoding, TEncodingChoice::Auto);
  // Each choice as the switches give and take it, through the settings file too.
  QTemporaryDir dir;
  const std::string path = (dir.path() + QStringLiteral("/Varsik.ini")).toStdString();
  for (const std::string_view name : kEncodingChoiceNames) {
    const TEncodingChoice choice = *EncodingChoiceOf(name);
    TSettings settings;
    settings.Switches.Encoding = choice;
    dlg.LoadFields(settings);
    QCOMPARE(dlg.Switches().Encoding, choice);
    dlg.SaveFields(settings);
    QVERIFY(WriteSettings(path, settings));
    TGrepDlg other(nullptr);
    other.LoadFields(ReadSettings(path));
    QCOMPARE(other.Switches().Encoding, choice);
  }
  // UTF-16 picked from the box is little-endian, unless the settings said big-endian.
  TGrepDlg fresh(nullptr);
  fresh.EncodingCmbBox->setCurrentIndex(4);
  QCOMPARE(fresh.Switches().Encoding, TEncodingChoice::Utf16Le);
  fresh.EncodingCmbBox->setCurrentIndex(2);
  QCOMPARE(fresh.Switches().Encoding, TEncodingChoice::Utf8);
}

void TGrepDlgTest::SwitchesAreReadAndSetWhole() {
  TGrepDlg dlg(nullptr);
  // Each switch alone, so that no two boxes can stand in for each other.
  bool TSearchSwitches::*const fields[] = {
      &TSearchSwitches::UpperLowerMatch,  &TSearchSwitches::FuzzySearch,
      &TSearchSwitches::RegularExpSearch, &TSearchSwitches::SearchAsWord,
      &TSearchSwitches::SubFolderSearch,  &TSearchSwitches::FileNameSearch,
      &TSearchSwitches::SkipBinary,       &TSearchSwitches::GitIgnore};
  for (bool TSearchSwitches::*field : fields) {
    TSearchSwitches one{.SubFolderSearch = false};
    one.*field = true;
    dlg.SetSwitches(one);
    QCOMPARE(dlg.Switches(), one);
    TSettings settings;
    settings.Switches = one;
    TGrepDlg other(nullptr);
    other.LoadFields(settings);
    TSettings saved;
    other.SaveFields(saved);
    QCOMPARE(saved.Switches, one);
  }
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
  TDialog d;
  d.Dlg.DirectoryListBox->SetDirectory(d.Folders.Path(QStringLiteral("other")));
  QSignalSpy changes(d.Dlg.DirectoryListBox, &TFolderTree::Changed);
  d.Show(text);
  QCOMPARE(d.Dlg.DirectoryListBox->Directory(),
           d.Folders.Path(tree == QLatin1String("-") ? QStringLiteral("other") : tree));
  QCOMPARE(d.Dlg.SearchDirCmbBox->currentText(), d.Folders.Path(text));
  QVERIFY(changes.count() >= 1);  // the refresh at least
}

void TGrepDlgTest::FormShowFocusesTheWordBox() {
  TDialog d;
  d.Dlg.SearchWordCmbBox->setEditText(QStringLiteral("word"));
  d.Show(QStringLiteral("sub/"));
  QApplication::setActiveWindow(&d.Dlg);
  QVERIFY(QTest::qWaitForWindowActive(&d.Dlg));
  QVERIFY(d.Dlg.SearchWordCmbBox->hasFocus());
  QCOMPARE(d.Dlg.SearchWordCmbBox->lineEdit()->selectedText(), QStringLiteral("word"));
}

void TGrepDlgTest::ChoosingATreeFolderWritesItWithATrailingSlash() {
  TDialog d;
  d.Show(QStringLiteral("sub/"));
  // The user picks "deeper" below the current folder.
  QTreeWidgetItem* current = d.Dlg.DirectoryListBox->currentItem();
  current->setExpanded(true);
  QTreeWidgetItem* deeper = nullptr;
  for (int i = 0; i < current->childCount(); ++i)
    if (current->child(i)->text(0) == QLatin1String("deeper")) deeper = current->child(i);
  QVERIFY(deeper);
  d.Dlg.DirectoryListBox->setCurrentItem(deeper);
  QCOMPARE(d.Dlg.SearchDirCmbBox->currentText(), d.Folders.Path(QStringLiteral("sub/deeper/")));
  // The root has a slash already.
  d.Dlg.DirectoryListBox->setCurrentItem(d.Dlg.DirectoryListBox->topLevelItem(0));
  QCOMPARE(d.Dlg.SearchDirCmbBox->currentText(), QStringLiteral("/"));
}

void TGrepDlgTest::TypingAnExistingFolderMovesTheTreeAndKeepsTheText() {
  TDialog d;
  d.Dlg.SearchDirCmbBox->setEditText(QString());
  d.Dlg.show();
  QLineEdit* edit = d.FolderEdit();
  QTest::keyClicks(edit, d.Folders.Path(QStringLiteral("sub")));
  QCOMPARE(d.Dlg.DirectoryListBox->Directory(), d.Folders.Path(QStringLiteral("sub")));
  QCOMPARE(d.Dlg.SearchDirCmbBox->currentText(), d.Folders.Path(QStringLiteral("sub")));
  QCOMPARE(edit->cursorPosition(), static_cast<int>(edit->text().size()));
  QTest::keyClicks(edit, QStringLiteral("/deeper"));
  QCOMPARE(d.Dlg.SearchDirCmbBox->currentText(), d.Folders.Path(QStringLiteral("sub/deeper")));
  QCOMPARE(d.Dlg.DirectoryListBox->Directory(), d.Folders.Path(QStringLiteral("sub/deeper")));
  // A click in the tree afterwards still writes the folder into the box.
  d.Dlg.DirectoryListBox->setCurrentItem(d.Dlg.DirectoryListBox->currentItem()->parent());
  QCOMPARE(d.Dlg.SearchDirCmbBox->currentText(), d.Folders.Path(QStringLiteral("sub/")));
}

void TGrepDlgTest::OkEndsAFolderWithASlash_data() {
  QTest::addColumn<QString>("text");  // relative to the temporary root
  QTest::addColumn<QString>("after");
  QTest::newRow("folder") << "sub/deeper"
                          << "sub/deeper/";
  QTest::newRow("folder with its slash") << "sub/"
                                         << "sub/";
  QTest::newRow("file") << "sub/file.txt"
                        << "sub/file.txt";
  QTest::newRow("missing") << "sub/missing"
                           << "sub/missing";
}

void TGrepDlgTest::OkEndsAFolderWithASlash() {
  QFETCH(QString, text);
  QFETCH(QString, after);
  TDialog d;
  d.Show(text);
  QSignalSpy accepted(&d.Dlg, &QDialog::accepted);
  d.Dlg.OkGrepBtn->click();
  QCOMPARE(accepted.count(), 1);
  QCOMPARE(d.Dlg.SearchDirCmbBox->currentText(), d.Folders.Path(after));
}

void TGrepDlgTest::TypingAMissingFolderLeavesTreeAndText() {
  TDialog d;
  d.Show(QStringLiteral("other/"));
  QTest::keyClicks(d.FolderEdit(), QStringLiteral("nothing"));
  QCOMPARE(d.Dlg.SearchDirCmbBox->currentText(), d.Folders.Path(QStringLiteral("other/nothing")));
  QCOMPARE(d.Dlg.DirectoryListBox->Directory(), d.Folders.Path(QStringLiteral("other")));
}

void TGrepDlgTest::DeletingTheTrailingSlashLeavesTheText() {
  TDialog d;
  d.Show(QStringLiteral("sub/"));
  QLineEdit* edit = d.FolderEdit();
  QTest::keyClick(edit, Qt::Key_Backspace);
  QCOMPARE(d.Dlg.SearchDirCmbBox->currentText(), d.Folders.Path(QStringLiteral("sub")));
  QTest::keyClick(edit, Qt::Key_Backspace);
  QCOMPARE(d.Dlg.SearchDirCmbBox->currentText(), d.Folders.Path(QStringLiteral("su")));
  QCOMPARE(d.Dlg.DirectoryListBox->Directory(), d.Folders.Path(QStringLiteral("sub")));
}

void TGrepDlgTest::UpdateWritesTheTreeFolderIntoTheBox() {
  TDialog d;
  d.Show(QStringLiteral("sub/file.txt"));
  QCOMPARE(d.Dlg.SearchDirCmbBox->currentText(), d.Folders.Path(QStringLiteral("sub/file.txt")));
  d.Dlg.DirectoryListBox->currentItem()->setExpanded(true);
  QDir(d.Folders.Root).mkdir(QStringLiteral("sub/later"));
  d.Dlg.Button3->click();
  QCOMPARE(d.Dlg.SearchDirCmbBox->currentText(), d.Folders.Path(QStringLiteral("sub/")));
  // The refresh lists the folder made meanwhile.
  QCOMPARE(d.Children(), (QStringList{QStringLiteral("deeper"), QStringLiteral("later")}));
}

void TGrepDlgTest::PickingADriveMovesTheTree() {
  TDialog d;
  d.Show(QStringLiteral("sub/"));
  QVERIFY(d.Dlg.DriveComboBox->count() >= 1);
  QVERIFY(d.Dlg.DriveComboBox->currentIndex() >= 0);
  QVERIFY(d.Dlg.DriveBoxLinked());
  const int root = d.Dlg.DriveComboBox->findText(QStringLiteral("/ "), Qt::MatchStartsWith);
  QVERIFY(root >= 0);
  d.Dlg.DriveComboBox->setCurrentIndex(root);
  emit d.Dlg.DriveComboBox->activated(root);
  QCOMPARE(d.Dlg.DirectoryListBox->Directory(), QStringLiteral("/"));
  QCOMPARE(d.Dlg.SearchDirCmbBox->currentText(), QStringLiteral("/"));
}

void TGrepDlgTest::CreateFolderMakesItInTheTreeFolder() {
  TDialog d;
  d.Show(QStringLiteral("other/"));
  QVERIFY(d.Dlg.Button4->isVisible());
  d.Dlg.DirectoryListBox->currentItem()->setExpanded(true);
  AnswerCreateDirForm(&d.CreateDirForm, QStringLiteral("新しいフォルダ"));
  d.Dlg.Button4Click();
  QVERIFY(QFileInfo(d.Folders.Path(QStringLiteral("other/新しいフォルダ"))).isDir());
  QCOMPARE(d.Dlg.DirectoryListBox->Directory(), d.Folders.Path(QStringLiteral("other")));
  QCOMPARE(d.Dlg.SearchDirCmbBox->currentText(), d.Folders.Path(QStringLiteral("other/")));
  QCOMPARE(d.Children(), QStringList{QStringLiteral("新しいフォルダ")});
}

void TGrepDlgTest::CreateFolderReportsAFailure() {
  TDialog d;
  d.Show(QStringLiteral("sub/"));
  AnswerCreateDirForm(&d.CreateDirForm, QStringLiteral("deeper"));
  QString message;
  AnswerNextMessageBox(&message);
  d.Dlg.Button4Click();
  QCOMPARE(message, QStringLiteral("ディレクトリの作成に失敗しました"));
}

QTEST_MAIN(TGrepDlgTest)
#include "grep_dlg_test.moc"
