#include "platform/qt/one_line_edit.h"

#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QValidator>
#include <algorithm>

namespace varsik {

namespace Platform {
namespace {

// Where the first line of `text` ends: at its first line break, or at its end.
int FirstLineEnd(const QString& text) {
  const auto isBreak = [](QChar c) { return c == QLatin1Char('\n') || c == QLatin1Char('\r'); };
  return static_cast<int>(std::find_if(text.cbegin(), text.cend(), isBreak) - text.cbegin());
}

// Sees every change of the text, whatever made it. The box held no line break before
// (this validator saw to it), so a break in the new text lies in what was just put in,
// which ends at the caret: the break and the rest of the insertion go, the text behind
// the caret stays.
class TFirstLineValidator : public QValidator {
 public:
  using QValidator::QValidator;

  State validate(QString& input, int& pos) const override {
    const int cut = FirstLineEnd(input);
    if (cut == input.size()) return Acceptable;
    if (cut < pos) {
      input = input.left(cut) + input.mid(pos);
      pos = cut;
    } else {
      // Not put in before the caret: the text ends at its first break all the same.
      input.truncate(cut);
    }
    return Acceptable;
  }
};

// The paste key puts in the clipboard's first line itself, as one undoable insertion:
// the validator's cut, which serves every other way in, empties the undo history. It
// watches the box that receives the keys, which is the combo box when the edit is one's.
class TPasteKey : public QObject {
 public:
  explicit TPasteKey(QLineEdit* edit) : QObject(edit), Edit(edit) {}

  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() != QEvent::KeyPress || Edit->isReadOnly() ||
        !static_cast<QKeyEvent*>(event)->matches(QKeySequence::Paste))
      return false;
    const QString text = QGuiApplication::clipboard()->text();
    Edit->insert(text.left(FirstLineEnd(text)));
    return true;
  }

 private:
  QLineEdit* Edit;
};

}  // namespace

void KeepFirstLine(QLineEdit* edit) {
  edit->setValidator(new TFirstLineValidator(edit));
  edit->installEventFilter(new TPasteKey(edit));
}

void SetUpHistoryBox(QComboBox* box, int rows) {
  box->setEditable(true);
  box->setInsertPolicy(QComboBox::NoInsert);
  box->setMaxVisibleItems(rows);
  // Qt's completer is inline and ignores case: it put "ABC" of the history in place of
  // a typed "ab", took a fully selected text for a pending completion and swallowed the
  // Enter meant for OK, and matched the text against the items regardless of case when
  // the box lost the focus ("MAIN" became "main"). Without it every match is exact.
  box->setCompleter(nullptr);
  KeepFirstLine(box->lineEdit());
  box->installEventFilter(new TPasteKey(box->lineEdit()));
}

}  // namespace Platform

}  // namespace varsik
