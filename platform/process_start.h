// Starting another program from one command line, as the tag jump does: the line is
// split by QProcess's rules (blanks separate, double quotes group) and the program is
// started detached; what becomes of it is not followed.
#pragma once

#include <QString>
#include <QStringList>

namespace Platform {

// False when the line names no program or the program could not be started.
bool StartCommandLine(const QString& commandLine);

// The same for a program and its arguments already split.
bool StartProgram(const QStringList& argv);

}  // namespace Platform
