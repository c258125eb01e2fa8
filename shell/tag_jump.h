// The tag jump, without the toolkit: the file and line of a result entry read back out
// of the results view's lines, and the editor command that opens them. The window's
// TagJumpBtnClick hands in the view's lines, the paths behind its headers and the
// settings, and starts what it gets. The view's texts are UTF-8, paths the file
// system's bytes; nothing here starts a process.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "regex/errors.h"

namespace varsik {

// The editor settings make a command template with a % directive other than %s and %%,
// or with more %s than there are values; the message says which and is meant for the
// user.
class ETagJumpFormat : public EVarsikError {
 public:
  using EVarsikError::EVarsikError;
};

struct TTagJumpTarget {
  // The entry's text between its first and second colon: decimal digits only, so that
  // an edited or hostile entry can never put anything else into the editor's switch.
  std::string JumpLine;
  // The nearest header's text after its "#", with its double quotes, as the view shows
  // it.
  std::string FileName;
  // The file behind that header: an absolute path (it can never pass for an option of
  // the editor, as a name starting with "-" or "+" would), the file system's bytes.
  std::string Path;
};

// What the jump starts: the one command line, and the same command as a program and its
// arguments.
struct TTagJumpCommand {
  // The template the settings make (the window keeps it as JumpCommandTemplate).
  std::string Template;
  // The template with the values in place: the jump line, and the file name quoted as
  // the header shows it (for reading; the file's bytes are in the arguments).
  std::string CommandLine;
  // The command split as QProcess::splitCommand splits the settings' own text (blanks
  // separate, double quotes group, three double quotes make one), except that the
  // values are never split or unquoted: the file name, without the header's quotes, is
  // one argument even with blanks or double quotes in it, and the jump line stays
  // inside the argument that JumpFormat begins. Start this rather than splitting
  // CommandLine. The file's argument is the target's Path. Program is empty when there
  // is nothing to start.
  std::string Program;
  std::vector<std::string> Arguments;
};

namespace TagJump {

// Line i (0-based) of the results view, with or without its line end.
using TLineGetter = std::function<std::string(int)>;
// The path behind a header, given its text after the "#"; nullopt for a header that the
// search did not write (the user typed it, or changed it).
using TPathOf = std::function<std::optional<std::string>(std::string_view fileName)>;
// The nearest line at or above line i (0-based) whose first character is "#"; -1 when
// there is none. The window finds it without reading the lines in between.
using THeaderAbove = std::function<int(int)>;

// The target of the entry on `caretLine` (0-based, the line of the selection start) of
// a view of `lineCount` lines: nullopt when that line has fewer than two colons, is a
// header or an unreadable-file line, has anything but digits between its first two
// colons, or has no header at or above it; and when `pathOf` knows no path for that
// header or the path is not absolute.
std::optional<TTagJumpTarget> FindTarget(const TLineGetter& lineAt, int lineCount, int caretLine,
                                         const THeaderAbove& headerAbove, const TPathOf& pathOf);
// The same, walking up the lines to the header.
std::optional<TTagJumpTarget> FindTarget(const TLineGetter& lineAt, int lineCount, int caretLine,
                                         const TPathOf& pathOf);
std::optional<TTagJumpTarget> FindTarget(const std::vector<std::string>& lines, int caretLine,
                                         const TPathOf& pathOf);

// EditorPath + " %s" when JumpFormat is empty, else EditorPath + " " + JumpFormat +
// "%s %s".
std::string CommandTemplate(std::string_view editorPath, std::string_view jumpFormat);

// The template with `values` in the order of its %s directives; %% gives one percent
// sign. Values left over are ignored. Raises ETagJumpFormat on any other directive or
// when the values run out.
std::string FormatCommand(std::string_view commandTemplate, const std::vector<std::string>& values);

// The command of the settings for `target`. Raises ETagJumpFormat as FormatCommand does.
TTagJumpCommand BuildCommand(std::string_view editorPath, std::string_view jumpFormat,
                             const TTagJumpTarget& target);

}  // namespace TagJump

}  // namespace varsik
