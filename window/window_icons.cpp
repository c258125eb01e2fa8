#include "window/window_icons.h"

#include <QDir>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygonF>

#include <functional>

namespace varsik {

namespace WindowIcons {
namespace {

// One picture drawn on a 16-unit grid at each size the icon is asked for.
QIcon Drawn(const std::function<void(QPainter&)>& draw) {
  QIcon icon;
  for (int size : {16, 24, 32, 48, 64}) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 16.0, size / 16.0);
    draw(painter);
    painter.end();
    icon.addPixmap(pixmap);
  }
  return icon;
}

void Folder(QPainter& p) {
  p.setPen(QPen(QColor(0x9A, 0x6E, 0x10), 0.8));
  p.setBrush(QColor(0xF2, 0xC8, 0x4B));
  QPainterPath path;
  path.moveTo(1, 4);
  path.lineTo(5.5, 4);
  path.lineTo(7, 5.5);
  path.lineTo(13, 5.5);
  path.lineTo(13, 13);
  path.lineTo(1, 13);
  path.closeSubpath();
  p.drawPath(path);
}

void Lens(QPainter& p, QPointF centre, qreal radius) {
  p.setPen(QPen(QColor(0x30, 0x30, 0x30), 1.8, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(centre + QPointF(radius * 0.7, radius * 0.7),
             centre + QPointF(radius * 1.9, radius * 1.9));
  p.setPen(QPen(QColor(0x28, 0x4E, 0x8C), 1.3));
  p.setBrush(QColor(0xDD, 0xEE, 0xFF, 0xD0));
  p.drawEllipse(centre, radius, radius);
}

}  // namespace

QIcon GrepDialog() {
  return Drawn([](QPainter& p) {
    Folder(p);
    Lens(p, QPointF(9.5, 8.5), 3.3);
  });
}

QIcon StartSearch() {
  return Drawn([](QPainter& p) {
    p.setPen(QPen(QColor(0x1E, 0x6B, 0x1E), 0.8));
    p.setBrush(QColor(0x3C, 0xB3, 0x3C));
    p.drawPolygon(QPolygonF{QPointF(4, 2), QPointF(13.5, 8), QPointF(4, 14)});
  });
}

QIcon StopSearch() {
  return Drawn([](QPainter& p) {
    p.setPen(QPen(QColor(0x8B, 0x10, 0x10), 0.8));
    p.setBrush(QColor(0xD9, 0x33, 0x2B));
    QPolygonF octagon;
    for (QPointF corner :
         {QPointF(5.5, 1.5), QPointF(10.5, 1.5), QPointF(14.5, 5.5), QPointF(14.5, 10.5),
          QPointF(10.5, 14.5), QPointF(5.5, 14.5), QPointF(1.5, 10.5), QPointF(1.5, 5.5)})
      octagon << corner;
    p.drawPolygon(octagon);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4.5, 7, 7, 2));
  });
}

QIcon TagJump() {
  return Drawn([](QPainter& p) {
    p.setPen(QPen(QColor(0x60, 0x60, 0x60), 0.8));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(6.5, 1.5, 8, 13));
    p.setPen(QPen(QColor(0xA0, 0xA0, 0xA0), 0.8));
    for (qreal y : {4.5, 6.5, 8.5, 10.5, 12.5}) p.drawLine(QPointF(8.5, y), QPointF(12.5, y));
    p.setPen(QPen(QColor(0x1F, 0x5F, 0xBF), 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(QPointF(1.5, 8.5), QPointF(9, 8.5));
    p.drawPolyline(QPolygonF{QPointF(6.5, 6), QPointF(9.3, 8.5), QPointF(6.5, 11)});
  });
}

QIcon Program() {
  // The icon of the desktop entry (icons/varsik.svg), drawn at its sizes when the
  // program was built: the window shows it without an icon theme installed.
  QIcon icon;
  for (const QString& file : QDir(QStringLiteral(":/icons")).entryList({QStringLiteral("*.png")}))
    icon.addFile(QStringLiteral(":/icons/") + file);
  return icon;
}

}  // namespace WindowIcons

}  // namespace varsik
