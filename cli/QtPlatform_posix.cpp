#include "cli/QtPlatform.h"

#include <QtGlobal>

namespace orvelle::cli {

QByteArray DefaultQtPlatform(bool openGl) {
  const bool display =
      qEnvironmentVariableIsSet("DISPLAY") || qEnvironmentVariableIsSet("WAYLAND_DISPLAY");
  return openGl && display ? "xcb;wayland;offscreen" : "offscreen";
}

}  // namespace orvelle::cli
