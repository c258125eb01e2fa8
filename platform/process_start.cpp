#include "platform/process_start.h"

#include <QProcess>

namespace Platform {

bool StartCommandLine(const QString& commandLine) {
  return StartProgram(QProcess::splitCommand(commandLine));
}

bool StartProgram(const QStringList& argv) {
  if (argv.isEmpty() || argv.front().isEmpty()) return false;
  return QProcess::startDetached(argv.front(), argv.mid(1));
}

}  // namespace Platform
