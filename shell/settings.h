// The settings file: histories, switches, window bounds and the editor command, read
// once when the main window is first shown and written once when it closes. Texts are
// UTF-8, as the file holds them.
#pragma once

#include <cstdint>
#include <string>

#include <vector>
#include "shell/search_switches.h"

namespace varsik {

struct TSettings {
  // Histories, most recent first, and the texts of the three boxes.
  std::vector<std::string> Words;
  std::string WordText;
  std::vector<std::string> Files;
  std::string FileText;
  std::vector<std::string> Dirs;
  std::string DirText;

  TSearchSwitches Switches;

  int32_t Left = 50;
  int32_t Top = 50;
  int32_t Width = 575;
  int32_t Height = 534;

  std::string EditorPath = "xdg-open";
  std::string JumpFormat;

  bool GrepDlgShowOnStart = true;
  bool ErrMsgBox = false;
  // The workers of a search; 0 (or less): one per CPU the program may use.
  int32_t Threads = 0;
};

// Reads the settings file at `path`. Never fails: a missing or broken file, section or
// key, or an unreadable number, gives the default. Each history holds exactly its
// section's Count entries (10 by default), missing ones filled with the default; the box
// texts are Word1, File1 and Dir1 (or their defaults) even when Count is 0. The default
// folder is the user's home folder. A file that is not UTF-8 is read as Shift JIS.
TSettings ReadSettings(const std::string& path);

// Writes `settings` into the file at `path`, as UTF-8. Only the values of the keys
// written change, and missing keys are added in the file's order; every other line
// (entries beyond the current history lengths, keys of other versions, comments, lines
// that are no entries) stays as it stands. Count, GrepDlgShowOnStart and Threads are
// never written. The file is replaced in one step, so a failure leaves the previous file
// intact. A file that is a link, not the user's own regular file, read-only, or not read
// to its last byte (neither UTF-8 nor Shift JIS, UTF-8 lines beside Shift JIS ones, too
// large, unreadable) is left as it is. Never throws; false when the file was not
// written, which is said once on standard error.
bool WriteSettings(const std::string& path, const TSettings& settings) noexcept;

}  // namespace varsik
