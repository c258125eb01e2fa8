// One-line text boxes as the program's windows want them: a paste keeps the clipboard's
// first line, as a single-line edit field of the platform takes it, and an editable
// combo box with a history completes nothing, so that what the user typed is what Enter
// searches for and Enter always reaches the window (the search dialog's OK button).
#pragma once

class QComboBox;
class QLineEdit;

namespace varsik {

namespace Platform {

// Whatever reaches `edit` (a paste by key or menu, a drop, a text set) keeps only its
// text up to the first line break; what followed the selection stays.
void KeepFirstLine(QLineEdit* edit);

// Makes `box` an editable history box: the caller keeps the history (nothing is inserted
// on Enter), `rows` items drop down, nothing is completed, and KeepFirstLine holds for
// its text.
void SetUpHistoryBox(QComboBox* box, int rows);

}  // namespace Platform

}  // namespace varsik
