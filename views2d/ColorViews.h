// The palette-dependent 2D views taken together: the start-up steps that draw the colour bars and
// start the contour module, and the colour map + contour part of a refresh of all views. The
// palette parameters are module state, so the order of these calls decides the colours.
#pragma once

#include <QImage>
#include <QString>
#include <array>

#include "data/GridDataSet.h"
#include "data/ViewerParams.h"
#include "views2d/ColorMap.h"

namespace orvelle {

// The pictures and read-outs of the colour map and the contour map, with the window's working
// threshold test that the contour underlay shares with the colour map.
struct ColorViewImages {
  QImage colormap;
  QImage contour;
  ThresholdTest thresholdTest;
  ColormapResult colormapResult;
  std::array<QString, 5> contourLabels;  // index 0: the bottom label
};

// Window start-up, in this order: colour bar 1 (colour-map mode and palette), colour bar 2
// (colour mode, contour palette), both from minColor to maxColor, each replacing its image's
// picture at the image's size; then the contour module starts with contourLevels and backColor
// as its fill. Leaves the full-saturation start palette installed.
void StartColorViews(QImage& colorBar1, QImage& colorBar2, const ViewerParams& params);

// The colour map, then the contour map, of the shown data set, as a refresh of all views draws
// them (the caller updates the ROIs after the colour map when it has any). The colour map uses
// whatever palette was installed last; the contour leaves the contour palette installed.
void RefreshColorViews(ColorViewImages& views, const GridDataSet& shown,
                       const ViewerParams& params);

}  // namespace orvelle
