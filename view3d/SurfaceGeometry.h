// What the 3D view draws, computed without OpenGL: the renderer's settings, scene coordinates of
// grid points, the fixed axes and dotted grid, the surface mesh (plane, wire, frame, walls) with
// its colours, the value-label strokes, and where a scene point lands on the panel.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "data/ColorTypes.h"
#include "data/GridDataSet.h"

namespace orvelle {

// The renderer's settings (one instance lives in SurfaceRenderer; all zero until InitRenderer).
struct RendererState {
  float ratio = 0.0f;   // box height is ratio x 0.1
  float zoom = 0.0f;    // scene scale is zoom x 0.01
  float angleX = 0.0f;  // tilt, radians
  float angleZ = 0.0f;  // turn, radians
  uint8_t paletteMode = 0;
  ColorRef lowColor = 0;
  ColorRef highColor = 0;
  ColorRef axisColor = 0;
  ColorRef backgroundColor = 0;
  ColorRef frameColor = 0;
  ColorRef labelColor = 0;
  ColorRef subColor = 0;
  ColorRef sideColor = 0;
  uint8_t drawFrame = 0;
  uint8_t drawLabel = 0;
  uint8_t drawSub = 0;
  uint8_t drawSide = 0;
  int labelSize = 0;
  int labelDigits = 0;
  friend bool operator==(const RendererState&, const RendererState&) = default;
};

struct Vec3f {
  float x = 0.0f;
  float y = 0.0f;
  float z = 0.0f;
  friend bool operator==(const Vec3f&, const Vec3f&) = default;
};

// Draw types of the surface (the radio group's item index).
inline constexpr int kDrawWire = 0;
inline constexpr int kDrawPlane = 1;

// Extent actually drawn: the data set's size limited to 0..500 (a larger size would reach
// outside the grid). 0 means there is no surface to draw.
int DrawnExtent(const GridDataSet& set);
// The draw pitch limited to 1..500, so every loop over the grid advances.
int DrawnPitch(int pitch);

// Place of v within the colour range, clamped to 0..1; 0 for an empty range or when the
// arithmetic is not finite (infinite range ends, NaN).
float HeightFraction(double v, double rangeMin, double rangeMax);
// Scene height of a fraction: f x ratio x 0.1.
float SceneHeight(float fraction, float ratio);
// Scene position of grid point (X, Y) at fraction f for extent `extent` (> 0): the grid fills
// -0.5..0.5 along x and z, the data's Y axis is the scene's z axis.
Vec3f ScenePoint(int x, int y, int extent, float fraction, float ratio);

// The three solid axis lines as point pairs, for a box of height h.
std::vector<Vec3f> AxisSegments(float h);
// The dotted floor grid and, when `walls` is set, the dotted wall grid, as point pairs.
std::vector<Vec3f> DottedGridSegments(float h, bool walls);

// Text of a label value with `digits` decimals, '.' as decimal point whatever the locale.
std::string LabelText(double value, int digits);
// Appends the strokes of one character as point pairs: glyph cell 1 x 2 of size s hanging down
// from `origin`, mirrored left to right when `mirrored`. Unknown characters append nothing.
void AppendGlyphStrokes(char c, float s, Vec3f origin, bool mirrored, std::vector<Vec3f>& out);
// Strokes of the three value labels (range minimum, middle and maximum, divided by a non-zero
// normDivisor) beside the height axis, as point pairs.
std::vector<Vec3f> ValueLabelSegments(const GridDataSet& set, const RendererState& state);

// The surface of one data set in vertex-array form, in the order the drawing rules visit it,
// so that submitting it in one go gives the same picture as drawing it vertex by vertex.
struct SurfaceMesh {
  std::vector<Vec3f> positions;
  std::vector<Rgb3f> colors;
  std::vector<uint32_t> planeTriangles;  // plane cells and walls, in visiting order
  std::vector<uint32_t> wireLines;       // plain wire, as index pairs
  std::vector<uint32_t> frameLines;      // lifted wire over the plane, as index pairs
  void Clear();
};

// Colour of every sampled grid point (X and Y multiples of the pitch up to the extent), index
// (X / pitch) x n + Y / pitch with n = extent / pitch + 1. Reads the installed palette ramp;
// invalid points get a colour too (never drawn).
std::vector<Rgb3f> SampleColors(const GridDataSet& set, const RendererState& state, int pitch);

// Builds the mesh of an active data set for the draw type, from colours made by SampleColors
// with the same pitch. Only what the draw type and the Frame and Side flags show is built.
void BuildSurfaceMesh(const GridDataSet& set, const RendererState& state, int pitch, int drawType,
                      const std::vector<Rgb3f>& sampleColors, SurfaceMesh& mesh);

// Scene point to OpenGL window coordinates (x from the left, y from the bottom, pixel centres
// at half-integers) for the renderer's view, projection and viewport in a width x height
// framebuffer. The view is an orthographic one, so the map is affine.
struct WindowTransform {
  double xx = 0, xy = 0, xz = 0, x0 = 0;
  double yx = 0, yy = 0, yz = 0, y0 = 0;
};
WindowTransform MakeWindowTransform(const RendererState& state, int width, int height);

// Panel pixel (column from the left, row from the top, fractional) where a scene point appears
// in a panel of width x height.
struct PixelPos {
  double x = 0.0;
  double y = 0.0;
};
PixelPos ProjectToPixel(const RendererState& state, int width, int height, Vec3f p);

// Copies the triangles of `triangles` (index triples into `positions`) that can cover a pixel
// centre under `transform` into `out`, in order. A triangle whose bounding box holds no pixel
// centre (with a margin well beyond the rasteriser's snapping) gives no fragment, so leaving
// it out does not change the picture.
void KeepPixelCoveringTriangles(const std::vector<Vec3f>& positions,
                                const std::vector<uint32_t>& triangles,
                                const WindowTransform& transform, std::vector<uint32_t>& out);

}  // namespace orvelle
