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

// The picture as PNG, compressed fast, or when `raw` as binary PPM: an opaque picture's pixels
// as they are, for a picture only read back by this program. False when it cannot be encoded.
bool EncodePicture(const QImage& image, bool raw, std::string& bytes);

// Writes the encoded picture to `path` ("-" is standard output). False after a message.
bool WritePicture(const QImage& image, const std::string& path, bool raw = false);

// While set, WritePicture also keeps the picture it writes here; nullptr stops it.
void KeepWrittenPicture(QImage* keep);

}  // namespace orvelle::cli
