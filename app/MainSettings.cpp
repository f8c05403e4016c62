// Reading the settings file into the controls at start-up and writing it from them.
#include <QFile>

#include "app/Main.h"
#include "data/SettingsFile.h"

namespace orvelle {

int TForm1::LoadSettings() {
  applyingParams = 1;
  const std::string path = settingsPath.toStdString();
  if (QFile::exists(settingsPath)) {
    // Fields the file does not reach keep what the controls show.
    GetParam();
    if (LoadParameter(path, params) == 1) {
      SetParam();
      applyingParams = 0;
      return 1;
    }
  }
  // Missing or unreadable: the controls keep their designed values and the file is written from
  // them, so the file and the window agree. The factory defaults stay in the record only for
  // the fields no control shows (the palettes).
  SetDefaultParams(params);
  if (SaveSettings() != 1) return -1;
  applyingParams = 0;
  return 1;
}

int TForm1::SaveSettings() {
  GetParam();
  return SaveParameter(settingsPath.toStdString(), params);
}

}  // namespace orvelle
