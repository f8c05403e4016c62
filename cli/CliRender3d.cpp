// render --view 3d: the 3D view as the window shows it right after the file was opened, drawn
// on an offscreen OpenGL surface.
#include <QBuffer>
#include <QByteArray>
#include <QGuiApplication>
#include <QImage>
#include <cstdio>
#include <memory>

#include "cli/Cli.h"
#include "data/Message.h"
#include "view3d/OffscreenSurfaceRenderer.h"
#include "view3d/SurfaceRenderer.h"
#include "view3d/ViewInteraction.h"

namespace orvelle::cli {
namespace {

constexpr int kPanelWidth = 377;
constexpr int kPanelHeight = 205;

// Without a usable display Qt's default platform would abort the program; the offscreen
// platform starts anywhere and then reports that it has no OpenGL.
void ChoosePlatform() {
  if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) return;
  const bool display =
      qEnvironmentVariableIsSet("DISPLAY") || qEnvironmentVariableIsSet("WAYLAND_DISPLAY");
  qputenv("QT_QPA_PLATFORM", display ? "xcb;wayland;offscreen" : "offscreen");
}

bool WritePng(const QImage& image, const std::string& path) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (!image.save(&buffer, "PNG")) {
    ShowMessage("File write error. -> " + path);
    return false;
  }
  std::FILE* f = OpenOutput(path);
  if (f == nullptr) return false;
  std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), f);
  return CloseOutput(f, path);
}

}  // namespace

int RunRender3d(const CliContext& context) {
  const CliOptions& o = context.options;
  const int width = o.width.value_or(kPanelWidth);
  const int height = o.height.value_or(kPanelHeight);

  ChoosePlatform();
  // Qt's own notes (a missing runtime directory, a display it could not reach) would only
  // clutter the one-line reports of this program.
  qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type == QtFatalMsg) std::fprintf(stderr, "%s\n", qPrintable(text));
  });
  std::unique_ptr<QGuiApplication> app;
  static int argc = 1;
  static char name[] = "orvelle-cli";
  static char* argv[] = {name, nullptr};
  if (QGuiApplication::instance() == nullptr) app = std::make_unique<QGuiApplication>(argc, argv);

  OffscreenSurfaceRenderer renderer;
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
  return WritePng(image, o.output) ? 0 : 1;
}

}  // namespace orvelle::cli
