// render --view colormap|contour: the picture the window shows right after the file was opened
// (and, with --type N, after data type N was then chosen), drawn by the same functions in the
// same order, so that the palette the last drawing installed is the one the window would use.
// --framed adds what the window's copy button copies around the view.
#include "cli/Cli.h"

#include <QImage>
#include <cstdio>
#include <memory>

#include "cli/CliPicture.h"
#include "data/Message.h"
#include "views2d/ColorMap.h"
#include "views2d/ColorPalette.h"
#include "views2d/ColorViews.h"
#include "views2d/FramedViews.h"

namespace orvelle::cli {
namespace {

// The resolution a QImage takes when no GUI application runs (Qt's fallback of 100 dpi), which
// is how `render` draws these views. A process that runs one (a report worker) sets it, so the
// PNG's bytes do not depend on the process that drew it.
constexpr int kDotsPerMeter = 3937;

}  // namespace

int RunRender2d(const CliContext& context) {
  const CliOptions& options = context.options;
  const ViewerParams& params = context.params;
  const int width = options.width.value_or(kColormapSize);
  const int height = options.height.value_or(kColormapSize);

  // Window start-up: the colour bars, the contour module, then a first refresh with nothing
  // loaded (whose 3D view has no surface and so installs no palette).
  QImage colorBar1(kColorBarWidth, kColorBar1Height, QImage::Format_RGB32);
  QImage colorBar2(kColorBarWidth, kColorBar2Height, QImage::Format_RGB32);
  StartColorViews(colorBar1, colorBar2, params);
  ColorViewImages views;
  views.colormap = QImage(width, height, QImage::Format_RGB32);
  views.contour = QImage(width, height, QImage::Format_RGB32);
  views.colormap.fill(Qt::white);
  views.contour.fill(Qt::white);
  const auto empty = std::make_unique<GridDataSet>();
  RefreshColorViews(views, *empty, params);

  // Opening the file shows data type 0.
  RefreshColorViews(views, context.sets[0], params);
  if (options.type != 0) {
    // That refresh ended with the 3D surface of type 0, which installs the colour-map palette
    // when the type holds data; choosing another type then refreshes again.
    if (context.sets[0].active) SetPaletteParams(params.colormapPalette);
    RefreshColorViews(views, context.sets[options.type], params);
  }
  const bool contour = options.view == "contour";
  QImage picture = contour ? views.contour : views.colormap;
  if (options.framed) {
    // The captions and value labels need the fonts of a GUI application.
    const auto app = StartGuiApplication(false);
    const QFont font = WindowFont(QGuiApplication::font());
    const QPalette palette = QGuiApplication::palette();
    picture = contour
                  ? FramedContour(views.contour, colorBar2, views.contourLabels, font, palette)
                  : FramedColormap(views.colormap, colorBar1, views.colormapResult, font, palette);
  }
  picture.setDotsPerMeterX(kDotsPerMeter);
  picture.setDotsPerMeterY(kDotsPerMeter);
  return WritePicture(picture, options.output) ? 0 : 1;
}

}  // namespace orvelle::cli
