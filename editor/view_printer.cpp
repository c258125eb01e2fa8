#include "editor/view_printer.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

#include "platform/qt/fonts.h"

namespace varsik {

namespace {

const QString kTitleFace = QStringLiteral("ＭＳ Ｐゴシック");
constexpr int kTitlePoints = 9;

}  // namespace

TViewPrinter::TViewPrinter(const QString& title, const QString& docName) : PageTitle(title) {
  setDocName(docName);
}

void TViewPrinter::formatPage(QPainter& painter, bool drawing, QRect& area, int pageNumber) {
  // Points, not pixels: the printer's resolution is many times the screen's.
  const QFont font(Platform::FontFamily(kTitleFace), kTitlePoints);
  const QFontMetrics metrics(font, painter.device());
  const QString page = QString::number(pageNumber);
  if (drawing) {
    painter.save();
    painter.setFont(font);
    painter.setPen(Qt::black);
    const int pageWidth = metrics.horizontalAdvance(page);
    const QRect line(area.left(), area.top(), area.width(), metrics.height());
    // A long caption is cut before the page number rather than over it.
    const QString title =
        metrics.elidedText(PageTitle, Qt::ElideRight, std::max(0, area.width() - pageWidth * 3));
    painter.drawText(line, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, title);
    painter.drawText(line, Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine, page);
    const int rule = line.bottom() + metrics.height() / 4;
    painter.drawLine(area.left(), rule, area.right(), rule);
    painter.restore();
  }
  area.setTop(area.top() + metrics.height() * 3 / 2);
}

}  // namespace varsik
