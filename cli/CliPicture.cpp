#include "cli/CliPicture.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageWriter>
#include <cstdio>

#include "cli/Cli.h"
#include "cli/QtPlatform.h"
#include "data/Message.h"

namespace orvelle::cli {
namespace {

// Qt maps a PNG quality q to zlib level (100 - q) * 9 / 91.
constexpr int kFastPngQuality = 80;  // level 1

QImage* keptPicture = nullptr;

}  // namespace

std::unique_ptr<QGuiApplication> StartGuiApplication(bool openGl) {
  if (QCoreApplication::instance() != nullptr) return nullptr;
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", DefaultQtPlatform(openGl));
  }
  // Qt's notes (a missing runtime directory, a display it could not reach) would only clutter
  // the one-line reports of this program.
  qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type == QtFatalMsg) std::fprintf(stderr, "%s\n", qPrintable(text));
  });
  static int argc = 1;
  static char name[] = "orvelle-cli";
  static char* argv[] = {name, nullptr};
  return std::make_unique<QGuiApplication>(argc, argv);
}

bool EncodePicture(const QImage& image, bool raw, std::string& bytes) {
  QByteArray encoded;
  QBuffer buffer(&encoded);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, raw ? "ppm" : "png");
  // Qt's default zlib effort costs more than drawing the picture; the fastest level makes files
  // about a third larger.
  if (!raw) writer.setQuality(kFastPngQuality);
  if (!writer.write(image)) return false;
  bytes.assign(encoded.constData(), static_cast<size_t>(encoded.size()));
  return true;
}

bool WritePicture(const QImage& image, const std::string& path, bool raw) {
  if (keptPicture != nullptr) *keptPicture = image;
  std::string bytes;
  if (!EncodePicture(image, raw, bytes)) {
    ShowMessage("File write error. -> " + path);
    return false;
  }
  return WriteOutput(path, bytes);
}

void KeepWrittenPicture(QImage* keep) { keptPicture = keep; }

}  // namespace orvelle::cli
