#include "cli/CliPicture.h"

#include <QBuffer>
#include <QByteArray>
#include <cstdio>

#include "cli/Cli.h"
#include "cli/QtPlatform.h"
#include "data/Message.h"

namespace orvelle::cli {

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

bool WritePng(const QImage& image, const std::string& path) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (!image.save(&buffer, "PNG")) {
    ShowMessage("File write error. -> " + path);
    return false;
  }
  return WriteOutput(path, std::string(bytes.constData(), static_cast<size_t>(bytes.size())));
}

}  // namespace orvelle::cli
