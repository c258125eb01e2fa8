// The frame of the program's fixed-size dialogs, as a Windows dialog border has it: a
// title and a close button, nothing to minimize, maximize or resize. The window manager
// draws the frame; these are the hints it is given.
#pragma once

class QDialog;

namespace varsik {

namespace Platform {

// Fixes `dialog` at `width` x `height` and asks for a frame with a title and a close
// button only.
void SetFixedDialogFrame(QDialog* dialog, int width, int height);

}  // namespace Platform

}  // namespace varsik
