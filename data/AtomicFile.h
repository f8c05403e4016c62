// Whole-file writes that never leave a truncated file behind: the bytes go to a temporary file in
// the target's directory (unnamed until it is complete, where the file system allows), are
// flushed to disk and only then renamed over the target. Every writer of the program (settings,
// ROI CSV, command-line outputs, reports) goes through here.
#pragma once

#include <string>

namespace orvelle {

// Which step of a whole-file write failed.
enum class WriteFailure {
  None,
  Open,   // the file, or its temporary beside it, could not be created or opened
  Write,  // writing, flushing to disk or the final rename failed
};

// Writes `bytes` to `path` as one whole file. An existing file keeps its permission bits and
// stays untouched when anything fails (full disk, unwritable directory, rename refused); the
// temporary file is then removed. A symbolic link is followed, so the file it names is replaced
// and the link stays. A target that is not a regular file (a device such as /dev/stdout, a FIFO
// with a reader) is written in place, since it cannot be replaced; a FIFO without a reader fails
// at once instead of waiting. Shows no message: returns false on failure, errno as set by the
// failing call.
bool WriteFileAtomically(const std::string& path, const std::string& bytes);

// The same, also saying which step failed (None on success).
bool WriteFileAtomically(const std::string& path, const std::string& bytes, WriteFailure& failure);

}  // namespace orvelle
