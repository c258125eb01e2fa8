#include "dialogs/grep_dlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>

#include "dialogs/create_dir_form.h"
#include "dialogs/folder_tree.h"
#include "platform/qt/fixed_dialog.h"
#include "platform/qt/fonts.h"
#include "platform/qt/one_line_edit.h"

namespace varsik {

namespace {

constexpr int kHistoryRows = 10;
// The rows below the six switches (skip binary files, respect .gitignore) make the
// dialog, the folder tree and the switch panel taller by this much.
constexpr int kExtraRows = 2 * 24;
// The row of the encoding, below the tree and the switch panel.
constexpr int kEncodingRow = 24;

// The encodings EncodingCmbBox offers, in its order; UTF-16 stands for either byte order.
struct TEncodingItem {
  const char* Caption;
  TEncodingChoice Choice;
};
constexpr TEncodingItem kEncodingItems[] = {
    {"自動判別", TEncodingChoice::Auto},  {"Shift_JIS", TEncodingChoice::Cp932},
    {"UTF-8", TEncodingChoice::Utf8},     {"EUC-JP", TEncodingChoice::EucJp},
    {"UTF-16", TEncodingChoice::Utf16Le}, {"JIS", TEncodingChoice::Iso2022Jp},
};

int EncodingIndex(TEncodingChoice choice) {
  if (choice == TEncodingChoice::Utf16Be) choice = TEncodingChoice::Utf16Le;
  for (size_t i = 0; i < std::size(kEncodingItems); ++i)
    if (kEncodingItems[i].Choice == choice) return static_cast<int>(i);
  return 0;
}

QComboBox* HistoryBox(QWidget* parent, const QRect& geometry) {
  auto* box = new QComboBox(parent);
  // The main window keeps the histories; Enter only closes the dialog.
  Platform::SetUpHistoryBox(box, kHistoryRows);
  box->setGeometry(geometry);
  return box;
}

QCheckBox* Switch(QWidget* panel, const QString& caption, int top) {
  auto* box = new QCheckBox(caption, panel);
  box->setGeometry(14, top, 150, 17);
  return box;
}

QPushButton* Button(QWidget* parent, const QString& caption, const QRect& geometry) {
  auto* button = new QPushButton(caption, parent);
  button->setGeometry(geometry);
  // Only OK is the default button, whatever has the focus.
  button->setAutoDefault(false);
  return button;
}

bool StartsAsNetworkPath(const QString& path) {
  return path.startsWith(QLatin1String("//"));
}

}  // namespace

TGrepDlg::TGrepDlg(TCreateDirForm* createDirForm, QWidget* parent)
    : QDialog(parent), CreateDirForm(createDirForm) {
  setWindowTitle(QStringLiteral("GrepDlg"));
  setFont(Platform::PixelFont(QStringLiteral("ＭＳ Ｐゴシック"), 12));
  // One row below the tree and the switches holds the encoding.
  Platform::SetFixedDialogFrame(this, 378, 332 + kExtraRows + kEncodingRow);

  SearchWordCmbBox = HistoryBox(this, QRect(8, 14, 273, 20));
  SearchFileCmbBox = HistoryBox(this, QRect(8, 46, 273, 20));
  SearchFileCmbBox->setToolTip(QStringLiteral(
      "ファイル名のマスクを ; で区切って並べます（例: *.c;*.h）。\n"
      "!マスク はそのファイルを、#マスク はそのフォルダを検索から除きます\n"
      "（例: *.c;*.h;!test_*;#build*）。除外だけなら残りの全ファイルを検索します。"));
  SearchDirCmbBox = HistoryBox(this, QRect(8, 78, 361, 20));

  DirectoryListBox = new TFolderTree(this);
  DirectoryListBox->setGeometry(8, 112, 177, 185 + kExtraRows);
  DriveComboBox = new QComboBox(this);
  DriveComboBox->setGeometry(8, 303 + kExtraRows, 177, 18);

  OkGrepBtn = Button(this, QStringLiteral("&OK"), QRect(288, 12, 81, 25));
  OkGrepBtn->setAutoDefault(true);
  OkGrepBtn->setDefault(true);
  CancelBtn = Button(this, QStringLiteral("&Cancel"), QRect(288, 44, 81, 25));

  Panel2 = new QFrame(this);
  Panel2->setGeometry(192, 112, 177, 209 + kExtraRows);
  Panel2->setFrameStyle(QFrame::Panel | QFrame::Raised);
  UpLowChkBox = Switch(Panel2, QStringLiteral("大文字小文字を区別"), 16);
  FuzzySearchChkBox = Switch(Panel2, QStringLiteral("あいまい検索"), 40);
  RegexChkBox = Switch(Panel2, QStringLiteral("正規表現（VRE 1.0）"), 64);
  SearchAsWordChkBox = Switch(Panel2, QStringLiteral("単語で検索"), 88);
  SubFolderChkBox = Switch(Panel2, QStringLiteral("サブフォルダも検索"), 112);
  FileSearchChkBox = Switch(Panel2, QStringLiteral("ファイル名を検索"), 136);
  SkipBinaryChkBox = Switch(Panel2, QStringLiteral("バイナリファイルを除外"), 160);
  SkipBinaryChkBox->setToolTip(QStringLiteral(
      "先頭 64 KiB に NUL バイトを含むファイル（UTF-16 を除く）は中を検索しません。\n"
      "検索ファイル数には数えます。"));
  GitIgnoreChkBox = Switch(Panel2, QStringLiteral(".gitignore を反映"), 184);
  GitIgnoreChkBox->setToolTip(
      QStringLiteral("Git が無視するファイルとフォルダ（.gitignore、.git/info/exclude、\n"
                     "core.excludesFile の指定）は検索しません。"));
  CheckBox1 = Switch(Panel2, QStringLiteral("検索結果をクリアしない"), 160 + kExtraRows);
  CheckBox1->setEnabled(false);
  // "UpDate" shares its row with the create-folder command.
  Button3 = Button(Panel2, QStringLiteral("UpDate"), QRect(11, 184 + kExtraRows, 76, 17));
  Button4 = Button(Panel2, QStringLiteral("フォルダ作成"), QRect(91, 184 + kExtraRows, 78, 17));
  Button4->setToolTip(QStringLiteral("選択中のフォルダの中に新しいフォルダを作成します"));
  Button4->setVisible(CreateDirForm != nullptr);

  EncodingLabel = new QLabel(QStringLiteral("文字コード"), this);
  EncodingLabel->setGeometry(8, 331 + kExtraRows, 70, 16);
  EncodingCmbBox = new QComboBox(this);
  EncodingCmbBox->setGeometry(80, 329 + kExtraRows, 105, 20);
  for (const TEncodingItem& item : kEncodingItems)
    EncodingCmbBox->addItem(QString::fromUtf8(item.Caption));
  EncodingLabel->setBuddy(EncodingCmbBox);

  QWidget* order[] = {SearchWordCmbBox,  SearchFileCmbBox, SearchDirCmbBox,    DirectoryListBox,
                      DriveComboBox,     OkGrepBtn,        CancelBtn,          UpLowChkBox,
                      FuzzySearchChkBox, RegexChkBox,      SearchAsWordChkBox, SubFolderChkBox,
                      FileSearchChkBox,  SkipBinaryChkBox, GitIgnoreChkBox,    CheckBox1,
                      Button3,           Button4,          EncodingCmbBox};
  for (size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);

  connect(OkGrepBtn, &QPushButton::clicked, this, &TGrepDlg::OkGrepBtnClick);
  connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
  connect(Button3, &QPushButton::clicked, this, &TGrepDlg::Button3Click);
  connect(Button4, &QPushButton::clicked, this, &TGrepDlg::Button4Click);
  connect(DirectoryListBox, &TFolderTree::Changed, this, &TGrepDlg::DirectoryListBoxChange);
  connect(DirectoryListBox, &QTreeWidget::itemDoubleClicked, this,
          &TGrepDlg::DirectoryListBoxChange);
  // Typing and picking, not the dialog's own writes into the box.
  connect(SearchDirCmbBox->lineEdit(), &QLineEdit::textEdited, this,
          &TGrepDlg::SearchDirCmbBoxChange);
  connect(SearchDirCmbBox, &QComboBox::activated, this, &TGrepDlg::SearchDirCmbBoxChange);
  connect(DriveComboBox, &QComboBox::activated, this, &TGrepDlg::DriveBoxPicked);

  ReadDrives();
}

void TGrepDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!event->spontaneous()) FormShow();
}

void TGrepDlg::FormShow() {
  const QString text = SearchDirCmbBox->currentText();
  // Network paths have no counterpart here: every folder is a path of the one tree.
  SkipDirEcho = true;
  const QString folder = text.left(text.lastIndexOf(QLatin1Char('/')) + 1);
  if (!folder.isEmpty() && QFileInfo(folder).isDir()) DirectoryListBox->SetDirectory(folder);

  SkipDirEcho = true;
  SearchWordCmbBox->setFocus(Qt::OtherFocusReason);
  SearchWordCmbBox->lineEdit()->selectAll();
  DirectoryListBox->Update();
  ReadDrives();
}

void TGrepDlg::Button3Click() {
  DirectoryListBox->Update();
  ReadDrives();
}

void TGrepDlg::Button4Click() {
  if (!CreateDirForm) return;
  QWidget* owner = parentWidget() ? parentWidget() : this;
  if (CreateDirForm->RunCreateFolder(DirectoryListBox->Directory(), owner) !=
      TCreateDirForm::TCreateResult::Created)
    return;
  DirectoryListBox->Update();
  ReadDrives();
}

void TGrepDlg::DirectoryListBoxChange() {
  if (!StartsAsNetworkPath(DirectoryListBox->Directory())) {
    DriveLinked = true;
    RepaintDriveBox();
  } else {
    DriveLinked = false;
  }
  if (!SkipDirEcho) DirToCombo(SearchDirCmbBox);
  SkipDirEcho = false;
}

void TGrepDlg::SearchDirCmbBoxChange() {
  const QString text = SearchDirCmbBox->currentText();
  if (text.isEmpty() || !QFileInfo(text).isDir()) return;
  DriveLinked = !StartsAsNetworkPath(text);
  // The tree follows, but the text stays as typed: rewriting it in the tree's form
  // under the user's fingers turned ".../abc", typed past the folder ".../ab", into
  // ".../ab/c". OkGrepBtnClick adds the trailing "/".
  SkipDirEcho = true;
  DirectoryListBox->SetDirectory(text);
  SkipDirEcho = false;
}

void TGrepDlg::OkGrepBtnClick() {
  const QString text = SearchDirCmbBox->currentText();
  // A folder ends in "/": the search takes the folder part of the text.
  if (!text.isEmpty() && !text.endsWith(QLatin1Char('/')) && QFileInfo(text).isDir())
    SearchDirCmbBox->setEditText(text + QLatin1Char('/'));
  accept();
}

void TGrepDlg::DriveComboBoxChange() {
  if (!DriveLinked) DriveLinked = true;
}

void TGrepDlg::DriveBoxPicked(int index) {
  // The linked drive box moves the tree first; the handler follows.
  if (DriveLinked && index >= 0 && static_cast<size_t>(index) < Mounts.size())
    DirectoryListBox->SetDirectory(QFile::decodeName(Mounts[index].MountPoint.c_str()));
  DriveComboBoxChange();
}

void TGrepDlg::DirToCombo(QComboBox* combo) {
  QString folder = QFileInfo(DirectoryListBox->Directory()).absoluteFilePath();
  if (!folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
  combo->setEditText(folder);
}

void TGrepDlg::ReadDrives() {
  Mounts = Platform::MountedFileSystems();
  {
    const QSignalBlocker blocker(DriveComboBox);
    DriveComboBox->clear();
    for (const Platform::TMount& mount : Mounts)
      DriveComboBox->addItem(QFile::decodeName(QByteArray::fromStdString(mount.MountPoint)) +
                             QLatin1Char(' ') +
                             QFile::decodeName(QByteArray::fromStdString(mount.Name)));
  }
  RepaintDriveBox();
}

void TGrepDlg::RepaintDriveBox() {
  const QSignalBlocker blocker(DriveComboBox);
  const std::string directory = QFile::encodeName(DirectoryListBox->Directory()).toStdString();
  DriveComboBox->setCurrentIndex(directory.empty() ? -1 : Platform::MountOf(Mounts, directory));
}

TSearchSwitches TGrepDlg::Switches() const {
  return {.UpperLowerMatch = UpLowChkBox->isChecked(),
          .FuzzySearch = FuzzySearchChkBox->isChecked(),
          .RegularExpSearch = RegexChkBox->isChecked(),
          .SearchAsWord = SearchAsWordChkBox->isChecked(),
          .SubFolderSearch = SubFolderChkBox->isChecked(),
          .FileNameSearch = FileSearchChkBox->isChecked(),
          .SkipBinary = SkipBinaryChkBox->isChecked(),
          .GitIgnore = GitIgnoreChkBox->isChecked(),
          .Encoding = EncodingIndex(Utf16Choice) == EncodingCmbBox->currentIndex()
                          ? Utf16Choice
                          : kEncodingItems[std::max(EncodingCmbBox->currentIndex(), 0)].Choice};
}

void TGrepDlg::SetSwitches(const TSearchSwitches& switches) {
  UpLowChkBox->setChecked(switches.UpperLowerMatch);
  FuzzySearchChkBox->setChecked(switches.FuzzySearch);
  RegexChkBox->setChecked(switches.RegularExpSearch);
  SearchAsWordChkBox->setChecked(switches.SearchAsWord);
  SubFolderChkBox->setChecked(switches.SubFolderSearch);
  FileSearchChkBox->setChecked(switches.FileNameSearch);
  SkipBinaryChkBox->setChecked(switches.SkipBinary);
  GitIgnoreChkBox->setChecked(switches.GitIgnore);
  if (switches.Encoding == TEncodingChoice::Utf16Le ||
      switches.Encoding == TEncodingChoice::Utf16Be)
    Utf16Choice = switches.Encoding;
  EncodingCmbBox->setCurrentIndex(EncodingIndex(switches.Encoding));
}

namespace {

std::vector<std::string> ItemsUtf8(const QComboBox* box) {
  std::vector<std::string> items;
  for (int i = 0; i < box->count(); ++i) items.push_back(box->itemText(i).toStdString());
  return items;
}

void FillBox(QComboBox* box, const std::vector<std::string>& items, const std::string& text) {
  box->clear();
  for (const std::string& item : items) box->addItem(QString::fromStdString(item));
  box->setEditText(QString::fromStdString(text));
}

}  // namespace

void TGrepDlg::LoadFields(const TSettings& settings) {
  FillBox(SearchWordCmbBox, settings.Words, settings.WordText);
  FillBox(SearchFileCmbBox, settings.Files, settings.FileText);
  FillBox(SearchDirCmbBox, settings.Dirs, settings.DirText);
  SetSwitches(settings.Switches);
}

void TGrepDlg::SaveFields(TSettings& settings) const {
  settings.Words = ItemsUtf8(SearchWordCmbBox);
  settings.WordText = SearchWordCmbBox->currentText().toStdString();
  settings.Files = ItemsUtf8(SearchFileCmbBox);
  settings.FileText = SearchFileCmbBox->currentText().toStdString();
  settings.Dirs = ItemsUtf8(SearchDirCmbBox);
  settings.DirText = SearchDirCmbBox->currentText().toStdString();
  settings.Switches = Switches();
}

void TGrepDlg::PushHistories() {
  PushHistory(SearchWordCmbBox);
  PushHistory(SearchFileCmbBox);
  PushHistory(SearchDirCmbBox);
}

void TGrepDlg::PushHistory(QComboBox* box) {
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

}  // namespace varsik
