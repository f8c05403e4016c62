#include "views2d/ColorViews.h"

#include "views2d/ColorPalette.h"
#include "views2d/Contour.h"

namespace orvelle {

void StartColorViews(QImage& colorBar1, QImage& colorBar2, const ViewerParams& params) {
  DrawColorBar(colorBar1, params.colormapMode, params.minColor, params.maxColor,
               params.colormapPalette);
  DrawColorBar(colorBar2, 1, params.minColor, params.maxColor, params.contourPalette);
  InitContourModule(params.contourLevels);
  SetContourColors(params.backColor, params.minColor, params.maxColor, 0x000000);
}

void RefreshColorViews(ColorViewImages& views, const GridDataSet& shown,
                       const ViewerParams& params) {
  DrawColormap(views.colormap, shown, params, views.thresholdTest, views.colormapResult);
  DrawContour(views.contour, shown, params, views.thresholdTest, views.contourLabels);
}

}  // namespace orvelle
