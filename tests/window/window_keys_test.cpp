// The window under the user's keys: Enter in the search dialog and in the toolbar's
// search box searches the text shown, typed letters stay as typed, a paste keeps the
// clipboard's first line, the edit keys act where the focus is, and a typed folder is
// searched as typed. Every case goes through real key events.
#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "dialogs/folder_tree.h"
#include "dialogs/grep_dlg.h"
#include "editor/text_editor.h"
#include "tests/window/window_test_support.h"
#include "window/dir_form.h"

using namespace varsik;

namespace {

// A window after searches for "line", "alpha" and "beta", in that order, each typed
// into the search dialog and started with a click on OK, over a file that holds each
// of them.
struct TSearchedWindow {
  TTree Tree;
  QString File;
  TWindow W;

  TSearchedWindow() {
    File = Tree.WriteText(QStringLiteral("a.txt"), QStringLiteral("alpha\nbeta\nline\n"));
    W.SetInputs(QString(), QStringLiteral("*.txt"), Tree.Root);
    for (const char* word : {"line", "alpha", "beta"}) {
      const bool stayedOpen = F2Then([&](TGrepDlg& dlg) {
        QTest::keyClicks(FocusIn(&dlg), QString::fromLatin1(word));
        QTest::mouseClick(dlg.OkGrepBtn, Qt::LeftButton);
      });
      QVERIFY(!stayedOpen);
    }
    QCOMPARE(W.Form.windowTitle(), Caption(QStringLiteral("beta")));
  }

  // The caption and results of a search for `word` in the tree.
  QString Caption(const QString& word) const {
    return QStringLiteral("Varsik - %1*.txt - \"%2\"").arg(Tree.Root, word);
  }
  QStringList Results(const QString& entry) const {
    return {QStringLiteral("#\"%1\"").arg(File), entry};
  }

  // F2 in the active window, then `keys` in the search dialog; true when they left the
  // dialog open.
  bool F2Then(std::function<void(TGrepDlg&)> keys) {
    TModalKeys<TGrepDlg> modal(std::move(keys));
    W.Activate();
    QTest::keyClick(&W.Form, Qt::Key_F2);
    [&] { QVERIFY(modal.Opened); }();
    return modal.StayedOpen;
  }
};

void PressEnter(TGrepDlg& dlg) {
  QTest::keyClick(FocusIn(&dlg), Qt::Key_Return);
}

}  // namespace

class TWindowKeysTest : public QObject {
  Q_OBJECT

 private slots:
  // Enter and completion
  void F2ThenEnterSearchesTheWordShown();
  void EnterInEveryBoxOfTheDialogPressesOk_data();
  void EnterInEveryBoxOfTheDialogPressesOk();
  void TypedLettersAreNotCompletedFromTheHistory();
  void TheSearchBoxKeepsTypedLettersToo();
  void EscOnTheDropDownKeepsTheTypedText();

  // Paste and the edit keys
  void APastedLineBreakEndsThePasteInTheSearchBox();
  void APastedLineBreakEndsThePasteInTheDialog();
  void EditKeysActWhereTheFocusIs();

  // Typed folders
  void ATypedFolderIsSearchedAsTyped();
};

// ---------------------------------------------------------------------------------------
// Enter and completion

void TWindowKeysTest::F2ThenEnterSearchesTheWordShown() {
  TSearchedWindow s;
  for (int i = 0; i < 5; ++i) {
    const bool stayedOpen = s.F2Then(PressEnter);
    QVERIFY2(!stayedOpen, qPrintable(QStringLiteral("round %1").arg(i)));
    QCOMPARE(s.W.Form.windowTitle(), s.Caption(QStringLiteral("beta")));
    QCOMPARE(s.W.Lines(s.W.Form.GrepEdit), s.Results(QStringLiteral(" :2: beta")));
    QCOMPARE(s.W.Dlg().SearchWordCmbBox->itemText(0), QStringLiteral("beta"));
    QCOMPARE(s.W.Dlg().SearchWordCmbBox->itemText(1), QStringLiteral("alpha"));
  }
}

void TWindowKeysTest::EnterInEveryBoxOfTheDialogPressesOk_data() {
  QTest::addColumn<int>("tabs");
  QTest::newRow("word box") << 0;
  QTest::newRow("mask box") << 1;
  QTest::newRow("folder box") << 2;
}

// Tab selects the next box's text, as F2 selects the word: Enter then still searches.
void TWindowKeysTest::EnterInEveryBoxOfTheDialogPressesOk() {
  QFETCH(int, tabs);
  TSearchedWindow s;
  QComboBox* boxes[] = {s.W.Dlg().SearchWordCmbBox, s.W.Dlg().SearchFileCmbBox,
                        s.W.Dlg().SearchDirCmbBox};
  bool reached = false;
  const bool stayedOpen = s.F2Then([&](TGrepDlg& dlg) {
    for (int i = 0; i < tabs; ++i) QTest::keyClick(FocusIn(&dlg), Qt::Key_Tab);
    reached = FocusIn(&dlg) == boxes[tabs];
    PressEnter(dlg);
  });
  QVERIFY(reached);
  QVERIFY(!stayedOpen);
  QCOMPARE(s.W.Form.windowTitle(), s.Caption(QStringLiteral("beta")));
  QCOMPARE(s.W.Lines(s.W.Form.GrepEdit), s.Results(QStringLiteral(" :2: beta")));
}

// With "ABC" in the history, "ab" typed over the selected word is what is searched,
// case-sensitively.
void TWindowKeysTest::TypedLettersAreNotCompletedFromTheHistory() {
  TSearchedWindow s;
  s.W.Form.GrepEdit->Reset();
  s.W.Dlg().SearchWordCmbBox->setEditText(QStringLiteral("ABC"));
  s.W.Dlg().PushHistory(s.W.Dlg().SearchWordCmbBox);
  s.W.Dlg().UpLowChkBox->setChecked(true);
  s.Tree.WriteText(QStringLiteral("a.txt"), QStringLiteral("ABC\nab\n"));
  QString shown;
  const bool stayedOpen = s.F2Then([&](TGrepDlg& dlg) {
    QTest::keyClicks(FocusIn(&dlg), QStringLiteral("ab"));
    shown = dlg.SearchWordCmbBox->currentText();
    PressEnter(dlg);
  });
  QCOMPARE(shown, QStringLiteral("ab"));
  QVERIFY(!stayedOpen);
  QCOMPARE(s.W.Form.windowTitle(), s.Caption(QStringLiteral("ab")));
  QCOMPARE(s.W.Lines(s.W.Form.GrepEdit), s.Results(QStringLiteral(" :2: ab")));
  QCOMPARE(s.W.Dlg().SearchWordCmbBox->itemText(0), QStringLiteral("ab"));
  QCOMPARE(s.W.Dlg().SearchWordCmbBox->itemText(1), QStringLiteral("ABC"));
}

// The toolbar's search box: Enter finds what was typed, and the start button searches it.
void TWindowKeysTest::TheSearchBoxKeepsTypedLettersToo() {
  TSearchedWindow s;
  QComboBox* box = s.W.Form.SearchCmbBox;
  box->clear();
  box->addItems({QStringLiteral("ABC"), QStringLiteral("beta")});
  s.W.Form.GrepEdit->LoadText(QStringLiteral("ABC\nab\n"));
  s.W.Form.GrepEdit->CollapseSelectionAt(0, 0);
  s.W.Activate();
  QTest::keyClick(&s.W.Form, Qt::Key_F, Qt::ControlModifier);
  QCOMPARE(QApplication::focusWidget(), box);
  box->lineEdit()->clear();
  QTest::keyClicks(box, QStringLiteral("ab"));
  QCOMPARE(box->currentText(), QStringLiteral("ab"));
  QTest::keyClick(box, Qt::Key_Return);
  QCOMPARE(box->currentText(), QStringLiteral("ab"));
  QCOMPARE(Items(box), (QStringList{"ABC", "beta", "ab"}));
  QCOMPARE(s.W.Form.GrepEdit->selectedText(),
           QStringLiteral("AB"));  // the page search ignores case
  s.W.Form.StartSpdBtn->trigger();
  QCOMPARE(s.W.Form.windowTitle(), s.Caption(QStringLiteral("ab")));
}

void TWindowKeysTest::EscOnTheDropDownKeepsTheTypedText() {
  TWindow w;
  w.Activate();
  QComboBox* box = w.Form.SearchCmbBox;
  box->clear();
  box->addItems({QStringLiteral("main"), QStringLiteral("other")});
  box->setFocus();
  box->lineEdit()->clear();
  QTest::keyClicks(box, QStringLiteral("MAIN"));
  QTest::keyClick(box, Qt::Key_Down, Qt::AltModifier);
  QTRY_VERIFY(box->view()->isVisible());
  QTest::keyClick(box->view(), Qt::Key_Escape);
  QTRY_VERIFY(!box->view()->isVisible());
  QCOMPARE(box->currentText(), QStringLiteral("MAIN"));
  // Nor does leaving the box change it.
  w.Form.GrepEdit->setFocus();
  QCOMPARE(box->currentText(), QStringLiteral("MAIN"));
}

// ---------------------------------------------------------------------------------------
// Paste and the edit keys

// A line copied from a terminal comes with its line feed: Ctrl+V, and the menu's paste,
// put in the line only, in place of the selection.
void TWindowKeysTest::APastedLineBreakEndsThePasteInTheSearchBox() {
  TSearchedWindow s;
  QComboBox* combo = s.W.Form.SearchCmbBox;
  QLineEdit* box = combo->lineEdit();
  s.W.Form.GrepEdit->LoadText(QStringLiteral("x main y\n"));
  s.W.Form.GrepEdit->CollapseSelectionAt(0, 0);
  QGuiApplication::clipboard()->setText(QStringLiteral("main\n"));
  s.W.Activate();
  QTest::keyClick(&s.W.Form, Qt::Key_F, Qt::ControlModifier);
  box->selectAll();
  QTest::keyClick(combo, Qt::Key_V, Qt::ControlModifier);
  QCOMPARE(box->text(), QStringLiteral("main"));
  QTest::keyClick(combo, Qt::Key_Return);
  QCOMPARE(s.W.Form.GrepEdit->selectedText(), QStringLiteral("main"));

  QGuiApplication::clipboard()->setText(QStringLiteral("in\r\nsecond line"));
  combo->setFocus();
  box->setText(QStringLiteral("ma  here"));
  box->setSelection(2, 1);
  QTest::keyClick(combo, Qt::Key_V, Qt::ControlModifier);
  QCOMPARE(box->text(), QStringLiteral("main here"));
  QCOMPARE(box->cursorPosition(), 4);
  box->setText(QStringLiteral("ma"));
  s.W.Form.PasteMenu->trigger();
  QCOMPARE(box->text(), QStringLiteral("main"));
  s.W.Form.StartSpdBtn->trigger();
  QCOMPARE(s.W.Form.windowTitle(), s.Caption(QStringLiteral("main")));
}

void TWindowKeysTest::APastedLineBreakEndsThePasteInTheDialog() {
  TSearchedWindow s;
  s.Tree.WriteText(QStringLiteral("a.txt"), QStringLiteral("main\n"));
  QGuiApplication::clipboard()->setText(QStringLiteral("main\n"));
  const bool stayedOpen = s.F2Then([&](TGrepDlg& dlg) {
    QTest::keyClick(FocusIn(&dlg), Qt::Key_V, Qt::ControlModifier);
    PressEnter(dlg);
  });
  QVERIFY(!stayedOpen);
  QCOMPARE(s.W.Form.windowTitle(), s.Caption(QStringLiteral("main")));
  QCOMPARE(s.W.Lines(s.W.Form.GrepEdit), s.Results(QStringLiteral(" :1: main")));
  // What is kept at close is the word without the break.
  QVERIFY(s.W.Form.close());
  QCOMPARE(s.W.Saved->Words.front(), std::string("main"));
}

// Ctrl+A, Ctrl+C, Ctrl+V and Ctrl+Z act on the results view, or on the one-line box that
// has the focus.
void TWindowKeysTest::EditKeysActWhereTheFocusIs() {
  TWindow w;
  w.Activate();
  QComboBox* combo = w.Form.SearchCmbBox;
  QLineEdit* box = combo->lineEdit();
  TTextEditor* view = w.Form.GrepEdit;
  view->LoadText(QStringLiteral("results\ntext"));
  box->setText(QStringLiteral("word"));

  view->setFocus();
  QTest::keyClick(view, Qt::Key_A, Qt::ControlModifier);
  QCOMPARE(view->selectedText(), QStringLiteral("results\ntext"));
  QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
  QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("results\ntext"));

  view->CollapseSelectionAt(0, 0);
  combo->setFocus();
  QTest::keyClick(combo, Qt::Key_A, Qt::ControlModifier);
  QCOMPARE(box->selectedText(), QStringLiteral("word"));
  QVERIFY(!view->hasSelectedText());
  QTest::keyClick(combo, Qt::Key_C, Qt::ControlModifier);
  QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("word"));
  QGuiApplication::clipboard()->setText(QStringLiteral("pasted\nnot this"));
  QTest::keyClick(combo, Qt::Key_V, Qt::ControlModifier);
  QCOMPARE(box->text(), QStringLiteral("pasted"));
  QCOMPARE(view->text(), QStringLiteral("results\ntext"));
  QTest::keyClick(combo, Qt::Key_Z, Qt::ControlModifier);
  QCOMPARE(box->text(), QStringLiteral("word"));
  QCOMPARE(view->text(), QStringLiteral("results\ntext"));
}

// ---------------------------------------------------------------------------------------
// Typed folders

// Typing ".../abc" beside ".../ab" passes through ".../ab", a folder: the text stays as
// typed all the same, the tree follows it, and OK adds the trailing "/".
void TWindowKeysTest::ATypedFolderIsSearchedAsTyped() {
  TTree tree;
  tree.Write(QStringLiteral("t/ab/in-ab.txt"), "x");
  const QString inAbc = tree.Write(QStringLiteral("t/abc/in-abc.txt"), "x");
  TWindow w;
  w.Activate();
  w.SetInputs(QStringLiteral("x"), QStringLiteral("*.txt"), tree.Root, true);
  const QString typed = tree.Root + QStringLiteral("t/abc");
  QStringList texts;
  QString treeFolder;
  bool reached = false;
  TModalKeys<TGrepDlg> modal([&](TGrepDlg& dlg) {
    QTest::keyClick(FocusIn(&dlg), Qt::Key_Tab);
    QTest::keyClick(FocusIn(&dlg), Qt::Key_Tab);
    reached = FocusIn(&dlg) == dlg.SearchDirCmbBox;
    QTest::keyClick(FocusIn(&dlg), Qt::Key_A, Qt::ControlModifier);
    for (const QChar c : typed) {
      QTest::keyClicks(FocusIn(&dlg), QString(c));
      texts << dlg.SearchDirCmbBox->currentText();
    }
    treeFolder = dlg.DirectoryListBox->Directory();
    PressEnter(dlg);
  });
  QTest::keyClick(&w.Form, Qt::Key_F2);
  QVERIFY(modal.Opened);
  QVERIFY(reached);
  QVERIFY(!modal.StayedOpen);
  for (int i = 0; i < texts.size(); ++i) QCOMPARE(texts[i], typed.left(i + 1));
  QCOMPARE(treeFolder, typed);
  QCOMPARE(w.Dlg().SearchDirCmbBox->currentText(), typed + QLatin1Char('/'));
  QCOMPARE(w.Lines(w.Form.FileSearchEdit), QStringList{inAbc});
  QCOMPARE(w.Form.windowTitle(), QStringLiteral("Varsik - %1/*.txt - \"x\"").arg(typed));
}

QTEST_MAIN(TWindowKeysTest)
#include "window_keys_test.moc"
