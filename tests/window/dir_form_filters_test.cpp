// The main window with the switches that narrow a search: the dialog's boxes come from the
// settings and go back to them, and what they say reaches the search, with exclusion
// masks in the mask box.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QTest>
#include <cstdlib>

#include "dialogs/grep_dlg.h"
#include "editor/text_editor.h"
#include "tests/support/environment_value.h"
#include "tests/window/window_test_support.h"
#include "window/dir_form.h"

using namespace varsik;

class TDirFormFiltersTest : public QObject {
  Q_OBJECT

 private slots:
  void TheSwitchesAreKeptInTheSettings();
  void TheSwitchesAndExclusionsReachTheSearch();
};

void TDirFormFiltersTest::TheSwitchesAreKeptInTheSettings() {
  TSettings settings = FirstStart();
  // Off when there is no settings file: the search is as exact as ever.
  QVERIFY(!settings.Switches.SkipBinary);
  QVERIFY(!settings.Switches.GitIgnore);
  settings.Switches.SkipBinary = true;
  TWindow w(settings);
  QVERIFY(w.Dlg().SkipBinaryChkBox->isChecked());
  QVERIFY(!w.Dlg().GitIgnoreChkBox->isChecked());
  w.Dlg().SkipBinaryChkBox->setChecked(false);
  w.Dlg().GitIgnoreChkBox->setChecked(true);
  QVERIFY(w.Form.close());
  QVERIFY(w.Saved.has_value());
  QVERIFY(!w.Saved->Switches.SkipBinary);
  QVERIFY(w.Saved->Switches.GitIgnore);
}

void TDirFormFiltersTest::TheSwitchesAndExclusionsReachTheSearch() {
  const TTree tree;
  const TEnvironmentValue home("HOME", tree.Root.toStdString() + "home");
  const TEnvironmentValue xdg("XDG_CONFIG_HOME", "");
  tree.Write(QStringLiteral("repo/.git/HEAD"), "ref: refs/heads/main\n");
  tree.Write(QStringLiteral("repo/.gitignore"), "*.log\n");
  const QString text = tree.Write(QStringLiteral("repo/a.txt"), "needle\n");
  tree.Write(QStringLiteral("repo/b.log"), "needle\n");
  const QString binary = tree.Write(QStringLiteral("repo/c.bin"), QByteArray("needle\n\0", 8));
  tree.Write(QStringLiteral("repo/test_d.txt"), "needle\n");
  tree.Write(QStringLiteral("repo/build/e.txt"), "needle\n");

  TWindow w;
  const QString masks = QStringLiteral("!test_*;#build;#.git");
  w.SetInputs(QStringLiteral("needle"), masks, tree.Root + QStringLiteral("repo/"));
  w.Dlg().SkipBinaryChkBox->setChecked(true);
  w.Dlg().GitIgnoreChkBox->setChecked(true);
  w.Form.StartSpdBtnClick(&w.Form);
  // The caption shows the masks as typed.
  QCOMPARE(w.Form.windowTitle(),
           QStringLiteral("Varsik - %1repo/%2 - \"needle\"").arg(tree.Root, masks));
  QCOMPARE(w.Lines(w.Form.FileSearchEdit),
           (QStringList{tree.Root + QStringLiteral("repo/.gitignore"), text, binary}));
  QCOMPARE(w.Lines(w.Form.GrepEdit), (QStringList{"#\"" + text + "\"", " :1: needle"}));
  QCOMPARE(w.Form.StatusPanel0->text(),
           QStringLiteral("検索ファイル数 : 3   一致ファイル数 : 1   一致行数 : 1"));

  // Off, every file is taken up and searched.
  w.Dlg().SkipBinaryChkBox->setChecked(false);
  w.Dlg().GitIgnoreChkBox->setChecked(false);
  w.Dlg().SearchFileCmbBox->setEditText(QStringLiteral("*.*;#.git"));
  w.Form.StartSpdBtnClick(&w.Form);
  QCOMPARE(w.Form.StatusPanel0->text(),
           QStringLiteral("検索ファイル数 : 6   一致ファイル数 : 5   一致行数 : 5"));
}

QTEST_MAIN(TDirFormFiltersTest)
#include "dir_form_filters_test.moc"
