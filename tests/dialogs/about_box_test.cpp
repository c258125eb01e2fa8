#include "dialogs/about_box.h"

#include <QFontDatabase>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QStyle>
#include <QTest>

#include "tests/dialogs/dialog_test_support.h"

using namespace varsik;

class TAboutBoxTest : public QObject {
  Q_OBJECT

 private slots:
  void LayoutAsDesigned();
  void ShowsTheVersionRecord();
  void TextsFitTheirLabels();
  void OkClosesWithOk();
};

void TAboutBoxTest::LayoutAsDesigned() {
  TAboutBox box;
  QCOMPARE(box.windowTitle(), QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
  QCOMPARE(box.size(), QSize(248, 182));
  QCOMPARE(box.minimumSize(), box.maximumSize());
  QCOMPARE(box.Panel1->geometry(), QRect(8, 7, 233, 137));
  QCOMPARE(box.ProgramIcon->geometry(), QRect(8, 8, 49, 41));
  QVERIFY(box.ProgramIcon->hasScaledContents());
  QCOMPARE(box.ProductName->pos(), QPoint(88, 16));
  QCOMPARE(box.Version->pos(), QPoint(88, 37));
  QCOMPARE(box.Copyright->pos(), QPoint(8, 64));
  QCOMPARE(box.Comments->geometry(), QRect(8, 100, 217, 33));
  QVERIFY(box.Comments->wordWrap());
  QCOMPARE(box.Company->pos(), QPoint(176, 38));
  QCOMPARE(box.OKButton->geometry(), QRect(8, 151, 233, 25));
  QCOMPARE(box.OKButton->text(), QStringLiteral("OK"));
  QVERIFY(box.OKButton->isDefault());
  QCOMPARE(box.ProductName->text(), QStringLiteral("Product Name"));
  QCOMPARE(box.Copyright->text(), QStringLiteral("Copyright"));
  QCOMPARE(box.font().pixelSize(), 12);
  QVERIFY(QFontDatabase::hasFamily(box.font().family()));
}

void TAboutBoxTest::ShowsTheVersionRecord() {
  TAboutBox box;
  box.show();
  QCOMPARE(box.Version->text(), QStringLiteral("Ver. 1.1.1.6"));
  QCOMPARE(box.Comments->text(),
           QStringLiteral("Grepツールです。タグジャンプ機能のあるエディタで開けます。"));
  QVERIFY(!box.Company->text().isEmpty());
  QVERIFY(box.Company->text() != QStringLiteral("Company"));
  QVERIFY(box.Company->isHidden());
  QVERIFY(!box.Company->isVisible());
  QVERIFY(box.Version->isVisible());
}

void TAboutBoxTest::TextsFitTheirLabels() {
  TAboutBox box;
  // What the main window puts in before showing.
  box.ProgramIcon->setPixmap(
      QApplication::style()->standardIcon(QStyle::SP_FileDialogContentsView).pixmap(49, 41));
  box.ProductName->setText(QStringLiteral("Varsik for Win32"));
  box.Copyright->setText(
      QStringLiteral("Copyright (C) 2026 Varsik developers\nShift JIS grep for Japanese text"));
  box.show();
  SaveScreenshot(&box, QStringLiteral("about_box"));
  for (QLabel* label : {box.ProductName, box.Version, box.Copyright}) {
    QVERIFY2(label->sizeHint().width() <= label->width(), qPrintable(label->text()));
    QVERIFY2(label->sizeHint().height() <= label->height(), qPrintable(label->text()));
  }
  QVERIFY(box.Comments->heightForWidth(box.Comments->width()) <= box.Comments->height());
}

void TAboutBoxTest::OkClosesWithOk() {
  TAboutBox box;
  QTimer::singleShot(0, &box, [&] { QTest::mouseClick(box.OKButton, Qt::LeftButton); });
  QCOMPARE(box.exec(), int(QDialog::Accepted));
  QTimer::singleShot(0, &box, [&] { QTest::keyClick(&box, Qt::Key_Return); });
  QCOMPARE(box.exec(), int(QDialog::Accepted));
}

QTEST_MAIN(TAboutBoxTest)
#include "about_box_test.moc"
