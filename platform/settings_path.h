// Where the settings file lives: "Varsik.ini" beside the program when that is possible,
// otherwise in the user's configuration folder. The window asks once at start-up and
// passes the path on, so that tests can use any path instead.
#pragma once

#include <string>

namespace varsik {

namespace Platform {

// The folder of the running program's file with a trailing "/"; empty when the system
// does not say.
std::string ProgramFolder();

// "Varsik.ini" in `programFolder` when that folder already holds one or is writable;
// otherwise "varsik/Varsik.ini" in the user's configuration folder ($XDG_CONFIG_HOME
// when it is an absolute path, else ~/.config). The folder is not created here: the
// writer creates it when it first saves.
std::string SettingsFilePath(const std::string& programFolder);

}  // namespace Platform

}  // namespace varsik
