// The window program's command line: what it asks for, the search dialog's folder from
// FOLDER (varsik FOLDER, as a file manager's "Open with" starts it), and where an
// installed program keeps its settings.
#include "window/start_arguments.h"

#include <QCheckBox>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <string>
#include <vector>

#include "tests/window/window_test_support.h"

using namespace varsik;

using TArgs = std::vector<std::string>;
using TRequest = TStartArguments::TRequest;
Q_DECLARE_METATYPE(TArgs)
Q_DECLARE_METATYPE(TRequest)

class TStartArgumentsTest : public QObject {
  Q_OBJECT

 private slots:
  void Parse_data();
  void Parse();
  void MistakesAreNamed();
  void TheFolderIsMadeAbsolute();
  void TheWindowStartsWithTheFolderGiven();
  void WithoutAFolderTheSettingsStay();
  void AnInstalledProgramKeepsNoSettingsBesideItself();
};

void TStartArgumentsTest::Parse_data() {
  QTest::addColumn<TArgs>("arguments");
  QTest::addColumn<TRequest>("request");
  QTest::addColumn<QString>("folder");
  QTest::newRow("none") << TArgs{} << TRequest::Window << QString();
  QTest::newRow("a folder") << TArgs{"/src"} << TRequest::Window << QStringLiteral("/src");
  QTest::newRow("an empty %f is none")
      << TArgs{"", "/src"} << TRequest::Window << QStringLiteral("/src");
  QTest::newRow("-h") << TArgs{"-h"} << TRequest::Help << QString();
  QTest::newRow("--help after a folder") << TArgs{"/src", "--help"} << TRequest::Help << QString();
  QTest::newRow("--help wins over a mistake")
      << TArgs{"--bogus", "a", "b", "--help"} << TRequest::Help << QString();
  QTest::newRow("-V") << TArgs{"-V"} << TRequest::Version << QString();
  QTest::newRow("--version") << TArgs{"--version"} << TRequest::Version << QString();
  QTest::newRow("a folder named --help")
      << TArgs{"--", "--help"} << TRequest::Window << QStringLiteral("--help");
  QTest::newRow("a folder named -") << TArgs{"-"} << TRequest::Window << QStringLiteral("-");
  QTest::newRow("an unknown option") << TArgs{"--bogus"} << TRequest::Mistake << QString();
  QTest::newRow("two folders") << TArgs{"/a", "/b"} << TRequest::Mistake << QStringLiteral("/a");
}

void TStartArgumentsTest::Parse() {
  QFETCH(TArgs, arguments);
  QFETCH(TRequest, request);
  QFETCH(QString, folder);
  const TStartArguments parsed = ParseStartArguments(arguments);
  QCOMPARE(parsed.Request, request);
  QCOMPARE(QString::fromStdString(parsed.Folder), folder);
  QCOMPARE(parsed.Mistake.empty(), request != TRequest::Mistake);
}

void TStartArgumentsTest::MistakesAreNamed() {
  QCOMPARE(QString::fromStdString(ParseStartArguments({"--bogus", "-x"}).Mistake),
           QStringLiteral("unknown option '--bogus'"));
  QCOMPARE(QString::fromStdString(ParseStartArguments({"/a", "/b", "/c"}).Mistake),
           QStringLiteral("only one FOLDER can be given, not also '/b'"));
}

void TStartArgumentsTest::TheFolderIsMadeAbsolute() {
  QTemporaryDir dir;
  QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("sub folder")));
  QFile file(dir.filePath(QStringLiteral("a.txt")));
  QVERIFY(file.open(QIODevice::WriteOnly));
  const QString before = QDir::currentPath();
  QVERIFY(QDir::setCurrent(dir.path()));
  const auto folderText = [](const std::string& argument) {
    TSettings settings;
    ParseStartArguments({argument}).ApplyTo(settings);
    return QString::fromStdString(settings.DirText);
  };
  const QString root = dir.path();
  QCOMPARE(folderText("sub folder"), root + QStringLiteral("/sub folder/"));
  QCOMPARE(folderText("./sub folder/../sub folder/"), root + QStringLiteral("/sub folder/"));
  QCOMPARE(folderText("."), root + QStringLiteral("/"));
  QCOMPARE(folderText(root.toStdString() + "/sub folder"), root + QStringLiteral("/sub folder/"));
  // Not a folder: taken as typed, as the dialog takes a text (the search takes its
  // folder part).
  QCOMPARE(folderText("a.txt"), root + QStringLiteral("/a.txt"));
  QCOMPARE(folderText("missing"), root + QStringLiteral("/missing"));
  QVERIFY(QDir::setCurrent(before));
}

void TStartArgumentsTest::TheWindowStartsWithTheFolderGiven() {
  QTemporaryDir dir;
  TSettings settings = FirstStart();
  settings.Dirs = {"/from/the/history/"};
  settings.DirText = "/from/the/history/";
  ParseStartArguments({dir.path().toStdString()}).ApplyTo(settings);
  TWindow w(settings);
  const QString folder = dir.path() + QLatin1Char('/');
  QCOMPARE(w.Dlg().SearchDirCmbBox->currentText(), folder);
  QCOMPARE(w.Form.windowTitle(), QStringLiteral("Varsik - %1*.* - \"\"").arg(folder));
  // The history is the settings' until a search takes the folder.
  QCOMPARE(w.Dlg().SearchDirCmbBox->itemText(0), QStringLiteral("/from/the/history/"));
}

void TStartArgumentsTest::WithoutAFolderTheSettingsStay() {
  TSettings settings = FirstStart();
  settings.DirText = "/from/the/history/";
  ParseStartArguments({}).ApplyTo(settings);
  TWindow w(settings);
  QCOMPARE(w.Dlg().SearchDirCmbBox->currentText(), QStringLiteral("/from/the/history/"));
}

void TStartArgumentsTest::AnInstalledProgramKeepsNoSettingsBesideItself() {
  QCOMPARE(QString::fromStdString(SettingsBesideProgram("/usr/bin/", "/usr/bin")), QString());
  QCOMPARE(QString::fromStdString(SettingsBesideProgram("/usr/bin/", "/usr/bin/")), QString());
  QCOMPARE(QString::fromStdString(SettingsBesideProgram("/opt/varsik/", "/usr/bin")),
           QStringLiteral("/opt/varsik/"));
  QCOMPARE(QString::fromStdString(SettingsBesideProgram("", "/usr/bin")), QString());
}

QTEST_MAIN(TStartArgumentsTest)
#include "start_arguments_test.moc"
