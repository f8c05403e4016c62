// The Qt platform plugin the command line draws with, which differs between the systems.
#pragma once

#include <QByteArray>

namespace orvelle::cli {

// The value for QT_QPA_PLATFORM when the user has not set it; `openGl` says whether the command
// draws the 3D view.
QByteArray DefaultQtPlatform(bool openGl);

}  // namespace orvelle::cli
