// The text editor control: its text as a list of lines, the gutter's numbers, the
// search step of the in-page search and the key bindings it gives up.
#include <Qsci/qscicommandset.h>
#include <QScrollBar>
#include <QtTest>

#include "editor/text_editor.h"
#include "tests/editor/marked_texts.h"

using namespace varsik;

namespace {

// Counts the paints of a widget.
class TPaints : public QObject {
 public:
  explicit TPaints(QWidget* widget) { widget->installEventFilter(this); }
  int Count = 0;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++Count;
    return false;
  }
};

QStringList NumberedLines(int count) {
  QStringList lines;
  for (int i = 0; i < count; ++i) lines << QStringLiteral("line %1").arg(i);
  return lines;
}

QString MarginText(TTextEditor& editor, int line) {
  QByteArray buffer(64, '\0');
  long length = editor.SendScintilla(QsciScintillaBase::SCI_MARGINGETTEXT,
                                     static_cast<unsigned long>(line), buffer.data());
  return QString::fromUtf8(buffer.left(static_cast<int>(length)));
}

}  // namespace

class TTextEditorTest : public QObject {
  Q_OBJECT

 private slots:
  void LineCount_data();
  void LineCount();
  void AppendLinesStartsANewLineAfterATextWithoutLineBreak();
  void AppendLinesLeavesNothingToUndo();
  void LinesAreReadWithoutTheirLineEnds();
  void LoadTextTurnsEveryLineEndIntoALineFeed();
  void GutterNumbersHaveLeadingZeros();
  void GutterNumbersFollowInsertedLines();
  void ClearEmptiesTheGutterAndTheUndoHistory();
  void AHiddenListIsNumberedWhenShown();
  void AppendingAfterAnEditKeepsUndoWorking();
  void ResultsViewHasNoGutter();
  void FindText_data();
  void FindText();
  void BackwardSearchesMoveOnFromHitToHit();
  void TheFoundTextIsMarkedUntilTheNextSearch();
  void MatchesAreMarkedAsGiven();
  void MatchesAreMarkedWhenTheirLinesAreShown();
  void AppendedLinesRepaintOnlyWhatTheyChangeOnTheScreen();
  void HeldAppendsRepaintAtPaintAppended();
  void ShiftEnterAndF1AreNotBound();
  void ReleasedKeysAreNoLongerBound();
  void SelectionStartIsInCharacters();
  void LastLineStartingWith_data();
  void LastLineStartingWith();
  void RevisionFollowsEveryChangeOfTheText();
  void AJumpToTheEndDoesNotWaitForTheColouring();
};

void TTextEditorTest::LineCount_data() {
  QTest::addColumn<QString>("text");
  QTest::addColumn<int>("count");
  QTest::newRow("empty") << "" << 0;
  QTest::newRow("one line, no break") << "a" << 1;
  QTest::newRow("one line with break") << "a\n" << 1;
  QTest::newRow("two lines") << "a\nb" << 2;
  QTest::newRow("two lines with break") << "a\nb\n" << 2;
  QTest::newRow("an empty line") << "\n" << 1;
  QTest::newRow("two empty lines") << "\n\n" << 2;
}

void TTextEditorTest::LineCount() {
  QFETCH(QString, text);
  QFETCH(int, count);
  for (TTextEditor::TKind kind : {TTextEditor::TKind::Results, TTextEditor::TKind::FileList}) {
    TTextEditor editor(kind);
    editor.LoadText(text);
    QCOMPARE(editor.LineCount(), count);
  }
}

void TTextEditorTest::AppendLinesStartsANewLineAfterATextWithoutLineBreak() {
  TTextEditor editor(TTextEditor::TKind::Results);
  editor.AppendLines({QStringLiteral("#\"/a/x.c\""), QStringLiteral(" :3: foo")});
  QCOMPARE(editor.LineCount(), 2);
  editor.LoadText(QStringLiteral("typed"));
  editor.AppendLines({QStringLiteral("next")});
  QCOMPARE(editor.LineCount(), 2);
  QCOMPARE(editor.Line(0), QStringLiteral("typed"));
  QCOMPARE(editor.Line(1), QStringLiteral("next"));
  editor.Reset();
  QCOMPARE(editor.LineCount(), 0);
}

void TTextEditorTest::AppendLinesLeavesNothingToUndo() {
  TTextEditor editor(TTextEditor::TKind::Results);
  editor.AppendLines({QStringLiteral("one")});
  QVERIFY(!editor.isUndoAvailable());
}

void TTextEditorTest::LinesAreReadWithoutTheirLineEnds() {
  TTextEditor editor(TTextEditor::TKind::FileList);
  editor.AppendLines({QStringLiteral("日本語のパス/ファイル.txt"), QString(), QStringLiteral("x")});
  QCOMPARE(editor.LineCount(), 3);
  QCOMPARE(editor.Line(0), QStringLiteral("日本語のパス/ファイル.txt"));
  QCOMPARE(editor.Line(1), QString());
  QCOMPARE(editor.Line(2), QStringLiteral("x"));
}

void TTextEditorTest::LoadTextTurnsEveryLineEndIntoALineFeed() {
  TTextEditor editor(TTextEditor::TKind::FileList);
  editor.LoadText(QStringLiteral("a\r\nb\rc\nd"));
  QCOMPARE(editor.text(), QStringLiteral("a\nb\nc\nd"));
  QCOMPARE(editor.LineCount(), 4);
}

void TTextEditorTest::GutterNumbersHaveLeadingZeros() {
  TTextEditor editor(TTextEditor::TKind::FileList);
  editor.show();
  QStringList lines;
  for (int i = 0; i < 8; ++i) lines << QStringLiteral("line %1").arg(i);
  editor.AppendLines(lines);
  QCoreApplication::processEvents();
  // Eight lines and the empty one after the last line break.
  QCOMPARE(MarginText(editor, 0), QStringLiteral("01"));
  QCOMPARE(MarginText(editor, 8), QStringLiteral("09"));
  QVERIFY(editor.marginWidth(0) > 0);
  const int twoDigitWidth = editor.marginWidth(0);

  lines.clear();
  for (int i = 0; i < 100; ++i) lines << QStringLiteral("more %1").arg(i);
  editor.AppendLines(lines);
  QCoreApplication::processEvents();
  QCOMPARE(MarginText(editor, 0), QStringLiteral("001"));
  QCOMPARE(MarginText(editor, 107), QStringLiteral("108"));
  QVERIFY(editor.marginWidth(0) > twoDigitWidth);
}

void TTextEditorTest::GutterNumbersFollowInsertedLines() {
  TTextEditor editor(TTextEditor::TKind::FileList);
  editor.show();
  editor.LoadText(QStringLiteral("a\nb\nc"));
  editor.insertAt(QStringLiteral("new\n"), 1, 0);
  QCoreApplication::processEvents();
  QCOMPARE(editor.Line(1), QStringLiteral("new"));
  QCOMPARE(MarginText(editor, 1), QStringLiteral("02"));
  QCOMPARE(MarginText(editor, 3), QStringLiteral("04"));
}

void TTextEditorTest::ClearEmptiesTheGutterAndTheUndoHistory() {
  TTextEditor editor(TTextEditor::TKind::FileList);
  editor.show();
  QStringList lines;
  for (int i = 0; i < 150; ++i) lines << QStringLiteral("line %1").arg(i);
  editor.AppendLines(lines);
  QCoreApplication::processEvents();
  const int threeDigitWidth = editor.marginWidth(0);
  editor.insertAt(QStringLiteral("typed"), 0, 0);
  QVERIFY(editor.isUndoAvailable());
  editor.Reset();
  QCoreApplication::processEvents();
  QCOMPARE(editor.LineCount(), 0);
  QVERIFY(!editor.isUndoAvailable());
  QCOMPARE(MarginText(editor, 0), QStringLiteral("01"));
  QVERIFY(editor.marginWidth(0) < threeDigitWidth);
  editor.AppendLines({QStringLiteral("again")});
  QCoreApplication::processEvents();
  QCOMPARE(MarginText(editor, 1), QStringLiteral("02"));
}

void TTextEditorTest::AHiddenListIsNumberedWhenShown() {
  // Nobody sees the numbers of a hidden list: they are written when it is shown.
  TTextEditor editor(TTextEditor::TKind::FileList);
  QStringList lines;
  for (int i = 0; i < 120; ++i) lines << QStringLiteral("line %1").arg(i);
  editor.AppendLines(lines);
  QCoreApplication::processEvents();
  QCOMPARE(MarginText(editor, 107), QString());
  editor.show();
  QCOMPARE(MarginText(editor, 0), QStringLiteral("001"));
  QCOMPARE(MarginText(editor, 119), QStringLiteral("120"));
  editor.hide();
  editor.AppendLines({QStringLiteral("more")});
  QCoreApplication::processEvents();
  QCOMPARE(MarginText(editor, 120), QString());
  editor.show();
  QCOMPARE(MarginText(editor, 120), QStringLiteral("121"));
}

void TTextEditorTest::AppendingAfterAnEditKeepsUndoWorking() {
  // Appends are not collected for undo; edits made after them are.
  TTextEditor editor(TTextEditor::TKind::Results);
  editor.AppendLines({QStringLiteral("one")});
  editor.insertAt(QStringLiteral("x"), 0, 0);
  QVERIFY(editor.isUndoAvailable());
  editor.undo();
  QCOMPARE(editor.Line(0), QStringLiteral("one"));
}

void TTextEditorTest::ResultsViewHasNoGutter() {
  TTextEditor editor(TTextEditor::TKind::Results);
  for (int margin = 0; margin < 5; ++margin) QCOMPARE(editor.marginWidth(margin), 0);
}

void TTextEditorTest::FindText_data() {
  QTest::addColumn<QString>("text");
  QTest::addColumn<int>("caret");
  QTest::addColumn<QString>("word");
  QTest::addColumn<bool>("backwards");
  QTest::addColumn<bool>("found");
  QTest::addColumn<int>("selectionStart");
  QTest::addColumn<int>("selectionEnd");
  QTest::addColumn<int>("caretAfter");
  QTest::newRow("forward, case ignored")
      << "int main(void)" << 0 << "MAIN" << false << true << 4 << 8 << 8;
  QTest::newRow("forward from the caret")
      << "ab ab ab" << 1 << "ab" << false << true << 3 << 5 << 5;
  QTest::newRow("forward, only above") << "ab cd" << 3 << "ab" << false << false << 3 << 3 << 3;
  QTest::newRow("backward, caret at the start")
      << "ab ab" << 5 << "ab" << true << true << 3 << 5 << 3;
  QTest::newRow("backward, only below") << "cd ab" << 2 << "ab" << true << false << 2 << 2 << 2;
  QTest::newRow("empty word") << "ab" << 0 << "" << false << false << 0 << 0 << 0;
  QTest::newRow("double-byte text")
      << "検索結果の検索" << 3 << "検索" << false << true << 15 << 21 << 21;
  QTest::newRow("no wrap at the end") << "ab" << 2 << "ab" << false << false << 2 << 2 << 2;
}

void TTextEditorTest::FindText() {
  QFETCH(QString, text);
  QFETCH(int, caret);
  QFETCH(QString, word);
  QFETCH(bool, backwards);
  QFETCH(bool, found);
  QFETCH(int, selectionStart);
  QFETCH(int, selectionEnd);
  QFETCH(int, caretAfter);
  TTextEditor editor(TTextEditor::TKind::Results);
  editor.LoadText(text);
  editor.SetCaretPos(caret);
  QCOMPARE(editor.FindText(word, backwards), found);
  QCOMPARE(editor.SelectionStartPos(), selectionStart);
  QCOMPARE(editor.SelectionEndPos(), selectionEnd);
  QCOMPARE(static_cast<int>(editor.SendScintilla(QsciScintillaBase::SCI_GETCURRENTPOS)),
           caretAfter);
}

void TTextEditorTest::TheFoundTextIsMarkedUntilTheNextSearch() {
  TTextEditor editor(TTextEditor::TKind::Results);
  editor.LoadText(QStringLiteral("#\"検索.txt\"\n :1: 検索 x\n"));
  const int found = TTextEditor::kFoundIndicator;
  QVERIFY(editor.FindText(QStringLiteral("検索"), false));
  QCOMPARE(MarkedTexts(editor, found), QStringList{"0:検索"});
  QVERIFY(editor.FindText(QStringLiteral("検索"), false));
  QCOMPARE(MarkedTexts(editor, found), QStringList{"1:検索"});
  // No hit: the mark goes with the selection; and the matches' marks are apart.
  QVERIFY(!editor.FindText(QStringLiteral("検索"), false));
  QCOMPARE(MarkedTexts(editor, found), QStringList{});
  QCOMPARE(MarkedTexts(editor, TTextEditor::kMatchIndicator), QStringList{});
}

void TTextEditorTest::MatchesAreMarkedAsGiven() {
  TTextEditor editor(TTextEditor::TKind::Results);
  const long first = editor.AppendUtf8Lines(QByteArrayLiteral("ab\n"));
  const long second = editor.AppendUtf8Lines(QByteArrayLiteral(" :1: 日本 x 日本\n"));
  QCOMPARE(first, 0L);
  QCOMPARE(second, 3L);
  editor.MarkMatches({{second + 5, second + 11}, {second + 14, second + 20}});
  QCOMPARE(MarkedTexts(editor, TTextEditor::kMatchIndicator), (QStringList{"1:日本", "1:日本"}));
  // The marks are a light box behind the text.
  const auto indicator = static_cast<unsigned long>(TTextEditor::kMatchIndicator);
  QCOMPARE(editor.SendScintilla(QsciScintillaBase::SCI_INDICGETSTYLE, indicator),
           long{QsciScintillaBase::INDIC_STRAIGHTBOX});
  QCOMPARE(editor.SendScintilla(QsciScintillaBase::SCI_INDICGETUNDER, indicator), 1L);
  // A new text drops them.
  editor.Reset();
  editor.AppendUtf8Lines(QByteArrayLiteral("plain\n"));
  QCOMPARE(MarkedTexts(editor, TTextEditor::kMatchIndicator), QStringList{});
}

void TTextEditorTest::MatchesAreMarkedWhenTheirLinesAreShown() {
  TTextEditor editor(TTextEditor::TKind::Results);
  editor.resize(400, 200);
  editor.show();
  QVERIFY(QTest::qWaitForWindowExposed(&editor));
  constexpr int kLines = 1000;
  QByteArray text;
  std::vector<TTextEditor::TRange> ranges;
  for (long i = 0; i < kLines; ++i) {
    ranges.push_back({text.size() + 2L, text.size() + 5L});
    text += QByteArrayLiteral("x hit\n");
  }
  editor.AppendUtf8Lines(text);
  editor.MarkMatches(ranges);
  const int match = TTextEditor::kMatchIndicator;
  const QStringList first = MarkedTexts(editor, match);
  QVERIFY(first.size() > 3);
  QVERIFY(first.size() < 100);
  QCOMPARE(first.front(), QStringLiteral("0:hit"));
  // Scrolled to the end: the last lines are marked too, each match exactly.
  editor.SetCaretPos(static_cast<int>(text.size()));
  QTRY_VERIFY(MarkedTexts(editor, match).contains(QStringLiteral("999:hit")));
  for (const QString& marked : MarkedTexts(editor, match)) QVERIFY(marked.endsWith(":hit"));

  // After an edit in front of them, the ranges not yet marked are dropped: they would
  // mark other text now.
  editor.SetCaretPos(0);
  QTRY_COMPARE(static_cast<int>(editor.SendScintilla(QsciScintillaBase::SCI_GETFIRSTVISIBLELINE)),
               0);
  editor.SendScintilla(QsciScintillaBase::SCI_INSERTTEXT, 0UL, "ab");
  editor.SetCaretPos(static_cast<int>(text.size()) / 2);
  QTest::qWait(50);
  for (const QString& marked : MarkedTexts(editor, match)) QVERIFY(marked.endsWith(":hit"));
}

void TTextEditorTest::BackwardSearchesMoveOnFromHitToHit() {
  TTextEditor editor(TTextEditor::TKind::Results);
  editor.LoadText(QStringLiteral("x x x"));
  editor.SetCaretPos(5);
  QVERIFY(editor.FindText(QStringLiteral("x"), true));
  QCOMPARE(editor.SelectionStartPos(), 4);
  QVERIFY(editor.FindText(QStringLiteral("x"), true));
  QCOMPARE(editor.SelectionStartPos(), 2);
  QVERIFY(editor.FindText(QStringLiteral("x"), true));
  QCOMPARE(editor.SelectionStartPos(), 0);
  QVERIFY(!editor.FindText(QStringLiteral("x"), true));
}

void TTextEditorTest::AppendedLinesRepaintOnlyWhatTheyChangeOnTheScreen() {
  TTextEditor editor(TTextEditor::TKind::Results);
  editor.resize(400, 200);
  editor.show();
  QVERIFY(QTest::qWaitForWindowExposed(&editor));
  TPaints paints(editor.viewport());
  // Lines that reach the screen are painted; lines below it are not.
  editor.AppendLines(NumberedLines(3));
  QCoreApplication::processEvents();
  QVERIFY(paints.Count > 0);
  editor.AppendLines(NumberedLines(200));
  QCoreApplication::processEvents();
  paints.Count = 0;
  editor.AppendLines(NumberedLines(200));
  QCoreApplication::processEvents();
  QCOMPARE(paints.Count, 0);
  QCOMPARE(editor.LineCount(), 403);
  QVERIFY(editor.verticalScrollBar()->maximum() > 300);
  // At the end of the text, the lines appended are on the screen.
  editor.SendScintilla(QsciScintillaBase::SCI_DOCUMENTEND);
  QCoreApplication::processEvents();
  paints.Count = 0;
  editor.AppendLines(NumberedLines(1));
  QCoreApplication::processEvents();
  QVERIFY(paints.Count > 0);
}

void TTextEditorTest::HeldAppendsRepaintAtPaintAppended() {
  TTextEditor editor(TTextEditor::TKind::Results);
  editor.resize(400, 200);
  editor.show();
  QVERIFY(QTest::qWaitForWindowExposed(&editor));
  QCoreApplication::processEvents();
  TPaints paints(editor.viewport());
  TPaints barPaints(editor.verticalScrollBar());
  editor.HoldAppends(true);
  // Neither the lines on the screen nor the scroll bar they need are painted yet, nor
  // the matches marked on them.
  editor.AppendLines(NumberedLines(200));
  editor.MarkMatches({{0, 4}});
  QCoreApplication::processEvents();
  QCOMPARE(paints.Count, 0);
  QVERIFY(!editor.verticalScrollBar()->isVisible());
  editor.PaintAppended();
  QCoreApplication::processEvents();
  QVERIFY(paints.Count > 0);
  QVERIFY(editor.verticalScrollBar()->isVisible());
  // Held below the screen: the scroll bar waits too.
  editor.AppendLines(NumberedLines(1));
  QCoreApplication::processEvents();
  paints.Count = barPaints.Count = 0;
  editor.AppendLines(NumberedLines(200));
  QCoreApplication::processEvents();
  QCOMPARE(paints.Count + barPaints.Count, 0);
  // The end of the hold pays what is owed.
  editor.HoldAppends(false);
  QCoreApplication::processEvents();
  QVERIFY(barPaints.Count > 0);
  QCOMPARE(paints.Count, 0);
}

void TTextEditorTest::ShiftEnterAndF1AreNotBound() {
  for (TTextEditor::TKind kind : {TTextEditor::TKind::Results, TTextEditor::TKind::FileList}) {
    TTextEditor editor(kind);
    QsciCommandSet* commands = editor.standardCommands();
    QVERIFY(!commands->boundTo((Qt::SHIFT | Qt::Key_Return).toCombined()));
    QVERIFY(!commands->boundTo(Qt::Key_F1));
    // Enter itself still breaks a line where the window does not take it.
    QVERIFY(commands->boundTo(Qt::Key_Return));

    editor.LoadText(QStringLiteral("ab"));
    editor.SetCaretPos(1);
    QTest::keyClick(&editor, Qt::Key_Return, Qt::ShiftModifier);
    QTest::keyClick(&editor, Qt::Key_F1);
    QCOMPARE(editor.text(), QStringLiteral("ab"));
  }
}

void TTextEditorTest::ReleasedKeysAreNoLongerBound() {
  TTextEditor editor(TTextEditor::TKind::Results);
  QsciCommandSet* commands = editor.standardCommands();
  QVERIFY(commands->boundTo(Qt::Key_Escape));
  QVERIFY(commands->boundTo((Qt::CTRL | Qt::Key_Z).toCombined()));
  editor.ReleaseKeys({QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_Z)});
  QVERIFY(!commands->boundTo(Qt::Key_Escape));
  QVERIFY(!commands->boundTo((Qt::CTRL | Qt::Key_Z).toCombined()));
  // Other keys of the same commands stay.
  QVERIFY(commands->boundTo((Qt::ALT | Qt::Key_Backspace).toCombined()));
}

void TTextEditorTest::SelectionStartIsInCharacters() {
  TTextEditor editor(TTextEditor::TKind::Results);
  editor.LoadText(QStringLiteral("first\n日本語abc"));
  editor.setSelection(1, 4, 1, 5);
  int line = -1, column = -1;
  editor.SelectionStart(line, column);
  QCOMPARE(line, 1);
  QCOMPARE(column, 4);
  editor.CollapseSelectionAt(0, 2);
  editor.SelectionStart(line, column);
  QCOMPARE(line, 0);
  QCOMPARE(column, 2);
  QVERIFY(!editor.hasSelectedText());
}

void TTextEditorTest::LastLineStartingWith_data() {
  QTest::addColumn<QByteArray>("text");  // as Scintilla holds it, line ends untouched
  QTest::addColumn<int>("line");
  QTest::addColumn<int>("found");
  QTest::newRow("far above") << QByteArray("#a\n b\n c") << 2 << 0;
  QTest::newRow("the line itself") << QByteArray("#h\n#i\n y") << 1 << 1;
  QTest::newRow("# inside lines is passed over") << QByteArray(" x#\n#h\n y #\n##") << 2 << 1;
  QTest::newRow("below is not looked at") << QByteArray(" a\n b\n#c") << 1 << -1;
  QTest::newRow("none") << QByteArray(" a\n b") << 1 << -1;
  QTest::newRow("empty text") << QByteArray() << 0 << -1;
  QTest::newRow("no line") << QByteArray("#a") << -1 << -1;
  QTest::newRow("after a carriage return") << QByteArray(" a\r#b\r c") << 2 << 1;
  QTest::newRow("after CR LF") << QByteArray(" a\r\n#b\r\n c") << 2 << 1;
  QTest::newRow("double-byte text") << QByteArray("#\xe6\x97\xa5\n \xe8\xaa\x9e#\n x") << 2 << 0;
}

void TTextEditorTest::LastLineStartingWith() {
  QFETCH(QByteArray, text);
  QFETCH(int, line);
  QFETCH(int, found);
  TTextEditor editor(TTextEditor::TKind::Results);
  editor.SendScintilla(QsciScintillaBase::SCI_SETTEXT, 0UL, text.constData());
  QCOMPARE(editor.LastLineStartingWith('#', line), found);
  // Wherever Scintilla's gap stands: an insertion moves it there.
  for (unsigned long at = 0; at <= static_cast<unsigned long>(text.size()); ++at) {
    editor.SendScintilla(QsciScintillaBase::SCI_INSERTTEXT, at, "x");
    editor.SendScintilla(QsciScintillaBase::SCI_DELETERANGE, at, 1L);
    QCOMPARE(editor.SendScintilla(QsciScintillaBase::SCI_GETGAPPOSITION), long(at));
    QCOMPARE(editor.LastLineStartingWith('#', line), found);
  }
}

void TTextEditorTest::RevisionFollowsEveryChangeOfTheText() {
  TTextEditor editor(TTextEditor::TKind::Results);
  QList<quint64> seen{editor.Revision()};
  const auto changed = [&] {
    const bool isNew = !seen.contains(editor.Revision());
    seen << editor.Revision();
    return isNew;
  };
  editor.AppendLines({QStringLiteral("one"), QStringLiteral("two")});
  QVERIFY(changed());
  editor.setCursorPosition(1, 1);
  editor.setSelection(0, 0, 1, 1);
  QVERIFY(!changed());
  editor.insert(QStringLiteral("x"));
  QVERIFY(changed());
  editor.undo();
  QVERIFY(changed());
  editor.redo();
  QVERIFY(changed());
  editor.LoadText(QStringLiteral("loaded"));
  QVERIFY(changed());
  editor.Reset();
  QVERIFY(changed());
}

// Shown at its end, a long result is painted at once; the colouring of the text above
// follows in idle time instead of being done first.
void TTextEditorTest::AJumpToTheEndDoesNotWaitForTheColouring() {
  TTextEditor editor(TTextEditor::TKind::Results);
  QStringList lines;
  for (int i = 0; i < 200000; ++i)
    lines << (i % 50 == 0 ? QStringLiteral("#\"/a/%1.c\"").arg(i)
                          : QStringLiteral(" :%1: int x;").arg(i));
  editor.AppendLines(lines);
  editor.resize(400, 300);
  editor.show();
  QVERIFY(QTest::qWaitForWindowExposed(&editor));
  editor.SendScintilla(QsciScintillaBase::SCI_DOCUMENTEND);
  editor.viewport()->repaint();
  const long length = editor.SendScintilla(QsciScintillaBase::SCI_GETLENGTH);
  QVERIFY(editor.SendScintilla(QsciScintillaBase::SCI_GETENDSTYLED) < length / 2);
}

QTEST_MAIN(TTextEditorTest)
#include "text_editor_test.moc"
