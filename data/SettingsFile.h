// The settings file "setting.dat": the stored viewer settings as 61 positional lines of a key, a
// colon, a blank and a value. The reader takes the values in order and ignores the key words.
// Numbers are written and read with '.' as the decimal point whatever the process locale.
#pragma once

#include <string>

#include "data/ViewerParams.h"

namespace orvelle {

inline constexpr int kSettingsLineCount = 61;
inline constexpr char kSettingsFileName[] = "setting.dat";
// The longest key word the reader accepts; a longer one is a read error of its line.
inline constexpr int kSettingsMaxKeyLength = 63;

// The 61 lines SaveParameter writes for `params`, each ending in "\n".
std::string FormatSettings(const ViewerParams& params);

// Writes the stored fields to `path` through a temporary file in the same directory that is then
// renamed over the old file, so a failed save never leaves a truncated file. Returns 1, or -1
// after the message "<SaveParameter> File open error." (the old file is then untouched).
int SaveParameter(const std::string& path, const ViewerParams& params);

// Reads the stored fields from `path` into `params`, which the caller fills first with the values
// the controls show (fields not read keep them). A group of lines is assigned only when all its
// lines were read. Returns 1, or -1 after "<LoadParameter> File open error." or the message of
// the first line that fails; groups before that line keep their new values.
int LoadParameter(const std::string& path, ViewerParams& params);

}  // namespace orvelle
