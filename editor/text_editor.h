// TTextEditor: the text editor control of the main window, a QScintilla view set up
// either as the results view (C/C++ colouring, no gutter) or as the file list (plain
// text, zero-padded line numbers). The window sees its text as a list of lines.
#pragma once

#include <Qsci/qsciscintilla.h>
#include <QKeySequence>
#include <QList>
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <string_view>
#include <vector>

class QsciLexerCPP;
class QTimer;

namespace varsik {

class TTextEditor : public QsciScintilla {
  Q_OBJECT

 public:
  enum class TKind {
    Results,   // tag-jump lines: headers as C/C++ directives on a green band
    FileList,  // one path per line, or a file opened for reading
  };

  explicit TTextEditor(TKind kind, QWidget* parent = nullptr);
  ~TTextEditor() override;

  TKind Kind() const { return ViewKind; }

  // The text as a list of lines: a line break ends a line, and an empty last line is
  // no line, so an empty view has 0 lines and "a\n" has 1.
  int LineCount() const;
  QString Line(int index) const;
  // Adds the lines after the last line (after a line break if the text lacks one).
  // The undo history is emptied: results are not edits to undo.
  void AppendLines(const QStringList& lines);
  // The same for lines already in UTF-8, each ended by a line feed. Returns the
  // position where they begin. Lines added below those shown repaint nothing but the
  // scroll bars.
  long AppendUtf8Lines(const QByteArray& utf8Lines);
  // While a search fills the view block by block: what the appended lines change on the
  // screen is repainted only at PaintAppended (a few times a second), and when the hold
  // ends. A paint of the view costs as much as taking in a megabyte of lines, and the
  // scroll bars' paints took a fifth of the window's time in a search of the tree.
  void HoldAppends(bool hold);
  void PaintAppended();
  // The text's bytes, UTF-8 with its line feeds; valid until the text next changes.
  std::string_view Utf8Text() const;
  // Empties the view and its undo history.
  void Reset();
  // Replaces the text (line ends of any kind become line feeds), caret at the start.
  void LoadText(const QString& text);

  // 0-based line and column (in characters) of the selection start, which is the
  // caret when nothing is selected.
  void SelectionStart(int& line, int& column) const;
  // Puts the caret at a 0-based line and column, which clears the selection and
  // scrolls the caret into view.
  void CollapseSelectionAt(int line, int column);

  // Positions (bytes from the start) of the selection and the caret.
  int SelectionStartPos() const;
  int SelectionEndPos() const;
  // Puts the caret at a position; clears the selection and scrolls it into view.
  void SetCaretPos(int pos);

  // Finds `text` regardless of case from the caret to the end of the text, or with
  // `backwards` to its start, without wrapping. On a hit the occurrence is selected
  // (the caret at its end, or at its start when searching backwards, so that the next
  // search in the same direction moves on), marked with kFoundIndicator and scrolled
  // into view. False when there is no hit; an empty text never hits. The mark of the
  // search before goes either way.
  bool FindText(const QString& text, bool backwards);

  // The marks drawn behind the text, each a light box: the matches of a search on its
  // result lines, and the text the in-page search found. Scintilla's first indicator
  // numbers free for a program's own use.
  static constexpr int kMatchIndicator = INDIC_CONTAINER;
  static constexpr int kFoundIndicator = INDIC_CONTAINER + 1;
  // Marks the ranges of bytes [start, end) as matches; positions as the view counts
  // them (bytes of its UTF-8 text), ascending, behind those given before. A range is
  // marked in the text when its line is first shown: a mark costs Scintilla about a
  // microsecond, as much as a whole result line, while a screen holds a few dozen. A
  // change of the text before a range not yet marked drops it.
  struct TRange {
    long Start;
    long End;
  };
  void MarkMatches(const std::vector<TRange>& ranges);

  // The nearest line at or above the 0-based `line` whose first byte is `first`; -1 when
  // there is none. Reads the text's bytes backwards, without going through the lines
  // one by one, so that it is quick however far the line is.
  int LastLineStartingWith(char first, int line) const;

  // A number that changes whenever the text changes (an edit, an undo, an append, a
  // load), so that what was learnt about the text can be known to be still true.
  quint64 Revision() const { return TextRevision; }

  // Takes these keys away from the editor's own bindings, so that they reach the
  // window's commands (the window owns Esc, Ctrl+Z and the like).
  void ReleaseKeys(const QList<QKeySequence>& keys);

 signals:
  // The selection or the caret moved.
  void StatusChanged();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void Configure();
  void ConfigureLexer();
  void ConfigureGutter();
  void ConfigureIndicators();
  // Marks the ranges of MarkMatches on the lines shown now.
  void MarkShownMatches();
  // The last line shown, or partly shown, at the view's bottom.
  long LastShownLine() const;
  // Runs a change of the text or its marks, with what it would repaint held as
  // HoldAppends says; `outOfSight`: it changes nothing on the lines shown.
  void ChangeHeld(bool outOfSight, const std::function<void()>& change);
  void ReleaseKey(int key);
  // Runs a change of the text that starts at `position` and is not to be undone; the
  // undo history is empty afterwards.
  void ChangeWithoutUndo(int position, const std::function<void()>& change);
  // Zero-padded numbers in the gutter, rewritten from the first line whose number may
  // have gone stale, once the view is shown: the file list of a search in the files'
  // text is filled but never shown, and numbering its 20,000 lines took 12 ms.
  void OnModified(int position, int modificationType, int linesAdded);
  void RenumberFrom(int line);
  void RenumberStaleLines();

  TKind ViewKind;
  QsciLexerCPP* Lexer = nullptr;
  QTimer* RenumberTimer = nullptr;
  int StaleLine = -1;
  int NumberDigits = 0;
  quint64 TextRevision = 0;
  // The room for text last asked of Scintilla (bytes).
  long Reserved = 0;
  bool HoldingAppends = false;
  // Lines were appended while appends were held; some where they are shown.
  bool PaintOwed = false;
  bool ViewPaintOwed = false;
  // The ranges of MarkMatches, ascending, and whether each is in the text yet. In blocks:
  // a vector of millions of ranges, grown, held the window for 60 ms while it was copied.
  std::deque<TRange> Matches;
  std::deque<bool> MatchMarked;
};

}  // namespace varsik
