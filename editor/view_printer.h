// TViewPrinter: prints a text editor control's text through QScintilla's printer
// support, in the view's own fonts and colours, with a title and the page number at
// the top of every page.
#pragma once

#include <Qsci/qsciprinter.h>
#include <QString>

namespace varsik {

class TViewPrinter : public QsciPrinter {
 public:
  // `title` heads every page; the document (the print job, the default file of a PDF)
  // is named `docName`, which a title with "/" in it would not do well.
  TViewPrinter(const QString& title, const QString& docName);

  const QString& Title() const { return PageTitle; }

 protected:
  // Runs for each page before its text, on the user-interface thread: draws the title
  // line (when `drawing`) and takes its room from `area`.
  void formatPage(QPainter& painter, bool drawing, QRect& area, int pageNumber) override;

 private:
  QString PageTitle;
};

}  // namespace varsik
