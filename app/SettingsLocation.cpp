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

}  // namespace

QString SettingsDirectory(const QString& exeDir) {
  if (CanCreateFileIn(exeDir)) return WithSeparator(exeDir);
  const QString config = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
  QDir().mkpath(config);
  return WithSeparator(config);
}

}  // namespace orvelle
