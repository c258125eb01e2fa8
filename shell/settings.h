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
