// Varsik: the window program. Answers --help and --version, creates the main window
// (which creates its dialogs), wires the settings file to it, with the search dialog's
// folder from the command line when one is given, and runs the event loop until the
// window closes.
#include <QApplication>
#include <QMessageBox>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "platform/freed_memory.h"
#include "platform/message_catalog.h"
#include "platform/qt/fonts.h"
#include "platform/qt/qt_translations.h"
#include "platform/settings_path.h"
#include "shell/settings.h"
#include "window/dir_form.h"
#include "window/start_arguments.h"

using namespace varsik;

namespace {

// Exceptions must not cross Qt's event dispatch; any that reach it end here, in the
// standard error box, and the program goes on.
class TApplication : public QApplication {
 public:
  using QApplication::QApplication;

  bool notify(QObject* receiver, QEvent* event) override {
    try {
      return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
      QMessageBox::critical(activeWindow(), applicationName(), QString::fromUtf8(error.what()));
    }
    return false;
  }
};

std::vector<std::string> Arguments(int argc, char** argv) {
  return std::vector<std::string>(argv + 1, argv + argc);
}

}  // namespace

int main(int argc, char** argv) {
  Platform::KeepFreedMemory();
  Platform::OpenMessageCatalog();
  // Help and version need no display: they are answered before the toolkit starts.
  TStartArguments arguments = ParseStartArguments(Arguments(argc, argv));
  if (arguments.Request == TStartArguments::TRequest::Help) {
    std::fputs(StartHelpText().c_str(), stdout);
    return 0;
  }
  if (arguments.Request == TStartArguments::TRequest::Version) {
    std::printf("varsik %s\n", VARSIK_VERSION);
    return 0;
  }

  TApplication app(argc, argv);
  // The toolkit has taken its own options (-platform, -style...) out of argv; what is
  // left is ours.
  arguments = ParseStartArguments(Arguments(argc, argv));
  if (arguments.Request == TStartArguments::TRequest::Mistake) {
    std::fprintf(stderr, "varsik: %s\n%s", arguments.Mistake.c_str(), StartHelpText().c_str());
    return 2;
  }
  // The name only: a display name would be appended to every window title.
  QApplication::setApplicationName(QStringLiteral("Varsik"));
  QApplication::setApplicationVersion(QStringLiteral(VARSIK_VERSION));
  QApplication::setFont(Platform::PixelFont(QStringLiteral("ＭＳ Ｐゴシック"), 12));
  Platform::InstallQtJapanese(app);

  const std::string settingsPath = Platform::SettingsFilePath(
      SettingsBesideProgram(Platform::ProgramFolder(), VARSIK_INSTALL_BINDIR));
  TDirForm form;
  form.LoadSettings = [settingsPath, arguments] {
    TSettings settings = ReadSettings(settingsPath);
    arguments.ApplyTo(settings);
    return settings;
  };
  form.SaveSettings = [settingsPath](const TSettings& settings) {
    WriteSettings(settingsPath, settings);
  };
  form.show();
  return app.exec();
}
