// The settings file: histories, switches, window bounds and the editor command, read
// once when the main window is first shown and written once when it closes. Texts are
// UTF-8, as the file holds them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct TSettings {
  // Histories, most recent first, and the texts of the three boxes.
  std::vector<std::string> Words;
  std::string WordText;
  std::vector<std::string> Files;
  std::string FileText;
  std::vector<std::string> Dirs;
  std::string DirText;

  bool UpperLowerMatch = false;
  bool FuzzySearch = false;
  bool RegularExpSearch = false;
  bool SearchAsWord = false;
  bool SubFolderSearch = true;
  bool FileNameSearch = false;

  int32_t Left = 50;
  int32_t Top = 50;
  int32_t Width = 575;
  int32_t Height = 534;

  std::string EditorPath = "xdg-open";
  std::string JumpFormat;

  bool GrepDlgShowOnStart = true;
  bool ErrMsgBox = false;
};

// Reads the settings file at `path`. Never fails: a missing or broken file, section or
// key, or an unreadable number, gives the default. Each history holds exactly its
// section's Count entries (10 by default), missing ones filled with the default; the box
// texts are Word1, File1 and Dir1 (or their defaults) even when Count is 0. The default
// folder is the user's home folder.
TSettings ReadSettings(const std::string& path);

// Writes `settings` into the file at `path`, keeping every key already there (entries
// beyond the current history lengths, keys of other versions, comments) and adding the
// missing ones in the file's order. Count and GrepDlgShowOnStart are never written. The
// file is replaced in one step, so a failure leaves the previous file intact. Never
// throws; false when the file could not be written.
bool WriteSettings(const std::string& path, const TSettings& settings) noexcept;
