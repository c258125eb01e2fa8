// The main window's design: its face, sizes and title, shared by its layout and its
// handlers.
#pragma once

#include <QString>

namespace varsik {

namespace WindowDesign {

inline const QString kWindowFace = QStringLiteral("ＭＳ Ｐゴシック");
inline const QString kTitle = QStringLiteral("Varsik");
inline constexpr int kWindowFontPixels = 12;
inline constexpr int kSearchBoxFontPixels = 13;
inline constexpr int kToolBarHeight = 28;
inline constexpr int kStatusBarHeight = 20;
inline constexpr int kSearchBoxWidth = 300;
inline constexpr int kHistoryRows = 10;
inline constexpr int kPanel1Width = 80;
inline constexpr int kPanel0Margin = 95;  // panel 0 takes the status bar's width less this
inline constexpr int kScreenMargin = 100;
inline constexpr int kFallbackPos = 50;

}  // namespace WindowDesign

}  // namespace varsik
