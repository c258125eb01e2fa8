// The main window: start-up, the search driver as the user runs it (states, stop,
// caption and status), histories, the tag jump, the in-page search and the edit and
// file commands.
#include "window/dir_form.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>

#include "dialogs/about_box.h"
#include "dialogs/grep_dlg.h"
#include "editor/text_editor.h"
#include "platform/centre.h"
#include "platform/cp932.h"
#include "platform/qt/fonts.h"
#include "shell/search_driver.h"
#include "tests/editor/marked_texts.h"
#include "tests/window/window_test_support.h"
#include "window/view_sink.h"

using namespace varsik;

class TDirFormTest : public QObject {
  Q_OBJECT

 private slots:
  // Start-up and layout
  void FirstStartShowsTheDefaults();
  void WindowOffTheScreenComesBack_data();
  void WindowOffTheScreenComesBack();
  void ThePlaceWrittenIsThePlaceRead_data();
  void ThePlaceWrittenIsThePlaceRead();
  void ASizeBeyondTheScreenIsCutToIt_data();
  void ASizeBeyondTheScreenIsCutToIt();
  void MenusHoldTheirItemsInOrder_data();
  void MenusHoldTheirItemsInOrder();
  void EachTopMenuHasALetterOfItsOwn();
  void ToolBarHoldsItsButtons();
  void StatusPanelsFollowTheWidth();
  void SearchDialogOpensAtTheFirstPaintOnly();
  void TheWindowShowsTheProgramIcon();

  // The search
  void CentringRoundsHalvesToEven_data();
  void CentringRoundsHalvesToEven();
  void GrepSpdBtnClickCentresTheDialog();
  void GrepDialogOkStartsTheSearch();
  void PushHistory_data();
  void PushHistory();
  void FileNameSearchListsFilesWithCaptionAndStatus();
  void PlainSearchWritesResultsAndCounts();
  void RegexSearchWritesResults();
  void EveryMatchOnAnEntryLineIsMarked();
  void APatternErrorIsShownAndTheCommandsReturnToIdle();
  void StartButtonTakesTheSearchBoxWord();
  void AWordShiftJisCannotHoldStartsNothing();
  void EachFileIsShownInItsOwnEncoding();
  void StopKeepsPartialResultsAndStartWaitsForTheWalk();
  void ErrorBoxesComeInWalkOrderWithTheSearchWaiting();
  void SinkHandsItsLinesOverAtAFlush();
  void HostileNamesAreOneLineEachAndCountOnce();
  void ARelativeFolderGivesAbsolutePaths();
  void ADanglingLinkIsAFileThatCannotBeOpened();

  // Closing
  void CloseHidesThenWritesTheSettings();
  void CloseIsRefusedWhileASearchRuns();
  void CloseWhileAStoppedSearchUnwindsClosesAfterIt();
  void AFailingSettingsWriterDoesNotKeepTheWindowOpen();

  // Tag jump
  void TagJump_data();
  void TagJump();
  void EnterInTheResultsViewJumpsAndBreaksNoLine();
  void ABadJumpFormatShowsAnErrorAndStartsNothing();
  void TheJumpPassesTheBytesOfTheFileSearched();
  void TheHeadersWrittenAreKnownUntilTheViewIsEdited();
  void AJumpFromTheLastOfAMillionEntries();

  // In-page search and edit commands
  void InPageSearchIgnoresCase();
  void SearchDownForAWordOnlyAboveTheCaret();
  void SearchUpMovesFromHitToHit();
  void SearchBoxHistoryAddsNewWordsAtTheEnd();
  void EnterInTheSearchBoxSearchesDownward();
  void TheSecondEditorIsSearchedWhenShown();
  void NewShowsAnEmptySecondEditorUntilTheNextSearch();
  void CaretPositionOfTheResultsView();
  void UndoActsOnTheVisibleView();
  void ClipboardCommandsOnTheSearchBox();
  void ClipboardCommandsOnTheFocusedView();
  void SelectAllSelectsTheResultsView();
  void OpenLoadsShiftJisText();
  void OpenOfAMissingFileFails();
  void PrintShowsThePrintDialog();
  void AboutBoxIsFilledAndCentred();
};

// ---------------------------------------------------------------------------------------
// Start-up and layout

void TDirFormTest::FirstStartShowsTheDefaults() {
  TWindow w;
  const QString home = QDir::homePath() + QLatin1Char('/');
  QCOMPARE(w.Form.windowTitle(), QStringLiteral("Varsik - %1*.* - \"\"").arg(home));
  QCOMPARE(w.Form.StatusPanel0->text(), w.Form.windowTitle());
  QCOMPARE(w.Form.StatusPanel1->text(), QStringLiteral("L1-C1"));
  QCOMPARE(w.Form.geometry(), QRect(50, 50, 575, 534));
  QCOMPARE(w.Form.focusWidget(), w.Form.GrepEdit);
  QVERIFY(!w.Form.GrepEdit->isHidden());
  QVERIFY(!w.Form.FileSearchEdit->isHidden());
  QVERIFY(w.StartCommandsEnabled());
  QVERIFY(!w.Form.StopSpdBtn->isEnabled());
  QVERIFY(!w.Form.StopGrepMenu->isEnabled());
  QCOMPARE(w.Dlg().SearchDirCmbBox->currentText(), home);
  QCOMPARE(w.Dlg().SearchFileCmbBox->currentText(), QStringLiteral("*.*"));
  QVERIFY(w.Dlg().SubFolderChkBox->isChecked());
  QVERIFY(!w.Dlg().UpLowChkBox->isChecked());
  QCOMPARE(w.Form.SearchCmbBox->count(), 10);
  QCOMPARE(w.Form.EditorPath, QStringLiteral("xdg-open"));
  QCOMPARE(w.Form.font().family(), Platform::FontFamily(QStringLiteral("ＭＳ Ｐゴシック")));
  QCOMPARE(w.Form.font().pixelSize(), 12);
}

void TDirFormTest::TheWindowShowsTheProgramIcon() {
  TWindow w;
  // The desktop entry's icon at every size drawn of it, as the window manager asks for
  // one of them for the title bar and another for the task list.
  QList<QSize> sizes;
  for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) sizes << QSize(size, size);
  QList<QSize> available = w.Form.windowIcon().availableSizes();
  std::sort(available.begin(), available.end(),
            [](QSize a, QSize b) { return a.width() < b.width(); });
  QCOMPARE(available, sizes);
  // Not a blank: the sheet's white and the character's blue are in it.
  const QImage image = w.Form.windowIcon().pixmap(QSize(256, 256)).toImage();
  QCOMPARE(image.pixelColor(60, 150), QColor(Qt::white));
  QCOMPARE(image.pixelColor(75, 100), QColor(0x1d, 0x3f, 0x7a));
}

void TDirFormTest::WindowOffTheScreenComesBack_data() {
  QTest::addColumn<int>("left");
  QTest::addColumn<int>("top");
  QTest::addColumn<QPoint>("expected");
  const QRect screen = QGuiApplication::primaryScreen()->virtualGeometry();
  QTest::newRow("on the screen") << 120 << 80 << QPoint(120, 80);
  QTest::newRow("left of the screen") << -1 << 80 << QPoint(50, 80);
  QTest::newRow("too far right") << screen.width() - 99 << 80 << QPoint(50, 80);
  QTest::newRow("just far enough right")
      << screen.width() - 100 << 80 << QPoint(screen.width() - 100, 80);
  QTest::newRow("above the screen") << 120 << -5 << QPoint(120, 50);
  QTest::newRow("too far down") << 120 << screen.height() - 99 << QPoint(120, 50);
}

void TDirFormTest::WindowOffTheScreenComesBack() {
  QFETCH(int, left);
  QFETCH(int, top);
  QFETCH(QPoint, expected);
  TSettings settings = FirstStart();
  settings.Left = left;
  settings.Top = top;
  TWindow w(settings);
  QCOMPARE(w.Form.geometry().topLeft(), expected);
}

void TDirFormTest::ThePlaceWrittenIsThePlaceRead_data() {
  QTest::addColumn<QRect>("written");
  QTest::addColumn<QRect>("expected");
  QTest::newRow("first start") << QRect(50, 50, 575, 534) << QRect(50, 50, 575, 534);
  QTest::newRow("moved and resized") << QRect(130, 70, 640, 480) << QRect(130, 70, 640, 480);
  QTest::newRow("off the screen") << QRect(-40, -30, 600, 500) << QRect(50, 50, 600, 500);
}

void TDirFormTest::ThePlaceWrittenIsThePlaceRead() {
  QFETCH(QRect, written);
  QFETCH(QRect, expected);
  TSettings settings = FirstStart();
  settings.Left = written.x();
  settings.Top = written.y();
  settings.Width = written.width();
  settings.Height = written.height();
  // Three runs, each started with what the one before wrote: the window stays put.
  for (int run = 0; run < 3; ++run) {
    TWindow w(settings);
    QCOMPARE(w.Form.geometry(), expected);
    QVERIFY(w.Form.close());
    QVERIFY(w.Saved.has_value());
    QCOMPARE(QRect(w.Saved->Left, w.Saved->Top, w.Saved->Width, w.Saved->Height), expected);
    settings = *w.Saved;
    settings.GrepDlgShowOnStart = false;
  }
}

void TDirFormTest::ASizeBeyondTheScreenIsCutToIt_data() {
  QTest::addColumn<QSize>("written");
  QTest::addColumn<QSize>("expected");
  const QSize room = QGuiApplication::primaryScreen()->availableVirtualGeometry().size();
  QTest::newRow("it fits") << QSize(640, 480) << QSize(640, 480);
  QTest::newRow("the whole screen") << room << room;
  QTest::newRow("a pixel too wide") << QSize(room.width() + 1, 480) << QSize(room.width(), 480);
  QTest::newRow("a pixel too high") << QSize(640, room.height() + 1) << QSize(640, room.height());
  QTest::newRow("the largest numbers") << QSize(INT32_MAX, INT32_MAX) << room;
}

void TDirFormTest::ASizeBeyondTheScreenIsCutToIt() {
  QFETCH(QSize, written);
  QFETCH(QSize, expected);
  TSettings settings = FirstStart();
  settings.Width = written.width();
  settings.Height = written.height();
  TWindow w(settings);
  QCOMPARE(w.Form.size(), expected);
  QVERIFY(w.Form.close());
  QVERIFY(w.Saved.has_value());
  QCOMPARE(QSize(w.Saved->Width, w.Saved->Height), expected);
}

void TDirFormTest::MenusHoldTheirItemsInOrder_data() {
  QTest::addColumn<int>("menu");
  QTest::addColumn<QString>("title");
  QTest::addColumn<QStringList>("items");  // caption, tab, shortcut; "-" for a separator
  QTest::newRow("file") << 0 << "ファイル(&F)"
                        << QStringList{"新規作成\tCtrl+N",
                                       "開く\tCtrl+O",
                                       "上書き保存\tCtrl+S",
                                       "名前を付けて保存\t",
                                       "-",
                                       "印刷\tCtrl+P",
                                       "-",
                                       "閉じる\tAlt+F4"};
  QTest::newRow("edit") << 1 << "編集(&E)"
                        << QStringList{
                               "元に戻す\tCtrl+Z", "やり直し\tCtrl+R", "-", "切り取り\tCtrl+X",
                               "コピー\tCtrl+C",   "貼り付け\tCtrl+V", "-", "全て選択\tCtrl+A"};
  QTest::newRow("search") << 2 << "検索(&S)"
                          << QStringList{"検索\tCtrl+F",      "上検索\tF4", "下検索\tF3",  "-",
                                         "タグジャンプ\tF10", "-",          "Grep検索\tF2"};
  QTest::newRow("run") << 3 << "実行(&X)" << QStringList{"Grep検索開始\t", "処理中断\tEsc"};
  QTest::newRow("help") << 4 << "ヘルプ(&H)" << QStringList{"Varsikについて\t"};
}

void TDirFormTest::MenusHoldTheirItemsInOrder() {
  QFETCH(int, menu);
  QFETCH(QString, title);
  QFETCH(QStringList, items);
  TWindow w;
  const QList<QAction*> menus = w.Form.menuBar()->actions();
  QCOMPARE(menus.size(), 5);
  QCOMPARE(menus[menu]->text(), title);
  QStringList actual;
  for (QAction* item : menus[menu]->menu()->actions())
    actual << (item->isSeparator()
                   ? QStringLiteral("-")
                   : item->text() + QLatin1Char('\t') + item->shortcut().toString());
  QCOMPARE(actual, items);
}

void TDirFormTest::EachTopMenuHasALetterOfItsOwn() {
  TWindow w;
  QStringList letters;
  for (QAction* menu : w.Form.menuBar()->actions()) {
    const QString title = menu->text();
    const qsizetype amp = title.indexOf(QLatin1Char('&'));
    QVERIFY2(amp >= 0 && amp + 1 < title.size(), qPrintable(title));
    const QString letter = title.mid(amp + 1, 1).toUpper();
    QVERIFY2(!letters.contains(letter), qPrintable(title));
    letters << letter;
  }
}

void TDirFormTest::ToolBarHoldsItsButtons() {
  TWindow w;
  QStringList visible;
  for (QAction* action : w.Form.ToolBar1->actions())
    if (action->isVisible() && !action->isSeparator())
      visible << (action->toolTip().isEmpty() ? action->text() : action->toolTip());
  QCOMPARE(visible, (QStringList{"GREPダイアログ", "GREP開始", "中断", "タグジャンプ", "",
                                 "ページ内を検索", "ページ内を検索"}));
  QCOMPARE(w.Form.SearchCmbBox->width(), 300);
  QCOMPARE(w.Form.SearchCmbBox->font().pixelSize(), 13);
  QCOMPARE(w.Form.DnSearchSpdBtn->text(), QStringLiteral("↓"));
  QCOMPARE(w.Form.UpSearchSpdBtn->text(), QStringLiteral("↑"));
  QVERIFY(w.Form.ToolBar1->widgetForAction(w.Form.DnSearchSpdBtn)->font().bold());
  QVERIFY(w.Form.ToolBar1->widgetForAction(w.Form.UpSearchSpdBtn)->font().bold());
  for (QAction* hidden :
       {w.Form.SpeedButton3, w.Form.NewFileSpdBtn, w.Form.OpenSpdBtn, w.Form.SaveSpdBtn,
        w.Form.PrintSpdBtn, w.Form.CutSpdBtn, w.Form.CopySpdBtn, w.Form.PasteSpdBtn}) {
    QVERIFY(!hidden->isVisible());
    QVERIFY(w.Form.ToolBar1->actions().contains(hidden));
  }
  // A hidden button runs the same handler as its menu item.
  w.Form.GrepEdit->AppendLines({QStringLiteral("text")});
  w.Form.NewFileSpdBtn->trigger();
  QVERIFY(w.Form.GrepEdit->isHidden());
  QVERIFY(!w.Form.FileSearchEdit->isHidden());
}

void TDirFormTest::StatusPanelsFollowTheWidth() {
  TWindow w;
  for (int width : {575, 800, 400}) {
    w.Form.resize(width, 400);
    QCoreApplication::processEvents();
    QCOMPARE(w.Form.StatusPanel0->width(), w.Form.statusBar()->width() - 95);
    QCOMPARE(w.Form.StatusPanel1->width(), 80);
  }
  QCOMPARE(w.Form.StatusPanel1->alignment() & Qt::AlignHCenter, Qt::AlignHCenter);
}

void TDirFormTest::SearchDialogOpensAtTheFirstPaintOnly() {
  TSettings settings = FirstStart();
  settings.GrepDlgShowOnStart = true;
  int openings = 0;
  std::function<void(QWidget*)> count = [&](QWidget* modal) {
    if (qobject_cast<TGrepDlg*>(modal)) ++openings;
  };
  WhenModal(count);
  TWindow w(settings);
  QTRY_COMPARE(openings, 1);
  QTRY_VERIFY(!w.Form.GrepDlg->isVisible());
  w.Form.repaint();
  QTest::qWait(100);
  QCOMPARE(openings, 1);
  QVERIFY(!w.Form.ShowGrepDlgOnStart);
  // Cancel started nothing.
  QCOMPARE(w.Form.windowTitle(), QStringLiteral("Varsik - %1/*.* - \"\"").arg(QDir::homePath()));
}

// ---------------------------------------------------------------------------------------
// The search

void TDirFormTest::CentringRoundsHalvesToEven_data() {
  QTest::addColumn<int>("difference");
  QTest::addColumn<int>("half");
  QTest::newRow("even") << 202 << 101;
  QTest::newRow("0.5 to 0") << 1 << 0;
  QTest::newRow("1.5 to 2") << 3 << 2;
  QTest::newRow("2.5 to 2") << 5 << 2;
  QTest::newRow("98.5 to 98") << 197 << 98;
  QTest::newRow("99.5 to 100") << 199 << 100;
  QTest::newRow("-0.5 to 0") << -1 << 0;
  QTest::newRow("-1.5 to -2") << -3 << -2;
  QTest::newRow("-2.5 to -2") << -5 << -2;
}

void TDirFormTest::CentringRoundsHalvesToEven() {
  QFETCH(int, difference);
  QFETCH(int, half);
  QCOMPARE(Platform::HalfRoundedToEven(difference), half);
  QCOMPARE(Platform::CentredPos(40, 100 + difference, 100), 40 + half);
}

void TDirFormTest::GrepSpdBtnClickCentresTheDialog() {
  TWindow w;
  w.Form.setGeometry(100, 60, 577, 535);
  QCoreApplication::processEvents();
  QRect dialogFrame;
  WhenModal([&](QWidget* modal) { dialogFrame = modal->frameGeometry(); });
  w.Form.GrepSpdBtnClick();
  const QRect main = w.Form.frameGeometry();
  QVERIFY(dialogFrame.isValid());
  QCOMPARE(dialogFrame.x() - main.x(),
           Platform::HalfRoundedToEven(main.width() - dialogFrame.width()));
  QCOMPARE(dialogFrame.y() - main.y(),
           Platform::HalfRoundedToEven(main.height() - dialogFrame.height()));
}

void TDirFormTest::GrepDialogOkStartsTheSearch() {
  TTree tree;
  tree.Write(QStringLiteral("a.txt"), "x");
  TWindow w;
  w.SetInputs(QStringLiteral("dialog"), QStringLiteral("*.txt"), tree.Root, true);
  w.Form.SearchCmbBox->setEditText(QStringLiteral("box"));
  WhenModal([](QWidget* modal) { static_cast<QDialog*>(modal)->accept(); });
  w.Form.GrepSpdBtnClick();
  // OK searches for the dialog's word, not the search box's.
  QCOMPARE(w.Form.windowTitle(), QStringLiteral("Varsik - %1*.txt - \"dialog\"").arg(tree.Root));
  QCOMPARE(w.Lines(w.Form.FileSearchEdit), QStringList{tree.Root + QStringLiteral("a.txt")});
}

void TDirFormTest::PushHistory_data() {
  QTest::addColumn<QStringList>("items");
  QTest::addColumn<QString>("text");
  QTest::addColumn<QStringList>("expected");
  QTest::newRow("new text") << QStringList{"a", "b"} << "c" << QStringList{"c", "a", "b"};
  QTest::newRow("moves to the top")
      << QStringList{"a", "b", "c"} << "b" << QStringList{"b", "a", "c"};
  QTest::newRow("equal ignoring case, typed form kept")
      << QStringList{"a", "Main", "c"} << "MAIN" << QStringList{"MAIN", "a", "c"};
  QTest::newRow("only the first equal item goes")
      << QStringList{"x", "X", "x"} << "x" << QStringList{"x", "X", "x"};
  QTest::newRow("empty text is pushed too")
      << QStringList{"a", "", "b"} << "" << QStringList{"", "a", "b"};
  QTest::newRow("empty box") << QStringList{} << "w" << QStringList{"w"};
  QTest::newRow("no cap") << QStringList{"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"} << "11"
                          << QStringList{"11", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10"};
}

void TDirFormTest::PushHistory() {
  QFETCH(QStringList, items);
  QFETCH(QString, text);
  QFETCH(QStringList, expected);
  TWindow w;
  QComboBox* box = w.Dlg().SearchWordCmbBox;
  box->clear();
  box->addItems(items);
  box->setEditText(text);
  TGrepDlg::PushHistory(box);
  QCOMPARE(Items(box), expected);
  QCOMPARE(box->currentText(), text);
}

void TDirFormTest::FileNameSearchListsFilesWithCaptionAndStatus() {
  TTree tree;
  tree.Write(QStringLiteral("b.c"), "int main;");
  tree.Write(QStringLiteral("a.txt"), "main");
  tree.Write(QStringLiteral("sub/c.txt"), "main");
  tree.Write(QStringLiteral("sub/skip.h"), "main");
  TWindow w;
  w.SetInputs(QStringLiteral("main"), QStringLiteral("*.txt;*.c"), tree.Root, true);
  w.Form.StartSpdBtnClick(&w.Form);

  QCOMPARE(w.Form.windowTitle(), QStringLiteral("Varsik - %1*.txt;*.c - \"main\"").arg(tree.Root));
  QCOMPARE(w.Lines(w.Form.FileSearchEdit),
           (QStringList{tree.Root + "a.txt", tree.Root + "b.c", tree.Root + "sub/c.txt"}));
  QCOMPARE(w.Form.GrepEdit->LineCount(), 0);
  QVERIFY(w.Form.GrepEdit->isHidden());
  QVERIFY(!w.Form.FileSearchEdit->isHidden());
  // The list shown has its lines numbered.
  QCoreApplication::processEvents();
  QByteArray number(8, '\0');
  const long length = w.Form.FileSearchEdit->SendScintilla(QsciScintillaBase::SCI_MARGINGETTEXT,
                                                           2UL, number.data());
  QCOMPARE(number.left(static_cast<int>(length)), QByteArray("03"));
  QCOMPARE(w.Form.StatusPanel0->text(),
           QStringLiteral("検索ファイル数 : 3   一致ファイル数 : 0   一致行数 : 0"));
  QVERIFY(w.StartCommandsEnabled());
  QVERIFY(!w.Form.StopSpdBtn->isEnabled());
  QCOMPARE(w.Form.Driver().FNameList(), (std::vector<std::string>{"*.txt", "*.c"}));
  // The three inputs are at the top of their histories, and the search box has the
  // word history.
  QCOMPARE(w.Dlg().SearchWordCmbBox->itemText(0), QStringLiteral("main"));
  QCOMPARE(w.Dlg().SearchFileCmbBox->itemText(0), QStringLiteral("*.txt;*.c"));
  QCOMPARE(w.Dlg().SearchDirCmbBox->itemText(0), tree.Root);
  QCOMPARE(Items(w.Form.SearchCmbBox), Items(w.Dlg().SearchWordCmbBox));
  QCOMPARE(w.Form.SearchCmbBox->currentText(), QStringLiteral("main"));
}

void TDirFormTest::PlainSearchWritesResultsAndCounts() {
  TTree tree;
  const QString a = tree.WriteText(QStringLiteral("a.txt"),
                                   QStringLiteral("int main(void)\r\nfoo\r\nMAIN again\r\n"));
  const QString b = tree.WriteText(QStringLiteral("sub/b.txt"), QStringLiteral("日本語 main\n"));
  tree.WriteText(QStringLiteral("sub/none.txt"), QStringLiteral("nothing here\n"));
  TWindow w;
  w.SetInputs(QStringLiteral("main"), QStringLiteral("*.txt"), tree.Root);
  w.Form.StartSpdBtnClick(&w.Form);

  QCOMPARE(w.Lines(w.Form.GrepEdit),
           (QStringList{"#\"" + a + "\"", " :1: int main(void)", " :3: MAIN again",
                        "#\"" + b + "\"", " :1: 日本語 main"}));
  QCOMPARE(w.Form.StatusPanel0->text(),
           QStringLiteral("検索ファイル数 : 3   一致ファイル数 : 2   一致行数 : 3"));
  QVERIFY(!w.Form.GrepEdit->isHidden());
  QVERIFY(w.Form.FileSearchEdit->isHidden());
  QCOMPARE(w.Form.focusWidget(), w.Form.GrepEdit);
  int line = -1, column = -1;
  w.Form.GrepEdit->SelectionStart(line, column);
  QCOMPARE(line, 0);
  QCOMPARE(column, 0);

  // The next search clears both views first.
  w.SetInputs(QStringLiteral("absent"), QStringLiteral("*.txt"), tree.Root);
  w.Form.StartSpdBtnClick(&w.Form);
  QCOMPARE(w.Form.GrepEdit->LineCount(), 0);
  QCOMPARE(w.Form.FileSearchEdit->LineCount(), 3);
  QCOMPARE(w.Form.StatusPanel0->text(),
           QStringLiteral("検索ファイル数 : 3   一致ファイル数 : 0   一致行数 : 0"));
}

void TDirFormTest::RegexSearchWritesResults() {
  TTree tree;
  const QString a =
      tree.WriteText(QStringLiteral("a.c"), QStringLiteral("int main(void)\nmoon\nMAIN\n日本語\n"));
  TWindow w;
  w.SetInputs(QStringLiteral("m[a-z]+n|日本"), QStringLiteral("*.c"), tree.Root);
  w.Dlg().RegexChkBox->setChecked(true);
  w.Form.StartSpdBtnClick(&w.Form);
  // The case switch has no effect in this mode: MAIN is not found.
  QCOMPARE(w.Lines(w.Form.GrepEdit),
           (QStringList{"#\"" + a + "\"", " :1: int main(void)", " :2: moon", " :4: 日本語"}));
  QCOMPARE(w.Form.StatusPanel0->text(),
           QStringLiteral("検索ファイル数 : 1   一致ファイル数 : 1   一致行数 : 3"));
}

void TDirFormTest::EveryMatchOnAnEntryLineIsMarked() {
  TTree tree;
  tree.WriteText(QStringLiteral("main.c"),
                 QStringLiteral("int main(void)\r\n{ MAIN(); domain; }\n// ﾃｷｽﾄ テキスト\n"));
  TWindow w;
  const int match = TTextEditor::kMatchIndicator;
  // Plain mode: case folded, whole words; the header's "main" is no match.
  w.SetInputs(QStringLiteral("main"), QStringLiteral("*.c"), tree.Root);
  w.Dlg().SearchAsWordChkBox->setChecked(true);
  w.Form.StartSpdBtnClick(&w.Form);
  QCOMPARE(MarkedTexts(*w.Form.GrepEdit, match), (QStringList{"1:main", "2:MAIN"}));
  // Fuzzy kana: half-width katakana stand for full width, in the view's UTF-8 bytes.
  w.SetInputs(QStringLiteral("テキスト"), QStringLiteral("*.c"), tree.Root);
  w.Dlg().FuzzySearchChkBox->setChecked(true);
  w.Form.StartSpdBtnClick(&w.Form);
  QCOMPARE(MarkedTexts(*w.Form.GrepEdit, match), (QStringList{"1:ﾃｷｽﾄ", "1:テキスト"}));
  // Regular expressions: leftmost-longest, across the line.
  w.SetInputs(QStringLiteral("[a-z]*ma[a-z]+"), QStringLiteral("*.c"), tree.Root);
  w.Dlg().RegexChkBox->setChecked(true);
  w.Form.StartSpdBtnClick(&w.Form);
  QCOMPARE(MarkedTexts(*w.Form.GrepEdit, match), (QStringList{"1:main", "2:domain"}));

  // The in-page search marks what it finds the same way.
  w.Form.SearchCmbBox->setEditText(QStringLiteral("void"));
  w.Form.FindNextMenuClick();
  QCOMPARE(MarkedTexts(*w.Form.GrepEdit, TTextEditor::kFoundIndicator), QStringList{"1:void"});

  // Japanese text with several matches on a line, as in the picture of the README.
  const QString lines[] = {
      QStringLiteral("環境変数 PATH は、環境変数の中でも最もよく使われる。"),
      QStringLiteral("// 設定ファイルより環境変数が優先される"),
      QStringLiteral("取得できない環境変数は空の文字列として扱う。"),
  };
  for (int f = 0; f < 3; ++f) {
    QString text;
    for (int l = 0; l < 6; ++l)
      text += (l % 2 == 0 ? lines[(f + l) % 3] : QStringLiteral("……")) + '\n';
    tree.WriteText(QStringLiteral("doc/env%1.txt").arg(f), text);
  }
  w.SetInputs(QStringLiteral("環境変数"), QStringLiteral("*.txt"), tree.Root + "doc");
  w.Dlg().RegexChkBox->setChecked(false);
  w.Form.StartSpdBtnClick(&w.Form);
  w.Form.SearchCmbBox->setEditText(QStringLiteral("優先"));
  w.Form.FindNextMenuClick();
  const QStringList marked = MarkedTexts(*w.Form.GrepEdit, match);
  QCOMPARE(marked.size(), 3 * 4);
  for (const QString& m : marked) QVERIFY(m.endsWith(QStringLiteral(":環境変数")));
  QCOMPARE(MarkedTexts(*w.Form.GrepEdit, TTextEditor::kFoundIndicator).size(), 1);
  SaveScreenshot(&w.Form, QStringLiteral("highlighted-results"));
}

void TDirFormTest::APatternErrorIsShownAndTheCommandsReturnToIdle() {
  TTree tree;
  const QString a = tree.WriteText(QStringLiteral("a.c"), QStringLiteral("(a\n"));
  TWindow w;
  w.SetInputs(QStringLiteral("(a"), QStringLiteral("*.c"), tree.Root);
  w.Dlg().RegexChkBox->setChecked(true);
  QString message;
  AnswerNextMessageBox(&message);
  w.Form.StartSpdBtnClick(&w.Form);
  QVERIFY(!message.isEmpty());
  QCOMPARE(w.Form.GrepEdit->LineCount(), 0);
  QCOMPARE(w.Lines(w.Form.FileSearchEdit), QStringList{a});
  // Ready for a corrected pattern at once.
  QVERIFY(w.StartCommandsEnabled());
  QVERIFY(!w.Form.StopSpdBtn->isEnabled());
  QVERIFY(!w.Form.Driver().IsRunning());
  QCOMPARE(w.Form.StatusPanel0->text(), a);
}

void TDirFormTest::StartButtonTakesTheSearchBoxWord() {
  TTree tree;
  TWindow w;
  w.SetInputs(QStringLiteral("dialog"), QStringLiteral("*.txt"), tree.Root);
  w.Form.SearchCmbBox->setEditText(QStringLiteral("box"));
  w.Form.StartGrepMenu->trigger();
  QCOMPARE(w.Dlg().SearchWordCmbBox->currentText(), QStringLiteral("dialog"));
  w.Form.SearchCmbBox->setEditText(QStringLiteral("box"));
  w.Form.StartSpdBtn->trigger();
  QCOMPARE(w.Dlg().SearchWordCmbBox->currentText(), QStringLiteral("box"));
  QCOMPARE(w.Form.windowTitle(), QStringLiteral("Varsik - %1*.txt - \"box\"").arg(tree.Root));
  // An empty search box leaves the dialog's word.
  w.Dlg().SearchWordCmbBox->setEditText(QStringLiteral("kept"));
  w.Form.SearchCmbBox->setEditText(QString());
  w.Form.StartSpdBtn->trigger();
  QCOMPARE(w.Dlg().SearchWordCmbBox->currentText(), QStringLiteral("kept"));
}

void TDirFormTest::AWordShiftJisCannotHoldStartsNothing() {
  TTree tree;
  tree.Write(QStringLiteral("a.txt"), "x");
  TWindow w;
  const QString title = w.Form.windowTitle();
  const QStringList history = Items(w.Dlg().SearchWordCmbBox);
  // Every file read as Shift JIS (in automatic mode the word is one that Unicode files hold).
  w.Dlg().EncodingCmbBox->setCurrentIndex(1);
  w.SetInputs(QStringLiteral("한국어"), QStringLiteral("*.txt"), tree.Root);
  QString message;
  AnswerNextMessageBox(&message);
  w.Form.StartSpdBtnClick(&w.Form);
  QVERIFY(message.contains(QStringLiteral("한국어")));
  QVERIFY(message.contains(QStringLiteral("Shift JIS")));
  QCOMPARE(w.Form.windowTitle(), title);
  QCOMPARE(Items(w.Dlg().SearchWordCmbBox), history);
  QCOMPARE(w.Form.FileSearchEdit->LineCount(), 0);
  QVERIFY(w.StartCommandsEnabled());
}

void TDirFormTest::EachFileIsShownInItsOwnEncoding() {
  TTree tree;
  const QString sjis = tree.WriteText(QStringLiteral("a.txt"), QStringLiteral("日本語 main\n"));
  const QString utf8 =
      tree.Write(QStringLiteral("b.txt"), QStringLiteral("x\n日本語 main 😀 é\n").toUtf8());
  TWindow w;
  QCOMPARE(w.Dlg().EncodingCmbBox->currentText(), QStringLiteral("自動判別"));
  w.SetInputs(QStringLiteral("日本語"), QStringLiteral("*.txt"), tree.Root);
  w.Form.StartSpdBtnClick(&w.Form);
  QCOMPARE(w.Lines(w.Form.GrepEdit), (QStringList{"#\"" + sjis + "\"", " :1: 日本語 main",
                                                  "#\"" + utf8 + "\"", " :2: 日本語 main 😀 é"}));
  // A word that only Unicode files can hold.
  w.SetInputs(QStringLiteral("😀 é"), QStringLiteral("*.txt"), tree.Root);
  w.Form.StartSpdBtnClick(&w.Form);
  QCOMPARE(w.Lines(w.Form.GrepEdit), (QStringList{"#\"" + utf8 + "\"", " :2: 日本語 main 😀 é"}));
  // The choice in the box reaches the search, and the settings keep it.
  w.Dlg().EncodingCmbBox->setCurrentIndex(1);
  w.SetInputs(QStringLiteral("日本語"), QStringLiteral("*.txt"), tree.Root);
  w.Form.StartSpdBtnClick(&w.Form);
  QCOMPARE(w.Lines(w.Form.GrepEdit), (QStringList{"#\"" + sjis + "\"", " :1: 日本語 main"}));
  QVERIFY(w.Form.close());
  QVERIFY(w.Saved.has_value());
  QCOMPARE(w.Saved->Switches.Encoding, TEncodingChoice::Cp932);
}

void TDirFormTest::StopKeepsPartialResultsAndStartWaitsForTheWalk() {
  TTree tree;
  QStringList walkOrder;
  for (int folder = 0; folder < 4; ++folder)
    for (int file = 0; file < 20; ++file)
      walkOrder << tree.Write(
          QStringLiteral("d%1/f%2.txt").arg(folder).arg(file, 2, 10, QLatin1Char('0')), "x");
  TWindow w;
  w.SetInputs(QStringLiteral("x"), QStringLiteral("*.txt"), tree.Root, true);
  // Every poll point of the search runs the event loop, and with it this check.
  w.Form.ViewSink().SetLockstep(true);
  bool stopped = false;
  bool stateRightAfterStop = false;
  bool startStayedDisabled = true;
  QTimer poll;
  poll.setInterval(0);
  connect(&poll, &QTimer::timeout, [&] {
    if (!w.Form.Driver().IsRunning()) return;
    if (stopped) {
      startStayedDisabled = startStayedDisabled && w.StartCommandsDisabled();
      return;
    }
    QVERIFY(w.Form.StopSpdBtn->isEnabled());
    QVERIFY(w.StartCommandsDisabled());
    // Searching: the window refuses to close.
    QVERIFY(!w.Form.close());
    if (w.Form.Driver().SearchedFileCount() < 30) return;
    w.Form.StopGrepMenu->trigger();
    stopped = true;
    stateRightAfterStop = !w.Form.StopSpdBtn->isEnabled() && !w.Form.StopGrepMenu->isEnabled() &&
                          w.StartCommandsDisabled();
  });
  poll.start();
  w.Form.StartSpdBtnClick(&w.Form);
  poll.stop();

  QVERIFY(stopped);
  QVERIFY(stateRightAfterStop);
  QVERIFY(startStayedDisabled);
  QVERIFY(w.StartCommandsEnabled());
  QVERIFY(!w.Form.StopSpdBtn->isEnabled());
  QVERIFY(w.Form.isVisible());
  // The file whose poll saw the stop is still taken up; nothing after it.
  QCOMPARE(w.Lines(w.Form.FileSearchEdit), walkOrder.mid(0, 31));
  QCOMPARE(w.Form.StatusPanel0->text(),
           QStringLiteral("検索ファイル数 : 31   一致ファイル数 : 0   一致行数 : 0"));
  QVERIFY(!w.Form.Driver().CancelRequested());

  // The next start searches everything again.
  w.Form.StartSpdBtnClick(&w.Form);
  QCOMPARE(w.Lines(w.Form.FileSearchEdit), walkOrder);
}

// ErrMsgBox with the files searched by workers: each box comes when the results view
// holds exactly the lines up to the file's error line, and the search goes on only once
// it is answered.
void TDirFormTest::ErrorBoxesComeInWalkOrderWithTheSearchWaiting() {
  TTree tree;
  QStringList paths;
  for (int file = 0; file < 40; ++file) {
    const QString name = QStringLiteral("f%1.txt").arg(file, 2, 10, QLatin1Char('0'));
    if (file % 10 == 3) {
      paths << tree.Root + name;
      QVERIFY(QFile::link(tree.Root + QStringLiteral("nowhere"), paths.back()));
    } else {
      paths << tree.Write(name, "needle\n");
    }
  }
  TWindow w;
  w.Form.ShowErrorBox = true;
  w.Form.Threads = 4;
  w.SetInputs(QStringLiteral("needle"), QStringLiteral("*.txt"), tree.Root);
  // The results view at each box, which is then answered.
  QList<QStringList> atBoxes;
  QTimer answer;
  connect(&answer, &QTimer::timeout, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) return;
    atBoxes << w.Lines(w.Form.GrepEdit);
    box->buttons().first()->click();
  });
  answer.start(5);
  w.Form.StartSpdBtnClick(&w.Form);
  answer.stop();

  QStringList expected;
  QList<QStringList> expectedAtBoxes;
  for (const QString& path : paths) {
    if (QFileInfo(path).exists()) {
      expected << "#\"" + path + "\"" << QStringLiteral(" :1: needle");
      continue;
    }
    expected << QStringLiteral("\"ファイル %1 は開けませんでした。\"").arg(path);
    expectedAtBoxes << expected;
  }
  QCOMPARE(w.Lines(w.Form.GrepEdit), expected);
  QCOMPARE(atBoxes, expectedAtBoxes);
}

void TDirFormTest::SinkHandsItsLinesOverAtAFlush() {
  TWindow w;
  TViewSink& sink = w.Form.ViewSink();
  w.Form.GrepEdit->Reset();
  w.Form.FileSearchEdit->Reset();
  sink.Begin();
  sink.Queue().AppendFileHeader("/a/x.c");
  sink.Queue().AppendLineEntry(TLineEntry(3, "\x93\xfa\x96\x7b", false));  // 日本 in CP932
  sink.Queue().AppendLineEntry(
      TLineEntry(4, "\x93\xfa", true));  // the first bytes of a longer line
  sink.Queue().AppendErrorLine("/a/y.c");
  sink.Queue().AppendFileName("/a/x.c");
  QCOMPARE(w.Form.GrepEdit->LineCount(), 0);
  QCOMPARE(w.Form.FileSearchEdit->LineCount(), 0);
  sink.Flush();
  QCOMPARE(w.Lines(w.Form.GrepEdit), (QStringList{"#\"/a/x.c\"", " :3: 日本", " :4: 日…",
                                                  "\"ファイル /a/y.c は開けませんでした。\""}));
  QCOMPARE(w.Lines(w.Form.FileSearchEdit), QStringList{"/a/x.c"});
  sink.Queue().ShowCurrentFile("/a/z.c");
  sink.Flush();
  QCOMPARE(w.Form.StatusPanel0->text(), QStringLiteral("/a/z.c"));
}

// Names with line ends, terminal escapes and bytes that are not UTF-8: each is one line
// in either view, shown readably, and the counters are those of the search (3 files, 3
// hits), not the views' line counts.
void TDirFormTest::HostileNamesAreOneLineEachAndCountOnce() {
  TTree tree;
  const QByteArray root = QFile::encodeName(tree.Root);
  const QByteArray names[] = {"x\n :99: fake line\n#\"injected.txt", "esc\x1b]0;pwned\x07\r.txt",
                              "sjis\x83\x5c\xff.txt"};
  for (const QByteArray& name : names) QVERIFY(WriteBytesNamed(root + name, "needle\n"));
  TWindow w;
  w.SetInputs(QStringLiteral("needle"), QStringLiteral("*"), tree.Root);
  w.Form.StartSpdBtnClick(&w.Form);
  const QString r = tree.Root;
  QCOMPARE(w.Lines(w.Form.GrepEdit),
           (QStringList{"#\"" + r + "esc\\x1b]0;pwned\\x07\\r.txt\"", " :1: needle",
                        "#\"" + r + "sjisソ\\xff.txt\"", " :1: needle",
                        "#\"" + r + "x\\n :99: fake line\\n#\"injected.txt\"", " :1: needle"}));
  QCOMPARE(w.Lines(w.Form.FileSearchEdit),
           (QStringList{r + "esc\\x1b]0;pwned\\x07\\r.txt", r + "sjisソ\\xff.txt",
                        r + "x\\n :99: fake line\\n#\"injected.txt"}));
  QCOMPARE(w.Form.StatusPanel0->text(),
           QStringLiteral("検索ファイル数 : 3   一致ファイル数 : 3   一致行数 : 3"));
}

// The folder box may hold a relative folder; the views get absolute paths all the same,
// the only kind the tag jump passes on.
void TDirFormTest::ARelativeFolderGivesAbsolutePaths() {
  TTree tree;
  const QString a = tree.Write(QStringLiteral("sub/-n.txt"), "needle\n");
  const QString before = QDir::currentPath();
  QVERIFY(QDir::setCurrent(tree.Root));
  TWindow w;
  w.SetInputs(QStringLiteral("needle"), QStringLiteral("*.txt"), QStringLiteral("sub/"));
  w.Form.StartSpdBtnClick(&w.Form);
  QDir::setCurrent(before);
  QCOMPARE(w.Lines(w.Form.GrepEdit), (QStringList{"#\"" + a + "\"", " :1: needle"}));
  QCOMPARE(w.Form.windowTitle(), QStringLiteral("Varsik - sub/*.txt - \"needle\""));
}

void TDirFormTest::ADanglingLinkIsAFileThatCannotBeOpened() {
  TTree tree;
  const QString link = tree.Root + QStringLiteral("gone.txt");
  QVERIFY(QFile::link(tree.Root + QStringLiteral("missing.txt"), link));
  TWindow w;
  w.SetInputs(QStringLiteral("x"), QStringLiteral("*.txt"), tree.Root);
  w.Form.StartSpdBtnClick(&w.Form);
  QCOMPARE(w.Lines(w.Form.GrepEdit),
           QStringList{QStringLiteral("\"ファイル %1 は開けませんでした。\"").arg(link)});
  QCOMPARE(w.Lines(w.Form.FileSearchEdit), QStringList{link});
  QCOMPARE(w.Form.StatusPanel0->text(),
           QStringLiteral("検索ファイル数 : 1   一致ファイル数 : 0   一致行数 : 0"));
}

// ---------------------------------------------------------------------------------------
// Closing

void TDirFormTest::CloseHidesThenWritesTheSettings() {
  TWindow w;
  w.Dlg().SearchWordCmbBox->setEditText(QStringLiteral("w"));
  TGrepDlg::PushHistory(w.Dlg().SearchWordCmbBox);
  w.Dlg().RegexChkBox->setChecked(true);
  QVERIFY(w.Form.close());
  QVERIFY(w.Saved.has_value());
  QVERIFY(!w.VisibleWhenSaved);
  QCOMPARE(w.Saved->Words.front(), std::string("w"));
  QCOMPARE(w.Saved->Words.size(), size_t(11));
  QVERIFY(w.Saved->Switches.RegularExpSearch);
  QCOMPARE(w.Saved->Left, 50);
  QCOMPARE(w.Saved->Top, 50);
  QCOMPARE(w.Saved->Width, 575);
  QCOMPARE(w.Saved->EditorPath, std::string("xdg-open"));
}

void TDirFormTest::CloseIsRefusedWhileASearchRuns() {
  TWindow w;
  w.Form.SetSearchingState(true);
  QVERIFY(!w.Form.close());
  QVERIFY(w.Form.isVisible());
  QVERIFY(!w.Saved.has_value());
  w.Form.SetSearchingState(false);
  QVERIFY(w.Form.close());
}

void TDirFormTest::CloseWhileAStoppedSearchUnwindsClosesAfterIt() {
  TTree tree;
  for (int file = 0; file < 10; ++file) tree.Write(QStringLiteral("f%1.txt").arg(file), "x");
  TWindow w;
  w.SetInputs(QStringLiteral("x"), QStringLiteral("*.txt"), tree.Root, true);
  w.Form.ViewSink().SetLockstep(true);
  bool closeRefused = false;
  QTimer poll;
  poll.setInterval(0);
  connect(&poll, &QTimer::timeout, [&] {
    if (!w.Form.Driver().IsRunning() || w.Form.Driver().CancelRequested()) return;
    w.Form.StopSpdBtnClick();
    closeRefused = !w.Form.close();
  });
  poll.start();
  w.Form.StartSpdBtnClick(&w.Form);
  poll.stop();
  QVERIFY(closeRefused);
  QVERIFY(!w.Form.Driver().IsRunning());
  QTRY_VERIFY(!w.Form.isVisible());
  QVERIFY(w.Saved.has_value());
}

void TDirFormTest::AFailingSettingsWriterDoesNotKeepTheWindowOpen() {
  TWindow w;
  w.Form.SaveSettings = [](const TSettings&) { throw std::runtime_error("cannot write"); };
  QVERIFY(w.Form.close());
  QVERIFY(!w.Form.isVisible());
}

// ---------------------------------------------------------------------------------------
// Tag jump

void TDirFormTest::TagJump_data() {
  QTest::addColumn<QStringList>("results");
  QTest::addColumn<int>("caretLine");
  QTest::addColumn<QString>("jumpFormat");
  QTest::addColumn<QStringList>("arguments");  // empty: nothing is started
  const QStringList two = {"#\"/a/x.c\"", " :3: foo", " :9: bar", "#\"/b/y c.c\"", " :5: baz"};
  QTest::newRow("line and file") << two << 2 << "-n" << QStringList{"-n9", "/a/x.c"};
  QTest::newRow("no jump format: no line") << two << 2 << "" << QStringList{"/a/x.c"};
  QTest::newRow("second header's file") << two << 4 << "+" << QStringList{"+5", "/b/y c.c"};
  // Only digits go to the editor's switch.
  QTest::newRow("edited entry") << QStringList{"#\"/a/x.c\"", " :abc: foo"} << 1 << "-n"
                                << QStringList{};
  QTest::newRow("a command for the line")
      << QStringList{"#\"/a/x.c\"", " :+:!touch x: foo"} << 1 << "+" << QStringList{};
  // A header the search did not write names no file to open.
  QTest::newRow("typed header") << QStringList{"#\"/etc/passwd\"", " :1: foo"} << 1 << "-n"
                                << QStringList{};
  QTest::newRow("on a header") << two << 0 << "-n" << QStringList{};
  QTest::newRow("no header above") << QStringList{" :3: foo"} << 0 << "-n" << QStringList{};
  QTest::newRow("one colon only") << QStringList{"#\"/a/x.c\"", "text: more"} << 1 << "-n"
                                  << QStringList{};
  QTest::newRow("empty view") << QStringList{} << 0 << "-n" << QStringList{};
}

void TDirFormTest::TagJump() {
  QFETCH(QStringList, results);
  QFETCH(int, caretLine);
  QFETCH(QString, jumpFormat);
  QFETCH(QStringList, arguments);
  QTemporaryDir dir;
  const QString out = dir.filePath(QStringLiteral("out.txt"));
  TWindow w;
  w.Form.EditorPath = EditorScript(dir, out);
  w.Form.JumpFormat = jumpFormat;
  w.SearchedThenEdited({"/a/x.c", "/b/y c.c"}, results);
  w.Form.GrepEdit->CollapseSelectionAt(caretLine, 1);
  // The results view is used even while the second editor is shown.
  w.Form.NewFileSpdBtnClick();
  w.Form.TagJumpBtnClick();
  if (arguments.isEmpty()) {
    QTest::qWait(200);
    QVERIFY(!QFile::exists(out));
  } else {
    QTRY_COMPARE(ReadLines(out), arguments);
    QVERIFY(w.Form.JumpCommandTemplate.startsWith(w.Form.EditorPath + QLatin1Char(' ')));
  }
}

void TDirFormTest::EnterInTheResultsViewJumpsAndBreaksNoLine() {
  QTemporaryDir dir;
  const QString out = dir.filePath(QStringLiteral("out.txt"));
  TWindow w;
  w.Form.EditorPath = EditorScript(dir, out);
  w.SearchedThenEdited({"/a/x.c"}, {QStringLiteral("#\"/a/x.c\""), QStringLiteral(" :3: foo")});
  const QList<QPair<Qt::Key, Qt::KeyboardModifiers>> keys = {{Qt::Key_Return, Qt::NoModifier},
                                                             {Qt::Key_Return, Qt::ShiftModifier},
                                                             {Qt::Key_Return, Qt::ControlModifier},
                                                             {Qt::Key_Enter, Qt::KeypadModifier}};
  for (const auto& [key, modifiers] : keys) {
    QFile::remove(out);
    w.Form.GrepEdit->CollapseSelectionAt(1, 3);
    QTest::keyClick(w.Form.GrepEdit, key, modifiers);
    QCOMPARE(w.Form.GrepEdit->LineCount(), 2);
    QCOMPARE(w.Form.GrepEdit->Line(1), QStringLiteral(" :3: foo"));
    QTRY_COMPARE(ReadLines(out), QStringList{"/a/x.c"});
  }
}

void TDirFormTest::ABadJumpFormatShowsAnErrorAndStartsNothing() {
  QTemporaryDir dir;
  const QString out = dir.filePath(QStringLiteral("out.txt"));
  TWindow w;
  w.Form.EditorPath = EditorScript(dir, out);
  w.Form.JumpFormat = QStringLiteral("-l%d");
  w.SearchedThenEdited({"/a/x.c"}, {QStringLiteral("#\"/a/x.c\""), QStringLiteral(" :3: foo")});
  w.Form.GrepEdit->CollapseSelectionAt(1, 0);
  QString message;
  AnswerNextMessageBox(&message);
  w.Form.TagJumpMenu->trigger();
  QVERIFY(!message.isEmpty());
  QTest::qWait(100);
  QVERIFY(!QFile::exists(out));
}

// The jump from each hit of a real search opens the file searched, by its bytes: a name
// with a line feed or a carriage return, one with terminal escapes, one in Shift JIS and
// one that looks like an option.
void TDirFormTest::TheJumpPassesTheBytesOfTheFileSearched() {
  TTree tree;
  const QByteArray root = QFile::encodeName(tree.Root);
  const QList<QByteArray> names = {"-n.txt", "cr\r :1: x\r#\"c.txt", "esc\x1b[2J.txt",
                                   "sjis\x83\x5c\x81[\x83X.txt", "x\n :99: fake\n#\"i.txt"};
  for (const QByteArray& name : names) QVERIFY(WriteBytesNamed(root + name, "a\nneedle\n"));
  QTemporaryDir dir;
  const QString out = dir.filePath(QStringLiteral("out"));
  TWindow w;
  w.Form.EditorPath = EditorScript(dir, out, QStringLiteral("\\0"));
  w.Form.JumpFormat = QStringLiteral("+");
  w.SetInputs(QStringLiteral("needle"), QStringLiteral("*.txt"), tree.Root);
  w.Form.StartSpdBtnClick(&w.Form);
  QCOMPARE(w.Form.GrepEdit->LineCount(), 2 * int(names.size()));
  for (int i = 0; i < names.size(); ++i) {
    QFile::remove(out);
    w.Form.GrepEdit->CollapseSelectionAt(2 * i + 1, 0);
    w.Form.TagJumpBtnClick();
    QTRY_COMPARE(ReadArguments(out), (QList<QByteArray>{"+2", root + names[i]}));
  }
}

// The sink keeps the lines of the headers it hands over, across batches, and gives them
// up as soon as the view's text changes otherwise.
void TDirFormTest::TheHeadersWrittenAreKnownUntilTheViewIsEdited() {
  TWindow w;
  TViewSink& sink = w.Form.ViewSink();
  const auto headersAt = [&](QList<int> lines) {
    QList<std::optional<int>> found;
    for (int line : lines) found << sink.HeaderLineAtOrAbove(line);
    return found;
  };
  w.Form.GrepEdit->Reset();
  sink.Begin();
  QCOMPARE(headersAt({0, 5}), (QList<std::optional<int>>{-1, -1}));
  sink.Queue().AppendFileHeader("/a/x.c");
  sink.Queue().AppendLineEntry(TLineEntry(1, "one", false));
  sink.Queue().AppendLineEntry(TLineEntry(2, "two", false));
  sink.Flush();
  sink.Queue().AppendErrorLine("/a/unreadable");
  sink.Queue().AppendFileHeader("/a/y.c");
  sink.Queue().AppendLineEntry(TLineEntry(3, "three", false));
  sink.Flush();
  QCOMPARE(w.Form.GrepEdit->Line(4), QStringLiteral("#\"/a/y.c\""));
  QCOMPARE(headersAt({0, 2, 3, 4, 5, 9}), (QList<std::optional<int>>{0, 0, 0, 4, 4, 4}));

  // An edit, even one undone, makes the lines unknown; so does one made during a search
  // that hands over more lines afterwards.
  w.Form.GrepEdit->setCursorPosition(1, 0);
  w.Form.GrepEdit->insert(QStringLiteral("\n"));
  QCOMPARE(headersAt({0, 5}), (QList<std::optional<int>>{std::nullopt, std::nullopt}));
  w.Form.GrepEdit->undo();
  QCOMPARE(headersAt({5}), QList<std::optional<int>>{std::nullopt});
  sink.Queue().AppendFileHeader("/a/z.c");
  sink.Flush();
  QCOMPARE(headersAt({6}), QList<std::optional<int>>{std::nullopt});

  // The next search starts afresh.
  w.Form.GrepEdit->Reset();
  sink.Begin();
  sink.Queue().AppendFileHeader("/a/z.c");
  sink.Flush();
  QCOMPARE(headersAt({0}), QList<std::optional<int>>{0});
}

// A result of a million entries under one header: the jump from its last line finds the
// header at the top, as the search wrote it and after the user has edited the view.
void TDirFormTest::AJumpFromTheLastOfAMillionEntries() {
  constexpr int kEntries = 1'000'000;
  QTemporaryDir dir;
  const QString out = dir.filePath(QStringLiteral("out.txt"));
  TWindow w;
  w.Form.EditorPath = EditorScript(dir, out);
  w.Form.JumpFormat = QStringLiteral("+");
  TViewSink& sink = w.Form.ViewSink();
  w.Form.GrepEdit->Reset();
  sink.Begin();
  sink.Queue().AppendFileHeader("/big/file.txt");
  for (int line = 1; line <= kEntries; ++line)
    sink.Queue().AppendLineEntry(
        TLineEntry(line, "    // #include <text> of a typical line", false));
  sink.Flush();
  QCOMPARE(w.Form.GrepEdit->LineCount(), kEntries + 1);

  w.Form.GrepEdit->CollapseSelectionAt(kEntries, 3);
  w.Form.TagJumpBtnClick();
  QTRY_COMPARE(ReadLines(out), (QStringList{"+1000000", "/big/file.txt"}));

  QFile::remove(out);
  w.Form.GrepEdit->setCursorPosition(kEntries / 2, 0);
  w.Form.GrepEdit->insert(QStringLiteral("edited"));
  w.Form.GrepEdit->CollapseSelectionAt(kEntries - 1, 3);
  w.Form.TagJumpBtnClick();
  QTRY_COMPARE(ReadLines(out), (QStringList{"+999999", "/big/file.txt"}));
}

// ---------------------------------------------------------------------------------------
// In-page search and edit commands

void TDirFormTest::InPageSearchIgnoresCase() {
  TWindow w;
  w.Form.GrepEdit->AppendLines({QStringLiteral("#\"/a/x.c\""), QStringLiteral(" :1: int main")});
  w.Form.GrepEdit->CollapseSelectionAt(0, 0);
  w.Form.SearchCmbBox->setEditText(QStringLiteral("MAIN"));
  w.Form.FindNextMenu->trigger();
  QCOMPARE(w.Form.GrepEdit->selectedText(), QStringLiteral("main"));
  QCOMPARE(w.Form.focusWidget(), w.Form.GrepEdit);
}

void TDirFormTest::SearchDownForAWordOnlyAboveTheCaret() {
  TWindow w;
  w.Form.GrepEdit->LoadText(QStringLiteral("word\nother text\nmore"));
  w.Form.GrepEdit->setSelection(1, 0, 1, 5);  // "other"
  w.Form.SearchCmbBox->setEditText(QStringLiteral("word"));
  w.Form.FindNextMenuClick();
  QVERIFY(!w.Form.GrepEdit->hasSelectedText());
  int line = -1, column = -1;
  w.Form.GrepEdit->getCursorPosition(&line, &column);
  QCOMPARE(line, 1);
  QCOMPARE(column, 5);
  // Upward, a miss leaves the caret at the start of the selection.
  w.Form.GrepEdit->setSelection(1, 6, 1, 10);  // "text"
  w.Form.SearchCmbBox->setEditText(QStringLiteral("more"));
  w.Form.FindPreviousMenuClick();
  QVERIFY(!w.Form.GrepEdit->hasSelectedText());
  w.Form.GrepEdit->getCursorPosition(&line, &column);
  QCOMPARE(line, 1);
  QCOMPARE(column, 6);
  // An empty word never hits.
  w.Form.SearchCmbBox->setEditText(QString());
  w.Form.FindNextMenuClick();
  QVERIFY(!w.Form.GrepEdit->hasSelectedText());
}

void TDirFormTest::SearchUpMovesFromHitToHit() {
  TWindow w;
  w.Form.GrepEdit->LoadText(QStringLiteral("ab\nab\nab\n"));
  w.Form.GrepEdit->CollapseSelectionAt(3, 0);
  w.Form.SearchCmbBox->setEditText(QStringLiteral("ab"));
  QList<int> lines;
  for (int i = 0; i < 4; ++i) {
    w.Form.UpSearchSpdBtn->trigger();
    int line = -1, column = -1;
    w.Form.GrepEdit->SelectionStart(line, column);
    lines << (w.Form.GrepEdit->hasSelectedText() ? line : -1);
  }
  QCOMPARE(lines, (QList<int>{2, 1, 0, -1}));
}

void TDirFormTest::SearchBoxHistoryAddsNewWordsAtTheEnd() {
  TWindow w;
  w.Form.SearchCmbBox->clear();
  w.Form.SearchCmbBox->addItems({QStringLiteral("a"), QStringLiteral("b")});
  w.Form.SearchCmbBox->setEditText(QStringLiteral("new"));
  w.Form.FindNextMenuClick();
  w.Form.FindNextMenuClick();
  w.Form.SearchCmbBox->setEditText(QStringLiteral("A"));
  w.Form.FindPreviousMenuClick();
  w.Form.SearchCmbBox->setEditText(QStringLiteral("a"));
  w.Form.FindPreviousMenuClick();
  QCOMPARE(Items(w.Form.SearchCmbBox), (QStringList{"a", "b", "new", "A"}));
}

void TDirFormTest::EnterInTheSearchBoxSearchesDownward() {
  TWindow w;
  w.Form.GrepEdit->LoadText(QStringLiteral("one two\ntwo"));
  w.Form.GrepEdit->CollapseSelectionAt(0, 0);
  w.Form.SearchCmbBox->clear();
  w.Form.SearchCmbBox->setEditText(QStringLiteral("two"));
  w.Form.Find2Click();
  QTest::keyClick(w.Form.SearchCmbBox, Qt::Key_Return);
  QCOMPARE(w.Form.GrepEdit->selectedText(), QStringLiteral("two"));
  int line = -1, column = -1;
  w.Form.GrepEdit->SelectionStart(line, column);
  QCOMPARE(line, 0);
  QCOMPARE(column, 4);
  QCOMPARE(w.Form.SearchCmbBox->currentText(), QStringLiteral("two"));
  QCOMPARE(Items(w.Form.SearchCmbBox), QStringList{"two"});
  QCOMPARE(w.Form.focusWidget(), w.Form.GrepEdit);
}

void TDirFormTest::TheSecondEditorIsSearchedWhenShown() {
  TWindow w;
  w.Form.GrepEdit->LoadText(QStringLiteral("target in results"));
  w.Form.NewFileSpdBtnClick();
  w.Form.FileSearchEdit->LoadText(QStringLiteral("the target here"));
  w.Form.GrepEdit->CollapseSelectionAt(0, 0);
  w.Form.SearchCmbBox->setEditText(QStringLiteral("target"));
  w.Form.FindNextMenuClick();
  QCOMPARE(w.Form.FileSearchEdit->selectedText(), QStringLiteral("target"));
  QVERIFY(!w.Form.GrepEdit->hasSelectedText());
  QCOMPARE(w.Form.focusWidget(), w.Form.FileSearchEdit);
}

void TDirFormTest::NewShowsAnEmptySecondEditorUntilTheNextSearch() {
  TTree tree;
  tree.WriteText(QStringLiteral("a.txt"), QStringLiteral("hit\n"));
  TWindow w;
  w.SetInputs(QStringLiteral("hit"), QStringLiteral("*.txt"), tree.Root);
  w.Form.StartSpdBtnClick(&w.Form);
  QCOMPARE(w.Form.GrepEdit->LineCount(), 2);
  w.Form.NewFileMenu->trigger();
  QVERIFY(w.Form.GrepEdit->isHidden());
  QVERIFY(!w.Form.FileSearchEdit->isHidden());
  QCOMPARE(w.Form.FileSearchEdit->LineCount(), 0);
  QCOMPARE(w.Form.focusWidget(), w.Form.FileSearchEdit);
  QCOMPARE(w.Form.GrepEdit->LineCount(), 2);  // the results stay, hidden
  w.Form.FileSearchEdit->insert(QStringLiteral("scratch"));
  w.Form.StartSpdBtnClick(&w.Form);
  QVERIFY(!w.Form.GrepEdit->isHidden());
  QVERIFY(w.Form.FileSearchEdit->isHidden());
  QCOMPARE(w.Lines(w.Form.FileSearchEdit), QStringList{tree.Root + QStringLiteral("a.txt")});
}

void TDirFormTest::CaretPositionOfTheResultsView() {
  TWindow w;
  w.Form.GrepEdit->LoadText(QStringLiteral("first\n日本語の行"));
  w.Form.GrepEdit->setSelection(1, 3, 1, 4);
  QCOMPARE(w.Form.StatusPanel1->text(), QStringLiteral("L2-C4"));
  w.Form.GrepEdit->CollapseSelectionAt(0, 2);
  QCOMPARE(w.Form.StatusPanel1->text(), QStringLiteral("L1-C3"));
  // The second editor does not report.
  w.Form.NewFileSpdBtnClick();
  w.Form.FileSearchEdit->LoadText(QStringLiteral("a\nb\nc"));
  w.Form.FileSearchEdit->CollapseSelectionAt(2, 1);
  QCOMPARE(w.Form.StatusPanel1->text(), QStringLiteral("L1-C3"));
}

void TDirFormTest::UndoActsOnTheVisibleView() {
  TWindow w;
  // At start-up both views are shown: both undo.
  w.Form.GrepEdit->insert(QStringLiteral("g"));
  w.Form.FileSearchEdit->insert(QStringLiteral("f"));
  w.Form.Undo->trigger();
  QCOMPARE(w.Form.GrepEdit->text(), QString());
  QCOMPARE(w.Form.FileSearchEdit->text(), QString());
  w.Form.Redo->trigger();
  QCOMPARE(w.Form.GrepEdit->text(), QStringLiteral("g"));
  QCOMPARE(w.Form.FileSearchEdit->text(), QStringLiteral("f"));
  // Only the second editor shown: the results view keeps its text, whatever has focus.
  w.Form.NewFileSpdBtnClick();
  w.Form.FileSearchEdit->insert(QStringLiteral("x"));
  w.Form.GrepEdit->setFocus();
  w.Form.UndoClick();
  QCOMPARE(w.Form.FileSearchEdit->text(), QString());
  QCOMPARE(w.Form.GrepEdit->text(), QStringLiteral("g"));
}

void TDirFormTest::ClipboardCommandsOnTheSearchBox() {
  TWindow w;
  QLineEdit* box = w.Form.SearchCmbBox->lineEdit();
  w.Form.Find2Click();
  QClipboard* clipboard = QGuiApplication::clipboard();
  clipboard->setText(QStringLiteral("before"));
  // Nothing selected: cut and copy do nothing.
  box->setText(QStringLiteral("hello world"));
  box->deselect();
  w.Form.CopyMenuClick();
  w.Form.CutMenuClick();
  QCOMPARE(clipboard->text(), QStringLiteral("before"));
  QCOMPARE(box->text(), QStringLiteral("hello world"));

  box->setSelection(0, 5);
  w.Form.CopyMenuClick();
  QCOMPARE(clipboard->text(), QStringLiteral("hello"));
  QCOMPARE(box->text(), QStringLiteral("hello world"));
  box->setSelection(5, 6);
  w.Form.CutMenuClick();
  QCOMPARE(clipboard->text(), QStringLiteral(" world"));
  QCOMPARE(box->text(), QStringLiteral("hello"));

  clipboard->setText(QStringLiteral("big\nsecond line"));
  box->setSelection(0, 1);
  w.Form.PasteMenuClick();
  QCOMPARE(box->text(), QStringLiteral("bigello"));
  QCOMPARE(box->cursorPosition(), 7);
  QCOMPARE(w.Form.VertualEdit->text(), QString());
  QVERIFY(!w.Form.VertualEdit->isVisible());
}

void TDirFormTest::ClipboardCommandsOnTheFocusedView() {
  TWindow w;
  QApplication::setActiveWindow(&w.Form);
  QVERIFY(QTest::qWaitForWindowActive(&w.Form));
  w.Form.GrepEdit->LoadText(QStringLiteral("copy me"));
  w.Form.GrepEdit->setSelection(0, 0, 0, 4);
  w.Form.GrepEdit->setFocus();
  QVERIFY(w.Form.GrepEdit->hasFocus());
  w.Form.CopyMenu->trigger();
  QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("copy"));
  w.Form.CutMenuClick();
  QCOMPARE(w.Form.GrepEdit->text(), QStringLiteral(" me"));
  w.Form.GrepEdit->CollapseSelectionAt(0, 3);
  w.Form.PasteMenuClick();
  QCOMPARE(w.Form.GrepEdit->text(), QStringLiteral(" mecopy"));
}

void TDirFormTest::SelectAllSelectsTheResultsView() {
  TWindow w;
  w.Form.GrepEdit->LoadText(QStringLiteral("all\nof it"));
  w.Form.NewFileSpdBtnClick();
  w.Form.FileSearchEdit->LoadText(QStringLiteral("scratch"));
  w.Form.SelAllMenu->trigger();
  QCOMPARE(w.Form.GrepEdit->selectedText(), QStringLiteral("all\nof it"));
  QVERIFY(!w.Form.FileSearchEdit->hasSelectedText());
}

void TDirFormTest::OpenLoadsShiftJisText() {
  TTree tree;
  const QString path =
      tree.WriteText(QStringLiteral("memo.txt"), QStringLiteral("日本語\r\n２行目"));
  TWindow w;
  w.Form.FileSearchEdit->LoadText(QStringLiteral("old"));
  w.Form.OpenFile(path);
  QVERIFY(w.Form.GrepEdit->isHidden());
  QVERIFY(!w.Form.FileSearchEdit->isHidden());
  QCOMPARE(w.Lines(w.Form.FileSearchEdit), (QStringList{"日本語", "２行目"}));
  QCOMPARE(w.Form.focusWidget(), w.Form.FileSearchEdit);
  // While the second editor is shown, Open replaces its text.
  w.Form.OpenFile(path);
  QCOMPARE(w.Form.FileSearchEdit->LineCount(), 2);
}

void TDirFormTest::OpenOfAMissingFileFails() {
  TWindow w;
  w.Form.FileSearchEdit->LoadText(QStringLiteral("old"));
  QVERIFY_THROWS_EXCEPTION(std::runtime_error, w.Form.OpenFile(QStringLiteral("/no/such/file")));
  QCOMPARE(w.Form.FileSearchEdit->LineCount(), 0);
  QVERIFY(!w.Form.FileSearchEdit->isHidden());
  QVERIFY(w.Form.GrepEdit->isHidden());
}

void TDirFormTest::PrintShowsThePrintDialog() {
  TWindow w;
  bool shown = false;
  WhenModal([&](QWidget* modal) { shown = qobject_cast<QPrintDialog*>(modal) != nullptr; });
  w.Form.PrintMenu->trigger();
  QVERIFY(shown);
}

void TDirFormTest::AboutBoxIsFilledAndCentred() {
  TWindow w;
  QString product, copyright;
  bool hasIcon = false;
  QRect frame;
  WhenModal([&](QWidget* modal) {
    auto* box = qobject_cast<TAboutBox*>(modal);
    if (!box) return;
    product = box->ProductName->text();
    copyright = box->Copyright->text();
    hasIcon = !box->ProgramIcon->pixmap().isNull();
    frame = box->frameGeometry();
  });
  w.Form.about1->trigger();
  QCOMPARE(product, QStringLiteral("Varsik for Win32"));
  QCOMPARE(copyright.count(QLatin1Char('\n')), 1);
  QVERIFY(hasIcon);
  const QRect main = w.Form.frameGeometry();
  QCOMPARE(frame.x() - main.x(), Platform::HalfRoundedToEven(main.width() - frame.width()));
  QCOMPARE(frame.y() - main.y(), Platform::HalfRoundedToEven(main.height() - frame.height()));
}

QTEST_MAIN(TDirFormTest)
#include "dir_form_test.moc"
