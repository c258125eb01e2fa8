// TDirForm: the program's main window. It owns the views, the search driver and the
// dialogs, runs a search from the search dialog's inputs, and works as a small text
// viewer (in-page search, edit commands, tag jump to an external editor).
#pragma once

#include <QMainWindow>
#include <QString>
#include <exception>
#include <functional>
#include <memory>

#include "platform/text_save.h"
#include "shell/settings.h"

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QStackedLayout;
class QToolBar;

namespace varsik {
class TAboutBox;
class TCreateDirForm;
class TGrepDlg;
class TSearchDriver;
class TTextEditor;
class TViewFiles;
class TViewPrinter;
class TViewSink;

class TDirForm : public QMainWindow {
  Q_OBJECT

 public:
  explicit TDirForm(QWidget* parent = nullptr);
  ~TDirForm() override;

  // Where FormShow reads the settings and FormClose writes them; unset, the defaults
  // are used and nothing is written. A writer's failure is swallowed.
  std::function<TSettings()> LoadSettings;
  std::function<void(const TSettings&)> SaveSettings;

  // Menu bar, in order: ファイル, 編集, 検索, 実行, ヘルプ.
  QMenu* FileMenu;
  QAction* NewFileMenu;
  QAction* OpenMenu;
  QAction* SaveMenu;
  QAction* SaveAsMenu;
  QAction* PrintMenu;
  QAction* Close1;
  QMenu* EditMenu;
  QAction* Undo;
  QAction* Redo;
  QAction* CutMenu;
  QAction* CopyMenu;
  QAction* PasteMenu;
  QAction* SelAllMenu;
  QMenu* SearchMenu;
  QAction* Find2;
  QAction* FindPreviousMenu;
  QAction* FindNextMenu;
  QAction* TagJumpMenu;
  QAction* GrepMenu;
  QMenu* RunMenu;
  QAction* StartGrepMenu;
  QAction* StopGrepMenu;
  QMenu* HelpMenu;
  QAction* about1;

  // Toolbar: the visible buttons and the in-page search box, then hidden buttons bound
  // to the handlers of the menu items.
  QToolBar* ToolBar1;
  QAction* GrepSpdBtn;
  QAction* StartSpdBtn;
  QAction* StopSpdBtn;
  QAction* TagJumpBtn;
  QComboBox* SearchCmbBox;
  QAction* DnSearchSpdBtn;
  QAction* UpSearchSpdBtn;
  QAction* SpeedButton3;
  QAction* NewFileSpdBtn;
  QAction* OpenSpdBtn;
  QAction* SaveSpdBtn;
  QAction* PrintSpdBtn;
  QAction* CutSpdBtn;
  QAction* CopySpdBtn;
  QAction* PasteSpdBtn;

  // Status bar: panel 0 (the file being searched, then the counts) and panel 1 (the
  // caret of the results view).
  QLabel* StatusPanel0;
  QLabel* StatusPanel1;

  // The two views, in one client area.
  TTextEditor* GrepEdit;
  TTextEditor* FileSearchEdit;
  // Hidden go-between for the clipboard commands on the search box.
  QLineEdit* VertualEdit;

  TCreateDirForm* CreateDirForm;
  TGrepDlg* GrepDlg;
  TAboutBox* AboutBox;

  // Settings that the views and the tag jump use.
  QString EditorPath;
  QString JumpFormat;
  QString JumpCommandTemplate;
  bool ShowErrorBox = false;
  bool ShowGrepDlgOnStart = false;
  // The workers of a search (0: one per CPU).
  int Threads = 0;

  // The search driver: its state and counts, for the status line and for tests.
  const TSearchDriver& Driver() const { return *SearchDriver; }
  // Where searches write.
  TViewSink& ViewSink() { return *Sink; }

  // Handlers. Each shows what escapes it in the standard error box when run from a
  // command; called directly (tests) they let it through.
  void GrepSpdBtnClick();
  void StartSpdBtnClick(QObject* sender);
  void StopSpdBtnClick();
  void TagJumpBtnClick();
  void SetSearchingState(bool searching);
  void FormShow();
  void FormPaint();

  void FindWord(bool upward);
  void SearchInEditor(TTextEditor* editor, const QString& text, bool upward);
  void FindNextMenuClick();
  void FindPreviousMenuClick();
  void Find2Click();
  void GrepEditStatusChange();
  void UndoClick();
  void RedoClick();
  void CutMenuClick();
  void CopyMenuClick();
  void PasteMenuClick();
  void SelAllMenuClick();
  void NewFileSpdBtnClick();
  void OpenSpdBtnClick();
  void SaveSpdBtnClick();
  void SaveAsMenuClick();
  void PrintSpdBtnClick();
  void about1Click();
  void Close1Click();

  // Loads a file into the second editor as Open does after its file dialog.
  void OpenFile(const QString& path);
  // Writes the visible view to `path` as the save commands do after their file dialog;
  // false, after a message box, when the file could not be written (it is then as it
  // was).
  bool SaveView(const QString& path, Platform::TTextEncoding encoding);
  // Prints the visible view on `printer` as Print does after its print dialog.
  void PrintView(TViewPrinter& printer);

  // Where 上書き保存 writes, and how: the last file that 名前を付けて保存 wrote.
  // The name and type 上書き保存 writes to.
  QString& SaveFileName();

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // The toolbar's search box takes the word history.
  void FillSearchBox();
  void CreateMenus();
  void CreateToolBar();
  void CreateStatusBar();
  void CreateViews();
  QAction* Command(const QString& caption, const QKeySequence& shortcut,
                   void (TDirForm::*handler)());
  QAction* ToolButton(const QIcon& icon, const QString& hint, void (TDirForm::*handler)(),
                      bool visible);
  // Runs a handler; what escapes it is shown in the standard error box.
  template <class F>
  void Guarded(F&& handler) {
    try {
      handler();
    } catch (const std::exception& error) {
      ShowException(error);
    }
  }
  void ShowException(const std::exception& error);

  void ApplySettings(const TSettings& settings);
  TSettings CollectSettings() const;
  void ShowView(TTextEditor* view);
  void ShowViewForMode();
  // The view that the in-page search and the edit commands act on.
  TTextEditor* VisibleView() const;
  // The view that has the keyboard focus, if one has.
  TTextEditor* FocusedView() const;
  // Puts the search box's selection into VertualEdit, selected; false when there is none.
  bool SearchBoxSelectionToVertualEdit();
  bool GrepEditKeyDown(QKeyEvent* event);
  void ResizeStatusPanels();

  QStackedLayout* ViewStack = nullptr;
  std::unique_ptr<TViewSink> Sink;
  std::unique_ptr<TSearchDriver> SearchDriver;
  std::unique_ptr<TViewFiles> Files;
  bool Shown = false;
  // A close asked for while a stopped search was still unwinding: done once it has.
  bool CloseAfterSearch = false;
};

}  // namespace varsik
