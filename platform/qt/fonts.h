// The program's fonts are named by their Windows faces ("ＭＳ ゴシック", "Courier New");
// this maps each to an installed family and converts the pixel sizes of the window's
// design to the point sizes that QScintilla takes.
#pragma once

#include <QFont>
#include <QString>

namespace varsik {

namespace Platform {

// The installed family for a face name: the face itself when it is installed, else
// its stand-in (IPA fonts for the MS faces, a monospace for Courier New), else the
// application's default family.
QString FontFamily(const QString& face);

// Points that `pixels` pixels make at 96 dots per inch.
double PixelsToPoints(int pixels);

// The face at a pixel size, for widgets.
QFont PixelFont(const QString& face, int pixels);

// The face at the point size of `pixels`, for QScintilla, which reads point sizes.
QFont PointFont(const QString& face, int pixels);

}  // namespace Platform

}  // namespace varsik
