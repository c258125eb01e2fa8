// TGrepDlg: the modal search dialog. It edits the search word, the masks, the start
// folder (typed, from its history, or picked in the folder tree or the drive box) and
// the switches; the main window reads its controls after OK and fills its histories.
#pragma once

#include <QDialog>
#include <vector>

#include "platform/mounts.h"
#include "shell/search_switches.h"
#include "shell/settings.h"

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QPushButton;
class QShowEvent;

namespace varsik {
class TCreateDirForm;
class TFolderTree;

class TGrepDlg : public QDialog {
  Q_OBJECT

 public:
  // `createDirForm` is the create-folder dialog that Button4Click uses; it may be null,
  // and then the command is not offered.
  explicit TGrepDlg(TCreateDirForm* createDirForm, QWidget* parent = nullptr);

  QComboBox* SearchWordCmbBox;
  QComboBox* SearchFileCmbBox;
  QComboBox* SearchDirCmbBox;
  TFolderTree* DirectoryListBox;
  QComboBox* DriveComboBox;  // "mount point device" per mounted file system
  QPushButton* OkGrepBtn;
  QPushButton* CancelBtn;
  QFrame* Panel2;
  QCheckBox* UpLowChkBox;
  QCheckBox* FuzzySearchChkBox;
  QCheckBox* RegexChkBox;
  QCheckBox* SearchAsWordChkBox;
  QCheckBox* SubFolderChkBox;
  QCheckBox* FileSearchChkBox;
  QCheckBox* SkipBinaryChkBox;  // バイナリファイルを除外
  QCheckBox* GitIgnoreChkBox;   // .gitignore を反映
  QCheckBox* CheckBox1;
  QPushButton* Button3;
  QPushButton* Button4;
  // 文字コード: how the files are read (自動判別, or one encoding for all).
  QLabel* EncodingLabel;
  QComboBox* EncodingCmbBox;

  // Whether picking a drive moves the tree (always so here: no folder is outside the
  // one tree of mounted file systems).
  bool DriveBoxLinked() const { return DriveLinked; }

 public slots:
  // The dialog is shown: the tree goes to the folder in SearchDirCmbBox, leaving its text.
  void FormShow();
  // "UpDate": reads the folders again and writes the tree's folder into the folder box.
  void Button3Click();
  // Creates a folder inside the tree's folder through the create-folder dialog.
  void Button4Click();
  // The tree moved: the drive box follows it, and the folder box too unless the move
  // was the dialog's own (SkipDirEcho).
  void DirectoryListBoxChange();
  // A folder typed or picked in the folder box: the tree moves there if it exists, and
  // the text stays as it is.
  void SearchDirCmbBoxChange();
  // OK: a folder box that names a folder gets its trailing "/", and the dialog closes
  // with OK.
  void OkGrepBtnClick();

  // The switches and the encoding, read and set whole.
  TSearchSwitches Switches() const;
  void SetSwitches(const TSearchSwitches& switches);

  // The boxes' histories and texts and the switches, from the settings and back.
  void LoadFields(const TSettings& settings);
  void SaveFields(TSettings& settings) const;
  // A search takes the three texts: each moves to the top of its box's history.
  void PushHistories();
  // Moves the box's text to the top of its history (an entry equal but for case goes).
  static void PushHistory(QComboBox* box);
  // A drive picked: the drive box is linked to the tree again if the link was cut.
  void DriveComboBoxChange();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  // The tree's folder, absolute and with a trailing "/", as the text of `combo`.
  void DirToCombo(QComboBox* combo);
  // Reads the mounted file systems again, then selects as RepaintDriveBox does.
  void ReadDrives();
  // Selects the file system that holds the tree's folder.
  void RepaintDriveBox();
  void DriveBoxPicked(int index);

  TCreateDirForm* CreateDirForm;
  std::vector<Platform::TMount> Mounts;
  bool DriveLinked = true;
  // Set just before the dialog moves the tree itself, so that the tree's change notice
  // does not overwrite the folder box; cleared by that notice.
  bool SkipDirEcho = false;
  // The byte order that UTF-16 in EncodingCmbBox stands for: LE, or BE when the settings
  // said so.
  TEncodingChoice Utf16Choice = TEncodingChoice::Utf16Le;
};

}  // namespace varsik
