// TCreateDirForm: the small modal dialog that asks for the name of a new folder, and
// the search dialog's create-folder command built on it. The dialog itself checks only
// that a name was typed; RunCreateFolder creates the folder.
#pragma once

#include <QDialog>
#include <QString>

class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;
class QShowEvent;

namespace varsik {

class TCreateDirForm : public QDialog {
  Q_OBJECT

 public:
  explicit TCreateDirForm(QWidget* parent = nullptr);

  enum class TCreateResult {
    Cancelled,  // the dialog closed with Cancel; nothing was tried
    Created,    // the folder exists now
    Failed,     // creating it failed; the user has been told
  };

  // The create-folder command: centres this dialog over `owner`, shows it modally and,
  // after OK, creates the folder named in Edit1 inside `parentFolder` (one level; the
  // parent must exist). A failure is reported with a message box before returning.
  TCreateResult RunCreateFolder(const QString& parentFolder, QWidget* owner);

  QLineEdit* Edit1;
  QPushButton* Button1;
  QPushButton* Button2;
  QLabel* Panel1;

 public slots:
  // OK: refuses an empty name with a message and stays open; otherwise closes with OK.
  void Button1Click();
  // Cancel: closes with Cancel.
  void Button2Click();

 protected:
  // Neither Enter nor Esc closes the dialog; only its buttons (and the title bar) do.
  void keyPressEvent(QKeyEvent* event) override;
  void showEvent(QShowEvent* event) override;
};

}  // namespace varsik
