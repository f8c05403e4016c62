// The 3D surface renderer: module state (RendererState) set by InitRenderer and the setters, and
// DrawScene, which draws one frame with OpenGL 1.1 into the framebuffer of the current context
// (the panel's widget or an offscreen framebuffer supply the context).
#pragma once

#include "data/ColorTypes.h"
#include "data/GridDataSet.h"
#include "view3d/SurfaceGeometry.h"

class QImage;

namespace orvelle {

struct ViewerParams;

// Largest picture a copy reads back; a larger panel copies its lower-left part.
inline constexpr int kMaxCopyWidth = 800;
inline constexpr int kMaxCopyHeight = 600;

// Installs every setting from the viewer parameters (angles in radians, ratio, zoom, the two
// colour-range colours, the six 3D colours, the four flags, the label size), with the HSV
// palette for the surface and two label decimals.
void InitRenderer(const ViewerParams& params);

// Setters: each stores its arguments in the module state and draws nothing.
void SetRatioZoom(float ratio, float zoom);
void SetViewAngles(float angleX, float angleZ);  // radians
void SetRendererColors(ColorRef low, ColorRef high, ColorRef axis, ColorRef background,
                       ColorRef frame, ColorRef label, ColorRef sub, ColorRef side);
void SetDrawFrame(bool on);
void SetDrawLabel(bool on);
void SetDrawSub(bool on);
void SetDrawSide(bool on);
void SetLabelSize(int size);

const RendererState& CurrentRendererState();

// Draws one frame of width x height framebuffer pixels in the current OpenGL context: axes,
// dotted grid, and for an active data set (null: none) the surface of the draw type at the
// pitch, with its labels. Installs `palette` with SetPaletteParams when a surface is drawn.
// With a copy target set, reads the finished frame back into it (at most 800 x 600). The same
// data in the same view at the same size gives back the stored picture of the last frame. Leaves
// the context current (the caller presents and releases it). Nothing happens without a context.
void DrawScene(int width, int height, const GridDataSet* set, const PaletteParams& palette,
               int pitch, int drawType);

// The same frame drawn vertex by vertex with colours computed per vertex, as the drawing rules
// read; kept as the reference that DrawScene's vertex arrays are checked against.
void DrawSceneImmediate(int width, int height, const GridDataSet* set, const PaletteParams& palette,
                        int pitch, int drawType);

// Whether the last DrawScene with a surface wrote back the stored picture of an identical
// earlier frame instead of drawing (its time then says nothing about the mesh's cost).
bool LastFrameReplayed();

// While `target` is set (null clears it), each DrawScene resizes it to the frame it reads back
// (RGB32, at most 800 x 600) and fills it. The caller owns the image.
void SetCopyTarget(QImage* target);
bool HasCopyTarget();

// Reads width x height pixels of the current context's framebuffer from its lower-left corner
// into an RGB32 image (top row first). A null image when no context is current.
QImage ReadFramePixels(int width, int height);

// End of the panel's life: makes no context current and frees the cached surface.
void ReleaseRenderer();

// Test fixtures: the state of program start (all settings zero, no copy target, no cache,
// buffer objects allowed).
void ResetRenderer();

// Whether DrawScene may keep the surface in OpenGL buffer objects where the context has them
// (on by default). Off, it draws from client-side vertex arrays, as it does in contexts
// without buffer objects.
void SetBufferObjectsAllowed(bool allowed);

}  // namespace orvelle
