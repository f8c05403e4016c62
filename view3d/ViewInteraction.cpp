#include "view3d/ViewInteraction.h"

#include <algorithm>
#include <charconv>
#include <numbers>

namespace orvelle {
void DragPress(DragState& drag, DragButton button, int x, int y, const ViewBars& bars) {
  drag.pressX = x;
  drag.pressY = y;
  if (button == DragButton::kLeft) {
    drag.rotating = 1;
    drag.scaling = 0;
    drag.startA = bars.turn;
    drag.startB = bars.tilt;
  } else if (button == DragButton::kRight) {
    drag.scaling = 1;
    drag.rotating = 0;
    drag.startA = bars.zoom;
    drag.startB = bars.ratio;
  }
}

ViewBars DragMove(const DragState& drag, int x, int y, ViewBars bars) {
  // Far-off pointer positions must not overflow before the clamp.
  const long long dx = static_cast<long long>(x) - drag.pressX;
  const long long dy = static_cast<long long>(y) - drag.pressY;
  auto clamp = [](long long v, const BarRange& r) {
    return static_cast<int>(std::clamp<long long>(v, r.min, r.max));
  };
  if (drag.rotating) {
    bars.turn = clamp(drag.startA + 5 * dx, kTurnBar);
    bars.tilt = clamp(drag.startB + 5 * dy, kTiltBar);
  } else if (drag.scaling) {
    bars.zoom = clamp(drag.startA + 2 * dx, kZoomBar);
    bars.ratio = clamp(drag.startB - dy / 3, kRatioBar);
  }
  return bars;
}

void DragRelease(DragState& drag) { drag = DragState{}; }

double SampledPoints(int extent, int pitch) {
  const double n = std::max(extent, 0) / std::max(pitch, 1) + 1;
  return n * n;
}

void RecordFrameCost(FrameCosts& costs, int extent, int pitch, double ms) {
  pitch = std::clamp(pitch, 1, kDrawPitchBar.max);
  costs.ms[pitch] = ms;
  costs.msPerPoint = ms / SampledPoints(extent, pitch);
}

int InteractivePitchFor(const FrameCosts& costs, int extent, int pitch, double budgetMs) {
  pitch = std::clamp(pitch, 1, kDrawPitchBar.max);
  if (costs.msPerPoint <= 0.0) return pitch;
  for (int p = pitch; p < kDrawPitchBar.max; ++p) {
    const double ms = costs.ms[p] > 0.0 ? costs.ms[p] : costs.msPerPoint * SampledPoints(extent, p);
    if (ms <= budgetMs) return p;
  }
  return kDrawPitchBar.max;
}

float BarToRadians(int tenths) { return static_cast<float>(tenths * std::numbers::pi / 1800.0); }

float BarToRatio(int position) { return static_cast<float>(position * 0.1); }

std::string FormatReadout(double value) {
  char buffer[64];
  const auto [end, error] =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 1);
  return error == std::errc() ? std::string(buffer, end) : std::string();
}

}  // namespace orvelle
