// Where the settings file lives: the program's directory when a file can be created there,
// otherwise the per-user configuration directory, so an installed copy in a read-only prefix
// still keeps its settings.
#pragma once

#include <QString>

namespace orvelle {

// The directory for "setting.dat", with a trailing separator. `exeDir` is tried first (it must
// end in a separator) unless it is the binary directory of an installation (the program's data
// directory share/orvelle sits beside it, or a file named "installed" does, as the Windows setup
// writes), which gets no settings file even when writable. The
// fallback directory is created when missing. When neither can be written the fallback is
// returned all the same, and saving there fails with its message.
QString SettingsDirectory(const QString& exeDir);

}  // namespace orvelle
