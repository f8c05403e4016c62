// Whole-file writes that never leave a truncated file behind: the bytes go to a temporary file in
// the target's directory, are flushed to disk and only then renamed over the target. Every writer
// of the program (settings, ROI CSV, command-line outputs, reports) goes through here.
#pragma once

#include <string>

namespace orvelle {

// Writes `bytes` to `path` as one whole file. An existing file keeps its permission bits and
// stays untouched when anything fails (full disk, unwritable directory, rename refused); the
// temporary file is then removed. Shows no message: returns false on failure, errno as set by
// the failing call.
bool WriteFileAtomically(const std::string& path, const std::string& bytes);

}  // namespace orvelle
