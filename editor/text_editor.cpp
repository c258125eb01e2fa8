#include "editor/text_editor.h"

#include <Qsci/qscicommand.h>
#include <Qsci/qscicommandset.h>
#include <Qsci/qscilexercpp.h>
#include <QAccessible>
#include <QScrollBar>
#include <QTimer>

#include <algorithm>
#include <cstring>
#include <string_view>

#include "platform/qt/fonts.h"

namespace varsik {

namespace {

const QString kEditorFace = QStringLiteral("ＭＳ ゴシック");
const QString kGutterFace = QStringLiteral("Courier New");
constexpr int kResultsFontPixels = 12;
constexpr int kFileListFontPixels = 13;
constexpr int kGutterFontPixels = 11;
constexpr int kGutterLeftOffset = 4;
constexpr int kGutterRightOffset = 2;
constexpr int kMinGutterDigits = 2;
constexpr int kEdgeColumn = 1024;
const QColor kSelectionBack(0xC0, 0xC0, 0xC0);
const QColor kDirectiveBand(0xC0, 0xDC, 0xC0);
const QColor kKeywordColour(0x00, 0x80, 0x00);
// The marks: amber, thin enough behind the text to read black on it, on white and on the
// header band alike, with a firmer outline that stays visible at any size.
const QColor kMarkColour(0xFF, 0xB0, 0x00);
constexpr int kMarkFillAlpha = 90;
constexpr int kMarkOutlineAlpha = 200;

bool IsLineEnd(char c) {
  return c == '\n' || c == '\r';
}

// The offset of the last line start in `text` whose byte is `first`, or -1. A line
// starts after a line end (a line feed, or a carriage return that Scintilla counts as
// one), and at the text's start when `startsLine`. memrchr finds candidates at memory
// speed; one that stands inside a line costs a step.
long LastLineStart(std::string_view text, char first, bool startsLine) {
  size_t end = text.size();
  while (end > 0) {
    const void* hit = memrchr(text.data(), first, end);
    if (!hit) return -1;
    const size_t at = static_cast<size_t>(static_cast<const char*>(hit) - text.data());
    if (at == 0 ? startsLine : IsLineEnd(text[at - 1])) return static_cast<long>(at);
    end = at;
  }
  return -1;
}

int DigitsOf(int n) {
  int digits = 1;
  for (; n >= 10; n /= 10) ++digits;
  return digits;
}

}  // namespace

TTextEditor::TTextEditor(TKind kind, QWidget* parent) : QsciScintilla(parent), ViewKind(kind) {
  if (ViewKind == TKind::Results) Lexer = new QsciLexerCPP(this);
  RenumberTimer = new QTimer(this);
  RenumberTimer->setSingleShot(true);
  RenumberTimer->setInterval(0);
  connect(RenumberTimer, &QTimer::timeout, this, &TTextEditor::RenumberStaleLines);
  connect(this, &QsciScintillaBase::SCN_MODIFIED, this,
          [this](int position, int modificationType, const char*, int, int linesAdded, int, int,
                 int, int, int) { OnModified(position, modificationType, linesAdded); });
  connect(this, &QsciScintilla::cursorPositionChanged, this, &TTextEditor::StatusChanged);
  // Scrolled, resized or changed: the lines shown may hold matches not yet marked.
  connect(this, &QsciScintillaBase::SCN_UPDATEUI, this, [this](int) { MarkShownMatches(); });
  connect(this, &QsciScintilla::selectionChanged, this, &TTextEditor::StatusChanged);
  Configure();
}

TTextEditor::~TTextEditor() = default;

// Every setting of the view in one place. setLexer resets the styles, so the lexer
// comes first and everything that touches styles follows it.
void TTextEditor::Configure() {
  if (ViewKind == TKind::Results) {
    ConfigureLexer();
  } else {
    // Plain text: no colouring, one font for everything.
    setLexer(nullptr);
    setFont(Platform::PointFont(kEditorFace, kFileListFontPixels));
    setColor(Qt::black);
    setPaper(Qt::white);
  }
  // Shift JIS is decoded before it reaches the view; the view itself holds UTF-8.
  setUtf8(true);
  // Lines end in a line feed, whatever the files had.
  setEolMode(EolUnix);
  // A marker at column 1024, far right of any ordinary line.
  setEdgeMode(EdgeLine);
  setEdgeColumn(kEdgeColumn);
  // Selected text keeps its colours on a silver background.
  setSelectionBackgroundColor(kSelectionBack);
  resetSelectionForegroundColor();
  // Colouring follows what is shown, from idle time: the colourer reads the text from its
  // start, so a jump to the end of millions of result lines first coloured them all
  // (5 s for 2.4 million) before the view answered.
  SendScintilla(SCI_SETIDLESTYLING, static_cast<unsigned long>(SC_IDLESTYLING_TOVISIBLE));
  // Long lines scroll rather than wrap; the scroll range follows the longest line seen,
  // so a short list shows no horizontal scroll bar.
  setWrapMode(WrapNone);
  SendScintilla(SCI_SETSCROLLWIDTH, 1UL);
  SendScintilla(SCI_SETSCROLLWIDTHTRACKING, 1UL);
  // Shift+Enter would break a line and F1 would ask for help; neither is wanted.
  ReleaseKey((Qt::SHIFT | Qt::Key_Return).toCombined());
  ReleaseKey((Qt::SHIFT | Qt::Key_Enter).toCombined());
  ReleaseKey(Qt::Key_F1);
  ConfigureGutter();
  ConfigureIndicators();
}

void TTextEditor::ConfigureIndicators() {
  for (int indicator : {kMatchIndicator, kFoundIndicator}) {
    const auto i = static_cast<unsigned long>(indicator);
    // A box over the whole line height, drawn under the text so that it stays sharp.
    SendScintilla(SCI_INDICSETSTYLE, i, static_cast<long>(INDIC_STRAIGHTBOX));
    SendScintilla(SCI_INDICSETFORE, i, kMarkColour);
    SendScintilla(SCI_INDICSETALPHA, i, static_cast<long>(kMarkFillAlpha));
    SendScintilla(SCI_INDICSETOUTLINEALPHA, i, static_cast<long>(kMarkOutlineAlpha));
    SendScintilla(SCI_INDICSETUNDER, i, 1L);
  }
}

void TTextEditor::MarkMatches(const std::vector<TRange>& ranges) {
  if (ranges.empty()) return;
  Matches.insert(Matches.end(), ranges.begin(), ranges.end());
  MatchMarked.resize(Matches.size(), false);
  ChangeHeld(false, [this] { MarkShownMatches(); });
}

void TTextEditor::MarkShownMatches() {
  if (Matches.empty()) return;
  const long first = SendScintilla(SCI_DOCLINEFROMVISIBLE, SendScintilla(SCI_GETFIRSTVISIBLELINE));
  const long last = LastShownLine() + 1;
  const long from = SendScintilla(SCI_POSITIONFROMLINE, static_cast<unsigned long>(first));
  const long to = SendScintilla(SCI_GETLINEENDPOSITION, static_cast<unsigned long>(last));
  auto it = std::lower_bound(Matches.begin(), Matches.end(), from,
                             [](const TRange& r, long pos) { return r.End <= pos; });
  // Nobody needs to hear of the marks: the text stays as it is.
  const long eventMask = SendScintilla(SCI_GETMODEVENTMASK);
  SendScintilla(SCI_SETMODEVENTMASK, 0UL);
  SendScintilla(SCI_SETINDICATORCURRENT, static_cast<unsigned long>(kMatchIndicator));
  for (; it != Matches.end() && it->Start <= to; ++it) {
    const auto i = static_cast<size_t>(it - Matches.begin());
    if (MatchMarked[i]) continue;
    MatchMarked[i] = true;
    SendScintilla(SCI_INDICATORFILLRANGE, static_cast<unsigned long>(it->Start),
                  it->End - it->Start);
  }
  SendScintilla(SCI_SETMODEVENTMASK, static_cast<unsigned long>(eventMask));
}

void TTextEditor::ConfigureLexer() {
  const QFont font = Platform::PointFont(kEditorFace, kResultsFontPixels);
  // One font and weight for every style: keywords are not bold, comments not italic.
  Lexer->setFont(font, -1);
  Lexer->setDefaultFont(font);
  // Black text on white except where the highlighter's look says otherwise.
  Lexer->setColor(Qt::black, -1);
  Lexer->setPaper(Qt::white, -1);
  Lexer->setDefaultColor(Qt::black);
  Lexer->setDefaultPaper(Qt::white);
  // Keywords green.
  Lexer->setColor(kKeywordColour, QsciLexerCPP::Keyword);
  // File headers begin with "#" and so are directives: a band across the whole width.
  for (int style : {int(QsciLexerCPP::PreProcessor), int(QsciLexerCPP::InactivePreProcessor)}) {
    Lexer->setPaper(kDirectiveBand, style);
    Lexer->setEolFill(true, style);
  }
  // No folding markers: the view has no gutter.
  Lexer->setFoldComments(false);
  Lexer->setFoldCompact(false);
  setLexer(Lexer);
  setFolding(NoFoldStyle);
}

void TTextEditor::ConfigureGutter() {
  for (int margin = 0; margin < 5; ++margin) setMarginWidth(margin, 0);
  // A little room between the window's edge (or the numbers) and the text.
  SendScintilla(SCI_SETMARGINLEFT, 0, 3L);
  if (ViewKind == TKind::Results) return;
  // Line numbers with leading zeros, at least two digits, right-justified text.
  setMarginType(0, TextMarginRightJustified);
  setMarginsFont(Platform::PointFont(kGutterFace, kGutterFontPixels));
  setMarginsForegroundColor(Qt::black);
  setMarginsBackgroundColor(palette().color(QPalette::Button));
  NumberDigits = 0;
  RenumberFrom(0);
}

void TTextEditor::OnModified(int position, int modificationType, int linesAdded) {
  if (!(modificationType & (SC_MOD_INSERTTEXT | SC_MOD_DELETETEXT))) return;
  ++TextRevision;
  // The ranges not yet marked behind the change no longer stand where they did; those
  // marked are Scintilla's, which moves them.
  if (!Matches.empty() && position < Matches.back().End) {
    Matches.clear();
    MatchMarked.clear();
  }
  if (ViewKind != TKind::FileList || linesAdded == 0) return;
  int line = static_cast<int>(SendScintilla(SCI_LINEFROMPOSITION, position));
  StaleLine = StaleLine < 0 ? line : std::min(StaleLine, line);
  // Margins are not changed from inside a modification notice; the numbers follow as
  // soon as the event loop runs.
  RenumberTimer->start();
}

void TTextEditor::showEvent(QShowEvent* event) {
  QsciScintilla::showEvent(event);
  RenumberStaleLines();
}

void TTextEditor::RenumberStaleLines() {
  if (StaleLine < 0 || !isVisible()) return;
  int from = StaleLine;
  StaleLine = -1;
  RenumberFrom(from);
}

void TTextEditor::RenumberFrom(int line) {
  const int count = lines();
  const int digits = std::max(kMinGutterDigits, DigitsOf(count));
  if (digits != NumberDigits) {
    NumberDigits = digits;
    line = 0;
    QByteArray widest(digits, '0');
    int textWidth = static_cast<int>(SendScintilla(
        SCI_TEXTWIDTH, static_cast<unsigned long>(STYLE_LINENUMBER), widest.constData()));
    setMarginWidth(0, kGutterLeftOffset + textWidth + kGutterRightOffset);
  }
  for (int i = std::max(0, line); i < count; ++i)
    setMarginText(i, QStringLiteral("%1").arg(i + 1, digits, 10, QLatin1Char('0')),
                  STYLE_LINENUMBER);
}

int TTextEditor::LineCount() const {
  int count = lines();
  if (count > 0 && lineLength(count - 1) <= 0) --count;
  return count;
}

QString TTextEditor::Line(int index) const {
  QString line = text(index);
  while (line.endsWith(QLatin1Char('\n')) || line.endsWith(QLatin1Char('\r'))) line.chop(1);
  return line;
}

void TTextEditor::AppendLines(const QStringList& newLines) {
  QByteArray utf8;
  for (const QString& line : newLines) {
    utf8 += line.toUtf8();
    utf8 += '\n';
  }
  AppendUtf8Lines(utf8);
}

long TTextEditor::AppendUtf8Lines(const QByteArray& utf8Lines) {
  const long length = SendScintilla(SCI_GETLENGTH);
  if (utf8Lines.isEmpty()) return length;
  const bool needsBreak =
      length > 0 && SendScintilla(SCI_GETCHARAT, static_cast<unsigned long>(length - 1)) != '\n';
  // Room for half as much again, asked for when it runs out: Scintilla makes room for a
  // little more than each insertion, copying its text and its styles each time, which
  // for a search's lines coming block by block added up to several times their size.
  // Not twice: Scintilla fills the room it is given, and a search of a gigabyte of lines
  // would hold another gigabyte of it.
  const long needed = length + static_cast<long>(utf8Lines.size()) + 1;
  if (needed > Reserved) {
    Reserved = needed + needed / 2;
    SendScintilla(SCI_ALLOCATE, static_cast<unsigned long>(Reserved));
  }
  const long line = SendScintilla(SCI_LINEFROMPOSITION, static_cast<unsigned long>(length));
  ChangeHeld(line > LastShownLine(), [&] {
    ChangeWithoutUndo(static_cast<int>(length), [&] {
      if (needsBreak) SendScintilla(SCI_APPENDTEXT, 1UL, "\n");
      SendScintilla(SCI_APPENDTEXT, static_cast<unsigned long>(utf8Lines.size()),
                    utf8Lines.constData());
    });
  });
  return needsBreak ? length + 1 : length;
}

long TTextEditor::LastShownLine() const {
  return SendScintilla(SCI_DOCLINEFROMVISIBLE, SendScintilla(SCI_GETFIRSTVISIBLELINE)) +
         SendScintilla(SCI_LINESONSCREEN);
}

void TTextEditor::ChangeHeld(bool outOfSight, const std::function<void()>& change) {
  // Lines added below those shown change nothing on the screen but the scroll bars:
  // Scintilla would repaint the whole view for them (about 5 ms of text shaping), so
  // they are added with the view's painting held. While appends are held, nothing is
  // repainted for a change until PaintAppended.
  std::vector<QWidget*> held;
  if (HoldingAppends) {
    held = {viewport(), verticalScrollBar(), horizontalScrollBar()};
    PaintOwed = true;
    ViewPaintOwed = ViewPaintOwed || !outOfSight;
  } else if (outOfSight) {
    held = {viewport()};
  }
  std::erase_if(held, [](QWidget* w) { return w->testAttribute(Qt::WA_UpdatesDisabled); });
  for (QWidget* w : held) w->setAttribute(Qt::WA_UpdatesDisabled, true);
  // A scroll bar that the lines make necessary would be shown at once, and the view
  // repainted at its new width: held, that waits for PaintAppended too.
  const QSignalBlocker vertical(HoldingAppends ? verticalScrollBar() : nullptr);
  const QSignalBlocker horizontal(HoldingAppends ? horizontalScrollBar() : nullptr);
  change();
  for (QWidget* w : held) w->setAttribute(Qt::WA_UpdatesDisabled, false);
}

void TTextEditor::HoldAppends(bool hold) {
  HoldingAppends = hold;
  if (!hold) PaintAppended();
}

void TTextEditor::PaintAppended() {
  if (!PaintOwed) return;
  // The scroll bars are shown or hidden for their ranges now (setting a policy lays
  // both out).
  setVerticalScrollBarPolicy(verticalScrollBarPolicy());
  if (ViewPaintOwed) viewport()->update();
  verticalScrollBar()->update();
  horizontalScrollBar()->update();
  PaintOwed = ViewPaintOwed = false;
}

std::string_view TTextEditor::Utf8Text() const {
  // One piece: Scintilla closes its gap at the end, which moves what follows the gap.
  const auto* bytes = reinterpret_cast<const char*>(SendScintilla(SCI_GETCHARACTERPOINTER));
  return std::string_view(bytes, static_cast<size_t>(SendScintilla(SCI_GETLENGTH)));
}

void TTextEditor::Reset() {
  ChangeWithoutUndo(0, [&] { SendScintilla(SCI_CLEARALL); });
  // An empty text gives its room back.
  Reserved = 0;
}

void TTextEditor::ChangeWithoutUndo(int position, const std::function<void()>& change) {
  // QScintilla tells accessibility clients of every change, with the changed text and
  // its place counted in characters from the start: as slow as the whole text is long.
  // With no client listening nobody is told, and the gutter is renumbered here instead.
  const bool quiet = !QAccessible::isActive();
  const long eventMask = SendScintilla(SCI_GETMODEVENTMASK);
  const int linesBefore = lines();
  if (quiet) SendScintilla(SCI_SETMODEVENTMASK, 0UL);
  SendScintilla(SCI_SETUNDOCOLLECTION, 0UL);
  change();
  SendScintilla(SCI_SETUNDOCOLLECTION, 1UL);
  if (quiet) SendScintilla(SCI_SETMODEVENTMASK, static_cast<unsigned long>(eventMask));
  SendScintilla(SCI_EMPTYUNDOBUFFER);
  if (quiet) OnModified(position, SC_MOD_INSERTTEXT | SC_MOD_DELETETEXT, lines() - linesBefore);
}

void TTextEditor::LoadText(const QString& newText) {
  QString text = newText;
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  setText(text);
  SendScintilla(SCI_EMPTYUNDOBUFFER);
  SetCaretPos(0);
}

void TTextEditor::SelectionStart(int& line, int& column) const {
  lineIndexFromPosition(SelectionStartPos(), &line, &column);
}

void TTextEditor::CollapseSelectionAt(int line, int column) {
  SetCaretPos(positionFromLineIndex(line, column));
}

int TTextEditor::SelectionStartPos() const {
  return static_cast<int>(SendScintilla(SCI_GETSELECTIONSTART));
}

int TTextEditor::SelectionEndPos() const {
  return static_cast<int>(SendScintilla(SCI_GETSELECTIONEND));
}

void TTextEditor::SetCaretPos(int pos) {
  SendScintilla(SCI_GOTOPOS, static_cast<unsigned long>(std::max(0, pos)));
}

bool TTextEditor::FindText(const QString& text, bool backwards) {
  SendScintilla(SCI_SETINDICATORCURRENT, static_cast<unsigned long>(kFoundIndicator));
  SendScintilla(SCI_INDICATORCLEARRANGE, 0UL, SendScintilla(SCI_GETLENGTH));
  if (text.isEmpty()) return false;
  const QByteArray bytes = text.toUtf8();
  const long caret = SendScintilla(SCI_GETCURRENTPOS);
  const long limit = backwards ? 0 : SendScintilla(SCI_GETLENGTH);
  // No flags: letters regardless of case, any occurrence, the text taken literally.
  SendScintilla(SCI_SETSEARCHFLAGS, 0UL);
  SendScintilla(SCI_SETTARGETSTART, static_cast<unsigned long>(caret));
  SendScintilla(SCI_SETTARGETEND, static_cast<unsigned long>(limit));
  if (SendScintilla(SCI_SEARCHINTARGET, static_cast<unsigned long>(bytes.size()),
                    bytes.constData()) < 0)
    return false;
  const long start = SendScintilla(SCI_GETTARGETSTART);
  const long end = SendScintilla(SCI_GETTARGETEND);
  SendScintilla(SCI_INDICATORFILLRANGE, static_cast<unsigned long>(start), end - start);
  const long line = SendScintilla(SCI_LINEFROMPOSITION, static_cast<unsigned long>(start));
  SendScintilla(SCI_ENSUREVISIBLEENFORCEPOLICY, static_cast<unsigned long>(line));
  // The caret goes to the far end in the direction of the search.
  if (backwards)
    SendScintilla(SCI_SETSEL, static_cast<unsigned long>(end), start);
  else
    SendScintilla(SCI_SETSEL, static_cast<unsigned long>(start), end);
  return true;
}

int TTextEditor::LastLineStartingWith(char first, int line) const {
  if (line < 0) return -1;
  const long end = line + 1 < lines() ? SendScintilla(SCI_POSITIONFROMLINE, line + 1UL)
                                      : SendScintilla(SCI_GETLENGTH);
  // Scintilla keeps the text in two pieces around a gap where it was last edited. Each
  // is read where it lies: putting them together would move up to the whole text.
  const long gap = std::min(end, SendScintilla(SCI_GETGAPPOSITION));
  const auto piece = [this](long from, long to) {
    const auto* bytes = reinterpret_cast<const char*>(
        SendScintilla(SCI_GETRANGEPOINTER, static_cast<unsigned long>(from), to - from));
    return std::string_view(bytes, static_cast<size_t>(to - from));
  };
  long at = -1;
  if (gap < end) {
    const bool startsLine =
        gap == 0 || IsLineEnd(static_cast<char>(SendScintilla(SCI_GETCHARAT, gap - 1UL)));
    at = LastLineStart(piece(gap, end), first, startsLine);
    if (at >= 0) at += gap;
  }
  if (at < 0 && gap > 0) at = LastLineStart(piece(0, gap), first, true);
  if (at < 0) return -1;
  return static_cast<int>(SendScintilla(SCI_LINEFROMPOSITION, static_cast<unsigned long>(at)));
}

void TTextEditor::ReleaseKeys(const QList<QKeySequence>& keys) {
  for (const QKeySequence& sequence : keys)
    if (!sequence.isEmpty()) ReleaseKey(sequence[0].toCombined());
}

void TTextEditor::ReleaseKey(int key) {
  QsciCommand* command = standardCommands()->boundTo(key);
  if (!command) return;
  if (command->key() == key) command->setKey(0);
  if (command->alternateKey() == key) command->setAlternateKey(0);
}

}  // namespace varsik
