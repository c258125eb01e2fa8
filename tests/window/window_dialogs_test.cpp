// The window's dialogs as a Japanese user finds them: Qt's own texts in Japanese, frames
// without minimize and maximize buttons, and the save and print commands with their
// file and print dialogs.
#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPushButton>
#include <QTest>
#include <memory>

#include "dialogs/about_box.h"
#include "dialogs/create_dir_form.h"
#include "dialogs/grep_dlg.h"
#include "editor/text_editor.h"
#include "editor/view_printer.h"
#include "platform/cp932.h"
#include "platform/qt/qt_translations.h"
#include "tests/window/window_test_support.h"
#include "window/dir_form.h"

using namespace varsik;

namespace {

QByteArray Contents(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(none)");
}

QByteArray Cp932(const QString& text) {
  return QByteArray::fromStdString(*Platform::Utf8ToCp932(text.toStdString()));
}

// A window after a search that found two lines with Japanese text in one file.
struct TResultWindow {
  TTree Tree;
  QString File;
  TWindow W;
  TResultWindow() {
    File = Tree.WriteText(QStringLiteral("a.txt"), QStringLiteral("文字列 one\nx\n文字列 two\n"));
    W.SetInputs(QStringLiteral("文字列"), QStringLiteral("*.txt"), Tree.Root);
    W.Form.StartSpdBtnClick(&W.Form);
  }
  // The results view's text as saved in UTF-8.
  QByteArray Results() const {
    return QStringLiteral("#\"%1\"\n :1: 文字列 one\n :3: 文字列 two\n").arg(File).toUtf8();
  }
};

// Answers the next file dialog with `path` and the first type whose name starts with
// `type` (Qt's question whether to replace a file is not what these tests look at).
void AnswerFileDialog(const QString& path, const QString& type, QStringList* types = nullptr) {
  RepeatFromEventLoop([path, type, types] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (!dialog) return false;
    if (types) *types = dialog->nameFilters();
    for (const QString& filter : dialog->nameFilters()) {
      if (!filter.startsWith(type)) continue;
      dialog->selectNameFilter(filter);
      break;
    }
    dialog->setOption(QFileDialog::DontConfirmOverwrite);
    // As typed: selectFile leaves a focused name box as it is.
    dialog->selectFile(path);
    dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(path);
    QMetaObject::invokeMethod(dialog, "accept");
    return true;
  });
}

}  // namespace

class TWindowDialogsTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();

  // Japanese, and the frames
  void MessageBoxButtonsReadJapanese();
  void TheFileDialogsReadJapanese();
  void ContextMenusReadJapanese();
  void FixedDialogsAskForNoMinimizeOrMaximize();

  // Saving
  void SaveAsWritesUtf8WithLfByDefault();
  void SaveAsOffersShiftJisWithCrLf();
  void SaveWritesToTheLastFileAndAsksTheFirstTime();
  void TheFileListIsSavedWhenItIsShown();
  void AFailedSaveSaysSoAndKeepsTheOldFile();

  // Printing
  void PrintTakesTheCaptionAsItsTitle();
  void PrintViewPrintsEveryPage();
};

void TWindowDialogsTest::initTestCase() {
  QVERIFY(Platform::InstallQtJapanese(*QCoreApplication::instance()));
}

// ---------------------------------------------------------------------------------------
// Japanese, and the frames

void TWindowDialogsTest::MessageBoxButtonsReadJapanese() {
  QMessageBox box(QMessageBox::Question, QStringLiteral("Varsik"), QStringLiteral("?"),
                  QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
  SaveScreenshot(&box, QStringLiteral("message_box"));
  QStringList texts;
  for (auto button : {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel})
    texts << box.button(button)->text().remove(QLatin1Char('&'));
  QCOMPARE(texts, (QStringList{"はい(Y)", "いいえ(N)", "キャンセル"}));
}

// The save dialog of the window, as the user sees it.
void TWindowDialogsTest::TheFileDialogsReadJapanese() {
  TWindow w;
  QString caption, acceptText;
  QStringList labels;
  WhenModal([&](QWidget* modal) {
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    if (!dialog) return;
    caption = dialog->windowTitle();
    acceptText = dialog->findChild<QDialogButtonBox*>()->buttons().first()->text();
    for (QLabel* label : dialog->findChildren<QLabel*>()) labels << label->text();
    SaveScreenshot(dialog, QStringLiteral("save_dialog"));
  });
  w.Form.SaveAsMenu->trigger();
  QCOMPARE(caption, QStringLiteral("名前を付けて保存"));
  QCOMPARE(acceptText.remove(QLatin1Char('&')), QStringLiteral("保存(S)"));
  QVERIFY2(labels.contains(QStringLiteral("ファイル名(&N):")), qPrintable(labels.join(',')));
}

// The views' menu (QScintilla's) and the one-line boxes' menu (Qt's).
void TWindowDialogsTest::ContextMenusReadJapanese() {
  TWindow w;
  const auto texts = [](QMenu* created) {
    const std::unique_ptr<QMenu> menu(created);
    QStringList list;
    for (QAction* action : menu->actions())
      if (!action->isSeparator()) list << action->text();
    return list;
  };
  QCOMPARE(texts(w.Form.GrepEdit->createStandardContextMenu()),
           (QStringList{"元に戻す(&U)", "やり直し(&R)", "切り取り(&T)", "コピー(&C)",
                        "貼り付け(&P)", "削除", "全て選択"}));
  const QStringList box = texts(w.Form.SearchCmbBox->lineEdit()->createStandardContextMenu());
  QVERIFY2(box.contains(QStringLiteral("貼り付け(&P)")), qPrintable(box.join(',')));
}

void TWindowDialogsTest::FixedDialogsAskForNoMinimizeOrMaximize() {
  TWindow w;
  QList<QWidget*> dialogs = {w.Form.GrepDlg, w.Form.CreateDirForm, w.Form.AboutBox};
  QMessageBox box(QMessageBox::Information, QStringLiteral("Varsik"), QStringLiteral("text"),
                  QMessageBox::Ok, &w.Form);
  dialogs << &box;
  for (QWidget* dialog : dialogs) {
    const Qt::WindowFlags flags = dialog->windowFlags();
    QVERIFY2(!(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)),
             dialog->metaObject()->className());
    QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
  }
  for (QWidget* dialog : dialogs.mid(0, 3)) QCOMPARE(dialog->minimumSize(), dialog->maximumSize());
}

// ---------------------------------------------------------------------------------------
// Saving

void TWindowDialogsTest::SaveAsWritesUtf8WithLfByDefault() {
  TResultWindow r;
  const QString path = r.Tree.Root + QStringLiteral("saved.txt");
  QStringList types;
  AnswerFileDialog(path, QString(), &types);
  r.W.Form.SaveAsMenu->trigger();
  QCOMPARE(types.size(), 2);
  QVERIFY(types[0].startsWith(QStringLiteral("UTF-8")));
  QVERIFY(types[1].startsWith(QStringLiteral("Shift JIS")));
  QCOMPARE(Contents(path), r.Results());
  QCOMPARE(r.W.Form.SaveFileName(), path);
}

void TWindowDialogsTest::SaveAsOffersShiftJisWithCrLf() {
  TResultWindow r;
  const QString path = r.Tree.Root + QStringLiteral("saved.txt");
  AnswerFileDialog(path, QStringLiteral("Shift JIS"));
  r.W.Form.SaveAsMenu->trigger();
  QCOMPARE(Contents(path),
           Cp932(QStringLiteral("#\"%1\"\r\n :1: 文字列 one\r\n :3: 文字列 two\r\n").arg(r.File)));
  // The next 名前を付けて保存 offers the type chosen last.
  QString offered;
  WhenModal([&](QWidget* modal) {
    if (auto* dialog = qobject_cast<QFileDialog*>(modal)) offered = dialog->selectedNameFilter();
  });
  r.W.Form.SaveAsMenu->trigger();
  QVERIFY(offered.startsWith(QStringLiteral("Shift JIS")));
}

// 上書き保存 (Ctrl+S) asks for a name the first time, then writes there, in the type chosen.
void TWindowDialogsTest::SaveWritesToTheLastFileAndAsksTheFirstTime() {
  TResultWindow r;
  r.W.Activate();
  const QString path = r.Tree.Root + QStringLiteral("kept.txt");
  AnswerFileDialog(path, QStringLiteral("Shift JIS"));
  QTest::keyClick(&r.W.Form, Qt::Key_S, Qt::ControlModifier);
  QCOMPARE(Contents(path).left(2), QByteArray("#\""));
  QVERIFY(Contents(path).endsWith("\r\n"));

  r.W.Form.GrepEdit->LoadText(QStringLiteral("edited 日本\n"));
  TModalKeys<QDialog> asked([](QDialog&) {});
  r.W.Activate();
  QTest::keyClick(&r.W.Form, Qt::Key_S, Qt::ControlModifier);
  QCOMPARE(Contents(path), Cp932(QStringLiteral("edited 日本\r\n")));
  QTest::qWait(50);
  QVERIFY(!asked.Opened);
}

void TWindowDialogsTest::TheFileListIsSavedWhenItIsShown() {
  TResultWindow r;
  r.W.SetInputs(QStringLiteral("x"), QStringLiteral("*.txt"), r.Tree.Root, true);
  r.W.Form.StartSpdBtnClick(&r.W.Form);
  QVERIFY(r.W.Form.GrepEdit->isHidden());
  const QString path = r.Tree.Root + QStringLiteral("list.out");
  QVERIFY(r.W.Form.SaveView(path, Platform::TTextEncoding::Utf8Lf));
  QCOMPARE(Contents(path), (r.File + QLatin1Char('\n')).toUtf8());
}

// A file that cannot be written: the message names it and why, and the file keeps its
// bytes; 上書き保存 then still writes to the file saved last.
void TWindowDialogsTest::AFailedSaveSaysSoAndKeepsTheOldFile() {
  TResultWindow r;
  const QString kept = r.Tree.Root + QStringLiteral("kept.txt");
  QVERIFY(r.W.Form.SaveView(kept, Platform::TTextEncoding::Utf8Lf));
  r.W.Form.SaveFileName() = kept;
  const QString readOnly = r.Tree.Write(QStringLiteral("old.txt"), "old bytes");
  QFile::setPermissions(readOnly, QFile::ReadOwner);
  QString message;
  AnswerNextMessageBox(&message);
  AnswerFileDialog(readOnly, QString());
  r.W.Form.SaveAsMenu->trigger();
  QTRY_VERIFY(!message.isEmpty());
  QVERIFY2(message.contains(readOnly), qPrintable(message));
  QVERIFY2(message.contains(QStringLiteral("保存できませんでした")), qPrintable(message));
  QCOMPARE(Contents(readOnly), QByteArray("old bytes"));
  QCOMPARE(r.W.Form.SaveFileName(), kept);

  // A folder where the file should be: the system's reason.
  message.clear();
  AnswerNextMessageBox(&message);
  QVERIFY(!r.W.Form.SaveView(readOnly + QStringLiteral("/x.txt"), Platform::TTextEncoding::Utf8Lf));
  QVERIFY2(message.contains(readOnly + QStringLiteral("/x.txt")), qPrintable(message));
}

// ---------------------------------------------------------------------------------------
// Printing

void TWindowDialogsTest::PrintTakesTheCaptionAsItsTitle() {
  TResultWindow r;
  QString pageTitle, docName, title;
  WhenModal([&](QWidget* modal) {
    auto* dialog = qobject_cast<QPrintDialog*>(modal);
    if (!dialog) return;
    pageTitle = static_cast<TViewPrinter*>(dialog->printer())->Title();
    docName = dialog->printer()->docName();
    title = dialog->windowTitle();
    SaveScreenshot(dialog, QStringLiteral("print_dialog"));
  });
  r.W.Form.PrintMenu->trigger();
  QCOMPARE(pageTitle, r.W.Form.windowTitle());
  QCOMPARE(docName, QStringLiteral("Varsik"));
  QCOMPARE(title, QStringLiteral("印刷"));
}

void TWindowDialogsTest::PrintViewPrintsEveryPage() {
  TResultWindow r;
  QStringList lines;
  for (int i = 0; i < 300; ++i) lines << QStringLiteral(" :%1: 文字列の行").arg(i + 1);
  r.W.Form.GrepEdit->AppendLines(lines);
  const QString pdf = r.Tree.Root + QStringLiteral("out.pdf");
  TViewPrinter printer(r.W.Form.windowTitle(), QStringLiteral("Varsik"));
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(pdf);
  r.W.Form.PrintView(printer);
  const QByteArray bytes = Contents(pdf);
  QVERIFY(bytes.startsWith("%PDF"));
  QVERIFY2(bytes.count("/Type /Page\n") + bytes.count("/Type /Page\r") >= 3,
           qPrintable(QString::number(bytes.count("/Type /Page"))));
}

QTEST_MAIN(TWindowDialogsTest)
#include "window_dialogs_test.moc"
