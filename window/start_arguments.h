// The window program's command line: varsik [FOLDER], as a file manager's "Open with"
// starts it, and its --help and --version. Toolkit-free, so that help and version are
// answered before the toolkit (and a display) is asked for.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "shell/settings.h"

namespace varsik {

struct TStartArguments {
  enum class TRequest { Window, Help, Version, Mistake };

  TRequest Request = TRequest::Window;
  // The FOLDER argument as given; empty without one.
  std::string Folder;
  // What is wrong, in the user's language, when Request is Mistake.
  std::string Mistake;

  // The settings as read, with the search dialog's folder set to FOLDER when one was
  // given: absolute, and ending in "/" when it names a folder (the text is taken as
  // typed otherwise, as the dialog takes it).
  void ApplyTo(TSettings& settings) const;
};

// Reads the arguments that follow the program's name. --help and --version win over
// anything else on the line; then a mistake (an unknown option, a second folder).
TStartArguments ParseStartArguments(const std::vector<std::string>& arguments);

// What --help prints, in the user's language.
std::string StartHelpText();

// The folder whose Varsik.ini the program may keep beside itself: `programFolder`, or
// none when that is `installedBindir`, the folder the build installs programs to
// (/usr/bin for the package), where only root may write and every user keeps their own
// settings instead.
std::string SettingsBesideProgram(const std::string& programFolder,
                                  std::string_view installedBindir);

}  // namespace varsik
