// Viewer settings for the command line: designed start values or a settings file, then overrides.
#include "cli/Cli.h"
#include "data/SettingsFile.h"

namespace orvelle::cli {

bool PrepareParams(const CliOptions& o, ViewerParams& p) {
  p = DesignedParams();
  // Settings the file does not reach keep the designed values, as in the window.
  if (o.settings && LoadParameter(*o.settings, p) != 1) return false;
  if (o.noFill) p.autoFill = 0;
  if (o.spline) {
    p.splineEnable = 1;
    p.splineOrder = *o.spline;
  }
  if (o.filter) {
    p.filterEnable = 1;
    p.filterSize = *o.filter;
  }
  if (o.normalize) {
    p.normEnable = 1;
    p.normValue = static_cast<float>(*o.normalize);
  }
  if (o.roiType) p.roiType[0] = p.roiType[1] = *o.roiType == "square" ? 1 : 0;
  if (o.roiSize) p.roiSize[0] = p.roiSize[1] = *o.roiSize;
  if (o.roiDigits) p.roiDigits[0] = p.roiDigits[1] = *o.roiDigits;
  return true;
}

}  // namespace orvelle::cli
