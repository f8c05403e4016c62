// render --view linegraph: the line graph as the window shows it right after a load, with the
// cross-section through the centre of the colour map.
#include "cli/Cli.h"

#include <QImage>
#include <cstdio>
#include <memory>
#include "cli/CliPicture.h"

#include "data/Message.h"
#include "views2d/LineGraph.h"
#include "views2d/PointerInteraction.h"

namespace orvelle::cli {

namespace {

constexpr int kColorMapSide = 301;

}  // namespace

int RunRenderLineGraph(const CliContext& context) {
  const CliOptions& options = context.options;
  const auto app = StartGuiApplication(false);
  const GridDataSet& set = context.sets[options.type];
  QImage image(options.width.value_or(kLineGraphWidth), options.height.value_or(kLineGraphHeight),
               QImage::Format_RGB32);
  ResetLineGraph();
  SetUpLineGraph(&image, context.params);
  PrepareLineGraph(context.params, set);
  PlaceCrossSection(set, kColorMapSide, kColorMapSide, kColorMapSide / 2, kColorMapSide / 2);
  RefreshLineGraph(set);

  return WritePicture(image, options.output, options.pagePicture) ? 0 : 1;
}

}  // namespace orvelle::cli
