// Varsik: the window program. Creates the main window (which creates its dialogs),
// wires the settings file to it and runs the event loop until the window closes.
#include <QApplication>
#include <QMessageBox>
#include <exception>

#include "platform/qt/fonts.h"
#include "platform/qt/qt_translations.h"
#include "platform/settings_path.h"
#include "shell/settings.h"
#include "window/dir_form.h"

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

}  // namespace

int main(int argc, char** argv) {
  TApplication app(argc, argv);
  // The name only: a display name would be appended to every window title.
  QApplication::setApplicationName(QStringLiteral("Varsik"));
  QApplication::setApplicationVersion(QStringLiteral(VARSIK_VERSION));
  QApplication::setFont(Platform::PixelFont(QStringLiteral("ＭＳ Ｐゴシック"), 12));
  Platform::InstallQtJapanese(app);

  const std::string settingsPath = Platform::SettingsFilePath(Platform::ProgramFolder());
  TDirForm form;
  form.LoadSettings = [settingsPath] { return ReadSettings(settingsPath); };
  form.SaveSettings = [settingsPath](const TSettings& settings) {
    WriteSettings(settingsPath, settings);
  };
  form.show();
  return app.exec();
}
