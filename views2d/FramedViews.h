// The colour map and the contour map framed as the window shows them: the view in its sunken
// frame, its colour bar and the value labels beside it (and the colour map's axis ticks), at the
// places the window's layout gives them. These are the pictures the window's copy buttons put on
// the clipboard, drawn without any widget.
#pragma once

#include <QFont>
#include <QImage>
#include <QPalette>
#include <QRect>
#include <QString>
#include <array>

#include "views2d/ColorMap.h"

namespace orvelle {

// Window places (client pixels) of the framed areas and of their parts.
inline constexpr QRect kFramedColormapArea{2, 2, 404, 314};
inline constexpr QRect kColormapPanel{8, 6, 305, 305};  // sunken, two pixels deep
inline constexpr QRect kColorBar1Bevel{318, 6, 13, 245};
inline constexpr QRect kFramedContourArea{410, 2, 406, 314};
inline constexpr QRect kContourBevel{414, 6, 305, 305};
inline constexpr QRect kColorBar2Bevel{726, 6, 13, 305};
inline constexpr int kViewLabelWidth = 70;
inline constexpr int kViewLabelHeight = 14;

// The face of the window's controls: a 12-pixel proportional face with Arial's metrics, so the
// designed captions fit their places. Other attributes are those of `base`.
QFont WindowFont(QFont base);

// The framed colour map, kFramedColormapArea's size: `map` (301 x 301) in its panel, `colorBar`
// (9 x 241) in its bevel, the captions and `result`'s Max, Middle, Min, Mean and count texts, and
// its placed ticks. Background, frame shades and text take `palette`'s colours; text `font`.
QImage FramedColormap(const QImage& map, const QImage& colorBar, const ColormapResult& result,
                      const QFont& font, const QPalette& palette);

// The framed contour map, kFramedContourArea's size: `contour` (301 x 301) and `colorBar`
// (9 x 301) in their bevels, with the five level labels (index 0 at the bottom).
QImage FramedContour(const QImage& contour, const QImage& colorBar,
                     const std::array<QString, 5>& labels, const QFont& font,
                     const QPalette& palette);

}  // namespace orvelle
