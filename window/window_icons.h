// The pictures of the main window's toolbar buttons and the program's icon, drawn at
// start-up so that the program needs no image files or icon theme.
#pragma once

#include <QIcon>

namespace varsik {

namespace WindowIcons {

QIcon GrepDialog();   // a folder under a magnifying glass
QIcon StartSearch();  // a green arrow head
QIcon StopSearch();   // a red stop sign
QIcon TagJump();      // a page with an arrow into it
QIcon Program();      // the program's own icon

}  // namespace WindowIcons

}  // namespace varsik
