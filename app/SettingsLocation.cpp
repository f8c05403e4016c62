#include "app/SettingsLocation.h"

#include <QDir>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace orvelle {
namespace {

// Asking the file system for write permission is not enough: it says yes to the superuser on a
// read-only mount. Creating a file is the real test.
bool CanCreateFileIn(const QString& dir) {
  if (dir.isEmpty() || !QDir(dir).exists()) return false;
  QTemporaryFile probe(QDir(dir).filePath("setting.dat.probe-XXXXXX"));
  return probe.open();
}

QString WithSeparator(const QString& dir) { return dir.endsWith('/') ? dir : dir + '/'; }

// The binary directory of an installation prefix: the program's data directory (share/orvelle
// beside bin/) exists. That directory belongs to the system even where the superuser may write
// to it, and a settings file there would outlive the package that put the program there.
bool IsInstalledCopy(const QString& exeDir) {
  if (exeDir.isEmpty()) return false;
  return QDir(QDir(exeDir).filePath(QStringLiteral(ORVELLE_DATA_DIR_FROM_BIN))).exists();
}

}  // namespace

QString SettingsDirectory(const QString& exeDir) {
  if (!IsInstalledCopy(exeDir) && CanCreateFileIn(exeDir)) return WithSeparator(exeDir);
  const QString config = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
  QDir().mkpath(config);
  return WithSeparator(config);
}

}  // namespace orvelle
