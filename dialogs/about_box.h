// TAboutBox: the program's name, version, copyright and a comment. The version and the
// comment come from the build when the box is created; the main window sets the icon,
// the product name and the copyright before each showing.
#pragma once

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

namespace varsik {

class TAboutBox : public QDialog {
  Q_OBJECT

 public:
  explicit TAboutBox(QWidget* parent = nullptr);

  QFrame* Panel1;
  QLabel* ProgramIcon;  // shows its pixmap stretched to its size
  QLabel* ProductName;
  QLabel* Version;
  QLabel* Copyright;  // two lines
  QLabel* Comments;
  QLabel* Company;  // kept from the version record, never shown
  QPushButton* OKButton;

 private:
  // Fills Version, Company and Comments from the build's version record.
  void FormCreate();
};

}  // namespace varsik
