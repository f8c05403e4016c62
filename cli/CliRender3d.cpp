// render --view 3d: the 3D view as the window shows it right after the file was opened, drawn
// on an offscreen OpenGL surface.
#include <QGuiApplication>
#include <QImage>
#include <cstdio>
#include <memory>

#include "cli/Cli.h"
#include "cli/CliPicture.h"
#include "data/Message.h"
#include "view3d/OffscreenSurfaceRenderer.h"
#include "view3d/SurfaceRenderer.h"
#include "view3d/ViewInteraction.h"

namespace orvelle::cli {
namespace {

constexpr int kPanelWidth = 377;
constexpr int kPanelHeight = 205;

}  // namespace

int RunRender3d(const CliContext& context) {
  const CliOptions& o = context.options;
  const int width = o.width.value_or(kPanelWidth);
  const int height = o.height.value_or(kPanelHeight);

  const auto app = StartGuiApplication(true);
  OffscreenSurfaceRenderer own;
  OffscreenSurfaceRenderer& renderer = context.surface != nullptr ? *context.surface : own;
  std::string error;
  if (!renderer.Open(width, height, error)) {
    ShowMessage(error);
    return 1;
  }

  // The view bars are never stored, so every start shows their start positions.
  const ViewerParams& params = context.params;
  const ViewBars bars;
  InitRenderer(params);
  SetViewAngles(BarToRadians(bars.tilt), BarToRadians(bars.turn));
  SetRatioZoom(BarToRatio(bars.ratio), static_cast<float>(bars.zoom));

  const GridDataSet* set = &context.sets[o.type];
  const QImage image = renderer.Render([&](int w, int h) {
    DrawScene(w, h, set, params.colormapPalette, params.d3DrawPitch, params.d3DrawType);
  });
  if (image.isNull()) {
    ShowMessage("The 3D view could not be drawn.");
    return 1;
  }
  return WritePicture(image, o.output, o.pagePicture) ? 0 : 1;
}

}  // namespace orvelle::cli
