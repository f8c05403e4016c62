// The pointer on the colour map: pixel to grid mapping, the read-outs under the pointer, the
// cross-section lines that choose the line graph's profiles, Ctrl + click placing the ROIs and
// the context menu. GUI-free: the window forwards its events and applies the results.
#pragma once

#include <string>

#include "data/GridDataSet.h"
#include "data/ViewerParams.h"
#include "views2d/MouseInput.h"

namespace orvelle {

// A pixel of an image of imageWidth x imageHeight as grid coordinates of the data set:
// pixel * (size + 1) / extent, limited to [0, size]. Grid y 0 is the top row of the image.
struct GridPointF {
  float x = 0.0f;
  float y = 0.0f;
};
GridPointF PixelToGrid(int imageWidth, int imageHeight, const GridDataSet& set, int x, int y);
// The same for data of `size` points a side.
GridPointF PixelToGrid(int imageWidth, int imageHeight, int size, int x, int y);

// Positions of the two cross-section lines in the colour map's panel (the image at (2, 2)):
// the vertical line's left edge and the horizontal line's top edge.
struct CrossLines {
  int verticalLeft = 0;
  int horizontalTop = 0;
};

// Moves the current point to colour map pixel (x, y): the lines go to that pixel (both shown),
// the line graph's cross-section and legend names ("X=gx", "Y=gy") to its grid point. Does not
// redraw. Reads the shown data set's size; changes the line graph module.
CrossLines PlaceCrossSection(const GridDataSet& shown, int imageWidth, int imageHeight, int x,
                             int y);

// Texts of Lbl_Info_X, Lbl_Info_Y and Lbl_Info_Data for a pointer at (x, y) on an image of
// imageWidth x imageHeight (the colour map or the contour map): grid coordinates and the raw
// value with 3 decimals, or "----.---" for a point without data.
struct PointerReadout {
  std::string x;
  std::string y;
  std::string value;
};
PointerReadout ReadoutAt(const GridDataSet& shown, int imageWidth, int imageHeight, int x, int y);

// What the window does after a pointer event on the colour map.
struct ColorMapPointerResult {
  bool handled = false;      // the shown data set is active
  bool showReadout = false;  // put `readout` into the three labels
  PointerReadout readout;
  bool linesMoved = false;  // move the cross lines to `lines` and show both
  CrossLines lines;
  bool lineGraphChanged = false;  // the line graph image was redrawn
  int roiPlaced = -1;             // 0 or 1: that ROI was placed; call UpdateRois and apply it
  bool openMenu = false;          // open Pmn_Menu at the press's screen position
  bool menuItemsEnabled = false;  // the four items' Enabled (their Tags become 0)
};

// Move over Img_ColorMap or Img_Contour (sender's size given): read-outs; while the cross-section
// is dragged, the current point follows (coordinates limited to the image) and the graph redraws.
ColorMapPointerResult ColorMapMouseMove(ViewerParams& params, const GridDataSet& shown,
                                        int senderWidth, int senderHeight, int colorMapWidth,
                                        int colorMapHeight, const MouseInput& input);
// Press on Img_ColorMap: Ctrl + left/right places ROI 1/2 at the pixel; left starts the
// cross-section drag (and, without Shift, moves the current point there); right opens the menu.
ColorMapPointerResult ColorMapMouseDown(ViewerParams& params, const GridDataSet& shown,
                                        int imageWidth, int imageHeight, const MouseInput& input);
// Release on Img_ColorMap: the drag ends, whatever the button.
void ColorMapMouseUp(ViewerParams& params);

// Ctrl + press on an ROI outline or label (its Tag is the ROI): hides that ROI; true when so.
bool RoiWidgetMouseDown(ViewerParams& params, int tag, const MouseInput& input);

}  // namespace orvelle
