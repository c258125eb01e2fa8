#include "window/start_arguments.h"

#include <filesystem>

#include "platform/folder.h"
#include "platform/message_catalog.h"
#include "shell/help_text.h"

namespace varsik {

using Platform::Translate;

namespace {

// What --help lists; rows are added as varsik-grep's are (cli/varsik_grep.cpp).
constexpr THelpOption kOperands[] = {
    HelpOption("FOLDER", "the search dialog's folder (default: the last one searched)"),
};
constexpr THelpOption kOptions[] = {
    HelpOption("-h, --help", "show this help and exit"),
    HelpOption("-V, --version", "show the version and exit"),
};

// Help and version ask for nothing else: no folder, no mistake.
TStartArguments WithRequest(TStartArguments::TRequest request) {
  TStartArguments arguments;
  arguments.Request = request;
  return arguments;
}

}  // namespace

TStartArguments ParseStartArguments(const std::vector<std::string>& arguments) {
  TStartArguments parsed;
  bool optionsEnded = false;
  for (const std::string& a : arguments) {
    // A file manager may hand on an empty %f: the window starts as it would without.
    if (a.empty()) continue;
    if (!optionsEnded && a == "--") {
      optionsEnded = true;
    } else if (!optionsEnded && (a == "-h" || a == "--help")) {
      return WithRequest(TStartArguments::TRequest::Help);
    } else if (!optionsEnded && (a == "-V" || a == "--version")) {
      return WithRequest(TStartArguments::TRequest::Version);
    } else if (!optionsEnded && a.size() > 1 && a[0] == '-') {
      if (parsed.Mistake.empty()) parsed.Mistake = Translate("unknown option '%s'", {a});
    } else if (parsed.Folder.empty()) {
      parsed.Folder = a;
    } else if (parsed.Mistake.empty()) {
      parsed.Mistake = Translate("only one FOLDER can be given, not also '%s'", {a});
    }
  }
  if (!parsed.Mistake.empty()) parsed.Request = TStartArguments::TRequest::Mistake;
  return parsed;
}

void TStartArguments::ApplyTo(TSettings& settings) const {
  if (Folder.empty()) return;
  std::error_code error;
  std::filesystem::path path = std::filesystem::absolute(Folder, error);
  if (error) path = Folder;
  std::string text = path.lexically_normal().string();
  settings.DirText = Platform::FolderExists(text) ? Platform::WithTrailingSlash(text) : text;
}

std::string StartHelpText() {
  static constexpr THelpPage kHelp = {
      .Usage = HelpParagraph(
          "Usage: varsik [OPTION]... [FOLDER]\n"
          "Search the files in and under a folder for a word, reading each in its own\n"
          "encoding, and jump from a hit to its line in an editor.\n"),
      .Operands = kOperands,
      .Options = kOptions,
      .OptionColumn = 18,
      .Closing = HelpParagraph(
          "Qt's own options (-platform, -style, ...) are taken as well. The settings are kept\n"
          "in Varsik.ini: see varsik(1).\n"),
  };
  return HelpPageText(kHelp);
}

std::string SettingsBesideProgram(const std::string& programFolder,
                                  std::string_view installedBindir) {
  if (programFolder == Platform::WithTrailingSlash(std::string(installedBindir))) return {};
  return programFolder;
}

}  // namespace varsik
