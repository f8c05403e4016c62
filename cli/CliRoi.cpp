// roi: the ROI table of one or two ROIs placed as Ctrl + clicks on the colour map would place
// them, written as the window's "Save ROI" writes its file.
#include "cli/Cli.h"

#include <cstdio>

#include "views2d/Roi.h"

namespace orvelle::cli {

namespace {

constexpr int kColorMapSide = 301;

bool OnColorMap(const PixelPoint& p) {
  return p.x >= 0 && p.y >= 0 && p.x < kColorMapSide && p.y < kColorMapSide;
}

}  // namespace

int RunRoi(const CliContext& context) {
  const CliOptions& options = context.options;
  ViewerParams& params = context.params;
  const std::optional<PixelPoint> points[2] = {options.roi1, options.roi2};
  for (int k = 0; k < 2; ++k) {
    if (!points[k]) continue;
    if (!OnColorMap(*points[k])) {
      return UsageError("--roi" + std::to_string(k + 1) +
                        " must be a pixel of the 301 x 301 colour map (0..300 each)");
    }
    params.roiCentreX[k] = points[k]->x;
    params.roiCentreY[k] = points[k]->y;
    ShowRoi(params, k, true);
  }
  const std::string text =
      RoiExportText(params, context.sets, options.type, kColorMapSide, kColorMapSide, ',');
  if (text.empty()) return 1;
  if (!options.output.empty() && options.output != "-") {
    return WriteRoiFile(options.output, text) ? 0 : 1;
  }
  std::string crlf;
  for (char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  return WriteOutput("-", crlf) ? 0 : 1;
}

}  // namespace orvelle::cli
