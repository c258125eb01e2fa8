#include "window/dir_form.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QStackedLayout>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QWindow>
#include <optional>
#include <stdexcept>

#include "dialogs/about_box.h"
#include "dialogs/create_dir_form.h"
#include "dialogs/grep_dlg.h"
#include "editor/text_editor.h"
#include "editor/view_printer.h"
#include "platform/centre.h"
#include "platform/cp932.h"
#include "platform/folder.h"
#include "platform/process_start.h"
#include "platform/qt/fonts.h"
#include "platform/qt/one_line_edit.h"
#include "regex/errors.h"
#include "shell/result_text.h"
#include "shell/search_driver.h"
#include "shell/search_threads.h"
#include "shell/tag_jump.h"
#include "window/view_files.h"
#include "window/view_sink.h"
#include "window/window_constants.h"
#include "window/window_icons.h"

namespace varsik {

namespace {

using namespace WindowDesign;

QString FromUtf8(const std::string& text) {
  return QString::fromStdString(text);
}

std::string ToUtf8(const QString& text) {
  return text.toStdString();
}

std::string FileSystemBytes(const QString& text) {
  return QFile::encodeName(text).toStdString();
}

// Puts a dialog's frame in the middle of the owner's frame. Before its first showing a
// dialog has no frame yet; the owner's decorations stand in for its own.
void CentreOver(QWidget* dialog, const QWidget* owner) {
  const QRect main = owner->frameGeometry();
  QSize outer = dialog->frameGeometry().size();
  if (outer == dialog->size()) outer += owner->frameGeometry().size() - owner->size();
  dialog->move(Platform::CentredPos(main.x(), main.width(), outer.width()),
               Platform::CentredPos(main.y(), main.height(), outer.height()));
}

bool IsEnterKey(const QKeyEvent* event) {
  return event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
}

}  // namespace

TDirForm::TDirForm(QWidget* parent) : QMainWindow(parent) {
  setWindowTitle(QStringLiteral("Varsik -"));
  setWindowIcon(WindowIcons::Program());
  setFont(Platform::PixelFont(kWindowFace, kWindowFontPixels));

  CreateViews();
  CreateMenus();
  CreateToolBar();
  CreateStatusBar();

  VertualEdit = new QLineEdit(this);
  Platform::KeepFirstLine(VertualEdit);
  VertualEdit->hide();

  Sink = std::make_unique<TViewSink>(*GrepEdit, *FileSearchEdit, *StatusPanel0, *this);
  SearchDriver = std::make_unique<TSearchDriver>(Sink->Queue());
  Files = std::make_unique<TViewFiles>(*this);

  // The dialogs live as long as the window, in the order the program creates them.
  CreateDirForm = new TCreateDirForm(this);
  GrepDlg = new TGrepDlg(CreateDirForm, this);
  AboutBox = new TAboutBox(this);

  // The window's command keys reach the window's commands, also from inside a view.
  QList<QKeySequence> keys;
  for (QAction* action : findChildren<QAction*>())
    if (!action->shortcut().isEmpty()) keys << action->shortcut();
  GrepEdit->ReleaseKeys(keys);
  FileSearchEdit->ReleaseKeys(keys);

  SetSearchingState(false);
  resize(575, 534);
}

TDirForm::~TDirForm() = default;

bool TDirForm::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (watched == GrepEdit) return GrepEditKeyDown(key);
    if ((watched == SearchCmbBox || watched == SearchCmbBox->lineEdit()) && IsEnterKey(key)) {
      // Enter searches downward and adds nothing to the box.
      Guarded([&] { FindNextMenuClick(); });
      return true;
    }
  } else if (event->type() == QEvent::Resize && watched == statusBar()) {
    ResizeStatusPanels();
  } else if (event->type() == QEvent::Expose && watched == windowHandle() &&
             windowHandle()->isExposed()) {
    // The first paint: the dialog is opened from the event loop, not from inside the
    // paint itself.
    windowHandle()->removeEventFilter(this);
    QTimer::singleShot(0, this, [this] { Guarded([&] { FormPaint(); }); });
  }
  return QMainWindow::eventFilter(watched, event);
}

bool TDirForm::GrepEditKeyDown(QKeyEvent* event) {
  if (!IsEnterKey(event)) return false;
  // Enter, with any modifier, jumps and never breaks a line in the results view.
  Guarded([&] { TagJumpBtnClick(); });
  return true;
}

// ---------------------------------------------------------------------------------------
// Life cycle

void TDirForm::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (Shown) return;
  Shown = true;
  if (windowHandle()) windowHandle()->installEventFilter(this);
  Guarded([&] { FormShow(); });
}

void TDirForm::FormShow() {
  TSettings settings = LoadSettings ? LoadSettings() : TSettings{};
  // A window left on a screen that is gone comes back into view. The place is checked
  // as written, before the platform nudges a window that it would put off the screen.
  const QRect screen = QGuiApplication::primaryScreen()->virtualGeometry();
  if (settings.Left > screen.right() + 1 - kScreenMargin || settings.Left < screen.left())
    settings.Left = kFallbackPos;
  if (settings.Top > screen.bottom() + 1 - kScreenMargin || settings.Top < screen.top())
    settings.Top = kFallbackPos;
  // Nor is the window larger than the room the screens leave it: Width=2147483647 made a
  // window of 32767 x 32767 pixels whose backing store took 4 GB.
  const QSize room = QGuiApplication::primaryScreen()->availableVirtualGeometry().size();
  settings.Width = std::min(settings.Width, room.width());
  settings.Height = std::min(settings.Height, room.height());
  ApplySettings(settings);
  setWindowTitle(FromUtf8(ResultText::Caption(ToUtf8(GrepDlg->SearchDirCmbBox->currentText()),
                                              ToUtf8(GrepDlg->SearchFileCmbBox->currentText()),
                                              ToUtf8(GrepDlg->SearchWordCmbBox->currentText()))));
  StatusPanel0->setText(windowTitle());
  StatusPanel1->setText(QStringLiteral("L1-C1"));
  GrepEdit->setFocus();
}

void TDirForm::FormPaint() {
  const bool open = ShowGrepDlgOnStart && isVisible();
  ShowGrepDlgOnStart = false;
  if (open) GrepSpdBtnClick();
}

void TDirForm::closeEvent(QCloseEvent* event) {
  if (StopSpdBtn->isEnabled()) {
    event->ignore();
    return;
  }
  if (SearchDriver->IsRunning()) {
    // Stopped, but the walk has not returned yet: close right after it has.
    CloseAfterSearch = true;
    event->ignore();
    return;
  }
  hide();
  try {
    if (SaveSettings) SaveSettings(CollectSettings());
  } catch (...) {
    // The window closes all the same; a settings file that cannot be written is no
    // reason to keep it open.
  }
  event->accept();
}

void TDirForm::Close1Click() {
  close();
}

void TDirForm::ApplySettings(const TSettings& settings) {
  GrepDlg->LoadFields(settings);
  FillSearchBox();

  // Left and Top place the client area, as CollectSettings reads it back. A frame's
  // place would not come back: under a window manager the frame is not known until the
  // window is mapped, so a frame position given before that lands on the client area
  // (the window crept up a title bar per run), while platforms that know their frames
  // at once (offscreen) move the client area by the frame instead.
  setGeometry(settings.Left, settings.Top, settings.Width, settings.Height);

  EditorPath = FromUtf8(settings.EditorPath);
  JumpFormat = FromUtf8(settings.JumpFormat);
  ShowGrepDlgOnStart = settings.GrepDlgShowOnStart;
  ShowErrorBox = settings.ErrMsgBox;
  Threads = settings.Threads;
}

TSettings TDirForm::CollectSettings() const {
  TSettings settings;
  GrepDlg->SaveFields(settings);
  // The client area's place and size, as ApplySettings puts them back.
  settings.Left = geometry().x();
  settings.Top = geometry().y();
  settings.Width = width();
  settings.Height = height();
  settings.EditorPath = ToUtf8(EditorPath);
  settings.JumpFormat = ToUtf8(JumpFormat);
  settings.ErrMsgBox = ShowErrorBox;
  return settings;
}

// ---------------------------------------------------------------------------------------
// The search

void TDirForm::GrepSpdBtnClick() {
  if (SearchDriver->IsRunning()) return;
  CentreOver(GrepDlg, this);
  if (GrepDlg->exec() == QDialog::Accepted) StartSpdBtnClick(this);
}

void TDirForm::StartSpdBtnClick(QObject* sender) {
  // A search never runs inside another one.
  if (SearchDriver->IsRunning()) return;
  QComboBox* wordBox = GrepDlg->SearchWordCmbBox;
  if (sender == StartSpdBtn && !SearchCmbBox->currentText().isEmpty())
    wordBox->setEditText(SearchCmbBox->currentText());

  const QString word = wordBox->currentText();
  TSearchOptions options;
  options.Switches = GrepDlg->Switches();
  if (!options.SetWord(ToUtf8(word))) {
    QMessageBox::warning(this, kTitle,
                         QStringLiteral("検索語「%1」には Shift JIS (CP932) で表せない文字が"
                                        "含まれているため、検索できません。")
                             .arg(word));
    return;
  }
  const QString masks = GrepDlg->SearchFileCmbBox->currentText();
  const QString folder = GrepDlg->SearchDirCmbBox->currentText();
  setWindowTitle(FromUtf8(ResultText::Caption(ToUtf8(folder), ToUtf8(masks), ToUtf8(word))));

  GrepEdit->Reset();
  FileSearchEdit->Reset();
  ShowViewForMode();

  GrepDlg->PushHistories();
  FillSearchBox();

  SetSearchingState(true);

  options.Masks = FileSystemBytes(masks);
  // Absolute, so that every path in the views is: the tag jump passes only absolute
  // paths, which an editor can never take for an option.
  options.FolderText = Platform::AbsolutePath(FileSystemBytes(folder));
  options.ShowErrorBox = ShowErrorBox;
  options.Threads = SearchThreads(Threads);
  options.MarkMatches = true;

  // The search runs on a thread of its own; the window's event loop turns meanwhile.
  QString patternError;
  Sink->Begin();
  try {
    Sink->RunSearch([this, &options] { SearchDriver->Run(options); },
                    [this] { SearchDriver->RequestCancel(); });
  } catch (const ERegExpParser& error) {
    patternError = QString::fromUtf8(error.what());
  } catch (...) {
    SetSearchingState(false);
    throw;
  }

  if (!patternError.isNull()) {
    // The search ends at the pattern; what was written stays, and the commands are
    // ready for a corrected pattern at once.
    SetSearchingState(false);
    QMessageBox::critical(this, kTitle, patternError);
  } else {
    StatusPanel0->setText(FromUtf8(SearchDriver->StatusText()));
    SetSearchingState(false);
    ShowViewForMode();
    if (!options.Switches.FileNameSearch) GrepEdit->setFocus();
    GrepEdit->CollapseSelectionAt(0, 0);
  }
  if (CloseAfterSearch) {
    CloseAfterSearch = false;
    QTimer::singleShot(0, this, &QWidget::close);
  }
}

void TDirForm::StopSpdBtnClick() {
  SearchDriver->RequestCancel();
  SetSearchingState(false);
}

void TDirForm::SetSearchingState(bool searching) {
  // The start commands wait until a stopped walk has returned, so that no search is
  // ever started inside the one that is still unwinding.
  const bool startable = !searching && !SearchDriver->IsRunning();
  for (QAction* command :
       {GrepSpdBtn, StartSpdBtn, TagJumpBtn, GrepMenu, StartGrepMenu, TagJumpMenu})
    command->setEnabled(startable);
  StopSpdBtn->setEnabled(searching);
  StopGrepMenu->setEnabled(searching);
}

void TDirForm::FillSearchBox() {
  // The toolbar's box offers the word history, the latest word shown.
  const QComboBox* words = GrepDlg->SearchWordCmbBox;
  SearchCmbBox->clear();
  for (int i = 0; i < words->count(); ++i) SearchCmbBox->addItem(words->itemText(i));
  if (SearchCmbBox->count() > 0) SearchCmbBox->setEditText(SearchCmbBox->itemText(0));
}

void TDirForm::ShowView(TTextEditor* view) {
  TTextEditor* other = view == GrepEdit ? FileSearchEdit : GrepEdit;
  view->show();
  other->hide();
  ViewStack->setCurrentWidget(view);
}

void TDirForm::ShowViewForMode() {
  ShowView(GrepDlg->FileSearchChkBox->isChecked() ? FileSearchEdit : GrepEdit);
}

// ---------------------------------------------------------------------------------------
// Tag jump

void TDirForm::TagJumpBtnClick() {
  // Always the results view, shown or not.
  int caretLine = 0, column = 0;
  GrepEdit->SelectionStart(caretLine, column);
  // The file comes from the headers the search wrote, never from the view's text.
  // The header above is found among those the search wrote while the view is as it
  // wrote it, else in the text's bytes: a jump far down a result of millions of lines
  // reads no line but two.
  const auto headerAbove = [this](int line) {
    if (std::optional<int> written = Sink->HeaderLineAtOrAbove(line)) return *written;
    return GrepEdit->LastLineStartingWith('#', line);
  };
  const std::optional<TTagJumpTarget> target = TagJump::FindTarget(
      [this](int line) { return ToUtf8(GrepEdit->Line(line)); }, GrepEdit->LineCount(), caretLine,
      headerAbove, [this](std::string_view fileName) { return Sink->HeaderPath(fileName); });
  if (!target) return;
  // Settings that do not make a command raise here, before anything is started.
  const TTagJumpCommand command =
      TagJump::BuildCommand(ToUtf8(EditorPath), ToUtf8(JumpFormat), *target);
  JumpCommandTemplate = FromUtf8(command.Template);
  if (command.Program.empty()) return;
  std::vector<std::string> argv{command.Program};
  argv.insert(argv.end(), command.Arguments.begin(), command.Arguments.end());
  // Whether the editor starts is not followed up.
  Platform::StartProgram(argv);
}

// ---------------------------------------------------------------------------------------
// In-page search and edit commands

TTextEditor* TDirForm::VisibleView() const {
  return GrepEdit->isHidden() ? FileSearchEdit : GrepEdit;
}

void TDirForm::SearchInEditor(TTextEditor* editor, const QString& text, bool upward) {
  if (editor->FindText(text, upward)) return;
  // No hit: the selection collapses onto its end in the direction of the search.
  editor->SetCaretPos(upward ? editor->SelectionStartPos() : editor->SelectionEndPos());
}

void TDirForm::FindWord(bool upward) {
  const QString text = SearchCmbBox->currentText();
  TTextEditor* view = VisibleView();
  SearchInEditor(view, text, upward);
  view->setFocus();
  for (int i = 0; i < SearchCmbBox->count(); ++i)
    if (SearchCmbBox->itemText(i) == text) return;
  SearchCmbBox->addItem(text);
  SearchCmbBox->setEditText(text);
}

void TDirForm::FindNextMenuClick() {
  FindWord(false);
}

void TDirForm::FindPreviousMenuClick() {
  FindWord(true);
}

void TDirForm::Find2Click() {
  SearchCmbBox->setFocus(Qt::ShortcutFocusReason);
}

void TDirForm::GrepEditStatusChange() {
  int line = 0, column = 0;
  GrepEdit->SelectionStart(line, column);
  StatusPanel1->setText(QStringLiteral("L%1-C%2").arg(line + 1).arg(column + 1));
}

void TDirForm::UndoClick() {
  for (TTextEditor* view : {GrepEdit, FileSearchEdit})
    if (!view->isHidden()) view->undo();
}

void TDirForm::RedoClick() {
  for (TTextEditor* view : {GrepEdit, FileSearchEdit})
    if (!view->isHidden()) view->redo();
}

TTextEditor* TDirForm::FocusedView() const {
  if (GrepEdit->hasFocus()) return GrepEdit;
  if (FileSearchEdit->hasFocus()) return FileSearchEdit;
  return nullptr;
}

bool TDirForm::SearchBoxSelectionToVertualEdit() {
  QLineEdit* box = SearchCmbBox->lineEdit();
  if (!box->hasSelectedText()) return false;
  VertualEdit->setText(box->selectedText());
  VertualEdit->selectAll();
  return true;
}

void TDirForm::CutMenuClick() {
  if (TTextEditor* view = FocusedView()) return view->cut();
  if (!SearchBoxSelectionToVertualEdit()) return;
  VertualEdit->cut();
  SearchCmbBox->lineEdit()->del();
}

void TDirForm::CopyMenuClick() {
  if (TTextEditor* view = FocusedView()) return view->copy();
  if (SearchBoxSelectionToVertualEdit()) VertualEdit->copy();
}

void TDirForm::PasteMenuClick() {
  if (TTextEditor* view = FocusedView()) return view->paste();
  // A single-line field keeps the clipboard's first line.
  VertualEdit->clear();
  VertualEdit->paste();
  const QString text = VertualEdit->text();
  VertualEdit->clear();
  QLineEdit* box = SearchCmbBox->lineEdit();
  box->insert(text);
  box->setCursorPosition(static_cast<int>(box->text().size()));
}

void TDirForm::SelAllMenuClick() {
  GrepEdit->selectAll(true);
}

void TDirForm::NewFileSpdBtnClick() {
  FileSearchEdit->Reset();
  ShowView(FileSearchEdit);
  FileSearchEdit->setFocus();
}

void TDirForm::OpenSpdBtnClick() {
  const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("開く"));
  if (path.isEmpty()) return;
  OpenFile(path);
}

void TDirForm::OpenFile(const QString& path) {
  if (!GrepEdit->isHidden()) {
    FileSearchEdit->Reset();
    ShowView(FileSearchEdit);
  }
  FileSearchEdit->LoadText(TViewFiles::ReadText(path));
  FileSearchEdit->setFocus();
}

void TDirForm::SaveSpdBtnClick() {
  Files->Save(*VisibleView());
}

void TDirForm::SaveAsMenuClick() {
  Files->SaveAs(*VisibleView());
}

QString& TDirForm::SaveFileName() {
  return Files->SaveFileName;
}

bool TDirForm::SaveView(const QString& path, Platform::TTextEncoding encoding) {
  return Files->SaveTo(path, encoding, *VisibleView());
}

void TDirForm::PrintSpdBtnClick() {
  // The caption says what was searched for, where: the title of every page.
  Files->Print(*VisibleView(), windowTitle());
}

void TDirForm::PrintView(TViewPrinter& printer) {
  TViewFiles::PrintTo(printer, *VisibleView());
}

void TDirForm::about1Click() {
  CentreOver(AboutBox, this);
  AboutBox->ProgramIcon->setPixmap(windowIcon().pixmap(64, 64));
  AboutBox->ProductName->setText(QStringLiteral("Varsik for Win32"));
  AboutBox->Copyright->setText(
      QStringLiteral("Copyright (C) 2026 Varsik developers\nShift JIS grep for Japanese text"));
  AboutBox->exec();
}

}  // namespace varsik
