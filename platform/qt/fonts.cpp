#include "platform/qt/fonts.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QStringList>

namespace varsik {

namespace Platform {
namespace {

QStringList StandIns(const QString& face) {
  if (face == QStringLiteral("ＭＳ ゴシック") || face == QStringLiteral("MS Gothic"))
    return {QStringLiteral("IPAGothic"), QStringLiteral("IPAゴシック"),
            QStringLiteral("Noto Sans Mono CJK JP"), QStringLiteral("VL Gothic")};
  if (face == QStringLiteral("ＭＳ Ｐゴシック") || face == QStringLiteral("MS PGothic"))
    return {QStringLiteral("IPAPGothic"), QStringLiteral("IPA Pゴシック"),
            QStringLiteral("Noto Sans CJK JP"), QStringLiteral("VL PGothic")};
  if (face == QStringLiteral("Courier New"))
    return {QStringLiteral("Liberation Mono"), QStringLiteral("Nimbus Mono PS"),
            QStringLiteral("Noto Mono"), QStringLiteral("DejaVu Sans Mono")};
  return {};
}

bool Installed(const QString& family) {
  return QFontDatabase::hasFamily(family);
}

}  // namespace

QString FontFamily(const QString& face) {
  if (Installed(face)) return face;
  for (const QString& family : StandIns(face))
    if (Installed(family)) return family;
  if (face == QStringLiteral("Courier New"))
    return QFontDatabase::systemFont(QFontDatabase::FixedFont).family();
  return QGuiApplication::font().family();
}

double PixelsToPoints(int pixels) {
  return pixels * 72.0 / 96.0;
}

QFont PixelFont(const QString& face, int pixels) {
  QFont font(FontFamily(face));
  font.setPixelSize(pixels);
  return font;
}

QFont PointFont(const QString& face, int pixels) {
  QFont font(FontFamily(face));
  font.setPointSizeF(PixelsToPoints(pixels));
  return font;
}

}  // namespace Platform

}  // namespace varsik
