// What the picture commands share: a GUI application to draw with, and PNG output.
#pragma once

#include <QGuiApplication>
#include <QImage>
#include <memory>
#include <string>

namespace orvelle::cli {

// Creates the GUI application the drawing needs, unless one exists (then returns null). With
// `openGl` a display is tried first; otherwise, and as the fallback, the offscreen platform
// serves, so the command runs on a machine without a display. Qt's own notes are silenced.
std::unique_ptr<QGuiApplication> StartGuiApplication(bool openGl);

// Writes the picture as PNG to `path` ("-" is standard output), compressed fast, or not at all
// when `stored` (for a picture only read back by this program). False after a message.
bool WritePng(const QImage& image, const std::string& path, bool stored = false);

}  // namespace orvelle::cli
