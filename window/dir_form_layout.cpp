// The main window's layout: its menus, toolbar, status bar and views, with the captions,
// shortcuts and icons that the user sees. TDirForm's constructor builds them from here.
#include "window/dir_form.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QStackedLayout>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>

#include "editor/text_editor.h"
#include "platform/qt/fonts.h"
#include "platform/qt/one_line_edit.h"
#include "window/window_constants.h"
#include "window/window_icons.h"

namespace varsik {

using namespace WindowDesign;

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

}  // namespace varsik
