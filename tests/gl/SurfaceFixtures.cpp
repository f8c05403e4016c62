#include "SurfaceFixtures.h"

#include <cmath>

namespace orvelle::test {

std::unique_ptr<GridDataSet> MakeSurface(int size, const std::function<double(int, int)>& value) {
  auto set = std::make_unique<GridDataSet>();
  ResetDataSets(set.get(), 1);
  set->active = 1;
  set->size = size;
  for (int x = 0; x <= size; ++x)
    for (int y = 0; y <= size; ++y) set->values[x][y] = value(x, y);
  ComputeStatistics(*set);
  return set;
}

unsigned RgbOf(const Rgb3f& c) {
  auto byte = [](float v) { return static_cast<unsigned>(std::lround(v * 255.0f)); };
  return byte(c.r) << 16 | byte(c.g) << 8 | byte(c.b);
}

QPoint PixelOf(const RendererState& state, int width, int height, Vec3f p) {
  const PixelPos pos = ProjectToPixel(state, width, height, p);
  return {static_cast<int>(std::floor(pos.x)), static_cast<int>(std::floor(pos.y))};
}

}  // namespace orvelle::test
