#include "app/SettingsLocation.h"

#include <QDir>
#include <QFileInfo>
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

// The binary directory of an installation: the program's data directory (share/orvelle beside
// bin/) exists, or the Windows setup left its "installed" mark beside the program. That
// directory belongs to the system even where its permissions let this user write to it, and a
// settings file there would outlive the package or the uninstaller that put the program there.
bool IsInstalledCopy(const QString& exeDir) {
  if (exeDir.isEmpty()) return false;
  const QDir dir(exeDir);
  return QDir(dir.filePath(QStringLiteral(ORVELLE_DATA_DIR_FROM_BIN))).exists() ||
         QFileInfo::exists(dir.filePath(QStringLiteral("installed")));
}

}  // namespace

QString SettingsDirectory(const QString& exeDir) {
  if (!IsInstalledCopy(exeDir) && CanCreateFileIn(exeDir)) return WithSeparator(exeDir);
  const QString config = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
  QDir().mkpath(config);
  return WithSeparator(config);
}

}  // namespace orvelle
