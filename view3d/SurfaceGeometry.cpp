#include "view3d/SurfaceGeometry.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numbers>

#include "views2d/ColorPalette.h"

namespace orvelle {
namespace {

constexpr int kMaxCoord = kGridDim - 1;
constexpr float kFrameLift = 0.005f;

// Where the height axis labels stand: left of the front-left corner of the box.
constexpr Vec3f kLabelAnchor{-0.6f, 0.0f, 0.5f};

struct Stroke {
  float x0, y0, x1, y1;
};

struct Glyph {
  char c;
  int count;
  Stroke strokes[5];
};

// Strokes in a cell 1 wide and 2 high, origin at the top left, y pointing up.
constexpr Glyph kGlyphs[] = {
    {'0', 4, {{0, 0, 1, 0}, {1, 0, 1, -2}, {1, -2, 0, -2}, {0, -2, 0, 0}}},
    {'1', 3, {{0, 0, 0.5f, 0}, {0.5f, 0, 0.5f, -2}, {0, -2, 1, -2}}},
    {'2', 5, {{0, 0, 1, 0}, {1, 0, 1, -1}, {1, -1, 0, -1}, {0, -1, 0, -2}, {0, -2, 1, -2}}},
    {'3', 4, {{0, 0, 1, 0}, {1, 0, 1, -2}, {0.5f, -1, 1, -1}, {0, -2, 1, -2}}},
    {'4', 3, {{0, 0, 0, -1}, {0, -1, 1, -1}, {1, 0, 1, -2}}},
    {'5', 5, {{0, 0, 1, 0}, {0, 0, 0, -1}, {0, -1, 1, -1}, {1, -1, 1, -2}, {0, -2, 1, -2}}},
    {'6', 5, {{0, 0, 1, 0}, {0, 0, 0, -2}, {0, -2, 1, -2}, {1, -1, 1, -2}, {0, -1, 1, -1}}},
    {'7', 2, {{0, 0, 1, 0}, {1, 0, 1, -2}}},
    {'8', 5, {{0, 0, 1, 0}, {0, 0, 0, -2}, {0, -2, 1, -2}, {1, 0, 1, -2}, {0, -1, 1, -1}}},
    {'9', 5, {{0, 0, 1, 0}, {0, 0, 0, -1}, {0, -1, 1, -1}, {1, 0, 1, -2}, {0, -2, 1, -2}}},
    {'-', 1, {{0, -1, 1, -1}}},
    {'.',
     4,
     {{0.4f, -1.9f, 0.6f, -1.9f},
      {0.4f, -1.9f, 0.4f, -2},
      {0.4f, -2, 0.6f, -2},
      {0.6f, -1.9f, 0.6f, -2}}},
    {'E', 4, {{0, 0, 1, 0}, {0, 0, 0, -2}, {0, -1, 0.5f, -1}, {0, -2, 1, -2}}},
};

void AddSegment(std::vector<Vec3f>& out, Vec3f a, Vec3f b) {
  out.push_back(a);
  out.push_back(b);
}

// A quad strip a, b, c, d as the two triangles the rasteriser makes of it (split along a-d),
// vertex order included, so that the shading across the quad is the same.
void AddQuadStrip(std::vector<uint32_t>& tri, uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
  tri.insert(tri.end(), {c, a, d, a, b, d});
}

Rgb3f FixedColor(ColorRef c) { return PaletteColorF(0, c, c, 1.0f); }

}  // namespace

int DrawnExtent(const GridDataSet& set) { return std::clamp(set.size, 0, kMaxCoord); }

int DrawnPitch(int pitch) { return std::clamp(pitch, 1, kMaxCoord); }

float HeightFraction(double v, double rangeMin, double rangeMax) {
  if (rangeMax == rangeMin) return 0.0f;
  const double f = (v - rangeMin) / (rangeMax - rangeMin);
  if (std::isnan(f)) return 0.0f;
  return static_cast<float>(std::clamp(f, 0.0, 1.0));
}

float SceneHeight(float fraction, float ratio) { return fraction * ratio * 0.1f; }

Vec3f ScenePoint(int x, int y, int extent, float fraction, float ratio) {
  const int h = extent / 2;
  const float s = static_cast<float>(extent);
  return {static_cast<float>(x - h) / s, SceneHeight(fraction, ratio),
          static_cast<float>(y - h) / s};
}

std::vector<Vec3f> AxisSegments(float h) {
  std::vector<Vec3f> out;
  AddSegment(out, {-0.5f, 0, 0.5f}, {0.5f, 0, 0.5f});
  AddSegment(out, {-0.5f, 0, -0.5f}, {-0.5f, 0, 0.5f});
  AddSegment(out, {-0.5f, 0, 0.5f}, {-0.5f, h, 0.5f});
  return out;
}

std::vector<Vec3f> DottedGridSegments(float h, bool walls) {
  std::vector<Vec3f> out;
  for (int i = 0; i <= 3; ++i) {
    const float z = static_cast<float>(i - 2) * 0.25f;
    const float x = static_cast<float>(i - 1) * 0.25f;
    AddSegment(out, {-0.5f, 0, z}, {0.5f, 0, z});
    AddSegment(out, {x, 0, -0.5f}, {x, 0, 0.5f});
  }
  if (!walls) return out;
  for (int i = 0; i <= 4; ++i) {
    const float c = static_cast<float>(i - 2) * 0.25f;
    AddSegment(out, {c, 0, -0.5f}, {c, h, -0.5f});
    AddSegment(out, {0.5f, 0, c}, {0.5f, h, c});
    if (i > 0) {
      AddSegment(out, {c, 0, 0.5f}, {c, h, 0.5f});
      AddSegment(out, {-0.5f, 0, c}, {-0.5f, h, c});
    }
  }
  for (int i = 0; i <= 2; ++i) {
    const float y = static_cast<float>(i) * 0.5f * h;
    AddSegment(out, {-0.5f, y, -0.5f}, {0.5f, y, -0.5f});
    AddSegment(out, {0.5f, y, -0.5f}, {0.5f, y, 0.5f});
    if (i > 0) {
      AddSegment(out, {-0.5f, y, 0.5f}, {0.5f, y, 0.5f});
      AddSegment(out, {-0.5f, y, -0.5f}, {-0.5f, y, 0.5f});
    }
  }
  return out;
}

std::string LabelText(double value, int digits) {
  // Wide enough for the longest fixed-point double (309 integer digits) with 20 decimals.
  char buffer[352];
  const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value,
                                          std::chars_format::fixed, std::clamp(digits, 0, 20));
  if (error != std::errc()) return {};
  return std::string(buffer, end);
}

void AppendGlyphStrokes(char c, float s, Vec3f origin, bool mirrored, std::vector<Vec3f>& out) {
  for (const Glyph& g : kGlyphs) {
    if (g.c != c) continue;
    auto place = [&](float gx, float gy) {
      return Vec3f{origin.x + s * (mirrored ? 1.0f - gx : gx), origin.y + s * gy, origin.z};
    };
    for (int k = 0; k < g.count; ++k) {
      const Stroke& st = g.strokes[k];
      AddSegment(out, place(st.x0, st.y0), place(st.x1, st.y1));
    }
    return;
  }
}

std::vector<Vec3f> ValueLabelSegments(const GridDataSet& set, const RendererState& state) {
  std::vector<Vec3f> out;
  const float s = static_cast<float>(state.labelSize) * 0.01f;
  const bool mirrored = state.angleZ > 0.0f;
  const double values[3] = {set.rangeMin, set.rangeMin + (set.rangeMax - set.rangeMin) * 0.5,
                            set.rangeMax};
  const float fractions[3] = {0.0f, 0.5f, 1.0f};
  for (int k = 0; k < 3; ++k) {
    double value = values[k];
    if (set.normDivisor != 0.0) value /= set.normDivisor;
    const std::string text = LabelText(value, state.labelDigits);
    const float n = static_cast<float>(text.size());
    const float y = kLabelAnchor.y + state.ratio * 0.1f * fractions[k];
    for (size_t i = 0; i < text.size(); ++i) {
      const float fi = static_cast<float>(i);
      const float x =
          mirrored ? kLabelAnchor.x - 1.5f * s * fi : kLabelAnchor.x + s * (1.5f * fi - 1.5f * n);
      AppendGlyphStrokes(text[i], s, {x, y, kLabelAnchor.z}, mirrored, out);
    }
  }
  return out;
}

void SurfaceMesh::Clear() {
  positions.clear();
  colors.clear();
  planeTriangles.clear();
  wireLines.clear();
  frameLines.clear();
}

std::vector<Rgb3f> SampleColors(const GridDataSet& set, const RendererState& state, int pitch) {
  const int extent = DrawnExtent(set);
  const int p = DrawnPitch(pitch);
  const int n = extent / p + 1;
  std::vector<Rgb3f> colors(static_cast<size_t>(n) * n);
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j) {
      const float f = HeightFraction(set.values[i * p][j * p], set.rangeMin, set.rangeMax);
      colors[static_cast<size_t>(i) * n + j] =
          PaletteColorF(state.paletteMode, state.lowColor, state.highColor, f);
    }
  }
  return colors;
}

void BuildSurfaceMesh(const GridDataSet& set, const RendererState& state, int pitch, int drawType,
                      const std::vector<Rgb3f>& sampleColors, SurfaceMesh& mesh) {
  mesh.Clear();
  const int extent = DrawnExtent(set);
  const int p = DrawnPitch(pitch);
  const int n = extent / p + 1;
  if (extent <= 0 || sampleColors.size() != static_cast<size_t>(n) * n) return;
  if (drawType != kDrawWire && drawType != kDrawPlane) return;

  auto value = [&](int i, int j) { return set.values[i * p][j * p]; };
  auto valid = [&](int i, int j) { return IsValid(value(i, j)); };
  auto index = [&](int i, int j) { return static_cast<uint32_t>(i * n + j); };
  auto fraction = [&](int i, int j) {
    return HeightFraction(value(i, j), set.rangeMin, set.rangeMax);
  };

  const size_t count = static_cast<size_t>(n) * n;
  mesh.positions.reserve(count);
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j)
      mesh.positions.push_back(ScenePoint(i * p, j * p, extent, fraction(i, j), state.ratio));
  }
  mesh.colors = sampleColors;

  // Connects consecutive valid points of one grid line; invalid points are passed over, so the
  // line runs straight on to the next valid one.
  auto addLine = [&](std::vector<uint32_t>& lines, uint32_t base, bool alongY, int fixed) {
    bool havePrevious = false;
    uint32_t previous = 0;
    for (int k = 0; k < n; ++k) {
      const int i = alongY ? fixed : k;
      const int j = alongY ? k : fixed;
      if (!valid(i, j)) continue;
      const uint32_t current = base + index(i, j);
      if (havePrevious) lines.insert(lines.end(), {previous, current});
      previous = current;
      havePrevious = true;
    }
  };

  if (drawType == kDrawWire) {
    for (int i = 0; i < n; ++i) addLine(mesh.wireLines, 0, true, i);
    for (int j = 0; j < n; ++j) addLine(mesh.wireLines, 0, false, j);
    return;
  }

  if (state.drawFrame) {
    // The frame rides 0.005 above the plane, except at the start of a line and where the grid
    // point right after it along the line has no data (the plane ends there).
    const Rgb3f frame = FixedColor(state.frameColor);
    for (int pass = 0; pass < 2; ++pass) {
      const uint32_t base = static_cast<uint32_t>(mesh.positions.size());
      for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) {
          const int x = i * p, y = j * p;
          const bool first = pass == 0 ? j == 0 : i == 0;
          const int nx = pass == 0 ? x : x + 1;
          const int ny = pass == 0 ? y + 1 : y;
          float f = fraction(i, j);
          if (!first && nx <= kMaxCoord && ny <= kMaxCoord && IsValid(set.values[nx][ny]))
            f += kFrameLift;
          mesh.positions.push_back(ScenePoint(x, y, extent, f, state.ratio));
          mesh.colors.push_back(frame);
        }
      }
      for (int k = 0; k < n; ++k) addLine(mesh.frameLines, base, pass == 0, k);
    }
  }

  const Rgb3f side = FixedColor(state.sideColor);
  auto addWall = [&](uint32_t a, uint32_t b) {
    const uint32_t base = static_cast<uint32_t>(mesh.positions.size());
    const Vec3f pa = mesh.positions[a], pb = mesh.positions[b];
    mesh.positions.insert(mesh.positions.end(), {pa, pb, {pa.x, 0.0f, pa.z}, {pb.x, 0.0f, pb.z}});
    mesh.colors.insert(mesh.colors.end(), {side, side, side, side});
    AddQuadStrip(mesh.planeTriangles, base, base + 1, base + 2, base + 3);
  };

  const int lastSpan = extent % p + p;
  for (int i = 0; i + 1 < n; ++i) {
    for (int j = 0; j + 1 < n; ++j) {
      const uint32_t c0 = index(i, j), c1 = index(i + 1, j), c2 = index(i, j + 1),
                     c3 = index(i + 1, j + 1);
      const bool v0 = valid(i, j), v1 = valid(i + 1, j), v2 = valid(i, j + 1),
                 v3 = valid(i + 1, j + 1);
      const int validCount = v0 + v1 + v2 + v3;
      if (validCount < 2) continue;
      if (validCount == 4) {
        AddQuadStrip(mesh.planeTriangles, c0, c1, c2, c3);
        if (!state.drawSide) continue;
        const int x = i * p, y = j * p;
        if (x == 0) addWall(c0, c2);
        if (y == 0) addWall(c0, c1);
        if (lastSpan >= extent - x) addWall(c1, c3);
        if (lastSpan >= extent - y) addWall(c2, c3);
      } else if (state.drawSide) {
        // Edges where the neighbouring drawn surface ends.
        if (v0 && v1) addWall(c0, c1);
        if (v0 && v2) addWall(c0, c2);
        if (v1 && v3) addWall(c1, c3);
        if (v2 && v3) addWall(c2, c3);
      }
    }
  }
}

WindowTransform MakeWindowTransform(const RendererState& state, int width, int height) {
  // Translate by (0, -0.3, 0), scale, turn about the vertical axis, tilt; the camera's step back
  // along z does not move an orthographic picture. The angles pass through single precision in
  // degrees as they do on their way to OpenGL.
  const double toDeg = 180.0 / std::numbers::pi, toRad = std::numbers::pi / 180.0;
  const double turn =
      static_cast<float>((state.angleZ + std::numbers::pi_v<float> / 2) * toDeg) * toRad;
  const double tilt = static_cast<float>(state.angleX * toDeg) * toRad;
  const double s = state.zoom * 0.01f;
  const double ct = std::cos(turn), st = std::sin(turn), cx = std::cos(tilt), sx = std::sin(tilt);
  const double aspect = static_cast<float>(width) / static_cast<float>(height);
  const double kx = (width - 2) / (2.0 * aspect), ky = (height - 2) / 2.0;
  WindowTransform t;
  t.xx = kx * s * ct;
  t.xz = kx * s * st;
  t.x0 = 1.0 + (width - 2) / 2.0;
  t.yx = ky * s * sx * st;
  t.yy = ky * s * cx;
  t.yz = -ky * s * sx * ct;
  t.y0 = 1.0 + ky - ky * 0.3 * s * cx;
  return t;
}

PixelPos ProjectToPixel(const RendererState& state, int width, int height, Vec3f p) {
  const WindowTransform t = MakeWindowTransform(state, width, height);
  const double wx = t.xx * p.x + t.xy * p.y + t.xz * p.z + t.x0;
  const double wy = t.yx * p.x + t.yy * p.y + t.yz * p.z + t.y0;
  return {wx, height - wy};
}

void KeepPixelCoveringTriangles(const std::vector<Vec3f>& positions,
                                const std::vector<uint32_t>& triangles, const WindowTransform& t,
                                std::vector<uint32_t>& out) {
  out.clear();
  // Vertices snap to 1/256 pixel at most; the float window coordinates err far less.
  constexpr float kMargin = 1.0f / 64.0f;
  // Per vertex, the last pixel centre at or below it and the first at or above it (with the
  // margin). Both maps are monotonic, so a triangle's extreme centres are the extremes of its
  // corners' ones: the test per triangle is the same as on its bounding box, with less work.
  struct Centres {
    float xHi, xLo, yHi, yLo;
  };
  std::vector<Centres> c(positions.size());
  for (size_t i = 0; i < positions.size(); ++i) {
    const Vec3f& p = positions[i];
    const float wx = static_cast<float>(t.xx * p.x + t.xy * p.y + t.xz * p.z + t.x0);
    const float wy = static_cast<float>(t.yx * p.x + t.yy * p.y + t.yz * p.z + t.y0);
    c[i] = {std::floor(wx + kMargin - 0.5f), std::ceil(wx - kMargin - 0.5f),
            std::floor(wy + kMargin - 0.5f), std::ceil(wy - kMargin - 0.5f)};
  }
  for (size_t k = 0; k + 2 < triangles.size(); k += 3) {
    const Centres &a = c[triangles[k]], &b = c[triangles[k + 1]], &d = c[triangles[k + 2]];
    const bool holdsX = !(std::max({a.xHi, b.xHi, d.xHi}) < std::min({a.xLo, b.xLo, d.xLo}));
    const bool holdsY = !(std::max({a.yHi, b.yHi, d.yHi}) < std::min({a.yLo, b.yLo, d.yLo}));
    if (holdsX && holdsY) out.insert(out.end(), {triangles[k], triangles[k + 1], triangles[k + 2]});
  }
}

}  // namespace orvelle
