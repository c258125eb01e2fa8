// The pictures of the main window's toolbar buttons, drawn at start-up so that the
// program needs no image files or icon theme, and the program's own icon, which it carries.
#pragma once

#include <QIcon>

namespace varsik {

namespace WindowIcons {

QIcon GrepDialog();   // a folder under a magnifying glass
QIcon StartSearch();  // a green arrow head
QIcon StopSearch();   // a red stop sign
QIcon TagJump();      // a page with an arrow into it
QIcon Program();      // the program's own: a sheet with 検 in a folder, under a lens

}  // namespace WindowIcons

}  // namespace varsik
