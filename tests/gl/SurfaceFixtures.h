// Data sets and pixel helpers shared by the 3D view tests.
#pragma once

#include <QImage>
#include <functional>
#include <memory>

#include "data/GridDataSet.h"
#include "view3d/SurfaceGeometry.h"

namespace orvelle::test {

// An active data set of extent `size` whose point (x, y) holds value(x, y) (kNoData for none),
// with its statistics computed.
std::unique_ptr<GridDataSet> MakeSurface(int size, const std::function<double(int, int)>& value);

// The colour of a pixel as 0xRRGGBB.
inline unsigned PixelRgb(const QImage& image, int x, int y) {
  return image.pixel(x, y) & 0xFFFFFFu;
}

// 0xRRGGBB of a float colour (channel x 255, truncated as the read-back stores it).
unsigned RgbOf(const Rgb3f& c);

// Where a scene point lands in a panel, rounded to the pixel that holds it.
QPoint PixelOf(const RendererState& state, int width, int height, Vec3f p);

}  // namespace orvelle::test
