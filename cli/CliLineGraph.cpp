// render --view linegraph: the line graph as the window shows it right after a load, with the
// cross-section through the centre of the colour map.
#include "cli/Cli.h"

#ifdef ORVELLE_CLI_RENDER
#include <QBuffer>
#include <QByteArray>
#include <QGuiApplication>
#include <QImage>
#include <cstdio>
#include <memory>

#include "data/Message.h"
#include "views2d/LineGraph.h"
#include "views2d/PointerInteraction.h"
#endif

namespace orvelle::cli {

#ifdef ORVELLE_CLI_RENDER
namespace {

constexpr int kColorMapSide = 301;

// Text needs a GUI application; without a display the offscreen platform serves.
std::unique_ptr<QGuiApplication> EnsureGuiApplication() {
  if (QCoreApplication::instance() != nullptr) return nullptr;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "orvelle-cli";
  static char* argv[] = {name, nullptr};
  return std::make_unique<QGuiApplication>(argc, argv);
}

}  // namespace

int RunRenderLineGraph(const CliContext& context) {
  const CliOptions& options = context.options;
  const auto app = EnsureGuiApplication();
  const GridDataSet& set = context.sets[options.type];
  QImage image(options.width.value_or(kLineGraphWidth), options.height.value_or(kLineGraphHeight),
               QImage::Format_RGB32);
  ResetLineGraph();
  SetUpLineGraph(&image, context.params);
  PrepareLineGraph(context.params, set);
  PlaceCrossSection(set, kColorMapSide, kColorMapSide, kColorMapSide / 2, kColorMapSide / 2);
  RefreshLineGraph(set);

  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  std::FILE* f = OpenOutput(options.output);
  if (f == nullptr) return 1;
  std::fwrite(png.constData(), 1, static_cast<size_t>(png.size()), f);
  return CloseOutput(f, options.output) ? 0 : 1;
}
#else
int RunRenderLineGraph(const CliContext&) {
  return UsageError("this command is not available in this build");
}
#endif

}  // namespace orvelle::cli
