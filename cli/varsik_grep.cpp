// varsik-grep: the window's search driver without the window, for scripts and for our
// own end-to-end tests. Prints exactly the lines the results view (or the file list)
// would receive.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "cli/stream_sink.h"
#include "platform/folder.h"
#include "platform/message_catalog.h"
#include "platform/name_text.h"
#include "platform/utf8.h"
#include "shell/help_text.h"
#include "shell/search_driver.h"
#include "shell/search_threads.h"

using namespace varsik;
using Platform::Translate;

namespace {

constexpr int kExitFound = 0;
constexpr int kExitNone = 1;
constexpr int kExitError = 2;

// What --help lists. To add an option: a row here (its text is English, translated when
// printed; a "\n" goes on in the text column), its Japanese in po/ja.po (the update-po
// target adds the new text there, to be filled in), and its parsing in main. The man
// pages (docs/man/) and the bash completion read --help, so they list it by themselves;
// an option whose value is one of a fixed set gets its values in completion/varsik-grep.
constexpr THelpOption kOperands[] = {
    HelpOption("MASKS",
               "file-name masks separated by \";\" (default \"*.*\"): \"*\" any run of\n"
               "characters, \"?\" one, letters regardless of case, \"*.*\" every name.\n"
               "\"!MASK\" leaves out the files that match MASK, \"#MASK\" the folders\n"
               "(not entered): \"*.c;*.h;!test_*;#build*\". With only \"!\" and \"#\"\n"
               "masks, every other file is searched."),
    HelpOption("FOLDER", "start folder (default: the current folder)"),
};
constexpr THelpOption kOptions[] = {
    HelpOption("-s, --case-sensitive", "compare letters case-sensitively (plain mode)"),
    HelpOption("--fuzzy", "half-width katakana match full-width (plain mode)"),
    HelpOption("-E, --regex", "WORD is a regular expression"),
    HelpOption("-w, --word", "match only whole words (plain mode)"),
    HelpOption("--no-subfolders", "do not descend into sub-folders"),
    HelpOption("--file-names", "list the file names that match MASKS, open no file"),
    HelpOption("--skip-binary",
               "do not search binary files (a NUL byte in the first\n"
               "64 KiB, and not UTF-16); they are still counted"),
    HelpOption("--gitignore",
               "leave out the files and folders that git ignores\n"
               "(.gitignore, .git/info/exclude, core.excludesFile)"),
    HelpOption("--encoding=ENC",
               "read the files as auto (default: each in the encoding\n"
               "found in it), cp932, utf-8, euc-jp, utf-16le,\n"
               "utf-16be or iso-2022-jp"),
    HelpOption("--output-encoding=ENC", "utf-8 (default) or cp932 (\"?\" for what it lacks)"),
    HelpOption("-Z, --null",
               "print file names as their bytes, each ended by a NUL\n"
               "instead of its closing quote and line end"),
    HelpOption("--max-line-bytes=N",
               "show only the first N bytes of a longer hit line,\n"
               "followed by \"…\" (default 1048576; 0: whole lines)"),
    HelpOption("--color[=WHEN]",
               "colour the matches red, the file names magenta and\n"
               "the line numbers green, as grep does; WHEN is never\n"
               "(default), always, or auto (the default with no\n"
               "WHEN): only on a terminal, and not when NO_COLOR is\n"
               "set"),
    HelpOption("-j, --threads=N",
               "search N files at once (default and 0: one per CPU\n"
               "this process may use; 1: one after another)"),
    HelpOption("--stats", "print the status line on standard error afterwards"),
    HelpOption("-h, --help", "show this help and exit"),
    HelpOption("-V, --version", "show the version and exit"),
};

constexpr THelpPage kHelp = {
    .Usage = HelpParagraph(
        "Usage: varsik-grep [OPTION]... WORD [MASKS [FOLDER]]\n"
        "Search the files under FOLDER whose names match MASKS for WORD, reading each in\n"
        "its own encoding, and print tag-jump result lines.\n"),
    .Operands = kOperands,
    .Options = kOptions,
    .OptionColumn = 29,
    .Closing =
        HelpParagraph("Exit status:\n"
                      "  0  a line (or, with --file-names, a file) was found\n"
                      "  1  nothing was found\n"
                      "  2  an error, also when a file or folder could not be read or the output\n"
                      "     could not be written\n"),
};

enum class TColor { Never, Always, Auto };

std::optional<TColor> ColorWhen(std::string_view when) {
  if (when == "never") return TColor::Never;
  if (when == "always") return TColor::Always;
  if (when == "auto") return TColor::Auto;
  return std::nullopt;
}

// Auto: colour only for a person at a terminal who has not asked for none
// (https://no-color.org: any value but the empty one).
bool UseColor(TColor color) {
  if (color != TColor::Auto) return color == TColor::Always;
  const char* noColor = std::getenv("NO_COLOR");
  return isatty(STDOUT_FILENO) == 1 && (noColor == nullptr || *noColor == '\0');
}

int Fail(const std::string& message) {
  std::fprintf(stderr, "varsik-grep: %s\n", message.c_str());
  return kExitError;
}

std::string WriteError(int error) {
  return Translate("write error: %s", {std::strerror(error)});
}

// The window's status line, its labels in the user's language (in Japanese the same
// text as the window's).
std::string StatusLine(const TSearchDriver& driver) {
  return Translate(
      "Files searched: %s   Files matched: %s   Lines matched: %s",
      {std::to_string(driver.SearchedFileCount()), std::to_string(driver.MatchedFileCount()),
       std::to_string(driver.MatchedLineCount())});
}

// A count written in decimal digits, nothing else.
std::optional<size_t> Count(std::string_view text) {
  size_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

}  // namespace

int main(int argc, char** argv) {
  Platform::OpenMessageCatalog();
  TSearchOptions options;
  options.Masks = "*.*";
  options.Threads = SearchThreads(0);
  TStreamSink::TOutputEncoding encoding = TStreamSink::TOutputEncoding::Utf8;
  bool stats = false;
  bool nullNames = false;
  TColor color = TColor::Never;
  bool optionsEnded = false;
  std::vector<std::string> operands;

  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (optionsEnded || a.empty() || a[0] != '-' || a == "-") {
      operands.push_back(a);
    } else if (a == "--") {
      optionsEnded = true;
    } else if (a == "-s" || a == "--case-sensitive") {
      options.Switches.UpperLowerMatch = true;
    } else if (a == "--fuzzy") {
      options.Switches.FuzzySearch = true;
    } else if (a == "-E" || a == "--regex") {
      options.Switches.RegularExpSearch = true;
    } else if (a == "-w" || a == "--word") {
      options.Switches.SearchAsWord = true;
    } else if (a == "--no-subfolders") {
      options.Switches.SubFolderSearch = false;
    } else if (a == "--file-names") {
      options.Switches.FileNameSearch = true;
    } else if (a == "--skip-binary") {
      options.Switches.SkipBinary = true;
    } else if (a == "--gitignore") {
      options.Switches.GitIgnore = true;
    } else if (a == "--stats") {
      stats = true;
    } else if (a == "--color" || a == "--colour") {
      color = TColor::Auto;
    } else if (a.rfind("--color=", 0) == 0 || a.rfind("--colour=", 0) == 0) {
      const std::string when = a.substr(a.find('=') + 1);
      const std::optional<TColor> c = ColorWhen(when);
      if (!c) return Fail(Translate("--color takes never, always or auto, not '%s'", {when}));
      color = *c;
    } else if (a == "-Z" || a == "--null") {
      nullNames = true;
    } else if (a.rfind("--max-line-bytes=", 0) == 0) {
      const std::string n = a.substr(std::strlen("--max-line-bytes="));
      const std::optional<size_t> bytes = Count(n);
      if (!bytes) return Fail(Translate("--max-line-bytes takes a number of bytes, not '%s'", {n}));
      options.MaxLineBytes = *bytes;
    } else if (a.rfind("--encoding=", 0) == 0) {
      const std::string e = a.substr(std::strlen("--encoding="));
      const std::optional<TEncodingChoice> choice = EncodingChoiceOf(e);
      if (!choice)
        return Fail(Translate(
            "unknown encoding '%s' (use auto, cp932, utf-8, euc-jp, utf-16le, utf-16be or "
            "iso-2022-jp)",
            {e}));
      options.Switches.Encoding = *choice;
    } else if (a.rfind("-j", 0) == 0 || a.rfind("--threads=", 0) == 0) {
      // -j N, -jN or --threads=N.
      std::string n = a.rfind("--threads=", 0) == 0 ? a.substr(std::strlen("--threads="))
                      : a == "-j"                   ? (i + 1 < argc ? argv[++i] : "")
                                                    : a.substr(2);
      const std::optional<size_t> threads = Count(n);
      if (!threads) return Fail(Translate("-j takes a number of threads, not '%s'", {n}));
      options.Threads = SearchThreads(static_cast<int64_t>(std::min<size_t>(*threads, INT32_MAX)));
    } else if (a.rfind("--output-encoding=", 0) == 0) {
      std::string e = a.substr(std::strlen("--output-encoding="));
      if (e == "utf-8" || e == "utf8" || e == "UTF-8")
        encoding = TStreamSink::TOutputEncoding::Utf8;
      else if (e == "cp932" || e == "CP932" || e == "sjis" || e == "shift_jis")
        encoding = TStreamSink::TOutputEncoding::Cp932;
      else
        return Fail(Translate("unknown output encoding '%s' (use utf-8 or cp932)", {e}));
    } else if (a == "-h" || a == "--help") {
      std::fputs(HelpPageText(kHelp).c_str(), stdout);
      return 0;
    } else if (a == "-V" || a == "--version") {
      std::printf("varsik-grep %s\n", VARSIK_VERSION);
      return 0;
    } else {
      Fail(Translate("unknown option '%s'", {a}));
      std::fputs(HelpPageText(kHelp).c_str(), stderr);
      return kExitError;
    }
  }
  if (operands.empty() || operands.size() > 3) {
    std::fputs(HelpPageText(kHelp).c_str(), stderr);
    return kExitError;
  }

  // Raw Shift JIS bytes would be read as other characters, or as none.
  if (!Platform::IsValidUtf8(operands[0]))
    return Fail(
        Translate("the word must be UTF-8 (it is converted to Shift JIS (CP932) for the search)"));
  if (!options.SetWord(operands[0]))
    return Fail(options.Switches.Encoding == TEncodingChoice::Cp932
                    ? Translate("the word holds a character that Shift JIS (CP932) cannot hold")
                    : Translate("the word holds too many characters that Shift JIS (CP932) lacks"));
  if (operands.size() > 1) options.Masks = operands[1];
  // Here the argument is a folder, not the dialog's folder text: its last element is
  // kept. Without one the walk starts in the current folder and prints relative names.
  // An empty one is a mistake (a variable left unset), not "/".
  if (operands.size() > 2 && operands[2].empty())
    return Fail(Translate("the folder is empty (leave it out to search the current folder)"));
  options.FolderText = operands.size() > 2 ? Platform::WithTrailingSlash(operands[2]) : "";
  // The window searches a missing folder as an empty one; a script is told.
  if (!options.FolderText.empty() && !Platform::FolderExists(options.FolderText))
    return Fail(Translate("no such folder: %s", {Platform::NameForOutput(operands[2])}));
  // A closed standard output cannot take the results, and the first file or folder that
  // the search opened would become descriptor 1 in its place.
  if (fcntl(STDOUT_FILENO, F_GETFD) == -1) return Fail(WriteError(errno));

  TStreamSink sink(stdout, encoding, options.Switches.FileNameSearch, nullNames);
  if (UseColor(color)) {
    sink.SetColor(true);
    options.MarkMatches = true;
  }
  sink.SetMessages(stderr);
  TSearchDriver driver(sink);
  // Nothing more can be said once the output is gone; the rest is not searched.
  sink.SetOnWriteError([&driver] { driver.RequestCancel(); });
  // A pattern error is an error even when no file is taken up to search.
  if (options.Switches.RegularExpSearch && !options.Switches.FileNameSearch) {
    try {
      driver.CompilePattern(options.Word);
    } catch (const std::exception& e) {
      return Fail(e.what());
    }
  }
  try {
    driver.Run(options);
  } catch (const std::exception& e) {
    sink.Finish();
    return Fail(e.what());
  }
  if (const int error = sink.Finish(); error != 0) return Fail(WriteError(error));
  if (stats) std::fprintf(stderr, "%s\n", StatusLine(driver).c_str());
  // Each file and folder that could not be read was named as it happened.
  if (driver.ErrorLineCount() > 0 || driver.SkippedFolderCount() > 0) return kExitError;
  const bool found = options.Switches.FileNameSearch ? driver.SearchedFileCount() > 0
                                                     : driver.MatchedLineCount() > 0;
  return found ? kExitFound : kExitNone;
}
