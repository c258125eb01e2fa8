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
#include <QPrintDialog>
#include <QScreen>
#include <QStackedLayout>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QWindow>
#include <cerrno>
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
#include "platform/qt/fonts.h"
#include "platform/qt/one_line_edit.h"
#include "platform/process_start.h"
#include "regex/errors.h"
#include "shell/result_text.h"
#include "shell/search_driver.h"
#include "shell/tag_jump.h"
#include "window/view_sink.h"
#include "window/window_icons.h"

namespace {

const QString kWindowFace = QStringLiteral("ＭＳ Ｐゴシック");
const QString kTitle = QStringLiteral("Varsik");
constexpr int kWindowFontPixels = 12;
constexpr int kSearchBoxFontPixels = 13;
constexpr int kToolBarHeight = 28;
constexpr int kStatusBarHeight = 20;
constexpr int kSearchBoxWidth = 300;
constexpr int kHistoryRows = 10;
constexpr int kPanel1Width = 80;
constexpr int kPanel0Margin = 95;  // panel 0 takes the status bar's width less this
constexpr int kScreenMargin = 100;
constexpr int kFallbackPos = 50;

QString FromUtf8(const std::string& text) {
  return QString::fromStdString(text);
}

std::string ToUtf8(const QString& text) {
  return text.toStdString();
}

std::string FileSystemBytes(const QString& text) {
  return QFile::encodeName(text).toStdString();
}

QStringList Items(const QComboBox* box) {
  QStringList items;
  for (int i = 0; i < box->count(); ++i) items << box->itemText(i);
  return items;
}

std::vector<std::string> ItemsUtf8(const QComboBox* box) {
  std::vector<std::string> items;
  for (const QString& item : Items(box)) items.push_back(ToUtf8(item));
  return items;
}

void FillBox(QComboBox* box, const std::vector<std::string>& items, const std::string& text) {
  box->clear();
  for (const std::string& item : items) box->addItem(FromUtf8(item));
  box->setEditText(FromUtf8(text));
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
  SearchDriver = std::make_unique<TSearchDriver>(*Sink);

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

// ---------------------------------------------------------------------------------------
// Window layout

template <class F>
void TDirForm::Guarded(F&& handler) {
  try {
    handler();
  } catch (const std::exception& error) {
    ShowException(error);
  }
}

void TDirForm::ShowException(const std::exception& error) {
  QMessageBox::critical(this, kTitle, QString::fromUtf8(error.what()));
}

QAction* TDirForm::Command(const QString& caption, const QKeySequence& shortcut,
                           void (TDirForm::*handler)()) {
  auto* action = new QAction(caption, this);
  action->setShortcut(shortcut);
  // The shortcuts work while the window is active, whatever widget has the focus.
  action->setShortcutContext(Qt::WindowShortcut);
  if (handler)
    connect(action, &QAction::triggered, this,
            [this, handler] { Guarded([&] { (this->*handler)(); }); });
  return action;
}

QAction* TDirForm::ToolButton(const QIcon& icon, const QString& hint, void (TDirForm::*handler)(),
                              bool visible) {
  QAction* action = Command(hint, QKeySequence(), handler);
  action->setIcon(icon);
  action->setToolTip(hint);
  ToolBar1->addAction(action);
  action->setVisible(visible);
  return action;
}

void TDirForm::CreateMenus() {
  QMenuBar* bar = menuBar();
  FileMenu = bar->addMenu(QStringLiteral("ファイル(&F)"));
  NewFileMenu = Command(QStringLiteral("新規作成"), QKeySequence(Qt::CTRL | Qt::Key_N),
                        &TDirForm::NewFileSpdBtnClick);
  OpenMenu = Command(QStringLiteral("開く"), QKeySequence(Qt::CTRL | Qt::Key_O),
                     &TDirForm::OpenSpdBtnClick);
  SaveMenu = Command(QStringLiteral("上書き保存"), QKeySequence(Qt::CTRL | Qt::Key_S),
                     &TDirForm::SaveSpdBtnClick);
  SaveAsMenu =
      Command(QStringLiteral("名前を付けて保存"), QKeySequence(), &TDirForm::SaveAsMenuClick);
  PrintMenu = Command(QStringLiteral("印刷"), QKeySequence(Qt::CTRL | Qt::Key_P),
                      &TDirForm::PrintSpdBtnClick);
  Close1 =
      Command(QStringLiteral("閉じる"), QKeySequence(Qt::ALT | Qt::Key_F4), &TDirForm::Close1Click);
  FileMenu->addActions({NewFileMenu, OpenMenu, SaveMenu, SaveAsMenu});
  FileMenu->addSeparator();
  FileMenu->addAction(PrintMenu);
  FileMenu->addSeparator();
  FileMenu->addAction(Close1);

  EditMenu = bar->addMenu(QStringLiteral("編集(&E)"));
  Undo =
      Command(QStringLiteral("元に戻す"), QKeySequence(Qt::CTRL | Qt::Key_Z), &TDirForm::UndoClick);
  Redo =
      Command(QStringLiteral("やり直し"), QKeySequence(Qt::CTRL | Qt::Key_R), &TDirForm::RedoClick);
  CutMenu = Command(QStringLiteral("切り取り"), QKeySequence(Qt::CTRL | Qt::Key_X),
                    &TDirForm::CutMenuClick);
  CopyMenu = Command(QStringLiteral("コピー"), QKeySequence(Qt::CTRL | Qt::Key_C),
                     &TDirForm::CopyMenuClick);
  PasteMenu = Command(QStringLiteral("貼り付け"), QKeySequence(Qt::CTRL | Qt::Key_V),
                      &TDirForm::PasteMenuClick);
  SelAllMenu = Command(QStringLiteral("全て選択"), QKeySequence(Qt::CTRL | Qt::Key_A),
                       &TDirForm::SelAllMenuClick);
  EditMenu->addActions({Undo, Redo});
  EditMenu->addSeparator();
  EditMenu->addActions({CutMenu, CopyMenu, PasteMenu});
  EditMenu->addSeparator();
  EditMenu->addAction(SelAllMenu);

  // Alt+S: Alt+F is the file menu's.
  SearchMenu = bar->addMenu(QStringLiteral("検索(&S)"));
  Find2 =
      Command(QStringLiteral("検索"), QKeySequence(Qt::CTRL | Qt::Key_F), &TDirForm::Find2Click);
  FindPreviousMenu =
      Command(QStringLiteral("上検索"), QKeySequence(Qt::Key_F4), &TDirForm::FindPreviousMenuClick);
  FindNextMenu =
      Command(QStringLiteral("下検索"), QKeySequence(Qt::Key_F3), &TDirForm::FindNextMenuClick);
  TagJumpMenu = Command(QStringLiteral("タグジャンプ"), QKeySequence(Qt::Key_F10),
                        &TDirForm::TagJumpBtnClick);
  GrepMenu =
      Command(QStringLiteral("Grep検索"), QKeySequence(Qt::Key_F2), &TDirForm::GrepSpdBtnClick);
  SearchMenu->addActions({Find2, FindPreviousMenu, FindNextMenu});
  SearchMenu->addSeparator();
  SearchMenu->addAction(TagJumpMenu);
  SearchMenu->addSeparator();
  SearchMenu->addAction(GrepMenu);

  RunMenu = bar->addMenu(QStringLiteral("実行(&X)"));
  StartGrepMenu = Command(QStringLiteral("Grep検索開始"), QKeySequence(), nullptr);
  connect(StartGrepMenu, &QAction::triggered, this,
          [this] { Guarded([&] { StartSpdBtnClick(StartGrepMenu); }); });
  StopGrepMenu =
      Command(QStringLiteral("処理中断"), QKeySequence(Qt::Key_Escape), &TDirForm::StopSpdBtnClick);
  RunMenu->addActions({StartGrepMenu, StopGrepMenu});

  HelpMenu = bar->addMenu(QStringLiteral("ヘルプ(&H)"));
  about1 = Command(QStringLiteral("Varsikについて"), QKeySequence(), &TDirForm::about1Click);
  HelpMenu->addAction(about1);
}

void TDirForm::CreateToolBar() {
  ToolBar1 = addToolBar(QStringLiteral("ToolBar1"));
  ToolBar1->setMovable(false);
  ToolBar1->setFloatable(false);
  ToolBar1->setFixedHeight(kToolBarHeight);
  ToolBar1->setIconSize(QSize(16, 16));
  ToolBar1->setContextMenuPolicy(Qt::PreventContextMenu);

  GrepSpdBtn = ToolButton(WindowIcons::GrepDialog(), QStringLiteral("GREPダイアログ"),
                          &TDirForm::GrepSpdBtnClick, true);
  StartSpdBtn = ToolButton(WindowIcons::StartSearch(), QStringLiteral("GREP開始"), nullptr, true);
  connect(StartSpdBtn, &QAction::triggered, this,
          [this] { Guarded([&] { StartSpdBtnClick(StartSpdBtn); }); });
  StopSpdBtn = ToolButton(WindowIcons::StopSearch(), QStringLiteral("中断"),
                          &TDirForm::StopSpdBtnClick, true);
  TagJumpBtn = ToolButton(WindowIcons::TagJump(), QStringLiteral("タグジャンプ"),
                          &TDirForm::TagJumpBtnClick, true);
  ToolBar1->addSeparator();

  SearchCmbBox = new QComboBox(ToolBar1);
  // The in-page search keeps its own history rule.
  Platform::SetUpHistoryBox(SearchCmbBox, kHistoryRows);
  SearchCmbBox->setFixedWidth(kSearchBoxWidth);
  SearchCmbBox->setFont(Platform::PixelFont(kWindowFace, kSearchBoxFontPixels));
  SearchCmbBox->installEventFilter(this);
  SearchCmbBox->lineEdit()->installEventFilter(this);
  ToolBar1->addWidget(SearchCmbBox);

  QFont arrowFont = font();
  arrowFont.setBold(true);
  DnSearchSpdBtn = Command(QStringLiteral("↓"), QKeySequence(), &TDirForm::FindNextMenuClick);
  UpSearchSpdBtn = Command(QStringLiteral("↑"), QKeySequence(), &TDirForm::FindPreviousMenuClick);
  for (QAction* arrow : {DnSearchSpdBtn, UpSearchSpdBtn}) {
    arrow->setToolTip(QStringLiteral("ページ内を検索"));
    arrow->setFont(arrowFont);
    ToolBar1->addAction(arrow);
    if (auto* button = qobject_cast<QToolButton*>(ToolBar1->widgetForAction(arrow)))
      button->setToolButtonStyle(Qt::ToolButtonTextOnly);
  }

  // Hidden buttons, kept for the same commands as the menu items.
  const QIcon none;
  SpeedButton3 = ToolButton(none, QStringLiteral("Varsikについて"), &TDirForm::about1Click, false);
  NewFileSpdBtn =
      ToolButton(none, QStringLiteral("新規作成"), &TDirForm::NewFileSpdBtnClick, false);
  OpenSpdBtn =
      ToolButton(none, QStringLiteral("ファイルを開く"), &TDirForm::OpenSpdBtnClick, false);
  SaveSpdBtn =
      ToolButton(none, QStringLiteral("ファイルを保存"), &TDirForm::SaveSpdBtnClick, false);
  PrintSpdBtn = ToolButton(none, QStringLiteral("印刷"), &TDirForm::PrintSpdBtnClick, false);
  CutSpdBtn = ToolButton(none, QStringLiteral("切り取り"), &TDirForm::CutMenuClick, false);
  CopySpdBtn = ToolButton(none, QStringLiteral("コピー"), &TDirForm::CopyMenuClick, false);
  PasteSpdBtn = ToolButton(none, QStringLiteral("貼り付け"), &TDirForm::PasteMenuClick, false);
}

void TDirForm::CreateStatusBar() {
  QStatusBar* bar = statusBar();
  bar->setFixedHeight(kStatusBarHeight);
  // Panels without bevels.
  bar->setStyleSheet(QStringLiteral("QStatusBar::item { border: none; }"));
  StatusPanel0 = new QLabel(bar);
  StatusPanel0->setTextFormat(Qt::PlainText);
  StatusPanel0->setMinimumWidth(0);
  StatusPanel1 = new QLabel(bar);
  StatusPanel1->setTextFormat(Qt::PlainText);
  StatusPanel1->setAlignment(Qt::AlignCenter);
  StatusPanel1->setFixedWidth(kPanel1Width);
  bar->addWidget(StatusPanel0);
  bar->addWidget(StatusPanel1);
  bar->installEventFilter(this);
  ResizeStatusPanels();
}

void TDirForm::CreateViews() {
  auto* area = new QWidget(this);
  ViewStack = new QStackedLayout(area);
  ViewStack->setContentsMargins(0, 0, 0, 0);
  // Both views are shown at start-up, the results view in front.
  ViewStack->setStackingMode(QStackedLayout::StackAll);
  GrepEdit = new TTextEditor(TTextEditor::TKind::Results, area);
  FileSearchEdit = new TTextEditor(TTextEditor::TKind::FileList, area);
  ViewStack->addWidget(FileSearchEdit);
  ViewStack->addWidget(GrepEdit);
  ViewStack->setCurrentWidget(GrepEdit);
  setCentralWidget(area);

  GrepEdit->installEventFilter(this);
  connect(GrepEdit, &QsciScintillaBase::SCN_DOUBLECLICK, this,
          [this] { Guarded([&] { TagJumpBtnClick(); }); });
  connect(GrepEdit, &TTextEditor::StatusChanged, this, &TDirForm::GrepEditStatusChange);
}

void TDirForm::ResizeStatusPanels() {
  StatusPanel0->setFixedWidth(std::max(0, statusBar()->width() - kPanel0Margin));
}

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
  FillBox(GrepDlg->SearchWordCmbBox, settings.Words, settings.WordText);
  SearchCmbBox->clear();
  SearchCmbBox->addItems(Items(GrepDlg->SearchWordCmbBox));
  if (SearchCmbBox->count() > 0) SearchCmbBox->setEditText(SearchCmbBox->itemText(0));
  FillBox(GrepDlg->SearchFileCmbBox, settings.Files, settings.FileText);
  FillBox(GrepDlg->SearchDirCmbBox, settings.Dirs, settings.DirText);

  GrepDlg->SetSwitches(settings.Switches);

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
}

TSettings TDirForm::CollectSettings() const {
  TSettings settings;
  settings.Words = ItemsUtf8(GrepDlg->SearchWordCmbBox);
  settings.WordText = ToUtf8(GrepDlg->SearchWordCmbBox->currentText());
  settings.Files = ItemsUtf8(GrepDlg->SearchFileCmbBox);
  settings.FileText = ToUtf8(GrepDlg->SearchFileCmbBox->currentText());
  settings.Dirs = ItemsUtf8(GrepDlg->SearchDirCmbBox);
  settings.DirText = ToUtf8(GrepDlg->SearchDirCmbBox->currentText());
  settings.Switches = GrepDlg->Switches();
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
  const std::optional<std::string> cp932Word = Platform::Utf8ToCp932(ToUtf8(word));
  if (!cp932Word) {
    QMessageBox::warning(this, kTitle,
                         QStringLiteral("検索語「%1」には Shift JIS (CP932) で表せない文字が"
                                        "含まれているため、検索できません。")
                             .arg(word));
    return;
  }
  const QString masks = GrepDlg->SearchFileCmbBox->currentText();
  const QString folder = GrepDlg->SearchDirCmbBox->currentText();
  setWindowTitle(FromUtf8(ResultText::Caption(ToUtf8(folder), ToUtf8(masks), ToUtf8(word))));

  GrepEdit->Clear();
  FileSearchEdit->Clear();
  ShowViewForMode();

  PushHistory(wordBox);
  PushHistory(GrepDlg->SearchFileCmbBox);
  PushHistory(GrepDlg->SearchDirCmbBox);
  SearchCmbBox->clear();
  SearchCmbBox->addItems(Items(wordBox));
  if (SearchCmbBox->count() > 0) SearchCmbBox->setEditText(SearchCmbBox->itemText(0));

  SetSearchingState(true);

  TSearchOptions options;
  options.Word = *cp932Word;
  options.Masks = FileSystemBytes(masks);
  // Absolute, so that every path in the views is: the tag jump passes only absolute
  // paths, which an editor can never take for an option.
  options.FolderText = Platform::AbsolutePath(FileSystemBytes(folder));
  options.Switches = GrepDlg->Switches();
  options.ShowErrorBox = ShowErrorBox;

  QString patternError;
  Sink->Begin();
  try {
    SearchDriver->Run(options);
  } catch (const ERegExpParser& error) {
    patternError = QString::fromUtf8(error.what());
  } catch (...) {
    Sink->Flush();
    SetSearchingState(false);
    throw;
  }
  Sink->Flush();

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

void TDirForm::PushHistory(QComboBox* box) {
  const QString text = box->currentText();
  for (int i = 0; i < box->count(); ++i) {
    if (box->itemText(i).compare(text, Qt::CaseInsensitive) == 0) {
      box->removeItem(i);
      break;
    }
  }
  box->setEditText(text);
  box->insertItem(0, text);
  box->setCurrentIndex(0);
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
  FileSearchEdit->Clear();
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
    FileSearchEdit->Clear();
    ShowView(FileSearchEdit);
  }
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    throw std::runtime_error(
        ToUtf8(QStringLiteral("ファイル %1 を開けません。\n%2").arg(path, file.errorString())));
  const QByteArray bytes = file.readAll();
  if (file.error() != QFileDevice::NoError)
    throw std::runtime_error(
        ToUtf8(QStringLiteral("ファイル %1 を読めません。\n%2").arg(path, file.errorString())));
  FileSearchEdit->LoadText(FromUtf8(Platform::Cp932ToUtf8(bytes.toStdString())));
  FileSearchEdit->setFocus();
}

void TDirForm::SaveSpdBtnClick() {
  if (SaveFileName.isEmpty()) return SaveAsMenuClick();
  SaveView(SaveFileName, SaveEncoding);
}

void TDirForm::SaveAsMenuClick() {
  const QString utf8Type = QStringLiteral("UTF-8、改行 LF (*)");
  const QString shiftJisType = QStringLiteral("Shift JIS、改行 CR LF (*)");
  QFileDialog dialog(this, QStringLiteral("名前を付けて保存"));
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
  if (!SaveView(path, encoding)) return;
  SaveFileName = path;
  SaveEncoding = encoding;
}

bool TDirForm::SaveView(const QString& path, Platform::TTextEncoding encoding) {
  const Platform::TReplaceResult result =
      Platform::SaveText(FileSystemBytes(path), VisibleView()->Utf8Text(), encoding);
  if (result == Platform::TReplaceResult::Done) return true;
  const int error = errno;
  QMessageBox::warning(this, kTitle,
                       QStringLiteral("ファイル %1 に保存できませんでした。\n%2")
                           .arg(path, FromUtf8(Platform::SaveFailureReason(result, error))));
  return false;
}

void TDirForm::PrintSpdBtnClick() {
  // The caption says what was searched for, where: the title of every page.
  TViewPrinter printer(windowTitle(), kTitle);
  QPrintDialog dialog(&printer, this);
  if (dialog.exec() == QDialog::Accepted) PrintView(printer);
}

void TDirForm::PrintView(TViewPrinter& printer) {
  printer.printRange(VisibleView());
}

void TDirForm::about1Click() {
  CentreOver(AboutBox, this);
  AboutBox->ProgramIcon->setPixmap(windowIcon().pixmap(64, 64));
  AboutBox->ProductName->setText(QStringLiteral("Varsik for Win32"));
  AboutBox->Copyright->setText(
      QStringLiteral("Copyright (C) 2026 Varsik developers\nShift JIS grep for Japanese text"));
  AboutBox->exec();
}
