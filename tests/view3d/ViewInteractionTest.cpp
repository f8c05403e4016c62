// The pitch of drag frames chosen from the frame times measured so far.
#include "view3d/ViewInteraction.h"

#include <gtest/gtest.h>

namespace orvelle {
namespace {

TEST(InteractivePitch, KeepsAPitchWhoseFrameFitsAndOtherwiseScalesByThePointsDrawn) {
  FrameCosts costs;
  EXPECT_EQ(InteractivePitchFor(costs, 500, 1, 12.0), 1);  // nothing measured: the exact pitch
  RecordFrameCost(costs, 500, 1, 50.0);                    // 251001 points
  // Pitch 2 (63001 points) would take 12.55 ms, pitch 3 (27889 points) 5.56 ms.
  EXPECT_EQ(InteractivePitchFor(costs, 500, 1, 12.0), 3);
  EXPECT_EQ(InteractivePitchFor(costs, 500, 5, 12.0), 5);  // never finer than asked
  RecordFrameCost(costs, 500, 2, 11.0);                    // pitch 2 measured: it fits
  EXPECT_EQ(InteractivePitchFor(costs, 500, 1, 12.0), 2);
  RecordFrameCost(costs, 500, 1, 8.0);  // the exact frame has become fast enough
  EXPECT_EQ(InteractivePitchFor(costs, 500, 1, 12.0), 1);

  FrameCosts slow;
  RecordFrameCost(slow, 500, 50, 1000.0);
  EXPECT_EQ(InteractivePitchFor(slow, 500, 1, 12.0), 50);
}

}  // namespace
}  // namespace orvelle
