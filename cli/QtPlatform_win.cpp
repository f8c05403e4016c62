#include "cli/QtPlatform.h"

namespace orvelle::cli {

// Qt's offscreen platform on Windows has neither OpenGL nor fonts; the desktop platform draws
// without showing a window.
QByteArray DefaultQtPlatform(bool) { return "windows"; }

}  // namespace orvelle::cli
