// A pointer event as the views' interaction functions take it: pixel position on the image,
// the button that changed (or is held) and the Shift and Ctrl keys.
#pragma once

namespace orvelle {

enum class MouseButton { None, Left, Right, Middle };

struct MouseInput {
  int x = 0;
  int y = 0;
  MouseButton button = MouseButton::None;
  bool shift = false;
  bool ctrl = false;
};

}  // namespace orvelle
